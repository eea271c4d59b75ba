// The step-size and index-adjustment tables of the IMA ADPCM recommendation.
#pragma once

#include <cstdint>

constexpr int32_t kImaStepCount = 89;
constexpr int32_t kImaMaxStepIndex = kImaStepCount - 1;

extern const int32_t kImaStepTable[kImaStepCount];
extern const int32_t kImaIndexTable[16];
