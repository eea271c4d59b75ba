#include "audio/EncodeADPCMC.h"

#include <algorithm>
#include <cstdlib>

#include "audio/DecodeADPCMC.h"
#include "audio/ImaAdpcmTables.h"

int32_t EncodeADPCMC(int32_t sample, ADPCMState* state)
{
    if (state == nullptr) {
        return 0;
    }
    const int32_t step = kImaStepTable[std::clamp(state->stepIndex, 0, kImaMaxStepIndex)];
    const int32_t difference = sample - state->predicted;
    // Magnitude m stands for (2m + 1) x step / 8, the middle of [m x step / 4, (m + 1) x step / 4).
    const auto m = static_cast<int32_t>(std::min<int64_t>(7, int64_t{std::abs(difference)} * 4 / step));
    const int32_t code = (difference < 0 ? 8 : 0) | m;
    DecodeADPCMC(code, state);
    return code;
}
