#include "audio/DecodeADPCMC.h"

#include <algorithm>
#include <cstdio>

#include "audio/ImaAdpcmTables.h"

int32_t DecodeADPCMC(int32_t code, ADPCMState* state)
{
    if (static_cast<uint32_t>(code) > 15) {
        fputs("[DecodeADPCMC] Error in ADPCM sample, aborting.\n\n", stderr);
        return 0;
    }
    if (state == nullptr) {
        fputs("[DecodeADPCMC] Error in ADPCMState, aborting.\n\n", stderr);
        return 0;
    }
    // An index from outside the table (a damaged frame header) takes the nearest step.
    const int32_t step = kImaStepTable[std::clamp(state->stepIndex, 0, kImaMaxStepIndex)];
    state->stepIndex = std::clamp(state->stepIndex + kImaIndexTable[code], 0, kImaMaxStepIndex);
    const int32_t diff = ImaDifference(code & 7, step);
    const int32_t predicted = code < 8 ? state->predicted + diff : state->predicted - diff;
    state->predicted = std::clamp(predicted, -32768, 32767);
    return state->predicted;
}
