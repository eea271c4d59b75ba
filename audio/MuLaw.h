// G.711 mu-law: 16-bit linear samples to 8-bit codes and back.
#pragma once

#include <cstdint>

uint8_t MuLawEncode(int16_t sample);
int16_t MuLawExpand(uint8_t code);
