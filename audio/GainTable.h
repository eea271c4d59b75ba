// The output's gain table: entry i is i additions of 0.1 in double precision, so entry 10 is
// the largest double below 1.0 and takes every IMA sample one step toward zero.
#pragma once

#include <cstdint>

#include "audio/Codec.h"

constexpr int32_t kDefaultGainIndex = 10;

void BuildGainTable(double (&table)[kGainTableSize]);
