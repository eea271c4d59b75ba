// Encodes one sample as a 4-bit IMA ADPCM code and moves `state` exactly as DecodeADPCMC
// will, so an encoder and its decoder stay in step.
#pragma once

#include <cstdint>

#include "audio/ADPCMState.h"

int32_t EncodeADPCMC(int32_t sample, ADPCMState* state);
