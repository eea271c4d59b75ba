// The layout of the media-file fuzzer's input, shared with the seed maker: the reads to make,
// then the index file and the media file of a recording pair.
//
//   0..15   one read per byte: bits 7-6 choose ReadNext, ReadPrevious, ReadAt or ScanIndex;
//           for ReadAt the low six bits pick a position around the record count
//   16..19  the index file's length L, big-endian (cut to what follows)
//   20..    L bytes of index file, then the media file to the end
#pragma once

#include <cstdint>

constexpr int32_t kMediaPairReadCount = 16;
