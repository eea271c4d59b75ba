// Packets of test recordings that carry their time, so playback order and pacing can be checked.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/RecordingFixture.h"

// One packet of a test recording: its marker (first payload byte), channel, time from the start
// of the recording, and the index kind that stands for it.
struct TestPacket {
    PacketSpec spec;
    uint8_t kind = 0x00;
};

// Video with the given sequence number (0: key frame), JPEG, and audio packets, `atMs` after
// 2026-03-04 05:00:00 local time.
TestPacket VideoPacket(uint8_t marker, int32_t atMs, uint8_t sequence = 0, uint16_t channel = 1, uint8_t kind = 0x00);
TestPacket JpegPacket(uint8_t marker, int32_t atMs, uint16_t channel = 1);
TestPacket AudioPacket(uint8_t marker, int32_t atMs, uint16_t channel = 1);

bool WriteTestRecording(const RecordingFiles& files, const std::vector<TestPacket>& packets);
