// A picture as the stream decoder gives it, in its own planes (YUV, laid out as the decoder
// library lays them out), and the one conversion of such a picture to a view's packed BGR frame at
// its own size. The decoder and the cache of a group's pictures both convert through it, so a
// picture taken from the cache is byte for byte the one decoding gave.
#pragma once

#include <cstddef>
#include <cstdint>

struct DecodedFrame;
struct SwsContext;

struct PlanarPicture {
    const uint8_t* data[4] = {};
    int linesize[4] = {};
    int width = 0;
    int height = 0;
    int format = -1;   // the library's pixel format
};

// Into the frame buffer, at the picture's own size; `scaler` is the caller's cached context. 0, or
// -1 when the picture is empty, does not fit a frame buffer, or cannot be converted.
int32_t ConvertPlanarPicture(SwsContext** scaler, const PlanarPicture& picture, DecodedFrame* frame);

// Frees a context the conversion made.
void FreeScaler(SwsContext* scaler);

// The bytes of each plane (its line size times its rows) into `planeBytes`, and their sum; 0 when
// the picture has no usable layout.
size_t PlanarPictureBytes(const PlanarPicture& picture, size_t planeBytes[4]);
