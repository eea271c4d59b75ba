// One 20-byte record of the index file, little-endian, one per packet of the media file.
#pragma once

#include <cstdint>

struct IndexRecord {
    int16_t unit;
    int8_t channel;          // counted from 1
    uint8_t kind;            // low nibble 0: video record; low nibble 2: audio record
    uint8_t reserved4[12];
    uint32_t offset;         // first byte of the packet in the media file
};
static_assert(sizeof(IndexRecord) == 20, "an index record is 20 bytes");

constexpr int32_t kIndexRecordSize = 20;

// The record fields are stored little-endian; these read them whatever the host order.
int32_t IndexRecordUnit(const IndexRecord& record);
int32_t IndexRecordChannel(const IndexRecord& record);
uint32_t IndexRecordOffset(const IndexRecord& record);
// unit * 4 + channel - 1, the key of the channel handler registry.
int32_t IndexRecordChannelNumber(const IndexRecord& record);

bool IndexKindIsVideo(uint8_t kind);          // low nibble 0
bool IndexKindIsAudio(uint8_t kind);          // low nibble 2
bool IndexKindStopsForward(uint8_t kind);     // ReadNext and ReadAt
bool IndexKindStopsBackward(uint8_t kind);    // ReadPrevious

IndexRecord MakeIndexRecord(int32_t unit, int32_t channel, uint8_t kind, uint32_t offset);
