// What a camera view does with each video packet of its channel, without a window: the frame
// sequence check, the decode into the view's own frame, and the adjustments that give the size
// the view shows (stretched, not at natural size). The frame buffer and the decoder are made
// once by Create and freed with the object.
#pragma once

#include <cstdint>

#include "video/DecodedFrame.h"

struct FrameDecoder;

// Take's result when the sequence check drops the packet: nothing was decoded.
constexpr int32_t kViewPacketDropped = 1;

class ViewDecoder {
public:
    ViewDecoder() = default;
    ~ViewDecoder();
    ViewDecoder(const ViewDecoder&) = delete;
    ViewDecoder& operator=(const ViewDecoder&) = delete;

    // 0, or -1 when memory is short. With `clearPixels` the buffer starts black, for callers
    // that may write out a frame no decoder has filled.
    int32_t Create(bool clearPixels = false);
    bool Ready() const { return decoder != nullptr && frame.pixels != nullptr; }

    // A video packet of the view's channel: kViewPacketDropped, or DecodeVideoPacket's result.
    // The adjustments run whatever the decode gave, on the frame as it now stands.
    int32_t Take(const uint8_t* packet, uint32_t length);

    const DecodedFrame& Frame() const { return frame; }

private:
    FrameDecoder* decoder = nullptr;
    DecodedFrame frame;
    int32_t lastSequence = -1;   // -1: waiting for a key frame
};
