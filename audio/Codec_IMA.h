// IMA ADPCM: each payload is one frame of a 64-byte header and 2048 bytes of 4-bit codes, low
// nibble first. The header gives the starting sample (bytes 60-61, little-endian) and step
// index (byte 62); nothing carries over from one frame to the next.
#pragma once

#include "audio/ADPCMState.h"
#include "audio/Codec.h"
#include "audio/OutputBinding.h"

constexpr int32_t kImaHeaderBytes = 64;
constexpr int32_t kImaFrameBytes = 2112;
constexpr int32_t kImaFrameSamples = 2 * (kImaFrameBytes - kImaHeaderBytes);   // 4096

class Codec_IMA : public Codec {
public:
    // Writes 4096 signed 16-bit little-endian samples (8192 bytes) scaled by the output's
    // gain and returns 1; 0 when the queue is full (the packet is dropped) or the payload
    // holds no code. Bytes past 2112 are not read; a shorter payload decodes the codes it
    // has and the rest of the frame is silence.
    int32_t Decode(const uint8_t* payload, int32_t length, uint8_t* out) override;
    // Encodes exactly 4096 samples into one 2112-byte frame and returns 2112; other counts
    // give 0. Frames follow on from each other: each header carries the encoder's state.
    int32_t Encode(const int16_t* samples, int32_t count, uint8_t* out) override;
    void BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                    const std::atomic<int32_t>& pendingCount) override;
    bool IsBacklogged() const override;

private:
    OutputBinding output;
    ADPCMState encoderState;
};
