#include "video/TestPattern.h"

#include <cstddef>

namespace {

constexpr uint32_t kCodeBits = 16;

}  // namespace

void DrawTestPattern(uint8_t* bgr, uint32_t width, uint32_t height, uint32_t frameIndex, uint32_t channelSeed)
{
    if (width == 0 || height == 0) {
        return;
    }
    const uint32_t drift = frameIndex * 3 + channelSeed * 40;
    const uint32_t barWidth = width / 10 + 1;
    const uint32_t barStart = (frameIndex * 7) % width;
    const uint32_t blockWidth = width / kCodeBits > 0 ? width / kCodeBits : 1;
    const uint32_t codeRows = height / 8;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = bgr + static_cast<size_t>(y) * width * 3;
        for (uint32_t x = 0; x < width; ++x) {
            uint8_t blue = static_cast<uint8_t>((x * 255 / width + drift) & 0xFF);
            uint8_t green = static_cast<uint8_t>((y * 255 / height + drift / 2) & 0xFF);
            uint8_t red = static_cast<uint8_t>(((x + y) * 128 / (width + height) + channelSeed * 60) & 0xFF);
            if ((x + width - barStart) % width < barWidth) {
                blue = green = red = 240;
            }
            if (y < codeRows && x / blockWidth < kCodeBits) {
                const bool bit = ((frameIndex >> (kCodeBits - 1 - x / blockWidth)) & 1) != 0;
                blue = green = red = bit ? 255 : 0;
            }
            row[x * 3] = blue;
            row[x * 3 + 1] = green;
            row[x * 3 + 2] = red;
        }
    }
}
