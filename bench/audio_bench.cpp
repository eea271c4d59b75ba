// Decode speed of each audio codec, as a multiple of real time (8000 samples per second), on
// recorder-sized packets of a coded tone. The packets go through the codec classes the way an
// output feeds them, bound to a gain table with nothing pending.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/AudioCodecId.h"
#include "audio/CodecFactory.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/GainTable.h"
#include "audio/MuLaw.h"
#include "bench/BenchTiming.h"
#include "tests/support/AudioTestSignal.h"

namespace {

constexpr int kPackets = 256;
constexpr double kTarget = 1000.0;

struct Case {
    const char* name;
    int32_t codecId;
    int32_t packetSamples;
};

// The coded packets of one codec, back to back.
std::vector<std::vector<uint8_t>> EncodePackets(const Case& c)
{
    const std::vector<int16_t> tone = Tone(static_cast<size_t>(c.packetSamples) * kPackets, 440.0, 10000.0);
    std::unique_ptr<Codec> encoder = CreateCodec(c.codecId);
    std::vector<std::vector<uint8_t>> packets;
    for (int p = 0; p < kPackets; ++p) {
        const int16_t* samples = tone.data() + static_cast<size_t>(p) * static_cast<size_t>(c.packetSamples);
        std::vector<uint8_t> payload;
        if (c.codecId == kAudioCodecG711) {
            std::transform(samples, samples + c.packetSamples, std::back_inserter(payload), MuLawEncode);
        } else {
            payload.resize(c.codecId == kAudioCodecIma ? kImaFrameBytes : kG723PacketBytes);
            encoder->Encode(samples, c.packetSamples, payload.data());
        }
        packets.push_back(payload);
    }
    return packets;
}

}  // namespace

int main()
{
    const Case cases[] = {
        {"G.711 (1024-byte packets)", kAudioCodecG711, 1024},
        {"IMA ADPCM (2112-byte frames)", kAudioCodecIma, kImaFrameSamples},
        {"G.723 24 kbit/s (3072-byte packets)", kAudioCodecG723, kG723BufferSamples},
    };
    double gainTable[kGainTableSize];
    BuildGainTable(gainTable);
    const int32_t gainIndex = kDefaultGainIndex;
    const std::atomic<int32_t> pendingCount{0};
    std::vector<uint8_t> out(16384);
    bool allMet = true;
    printf("audio decode speed, best of %d runs of %d packets each\n", kBenchRepetitions, kPackets);
    for (const Case& c : cases) {
        const std::vector<std::vector<uint8_t>> packets = EncodePackets(c);
        std::unique_ptr<Codec> codec = CreateCodec(c.codecId);
        codec->BindOutput(gainTable, gainIndex, pendingCount);
        int64_t check = 0;   // what the decodes gave, so none of them can be left out
        const double best = BestSeconds("bench_audio", [&] {
            for (const std::vector<uint8_t>& payload : packets) {
                check += codec->Decode(payload.data(), static_cast<int32_t>(payload.size()), out.data());
                check += out[static_cast<size_t>(check) % out.size()];
            }
            return true;
        });
        const double samplesPerSecond = static_cast<double>(c.packetSamples) * kPackets / best;
        const double multiple = samplesPerSecond / kAudioSampleRate;
        allMet = allMet && multiple >= kTarget;
        printf("%-38s %12.0f samples/s  %9.0fx real time  %s  (check %lld)\n", c.name, samplesPerSecond, multiple,
               multiple >= kTarget ? "meets 1000x" : "BELOW 1000x", static_cast<long long>(check));
    }
    return allMet ? 0 : 1;
}
