// The IMA ADPCM decoder state: where the step-size table stands and the last sample.
#pragma once

#include <cstdint>

struct ADPCMState {
    int32_t stepIndex = 0;   // 0..88, index into the step-size table
    int32_t predicted = 0;   // last reconstructed sample, -32768..32767
};
