// 24-bit uncompressed BMP files of decoded frames: a 54-byte header (file header and a
// 40-byte information header), then the rows bottom-up, each padded to a multiple of 4 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodedFrame;

constexpr uint32_t kBmpHeaderSize = 54;

// The frame as an upright picture, whichever row order the decoder left it in. Empty when the
// frame has no picture or does not fit its buffer.
std::vector<uint8_t> BuildBmp(const DecodedFrame& frame);

// Writes BuildBmp's bytes to `path`, replacing the file only once it is complete.
// 0; -1 when the frame has no picture; -2 when writing fails, with the errno value in `error`.
int32_t WriteBmpFile(const std::string& path, const DecodedFrame& frame, int* error);
