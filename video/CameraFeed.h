// What a camera view does with the packets of its channel, without a window: the frame
// sequence check, the decode into the view's frame, the adjustments of special frame sizes,
// the event text drawn over the picture and the date and time caption. The player's views,
// kvrtool and the tests all run this one class, so headless runs exercise the player's code.
//
// Besides the frame at its own size (what snapshots and exports take), each picture is converted
// once, where it was decoded, to the size the view draws it at (`shown`), so painting copies pixels
// instead of scaling them on the user-interface thread.
//
// The frame buffers and the decoder are made by Create and freed by Destroy (or the destructor).
// `lock` guards the decoder, the frame, the sequence, the overlay text and the caption between
// the thread that feeds packets and the thread that paints or saves them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "recording/CaptionText.h"
#include "video/DecodedFrame.h"
#include "video/GroupPictureCache.h"
#include "video/PictureScaler.h"

class LogComposer;
struct ComposerLayout;
struct FrameDecoder;

// TakeVideo's results besides DecodeVideoPacket's own.
constexpr int32_t kFeedPacketDropped = 1;    // the sequence check dropped it: nothing changed
constexpr int32_t kFeedNoFrameBuffer = -2;   // the view has no frame buffer: nothing changed

// What the view's grid says for each packet.
struct FeedSettings {
    bool naturalSize = false;          // frames shown at their own size (field-stacked frames woven)
    uint32_t areaWidth = 0;            // the view's video area at its last paint
    uint32_t areaHeight = 0;
    LogComposer* composer = nullptr;   // null: no overlay text is composed
    const ComposerLayout* composerLayout = nullptr;
    uint32_t overlaySourceMask = 1;    // option-8 source numbers accepted (bit n: source n)
};

class CameraFeed {
public:
    CameraFeed();
    ~CameraFeed();
    CameraFeed(const CameraFeed&) = delete;
    CameraFeed& operator=(const CameraFeed&) = delete;

    // 0, or -1 when memory is short (then video packets are ignored). With `clearPixels` the
    // whole buffer starts black, for callers that may write out a frame nothing has filled.
    int32_t Create(bool clearPixels = false);
    // Frees the decoder and the frame buffer; the feed can be made again.
    void Destroy();
    bool Ready() const { return decoder != nullptr && frame.pixels != nullptr; }

    // A video packet of the channel. kFeedPacketDropped, kFeedNoFrameBuffer, or the decode's
    // result; after a decode (failed or not) the caption follows the packet and hasFrame is set.
    // `captionChanged` tells whether the caption was formatted (the view then reports its
    // position).
    int32_t TakeVideo(const uint8_t* packet, uint32_t length, const FeedSettings& settings, bool* captionChanged);

    // Stop: no picture, black pixels, no caption and no overlay text. The sequence is kept.
    void Reset();
    // The overlay text becomes empty.
    void ClearOverlay();

    // Copies of the texts, taken under the lock.
    std::string Caption();
    std::string OverlayText();

    // Exact steps, on the thread that feeds packets. BeginStep takes the lock until EndStep, so
    // painting never shows the pictures decoded on the way to the target.
    void BeginStep() { lock.lock(); }
    void EndStep() { lock.unlock(); }
    // Shows the held picture of `record` with the caption and event text of its packet; false when
    // it is not held.
    bool StepShowHeld(int32_t record, const uint8_t* packet, uint32_t length, const FeedSettings& settings,
                      bool* captionChanged);
    // Decodes a picture of the group of `keyRecord` on the way to `targetRecord` and holds it (unless
    // not `keep`); the target is shown like a packet of normal play. The decode's result, or
    // kFeedNoFrameBuffer.
    int32_t StepDecode(int32_t keyRecord, int32_t record, int32_t targetRecord, const uint8_t* packet, uint32_t length,
                       const FeedSettings& settings, bool* captionChanged, bool keep = true);
    // The record the decoder stands at after steps in the group of `keyRecord`, else -1.
    int32_t StepDecoderRecord(int32_t keyRecord);
    // Frees the held pictures.
    void DropHeldPictures();

    GroupPictureCache heldPictures;

    std::recursive_mutex lock;
    DecodedFrame frame;
    // The frame at the size the view draws it, top row first; valid while `shownReady`. Painting
    // uses it when its size is that of the place the picture is drawn at.
    DecodedFrame shown;
    bool shownReady = false;
    int32_t lastSequence = -1;   // -1: waiting for a key frame
    std::string overlayText;
    char caption[kCaptionCapacity] = {};
    std::atomic<int32_t> hasFrame{0};

private:
    bool PassesSequenceCheck(const uint8_t* packet);
    void ComposeOverlayText(const uint8_t* packet, const FeedSettings& settings);
    void NoteDrawnBytes();
    void FinishPicture(const uint8_t* packet, int32_t decodeResult, const FeedSettings& settings,
                       bool* captionChanged);
    void ConvertShownPicture(const FeedSettings& settings, bool adjusted);
    int32_t Decode(const uint8_t* packet, uint32_t length, bool convert);

    FrameDecoder* decoder = nullptr;
    PictureScaler shownScaler;
    // The frame holds the stream decoder's last picture as it gave it: the display-size picture is
    // then converted from the decoder's own planes, the cheaper way.
    bool frameIsDecoderPicture = false;
    size_t drawnBytes = 0;   // pixels written since the buffer was last cleared
    // Where steps left the decoder: the record and its group's key frame; -1 after normal play.
    int32_t stepDecoderRecord = -1;
    int32_t stepDecoderKey = -1;
};
