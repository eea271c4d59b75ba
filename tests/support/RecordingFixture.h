// Recording pairs written by the tests themselves, in a temporary directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/RecordingWriter.h"
#include "tests/support/TempDir.h"

struct RecordingFiles {
    TempDir dir;
    std::string media = dir.File("rec.kvr");
    std::string index = dir.File("rec.idx");
};

// A small video packet whose payload bytes all equal `marker`, so a test can tell which packet
// a read returned.
inline PacketSpec MarkedPacket(uint8_t marker, uint16_t unit = 0, uint16_t channel = 1, uint8_t type = 0x44)
{
    PacketSpec spec;
    spec.type = type;
    spec.unit = unit;
    spec.channel = channel;
    spec.payload.assign(8, marker);
    return spec;
}

// The marker of a packet read into `buffer` (first payload byte).
uint8_t MarkerOf(const uint8_t* buffer);

// Writes one marked packet per entry, with the given index kinds, markers 1, 2, 3, ...
// Returns false when writing fails.
bool WriteMarkedRecording(const RecordingFiles& files, const std::vector<uint8_t>& kinds);
