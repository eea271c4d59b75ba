// The views of a damaged copy without a window: the media file manager's owner, one camera feed
// per view with the built-in event composer, and the grid's audio path. A packet goes where the
// playback handler would send it: to the view registered for its header's channel number, then
// to the feed when it is video or to the audio path when it is audio, and in exact steps straight
// to the stepped view's feed. Every result is checked against the codes its function documents.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"
#include "tests/hardening/AudioPathModel.h"
#include "video/BuiltInLogComposer.h"
#include "video/CameraFeed.h"
#include "video/ComposerLayout.h"

// The player's grid makes up to 64; a copy with more channels than this shows the first ones, as
// the grid does past its own limit.
constexpr int32_t kSweepMaxViews = 16;

struct VideoCounts {
    int64_t taken = 0;
    int64_t decoded = 0;     // kDecodeOk
    int64_t rejected = 0;    // kDecodeRejected or kDecodeJpegCreateFailed
    int64_t dropped = 0;     // the sequence check
    int64_t notVideo = 0;
    int64_t composed = 0;    // a decode of a packet with a shown event record left overlay text
    int64_t stepDecodes = 0;
};

class SweepViews : public MediaFileOwner {
public:
    explicit SweepViews(std::vector<std::string>* problems);

    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return &registry; }

    // The handler's delivery of a packet read at an index record of `kind`, with its total length.
    void Deliver(uint8_t kind, const uint8_t* packet);
    // Exact steps of view `index`: the held picture, else a decode on the way to `target`.
    bool StepShowHeld(int32_t index, int32_t record, const uint8_t* packet, uint32_t length);
    void StepDecode(int32_t index, int32_t key, int32_t record, int32_t target, const uint8_t* packet,
                    uint32_t length);
    int32_t StepDecoderRecord(int32_t index, int32_t key);
    int32_t ViewCount() const { return static_cast<int32_t>(views.size()); }

    VideoCounts video;
    AudioPathModel audio;

private:
    struct View {
        SweepViews* owner = nullptr;
        CameraFeed feed;
    };

    static void OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);
    void TakeVideo(View& view, const uint8_t* packet, uint32_t length);
    FeedSettings Settings() const;
    void CheckFeedState(View& view, const char* where);
    void Problem(const std::string& text);

    std::vector<std::string>* problems;
    QelSmartLcid2Callback registry;
    BuiltInLogComposer composer;
    ComposerLayout layout;
    std::vector<std::unique_ptr<View>> views;
};
