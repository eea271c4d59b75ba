#include "tools/BmpWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/LittleEndian.h"
#include "export/PendingFile.h"
#include "video/DecodedFrame.h"

namespace {

constexpr int32_t kPixelsPerMetre = 2835;   // 72 dots per inch

// 0, or the errno value of the step that failed.
int WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return errno;
    }
    const int error = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() ? 0 : errno;
    if (fclose(file) != 0 && error == 0) {
        return errno;
    }
    return error;
}

}  // namespace

std::vector<uint8_t> BuildBmp(const DecodedFrame& frame)
{
    if (frame.pixels == nullptr || frame.width == 0 || frame.height == 0 || !FrameSizeFits(frame.width, frame.height)) {
        return {};
    }
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    const size_t stride = (rowBytes + 3) & ~static_cast<size_t>(3);
    const size_t imageBytes = stride * frame.height;
    std::vector<uint8_t> bmp(kBmpHeaderSize + imageBytes, 0);
    uint8_t* header = bmp.data();
    header[0] = 'B';
    header[1] = 'M';
    PutLittle32(header + 2, static_cast<uint32_t>(bmp.size()));
    PutLittle32(header + 10, kBmpHeaderSize);
    PutLittle32(header + 14, 40);
    PutLittle32(header + 18, frame.width);
    PutLittle32(header + 22, frame.height);   // positive: bottom row first
    PutLittle16(header + 26, 1);               // planes
    PutLittle16(header + 28, 24);              // bits per pixel; compression 0 (none)
    PutLittle32(header + 34, static_cast<uint32_t>(imageBytes));
    PutLittle32(header + 38, kPixelsPerMetre);
    PutLittle32(header + 42, kPixelsPerMetre);
    // Both orders keep blue, green, red; only the row order differs.
    const bool topDown = VideoCodecIsTopDown(frame.codec);
    for (uint32_t row = 0; row < frame.height; ++row) {
        const uint32_t stored = topDown ? frame.height - 1 - row : row;
        memcpy(bmp.data() + kBmpHeaderSize + row * stride, frame.pixels + stored * rowBytes, rowBytes);
    }
    return bmp;
}

int32_t WriteBmpFile(const std::string& path, const DecodedFrame& frame, int* error)
{
    *error = 0;
    const std::vector<uint8_t> bmp = BuildBmp(frame);
    if (bmp.empty()) {
        return -1;
    }
    PendingFile pending(path);
    if (pending.Create() != 0) {
        *error = errno;
        return -2;
    }
    *error = WriteWhole(pending.TemporaryPath(), bmp);
    if (*error == 0 && pending.Commit() != 0) {
        *error = errno;
    }
    return *error == 0 ? 0 : -2;
}
