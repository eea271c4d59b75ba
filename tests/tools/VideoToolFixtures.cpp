#include "tests/tools/VideoToolFixtures.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "recording/MediaFileMng.h"
#include "tests/support/TestOwner.h"
#include "Tav/TavPacketUtil.h"
#include "video/FrameAdjustments.h"
#include "video/TestPattern.h"

namespace {

uint32_t Little32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint32_t Little16(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8;
}

}  // namespace

std::vector<ReadRecord> ReadAllRecords(const std::string& mediaPath, const std::string& indexPath)
{
    TestOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    std::vector<ReadRecord> records;
    if (manager.Open(mediaPath.c_str(), indexPath.c_str()) != 0) {
        return records;
    }
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    for (int32_t position = 0; position < manager.RecordCount(); ++position) {
        const int32_t length = manager.ReadAt(position, buffer.data());
        ReadRecord record;
        record.kind = manager.record.kind;
        record.channelNumber = IndexRecordChannelNumber(manager.record);
        if (length > 0) {
            record.packet.assign(buffer.begin(), buffer.begin() + length);
        }
        records.push_back(record);
    }
    return records;
}

std::vector<int32_t> VideoRecordsOf(const std::vector<ReadRecord>& records, int32_t channelNumber)
{
    std::vector<int32_t> positions;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!records[i].packet.empty() && TavIsVideo(records[i].packet.data()) &&
            TavGetChannelNumber(records[i].packet.data()) == channelNumber) {
            positions.push_back(static_cast<int32_t>(i));
        }
    }
    return positions;
}

Picture ReadBmp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    Picture picture;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || Little32(bytes, 2) != bytes.size() ||
        Little32(bytes, 10) != 54 || Little32(bytes, 14) != 40 || Little16(bytes, 26) != 1 ||
        Little16(bytes, 28) != 24 || Little32(bytes, 30) != 0) {
        return picture;
    }
    const uint32_t width = Little32(bytes, 18);
    const uint32_t height = Little32(bytes, 22);   // positive: bottom row first
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t stride = (rowBytes + 3) / 4 * 4;
    if (height > 0x7FFFFFFF || bytes.size() != 54 + stride * height) {
        return picture;
    }
    picture.width = width;
    picture.height = height;
    for (uint32_t row = 0; row < height; ++row) {
        const auto source = bytes.begin() + static_cast<std::ptrdiff_t>(54 + (height - 1 - row) * stride);
        picture.bgr.insert(picture.bgr.end(), source, source + static_cast<std::ptrdiff_t>(rowBytes));
    }
    return picture;
}

Picture UprightPicture(const DecodedFrame& frame)
{
    Picture picture{frame.width, frame.height, {}};
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    for (uint32_t row = 0; row < frame.height; ++row) {
        const uint32_t stored = VideoCodecIsTopDown(frame.codec) ? row : frame.height - 1 - row;
        const uint8_t* source = frame.pixels + stored * rowBytes;
        picture.bgr.insert(picture.bgr.end(), source, source + rowBytes);
    }
    return picture;
}

Picture ShownPattern(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t index, uint32_t seed,
                     bool fieldStacked)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> seen(rowBytes * height);
    DrawTestPattern(seen.data(), width, height, index, seed);
    // As coded: the odd rows' field, then the even rows'.
    std::vector<uint8_t> coded(seen.size());
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t source = !fieldStacked ? row : row < height / 2 ? 2 * row + 1 : 2 * (row - height / 2);
        memcpy(coded.data() + row * rowBytes, seen.data() + source * rowBytes, rowBytes);
    }
    DecodedFrame frame;
    if (!AllocateFramePixels(&frame)) {
        return Picture{};
    }
    frame.width = width;
    frame.height = height;
    frame.codec = codec;
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t stored = VideoCodecIsTopDown(codec) ? row : height - 1 - row;
        memcpy(frame.pixels + stored * rowBytes, coded.data() + row * rowBytes, rowBytes);
    }
    AdjustFrameForView(&frame, fieldStacked ? kTavOptionFlagBit15 : 0, false, 0, 0);
    const Picture picture = UprightPicture(frame);
    FreeFramePixels(&frame);
    return picture;
}

double PicturePsnr(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.bgr.size() != b.bgr.size() || a.bgr.empty()) {
        return 0;
    }
    double squared = 0;
    for (size_t i = 0; i < a.bgr.size(); ++i) {
        const double difference = static_cast<double>(a.bgr[i]) - b.bgr[i];
        squared += difference * difference;
    }
    const double mean = squared / static_cast<double>(a.bgr.size());
    return mean == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mean);
}
