#include "video/PictureScaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include "video/DecodedFrame.h"

namespace {

bool UsableSize(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && FrameSizeFits(width, height);
}

}  // namespace

int32_t ScalePicture(PictureScaler* scaler, const DecodedFrame& from, bool bottomUp, uint32_t width, uint32_t height,
                     DecodedFrame* to)
{
    if (from.pixels == nullptr || to->pixels == nullptr || !UsableSize(from.width, from.height) ||
        !UsableSize(width, height)) {
        return -1;
    }
    const int fromWidth = static_cast<int>(from.width);
    const int fromHeight = static_cast<int>(from.height);
    scaler->context = sws_getCachedContext(scaler->context, fromWidth, fromHeight, AV_PIX_FMT_BGR24,
                                           static_cast<int>(width), static_cast<int>(height), AV_PIX_FMT_BGR24,
                                           SWS_AREA, nullptr, nullptr, nullptr);
    if (scaler->context == nullptr) {
        return -1;
    }
    // A picture stored bottom row first is read from its last row upwards.
    const int stride = fromWidth * 3;
    const uint8_t* source[4] = {from.pixels, nullptr, nullptr, nullptr};
    int sourceStride[4] = {stride, 0, 0, 0};
    if (bottomUp) {
        source[0] = from.pixels + static_cast<size_t>(stride) * static_cast<size_t>(fromHeight - 1);
        sourceStride[0] = -stride;
    }
    uint8_t* target[4] = {to->pixels, nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(width) * 3, 0, 0, 0};
    if (sws_scale(scaler->context, source, sourceStride, 0, fromHeight, target, targetStride) != static_cast<int>(height)) {
        return -1;
    }
    to->width = width;
    to->height = height;
    to->codec = from.codec;
    return 0;
}

void FreePictureScaler(PictureScaler* scaler)
{
    sws_freeContext(scaler->context);
    scaler->context = nullptr;
}
