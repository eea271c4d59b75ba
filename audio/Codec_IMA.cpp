#include "audio/Codec_IMA.h"

#include <algorithm>
#include <cstring>

#include "audio/DecodeADPCMC.h"
#include "audio/EncodeADPCMC.h"
#include "audio/ImaAdpcmTables.h"

namespace {

constexpr int32_t kPredictedOffset = 60;
constexpr int32_t kStepIndexOffset = 62;

void PutSample(uint8_t* out, int32_t index, int32_t sample)
{
    const auto bits = static_cast<uint16_t>(static_cast<int16_t>(sample));
    out[2 * index] = static_cast<uint8_t>(bits & 0xFF);
    out[2 * index + 1] = static_cast<uint8_t>(bits >> 8);
}

// Multiplies in double precision and truncates toward zero; a gain above 1 saturates.
int32_t Scaled(int32_t sample, double gain)
{
    return static_cast<int32_t>(std::clamp(sample * gain, -32768.0, 32767.0));
}

}  // namespace

int32_t Codec_IMA::Decode(const uint8_t* payload, int32_t length, uint8_t* out)
{
    if (output.DropWhenFull()) {
        return 0;
    }
    if (payload == nullptr || out == nullptr || length <= kImaHeaderBytes) {
        return 0;
    }
    ADPCMState state;
    state.predicted = static_cast<int16_t>(payload[kPredictedOffset] | (payload[kPredictedOffset + 1] << 8));
    state.stepIndex = std::min<int32_t>(payload[kStepIndexOffset], kImaMaxStepIndex);
    const double gain = output.Gain();
    const int32_t end = std::min(length, kImaFrameBytes);
    int32_t written = 0;
    for (int32_t i = kImaHeaderBytes; i < end; ++i) {
        PutSample(out, written++, Scaled(DecodeADPCMC(payload[i] & 0x0F, &state), gain));
        PutSample(out, written++, Scaled(DecodeADPCMC(payload[i] >> 4, &state), gain));
    }
    memset(out + 2 * written, 0, static_cast<size_t>(2 * (kImaFrameSamples - written)));
    return 1;
}

int32_t Codec_IMA::Encode(const int16_t* samples, int32_t count, uint8_t* out)
{
    if (samples == nullptr || out == nullptr || count != kImaFrameSamples) {
        return 0;
    }
    memset(out, 0, kImaHeaderBytes);
    PutSample(out + kPredictedOffset, 0, encoderState.predicted);
    out[kStepIndexOffset] = static_cast<uint8_t>(encoderState.stepIndex);
    for (int32_t i = 0; i < kImaFrameSamples; i += 2) {
        const int32_t low = EncodeADPCMC(samples[i], &encoderState);
        const int32_t high = EncodeADPCMC(samples[i + 1], &encoderState);
        out[kImaHeaderBytes + i / 2] = static_cast<uint8_t>(low | (high << 4));
    }
    return kImaFrameBytes;
}

void Codec_IMA::BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                           const std::atomic<int32_t>& pendingCount)
{
    output = OutputBinding{gainTable, &gainIndex, &pendingCount};
}

bool Codec_IMA::IsBacklogged() const
{
    return output.Backlogged();
}
