// Compresses pictures to JPEG streams, for sample recordings and tests.
#pragma once

#include <cstdint>
#include <vector>

// `bgr` is packed BGR, top row first. With `grayscale` the stream has one component.
// 0, or -1 when compression fails.
int32_t EncodeJpeg(const uint8_t* bgr, uint32_t width, uint32_t height, int32_t quality, bool grayscale,
                   std::vector<uint8_t>* jpeg);
