// Converts a view's decoded picture to the size the view draws it at, once, on the thread that
// decoded it, so that painting only copies pixels. The conversion context is cached between
// pictures of one size.
#pragma once

#include <cstdint>

struct DecodedFrame;
struct SwsContext;

struct PictureScaler {
    SwsContext* context = nullptr;
};

// Writes `from` (packed BGR, bottom row first when `bottomUp`) at `width` x `height` into `to`,
// top row first, area-averaged. 0, or -1 when a size is empty or does not fit a frame buffer, or
// the conversion fails (then `to` keeps its size).
int32_t ScalePicture(PictureScaler* scaler, const DecodedFrame& from, bool bottomUp, uint32_t width, uint32_t height,
                     DecodedFrame* to);
void FreePictureScaler(PictureScaler* scaler);
