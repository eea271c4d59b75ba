// The adaptive state of the G.726 coder at 24 kbit/s, in the recommendation's fixed-point
// quantities. The initial values are those of a coder that has heard nothing yet.
#pragma once

#include <cstdint>

struct G723State {
    int32_t yl = 34816;                       // slow (locked) quantizer scale factor
    int16_t yu = 544;                         // fast (unlocked) scale factor
    int16_t dms = 0;                          // short-term average of F(I)
    int16_t dml = 0;                          // long-term average of F(I)
    int16_t ap = 0;                           // speed control
    int16_t a[2] = {0, 0};                    // pole predictor coefficients
    int16_t b[6] = {0, 0, 0, 0, 0, 0};        // zero predictor coefficients
    int16_t pk[2] = {0, 0};                   // signs of the last two partial signals, 1 = negative
    int16_t dq[6] = {32, 32, 32, 32, 32, 32};   // last six quantized differences, float form
    int16_t sr[2] = {32, 32};                 // last two reconstructed signals, float form
    int8_t td = 0;                            // tone detector

    bool operator==(const G723State&) const = default;
};
