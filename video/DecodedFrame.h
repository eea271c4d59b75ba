// The picture of one camera view: packed 24-bit pixels, blue, green, red, rows without gaps,
// in a buffer of fixed capacity that the view owns for its whole life.
#pragma once

#include <cstdint>

#include "video/VideoCodecId.h"

constexpr uint32_t kFramePixelCapacity = 9437184;   // 2048 x 1536 pixels of 3 bytes

struct DecodedFrame {
    uint8_t* pixels = nullptr;   // kFramePixelCapacity bytes
    uint32_t width = 0;
    uint32_t height = 0;
    VideoCodecId codec = kVideoCodecNone;
};

// Whether a picture of this size fits the frame buffer.
inline bool FrameSizeFits(uint64_t width, uint64_t height)
{
    return width * height * 3 <= kFramePixelCapacity;
}

// Allocates the pixel buffer (false when memory is short) and frees it again.
bool AllocateFramePixels(DecodedFrame* frame);
void FreeFramePixels(DecodedFrame* frame);
