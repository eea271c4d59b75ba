// One step of the G.726 coder at 24 kbit/s: a 3-bit code (bit 2 the sign) against the
// adaptive state. The encoder step reconstructs exactly what the decoder step will, so an
// encoder state and a decoder state fed the same codes stay equal.
#pragma once

#include <cstdint>

#include "audio/G723State.h"

// Decodes `code` (0..7) and returns the 16-bit sample.
int16_t G726Decode24(int32_t code, G723State& state);
// Quantizes one 16-bit sample and returns its code.
int32_t G726Encode24(int16_t sample, G723State& state);
