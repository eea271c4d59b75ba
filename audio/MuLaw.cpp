#include "audio/MuLaw.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int32_t kBias = 0x84;
constexpr int32_t kClip = 32635;   // the largest magnitude whose biased value keeps 15 bits

}  // namespace

uint8_t MuLawEncode(int16_t sample)
{
    const int32_t sign = sample < 0 ? 0x80 : 0;
    const int32_t magnitude = std::min<int32_t>(sample < 0 ? -sample : sample, kClip) + kBias;
    // The segment is the position of the leading one above bit 7.
    const int32_t exponent = std::bit_width(static_cast<uint32_t>(magnitude)) - 8;
    const int32_t mantissa = (magnitude >> (exponent + 3)) & 0x0F;
    return static_cast<uint8_t>(~(sign | (exponent << 4) | mantissa));
}

int16_t MuLawExpand(uint8_t code)
{
    const int32_t bits = static_cast<uint8_t>(~code);
    const int32_t exponent = (bits >> 4) & 0x07;
    const int32_t magnitude = ((((bits & 0x0F) << 3) + kBias) << exponent) - kBias;
    return static_cast<int16_t>((bits & 0x80) != 0 ? -magnitude : magnitude);
}
