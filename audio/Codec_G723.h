// G.723 at 24 kbit/s. The decoder state runs on from packet to packet for the codec's life.
#pragma once

#include "audio/CG723Coder.h"
#include "audio/Codec.h"
#include "audio/OutputBinding.h"

// A recorder's G.723 packet: 3072 bytes, 8192 samples, which fill one 16384-byte device buffer.
constexpr int32_t kG723PacketBytes = 3072;
constexpr int32_t kG723BufferSamples = 8192;

class Codec_G723 : public Codec {
public:
    // Writes (length x 8) / 3 signed 16-bit samples in host order, at most 8192 (one device
    // buffer); the codes of a longer payload still run through the decoder, so the stream
    // stays in step, but their samples are not kept. Returns the samples written; 0 when the
    // queue is full (the packet is dropped) or the payload is empty.
    int32_t Decode(const uint8_t* payload, int32_t length, uint8_t* out) override;
    // Encodes `count` samples into CG723Coder::EncodedBytes(count) bytes and returns that.
    int32_t Encode(const int16_t* samples, int32_t count, uint8_t* out) override;
    void BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                    const std::atomic<int32_t>& pendingCount) override;
    bool IsBacklogged() const override;

    CG723Coder coder;

private:
    OutputBinding output;
    // Samples are decoded here and copied out, since `out` need not be aligned for them.
    int16_t decoded[kG723BufferSamples] = {};
};
