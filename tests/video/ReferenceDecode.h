// An independent decode of stream packets with plain library calls, written here without the
// project's decoder, to compare its pictures byte for byte.
#pragma once

#include <cstdint>
#include <vector>

#include "video/VideoCodecId.h"

struct ReferencePicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;   // top row first; empty when no picture has come out yet
};

// The picture the frame holds after each payload: every picture a payload yields converted to
// BGR24 with the bicubic flag, the last one kept. The first payload goes in twice, as the
// player does.
std::vector<ReferencePicture> ReferenceDecode(VideoCodecId codec, const std::vector<std::vector<uint8_t>>& payloads);
