#include "video/SnapshotBmp.h"

#include <cstring>

namespace {

void Put16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value)
{
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

}  // namespace

uint64_t BmpRowStride(uint32_t width)
{
    return (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
}

uint64_t BmpFileSize(uint32_t width, uint32_t height)
{
    return kBmpHeaderSize + BmpRowStride(width) * height;
}

int32_t BuildBmpFile(uint8_t* fileArea, uint32_t fileCapacity, const uint8_t* image, uint32_t width, uint32_t height)
{
    if (image == nullptr) {
        return 0;
    }
    const uint64_t fileSize = BmpFileSize(width, height);
    if (fileArea == nullptr || fileSize > fileCapacity || fileSize > INT32_MAX) {
        return -1;
    }
    const uint64_t stride = BmpRowStride(width);
    const uint32_t imageSize = static_cast<uint32_t>(fileSize - kBmpHeaderSize);
    uint8_t* header = fileArea;
    std::memset(header, 0, kBmpHeaderSize);
    header[0] = 'B';
    header[1] = 'M';
    Put32(header + 2, static_cast<uint32_t>(fileSize));
    Put32(header + 10, kBmpHeaderSize);
    Put32(header + 14, 40);
    Put32(header + 18, width);
    Put32(header + 22, height);   // positive: bottom row first, as the image is kept
    Put16(header + 26, 1);
    Put16(header + 28, 24);
    Put32(header + 34, imageSize);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = fileArea + kBmpHeaderSize + y * stride;
        std::memcpy(row, image + y * rowBytes, rowBytes);
        std::memset(row + rowBytes, 0, stride - rowBytes);
    }
    return static_cast<int32_t>(fileSize);
}
