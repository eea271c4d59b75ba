// The format in which the sound device plays what a codec's Decode writes.
#pragma once

#include <cstdint>

constexpr int32_t kFormatTagPcm = 1;
constexpr int32_t kFormatTagMuLaw = 7;

struct AudioDeviceFormat {
    int32_t formatTag = 0;
    int32_t channels = 0;
    int32_t samplesPerSecond = 0;
    int32_t bitsPerSample = 0;
    int32_t blockAlign = 0;               // bytes of one frame of all channels
    int32_t averageBytesPerSecond = 0;
};

// G.723: PCM, 2 channels of 16 bits (the mono samples alternate between left and right);
// G.711: mu-law, 1 channel of 8 bits; IMA ADPCM: PCM, 1 channel of 16 bits; all at 8000
// frames per second. False for a codec id without a codec class.
bool AudioDeviceFormatFor(int32_t codecId, AudioDeviceFormat* format);
