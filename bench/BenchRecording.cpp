#include "bench/BenchRecording.h"

#include "recording/RecordingWriter.h"

int32_t WriteBenchRecording(const std::string& mediaPath, const std::string& indexPath, int64_t records,
                            int32_t channels, int32_t payloadBytes)
{
    RecordingWriter writer;
    if (channels < 1 || payloadBytes < 1 || writer.Create(mediaPath, indexPath) != 0) {
        return -1;
    }
    PacketSpec spec;
    spec.type = 0x44;
    spec.payload.assign(static_cast<size_t>(payloadBytes), 0x5A);
    for (int64_t i = 0; i < records; ++i) {
        const int32_t channel = static_cast<int32_t>(i % channels);
        const int64_t frame = i / channels;
        const int64_t hundredths = frame * 4;   // 25 frames per second
        spec.unit = static_cast<uint16_t>(channel / 4);
        spec.channel = static_cast<uint16_t>(channel % 4 + 1);
        spec.sequence = static_cast<uint8_t>(frame % 25);
        spec.hundredths = static_cast<uint8_t>(hundredths % 100);
        spec.second = static_cast<uint8_t>(hundredths / 100 % 60);
        spec.minute = static_cast<uint8_t>(hundredths / 6000 % 60);
        spec.hour = static_cast<uint8_t>(hundredths / 360000 % 24);
        if (writer.WritePacket(spec) < 0) {
            return -1;
        }
    }
    return writer.Close();
}
