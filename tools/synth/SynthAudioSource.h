// The audio of one track of one channel: a steady sine tone, coded in packets of the sizes a
// recorder writes (G.723 3072 bytes = 8192 samples, IMA ADPCM 2112 bytes = 4096 samples,
// G.711 1024 bytes = 1024 samples), each at the time of its first sample.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/Codec.h"
#include "tools/synth/SynthSource.h"

constexpr double kSynthToneAmplitude = 10000.0;

struct SynthAudioStream {
    uint16_t unit = 0;
    uint16_t channel = 1;
    int32_t codec = 0;   // audio codec id: 1, 2 or 9
    int32_t track = 0;   // 0..3
};

class SynthAudioSource : public SynthSource {
public:
    // Packets until `seconds` of samples are covered; the last packet is whole. The index
    // kinds are the audio kinds of SynthAudioKind in turn.
    SynthAudioSource(const SynthAudioStream& stream, int32_t toneHz, int32_t seconds);

    int64_t NextTime() const override;
    int32_t BuildNext(PacketSpec* spec, uint8_t* indexKind) override;

    static int32_t SamplesPerPacket(int32_t codec);

private:
    SynthAudioStream stream;
    int32_t toneHz;
    int64_t totalSamples;
    int64_t nextSample = 0;
    int32_t packetsBuilt = 0;
    std::unique_ptr<Codec> encoder;   // G.723 and IMA; G.711 is compressed sample by sample
    std::vector<int16_t> samples;
};
