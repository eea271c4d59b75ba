// Writes recording pairs: packets with every header field, options and payload, and their
// index records. Besides well-formed recordings it can write every kind of damage a reader has
// to survive (lengths that lie, packets cut short, partial index records), so tests and sample
// tools build their recordings at run time.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "recording/IndexRecord.h"

// One option as it stands in the option area: kind byte, length byte, data. `length` is what
// the length byte says; by default the data size plus the two head bytes.
struct PacketOptionSpec {
    uint8_t kind = 0;
    std::vector<uint8_t> data;
    int32_t length = -1;   // -1: data.size() + 2
};

struct PacketSpec {
    uint8_t type = 0x44;             // MPEG-4 video
    uint8_t sequence = 0;
    uint8_t bytes2to3[2] = {0, 0};   // not interpreted by readers; JPEG packets put a marker here
    uint32_t time = 0;
    uint16_t unit = 0;
    uint16_t channel = 1;
    uint16_t year = 2009;
    uint8_t month = 1;
    uint8_t day = 1;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t hundredths = 0;
    // Mask bits beyond those of `options` (for instance bit 15, or a bit for a missing option).
    uint16_t extraMaskBits = 0;
    bool maskFromOptions = true;     // false: optionMask is exactly extraMaskBits
    std::vector<PacketOptionSpec> options;
    std::vector<uint8_t> payload;
    // Lengths written in the header; -1 computes the true ones.
    int32_t headerLength = -1;
    int64_t totalLength = -1;
    // Bytes of the packet actually written; -1 writes it whole. Cuts a packet short.
    int64_t writtenBytes = -1;
};

// A packet's bytes as a reader would find them in the media file.
std::vector<uint8_t> BuildPacket(const PacketSpec& spec);

// Turns a complete JPEG stream (starting FF D8) into a JPEG-typed packet: the header and the
// option area become an APP0 segment right after the start-of-image marker, so the whole packet
// is still one valid JPEG stream. Fields other than type and lengths come from `spec`.
PacketSpec MakeJpegPacketSpec(PacketSpec spec, const std::vector<uint8_t>& jpeg);

// The index kind a recorder gives a packet: 0x00 for video, 0x12 for audio.
uint8_t DefaultIndexKind(const PacketSpec& spec);

class RecordingWriter {
public:
    RecordingWriter() = default;
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // Creates (truncates) both files. 0, or -1 when either cannot be created.
    int32_t Create(const std::string& mediaPath, const std::string& indexPath);
    // Writes the packet and an index record of `kind` that points at it, with the packet's
    // unit and channel. Returns the packet's offset, or -1.
    int64_t WritePacket(const PacketSpec& spec, int32_t kind = -1);
    // The packet alone, no index record. Returns its offset, or -1.
    int64_t WritePacketOnly(const PacketSpec& spec);
    // Any record, for indexes that disagree with their media file.
    int32_t WriteIndexRecord(const IndexRecord& record);
    // Raw bytes at the end of either file (partial records, garbage).
    int32_t WriteMediaBytes(const void* bytes, size_t count);
    int32_t WriteIndexBytes(const void* bytes, size_t count);
    int64_t MediaOffset() const { return mediaOffset; }
    int64_t RecordsWritten() const { return recordsWritten; }
    // Flushes and closes both files. 0, or -1 when a write failed at any point.
    int32_t Close();

private:
    FILE* mediaFile = nullptr;
    FILE* indexFile = nullptr;
    int64_t mediaOffset = 0;
    int64_t recordsWritten = 0;
    bool failed = false;
};
