// Which decoder produced a frame; it also tells the frame's row order.
#pragma once

#include <cstdint>

using VideoCodecId = int32_t;

constexpr VideoCodecId kVideoCodecNone = 0;    // no picture decoded; bottom row first
constexpr VideoCodecId kVideoCodecJpeg = 8;    // bottom row first
constexpr VideoCodecId kVideoCodecMpeg4 = 13;  // top row first
constexpr VideoCodecId kVideoCodecH264 = 28;   // top row first

// True when the first row in memory is the top row of the picture.
inline bool VideoCodecIsTopDown(VideoCodecId codec)
{
    return codec == kVideoCodecMpeg4 || codec == kVideoCodecH264;
}
