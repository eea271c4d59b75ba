#include "tools/synth/SynthRecording.h"

#include <cstdint>
#include <ctime>

void StampPacketTime(PacketSpec* spec, int64_t startSeconds, int64_t micros)
{
    const auto seconds = static_cast<time_t>(startSeconds + micros / 1000000);
    tm fields{};
    gmtime_r(&seconds, &fields);
    spec->time = static_cast<uint32_t>(seconds);
    spec->year = static_cast<uint16_t>(fields.tm_year + 1900);
    spec->month = static_cast<uint8_t>(fields.tm_mon + 1);
    spec->day = static_cast<uint8_t>(fields.tm_mday);
    spec->hour = static_cast<uint8_t>(fields.tm_hour);
    spec->minute = static_cast<uint8_t>(fields.tm_min);
    spec->second = static_cast<uint8_t>(fields.tm_sec);
    spec->hundredths = static_cast<uint8_t>(micros / 10000 % 100);
}

int64_t WriteSynthPackets(RecordingWriter& writer, const std::vector<std::unique_ptr<SynthSource>>& sources,
                          int64_t startSeconds)
{
    int64_t written = 0;
    PacketSpec spec;
    for (;;) {
        SynthSource* next = nullptr;
        for (const std::unique_ptr<SynthSource>& source : sources) {
            const int64_t time = source->NextTime();
            if (time >= 0 && (next == nullptr || time < next->NextTime())) {
                next = source.get();
            }
        }
        if (next == nullptr) {
            return written;
        }
        const int64_t micros = next->NextTime();
        spec = PacketSpec{};
        uint8_t indexKind = 0;
        const int32_t built = next->BuildNext(&spec, &indexKind);
        if (built != 0) {
            return built;
        }
        StampPacketTime(&spec, startSeconds, micros);
        // Offsets are 32-bit and media files end below 2 GiB.
        if (writer.MediaOffset() + SynthPacketSize(spec) > INT32_MAX) {
            return kSynthTooLong;
        }
        if (writer.WritePacket(spec, indexKind) < 0) {
            return kSynthWriteFailed;
        }
        ++written;
    }
}
