// G.711 mu-law: the device plays the payload bytes as they are.
#pragma once

#include "audio/Codec.h"
#include "audio/OutputBinding.h"

class Codec_G711 : public Codec {
public:
    // Copies `length` bytes; `out` must hold them. 1, or 0 for a missing or empty payload.
    int32_t Decode(const uint8_t* payload, int32_t length, uint8_t* out) override;
    // Copies `count` bytes of `samples`, as the decoder does; see MuLaw.h for compression.
    int32_t Encode(const int16_t* samples, int32_t count, uint8_t* out) override;
    void BindOutput(const double (&gainTable)[kGainTableSize], const int32_t& gainIndex,
                    const std::atomic<int32_t>& pendingCount) override;
    bool IsBacklogged() const override;

private:
    OutputBinding output;   // the pending count only
};
