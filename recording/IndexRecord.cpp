#include "recording/IndexRecord.h"

#include <cstring>

namespace {

const uint8_t* Bytes(const IndexRecord& record)
{
    return reinterpret_cast<const uint8_t*>(&record);
}

}  // namespace

int32_t IndexRecordUnit(const IndexRecord& record)
{
    const uint8_t* bytes = Bytes(record);
    return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

int32_t IndexRecordChannel(const IndexRecord& record)
{
    return static_cast<int8_t>(Bytes(record)[2]);
}

uint32_t IndexRecordOffset(const IndexRecord& record)
{
    const uint8_t* bytes = Bytes(record) + 16;
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int32_t IndexRecordChannelNumber(const IndexRecord& record)
{
    return IndexRecordUnit(record) * 4 + IndexRecordChannel(record) - 1;
}

bool IndexKindIsVideo(uint8_t kind)
{
    return (kind & 0x0F) == 0;
}

bool IndexKindIsAudio(uint8_t kind)
{
    return (kind & 0x0F) == 2;
}

bool IndexKindStopsForward(uint8_t kind)
{
    return IndexKindIsVideo(kind) || kind == 0x12 || kind == 0x32 || kind == 0x92;
}

bool IndexKindStopsBackward(uint8_t kind)
{
    return kind == 0x00 || kind == 0x10 || kind == 0x50;
}

IndexRecord MakeIndexRecord(int32_t unit, int32_t channel, uint8_t kind, uint32_t offset)
{
    IndexRecord record{};
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&record);
    const auto unitBits = static_cast<uint16_t>(unit);
    bytes[0] = static_cast<uint8_t>(unitBits & 0xFF);
    bytes[1] = static_cast<uint8_t>(unitBits >> 8);
    bytes[2] = static_cast<uint8_t>(channel);
    bytes[3] = kind;
    for (int i = 0; i < 4; ++i) {
        bytes[16 + i] = static_cast<uint8_t>(offset >> (8 * i));
    }
    return record;
}
