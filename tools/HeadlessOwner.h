// The media file manager's owner for kvrtool: views without a window, each of which counts
// the packets delivered to it and, when asked to, decodes its video as a camera view does,
// and the registry they are registered in.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "recording/MediaFileOwner.h"
#include "video/CameraFeed.h"

class QelSmartLcid2Callback;

struct ViewCounts {
    int64_t videoPackets = 0;
    int64_t audioPackets = 0;
    int64_t decoded = 0;   // video packets decoded (only when the view decodes)
    int64_t failed = 0;    // video packets the decoder refused
    int64_t dropped = 0;   // video packets the sequence check dropped before decoding
};

struct CountingView {
    ViewCounts counts;
    CameraFeed video;   // made only for views that decode: the player's own packet path
};

class HeadlessOwner : public MediaFileOwner {
public:
    // With `decode`, each view gets its own frame buffer and decoder when it is made.
    explicit HeadlessOwner(QelSmartLcid2Callback* registry, bool decode = false) : registry(registry), decode(decode) {}

    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return registry; }

    // False when a decoding view could not get its frame buffer or decoder.
    bool ViewsReady() const { return viewsReady; }

    // Views are made by CreateViews, during the scan, and live as long as the owner.
    std::vector<std::unique_ptr<CountingView>> views;

private:
    static void OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    QelSmartLcid2Callback* registry;
    bool decode;
    bool viewsReady = true;
};
