#include "video/PlanarPicture.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "video/DecodedFrame.h"

int32_t ConvertPlanarPicture(SwsContext** scaler, const PlanarPicture& picture, DecodedFrame* frame)
{
    const int width = picture.width;
    const int height = picture.height;
    if (picture.data[0] == nullptr || frame->pixels == nullptr || width <= 0 || height <= 0 ||
        !FrameSizeFits(static_cast<uint32_t>(width), static_cast<uint32_t>(height))) {
        return -1;   // never written past the frame buffer
    }
    uint8_t* target[4] = {};
    int targetLinesize[4] = {};
    if (av_image_fill_arrays(target, targetLinesize, frame->pixels, AV_PIX_FMT_BGR24, width, height, 1) < 0) {
        return -1;
    }
    *scaler = sws_getCachedContext(*scaler, width, height, static_cast<AVPixelFormat>(picture.format), width, height,
                                   AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (*scaler == nullptr) {
        return -1;
    }
    if (sws_scale(*scaler, picture.data, picture.linesize, 0, height, target, targetLinesize) < 0) {
        return -1;
    }
    frame->width = static_cast<uint32_t>(width);
    frame->height = static_cast<uint32_t>(height);
    return 0;
}

void FreeScaler(SwsContext* scaler)
{
    sws_freeContext(scaler);
}

size_t PlanarPictureBytes(const PlanarPicture& picture, size_t planeBytes[4])
{
    const ptrdiff_t linesizes[4] = {picture.linesize[0], picture.linesize[1], picture.linesize[2],
                                    picture.linesize[3]};
    for (int i = 0; i < 4; ++i) {
        planeBytes[i] = 0;
        if (linesizes[i] < 0) {
            return 0;   // pictures stored upwards are not kept
        }
    }
    if (picture.width <= 0 || picture.height <= 0 || picture.format < 0 ||
        av_image_fill_plane_sizes(planeBytes, static_cast<AVPixelFormat>(picture.format), picture.height, linesizes) <
            0) {
        return 0;
    }
    size_t total = 0;
    for (int i = 0; i < 4; ++i) {
        total += planeBytes[i];
    }
    return total;
}
