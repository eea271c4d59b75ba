#include "tools/synth/SynthAudioSource.h"

#include <cmath>

#include "audio/AudioCodecId.h"
#include "audio/CG723Coder.h"
#include "audio/CodecFactory.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/MuLaw.h"
#include "tools/synth/SynthIndexKinds.h"

namespace {

constexpr int32_t kG711PacketSamples = 1024;

}  // namespace

SynthAudioSource::SynthAudioSource(const SynthAudioStream& stream, int32_t toneHz, int32_t seconds)
    : stream(stream),
      toneHz(toneHz),
      totalSamples(int64_t{seconds} * kAudioSampleRate),
      samples(static_cast<size_t>(SamplesPerPacket(stream.codec)))
{
    if (stream.codec != kAudioCodecG711) {
        encoder = CreateCodec(stream.codec);
    }
}

int32_t SynthAudioSource::SamplesPerPacket(int32_t codec)
{
    switch (codec) {
    case kAudioCodecG723:
        return kG723BufferSamples;
    case kAudioCodecIma:
        return kImaFrameSamples;
    default:
        return kG711PacketSamples;
    }
}

int64_t SynthAudioSource::NextTime() const
{
    return nextSample < totalSamples ? nextSample * 1000000 / kAudioSampleRate : -1;
}

int32_t SynthAudioSource::BuildNext(PacketSpec* spec, uint8_t* indexKind)
{
    // The phase comes from the sample's number, so the tone runs on across packets.
    for (size_t i = 0; i < samples.size(); ++i) {
        const double n = static_cast<double>(nextSample + static_cast<int64_t>(i));
        samples[i] = static_cast<int16_t>(std::lround(kSynthToneAmplitude * std::sin(2.0 * M_PI * toneHz * n / kAudioSampleRate)));
    }
    const auto count = static_cast<int32_t>(samples.size());
    if (stream.codec == kAudioCodecG711) {
        spec->payload.resize(samples.size());
        for (size_t i = 0; i < samples.size(); ++i) {
            spec->payload[i] = MuLawEncode(samples[i]);
        }
    } else {
        const size_t bytes = stream.codec == kAudioCodecIma ? kImaFrameBytes : CG723Coder::EncodedBytes(count);
        spec->payload.resize(bytes);
        if (encoder == nullptr || encoder->Encode(samples.data(), count, spec->payload.data()) != static_cast<int32_t>(bytes)) {
            return -1;
        }
    }
    spec->type = static_cast<uint8_t>(0x90 | stream.codec);
    spec->sequence = static_cast<uint8_t>((stream.track << 6) | (packetsBuilt & 63));
    spec->unit = stream.unit;
    spec->channel = stream.channel;
    *indexKind = SynthAudioKind(packetsBuilt);
    nextSample += count;
    ++packetsBuilt;
    return 0;
}
