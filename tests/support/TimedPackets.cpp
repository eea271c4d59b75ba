#include "tests/support/TimedPackets.h"

namespace {

PacketSpec TimedSpec(uint8_t marker, int32_t atMs, uint16_t channel, uint8_t type)
{
    PacketSpec spec = MarkedPacket(marker, 0, channel, type);
    spec.year = 2026;
    spec.month = 3;
    spec.day = 4;
    spec.hour = static_cast<uint8_t>(5 + atMs / 3600000);
    spec.minute = static_cast<uint8_t>(atMs / 60000 % 60);
    spec.second = static_cast<uint8_t>(atMs / 1000 % 60);
    spec.hundredths = static_cast<uint8_t>(atMs / 10 % 100);
    return spec;
}

}  // namespace

TestPacket VideoPacket(uint8_t marker, int32_t atMs, uint8_t sequence, uint16_t channel, uint8_t kind)
{
    TestPacket packet{TimedSpec(marker, atMs, channel, 0x44), kind};
    packet.spec.sequence = sequence;
    return packet;
}

TestPacket JpegPacket(uint8_t marker, int32_t atMs, uint16_t channel)
{
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, marker, marker, marker, 0xFF, 0xD9};
    return TestPacket{MakeJpegPacketSpec(TimedSpec(marker, atMs, channel, 0xFF), jpeg), 0x00};
}

TestPacket AudioPacket(uint8_t marker, int32_t atMs, uint16_t channel)
{
    return TestPacket{TimedSpec(marker, atMs, channel, 0x92), 0x12};
}

bool WriteTestRecording(const RecordingFiles& files, const std::vector<TestPacket>& packets)
{
    RecordingWriter writer;
    if (writer.Create(files.media, files.index) != 0) {
        return false;
    }
    for (const TestPacket& packet : packets) {
        if (writer.WritePacket(packet.spec, packet.kind) < 0) {
            return false;
        }
    }
    return writer.Close() == 0;
}
