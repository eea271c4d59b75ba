#include "video/FrameAdjustments.h"

#include <cstring>
#include <new>

#include "video/DecodedFrame.h"

namespace {

// The input row that output row `row` receives when weaving `height` rows.
uint32_t WovenSource(uint32_t row, uint32_t height)
{
    return row % 2 == 0 ? height / 2 + row / 2 : (row - 1) / 2;
}

// Whether `start` is the lowest row of its cycle, so each cycle is carried out once.
bool StartsCycle(uint32_t start, uint32_t height)
{
    for (uint32_t row = WovenSource(start, height); row != start; row = WovenSource(row, height)) {
        if (row < start) {
            return false;
        }
    }
    return true;
}

}  // namespace

void WeaveFields(uint8_t* pixels, uint32_t width, uint32_t height)
{
    if ((height != 480 && height != 576) || width == 0 || !FrameSizeFits(width, height)) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    uint8_t* scratch = new (std::nothrow) uint8_t[rowBytes];
    if (scratch == nullptr) {
        return;
    }
    auto row = [&](uint32_t index) { return pixels + index * rowBytes; };
    for (uint32_t start = 0; start < height; ++start) {
        if (!StartsCycle(start, height)) {
            continue;
        }
        // Follow the cycle: each row takes its source's bytes, the start's saved copy closes it.
        memcpy(scratch, row(start), rowBytes);
        uint32_t target = start;
        for (uint32_t source = WovenSource(target, height); source != start; source = WovenSource(target, height)) {
            memcpy(row(target), row(source), rowBytes);
            target = source;
        }
        memcpy(row(target), scratch, rowBytes);
    }
    delete[] scratch;
}

void DoubleLines(DecodedFrame* frame)
{
    // Rows are the frame's own (2112 bytes for the 704-pixel frames this is made for), so a
    // frame of another width is doubled as itself rather than cut into foreign rows.
    const uint32_t height = frame->height;
    if (frame->pixels == nullptr || frame->width == 0 || height == 0 ||
        !FrameSizeFits(frame->width, static_cast<uint64_t>(height) * 2)) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(frame->width) * 3;
    uint8_t* pixels = frame->pixels;
    auto row = [&](size_t index) { return pixels + index * rowBytes; };
    // From the last row up: output rows 2i and 2i + 1 lie at or after input row i, and input
    // row i - 1 is read before anything reaches it.
    for (size_t i = height - 1; i >= 1; --i) {
        memcpy(row(2 * i + 1), row(i), rowBytes);
        const uint8_t* before = row(i - 1);
        const uint8_t* current = row(2 * i + 1);
        uint8_t* average = row(2 * i);
        for (size_t b = 0; b < rowBytes; ++b) {
            average[b] = static_cast<uint8_t>((before[b] + current[b]) / 2);
        }
    }
    memcpy(row(1), row(0), rowBytes);
    frame->height = height * 2;
}

void HalveWidth(DecodedFrame* frame)
{
    if (frame->pixels == nullptr || !FrameSizeFits(frame->width, frame->height)) {
        return;
    }
    const uint32_t width = frame->width / 2;
    const size_t kept = static_cast<size_t>(width) * frame->height;
    uint8_t* pixels = frame->pixels;
    for (size_t i = 0; i < kept; ++i) {
        memmove(pixels + i * 3, pixels + i * 6, 3);
    }
    frame->width = width;
}

void AdjustFrameForView(DecodedFrame* frame, uint16_t optionMask, bool naturalSize, uint32_t areaWidth,
                        uint32_t areaHeight)
{
    constexpr uint16_t kFieldStacked = 0x8000;
    if ((optionMask & kFieldStacked) != 0) {
        if (naturalSize && areaWidth > frame->width && areaHeight > frame->height) {
            WeaveFields(frame->pixels, frame->width, frame->height);
        } else {
            frame->height /= 2;
            DoubleLines(frame);
        }
    }
    if (frame->width == 352 && (frame->height == 112 || frame->height == 144)) {
        HalveWidth(frame);
    } else if (frame->width == 704 && (frame->height == 240 || frame->height == 288)) {
        DoubleLines(frame);
    }
}
