// Compression of a snapshot picture to a JPEG file image held in a fixed memory area.
#pragma once

#include <cstdint>

// Size of the output area; a compressed picture that does not fit is a failure.
constexpr uint32_t kSnapshotJpegCapacity = 512000;

// Compresses `image` (packed BGR, bottom row first, rows of width x 3 bytes) as a baseline JPEG
// of quality 60 into `output`, which holds kSnapshotJpegCapacity bytes. Returns the number of
// bytes written, 0 when the image is missing or has no size, -1 when compression failed
// (nothing in `output` is usable then). Prints nothing.
int32_t EncodeJpeg(uint8_t* output, const uint8_t* image, uint32_t width, uint32_t height);
