// Lays a snapshot picture out as a 24-bit BMP file in memory.
#pragma once

#include <cstdint>

constexpr uint32_t kBmpHeaderSize = 54;

// Bytes in one row of the file: width x 3 padded to a multiple of 4, as readers expect.
uint64_t BmpRowStride(uint32_t width);
// Length of the whole file: the header and the padded rows.
uint64_t BmpFileSize(uint32_t width, uint32_t height);

// Writes the header and the rows of `image` (packed BGR, bottom row first, rows of width x 3
// bytes) into `fileArea` of `fileCapacity` bytes. Returns the file's length, 0 when there is no
// image, -1 when the file would not fit the area (nothing is written then).
int32_t BuildBmpFile(uint8_t* fileArea, uint32_t fileCapacity, const uint8_t* image, uint32_t width, uint32_t height);
