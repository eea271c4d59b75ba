// Decodes one 4-bit IMA ADPCM code against `state` and returns the new sample. A code above
// 15 or a missing state is reported on standard error and gives 0, leaving the state as it is.
#pragma once

#include <cstdint>

#include "audio/ADPCMState.h"

int32_t DecodeADPCMC(int32_t code, ADPCMState* state);

// The difference that code magnitude m (0..7) stands for at `step`: (2m + 1) x step / 8.
inline int32_t ImaDifference(int32_t m, int32_t step)
{
    return (2 * m + 1) * step / 8;
}
