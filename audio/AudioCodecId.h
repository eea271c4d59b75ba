// Audio codec ids: the codec nibble of an audio packet's type byte.
#pragma once

#include <cstdint>

constexpr int32_t kAudioCodecG723 = 1;   // G.723 at 24 kbit/s (the 3-bit mode of G.726)
constexpr int32_t kAudioCodecG711 = 2;   // G.711 mu-law
constexpr int32_t kAudioCodecIma = 9;    // IMA ADPCM, one 2112-byte frame per packet

// Every audio format runs at this rate.
constexpr int32_t kAudioSampleRate = 8000;
