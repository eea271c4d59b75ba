#include "recording/RecordingWriter.h"

#include <arpa/inet.h>

#include <cstddef>
#include <cstring>

#include "Tav/TavPacketUtil.h"

namespace {

void PutWord16(std::vector<uint8_t>& bytes, size_t offset, uint16_t value)
{
    const uint16_t big = htons(value);
    memcpy(bytes.data() + offset, &big, sizeof big);
}

void PutWord32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    const uint32_t big = htonl(value);
    memcpy(bytes.data() + offset, &big, sizeof big);
}

std::vector<uint8_t> BuildOptionArea(const PacketSpec& spec)
{
    std::vector<uint8_t> area;
    for (const PacketOptionSpec& option : spec.options) {
        const int32_t length = option.length >= 0 ? option.length : static_cast<int32_t>(option.data.size()) + 2;
        area.push_back(option.kind);
        area.push_back(static_cast<uint8_t>(length));
        area.insert(area.end(), option.data.begin(), option.data.end());
    }
    return area;
}

uint16_t MaskOf(const PacketSpec& spec)
{
    uint16_t mask = spec.extraMaskBits;
    if (spec.maskFromOptions) {
        for (const PacketOptionSpec& option : spec.options) {
            const int32_t kind = option.kind & 0x0F;
            if (kind >= 1) {
                mask = static_cast<uint16_t>(mask | (1u << (kind - 1)));
            }
        }
    }
    return mask;
}

}  // namespace

std::vector<uint8_t> BuildPacket(const PacketSpec& spec)
{
    const std::vector<uint8_t> optionArea = BuildOptionArea(spec);
    std::vector<uint8_t> bytes(kTavHeaderSize, 0);
    bytes[offsetof(PacketHeader, type)] = spec.type;
    bytes[offsetof(PacketHeader, sequence)] = spec.sequence;
    bytes[2] = spec.bytes2to3[0];
    bytes[3] = spec.bytes2to3[1];
    const int32_t headerLength =
        spec.headerLength >= 0 ? spec.headerLength : kTavMinHeaderLength + static_cast<int32_t>(optionArea.size());
    PutWord16(bytes, offsetof(PacketHeader, headerLength), static_cast<uint16_t>(headerLength));
    PutWord32(bytes, offsetof(PacketHeader, time), spec.time);
    PutWord16(bytes, offsetof(PacketHeader, unit), spec.unit);
    PutWord16(bytes, offsetof(PacketHeader, channel), spec.channel);
    PutWord16(bytes, offsetof(PacketHeader, year), spec.year);
    bytes[offsetof(PacketHeader, month)] = spec.month;
    bytes[offsetof(PacketHeader, day)] = spec.day;
    bytes[offsetof(PacketHeader, hour)] = spec.hour;
    bytes[offsetof(PacketHeader, minute)] = spec.minute;
    bytes[offsetof(PacketHeader, second)] = spec.second;
    bytes[offsetof(PacketHeader, hundredths)] = spec.hundredths;
    const int64_t trueTotal = kTavHeaderSize + static_cast<int64_t>(optionArea.size() + spec.payload.size());
    PutWord32(bytes, offsetof(PacketHeader, totalLength),
              static_cast<uint32_t>(spec.totalLength >= 0 ? spec.totalLength : trueTotal));
    PutWord16(bytes, offsetof(PacketHeader, optionMask), MaskOf(spec));

    bytes.insert(bytes.end(), optionArea.begin(), optionArea.end());
    bytes.insert(bytes.end(), spec.payload.begin(), spec.payload.end());
    if (spec.writtenBytes >= 0 && static_cast<size_t>(spec.writtenBytes) < bytes.size()) {
        bytes.resize(static_cast<size_t>(spec.writtenBytes));
    }
    return bytes;
}

PacketSpec MakeJpegPacketSpec(PacketSpec spec, const std::vector<uint8_t>& jpeg)
{
    // Start-of-image (FF D8) is the packet's type and sequence bytes; the APP0 marker follows,
    // and its segment length is the header length.
    spec.type = kTavJpegType;
    spec.sequence = 0xD8;
    spec.bytes2to3[0] = 0xFF;
    spec.bytes2to3[1] = 0xE0;
    spec.payload.assign(jpeg.size() > 2 ? jpeg.begin() + 2 : jpeg.end(), jpeg.end());
    return spec;
}

uint8_t DefaultIndexKind(const PacketSpec& spec)
{
    return (spec.type >> 4) == 9 && spec.type != kTavJpegType ? 0x12 : 0x00;
}

RecordingWriter::~RecordingWriter()
{
    Close();
}

int32_t RecordingWriter::Create(const std::string& mediaPath, const std::string& indexPath)
{
    Close();
    failed = false;
    mediaOffset = 0;
    recordsWritten = 0;
    mediaFile = fopen(mediaPath.c_str(), "wb");
    indexFile = fopen(indexPath.c_str(), "wb");
    if (mediaFile == nullptr || indexFile == nullptr) {
        Close();
        return -1;
    }
    return 0;
}

int32_t RecordingWriter::WriteMediaBytes(const void* bytes, size_t count)
{
    if (mediaFile == nullptr || fwrite(bytes, 1, count, mediaFile) != count) {
        failed = true;
        return -1;
    }
    mediaOffset += static_cast<int64_t>(count);
    return 0;
}

int32_t RecordingWriter::WriteIndexBytes(const void* bytes, size_t count)
{
    if (indexFile == nullptr || fwrite(bytes, 1, count, indexFile) != count) {
        failed = true;
        return -1;
    }
    return 0;
}

int32_t RecordingWriter::WriteIndexRecord(const IndexRecord& record)
{
    if (WriteIndexBytes(&record, sizeof record) != 0) {
        return -1;
    }
    ++recordsWritten;
    return 0;
}

int64_t RecordingWriter::WritePacketOnly(const PacketSpec& spec)
{
    const int64_t offset = mediaOffset;
    const std::vector<uint8_t> bytes = BuildPacket(spec);
    return WriteMediaBytes(bytes.data(), bytes.size()) == 0 ? offset : -1;
}

int64_t RecordingWriter::WritePacket(const PacketSpec& spec, int32_t kind)
{
    const int64_t offset = WritePacketOnly(spec);
    if (offset < 0 || offset > static_cast<int64_t>(UINT32_MAX)) {
        failed = true;
        return -1;
    }
    const uint8_t recordKind = kind >= 0 ? static_cast<uint8_t>(kind) : DefaultIndexKind(spec);
    const IndexRecord record = MakeIndexRecord(spec.unit, spec.channel, recordKind, static_cast<uint32_t>(offset));
    return WriteIndexRecord(record) == 0 ? offset : -1;
}

int32_t RecordingWriter::Close()
{
    if (mediaFile != nullptr && fclose(mediaFile) != 0) {
        failed = true;
    }
    if (indexFile != nullptr && fclose(indexFile) != 0) {
        failed = true;
    }
    mediaFile = nullptr;
    indexFile = nullptr;
    return failed ? -1 : 0;
}
