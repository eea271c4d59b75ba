#include "audio/AudioDeviceFormat.h"

#include "audio/AudioCodecId.h"

bool AudioDeviceFormatFor(int32_t codecId, AudioDeviceFormat* format)
{
    if (format == nullptr) {
        return false;
    }
    AudioDeviceFormat f;
    switch (codecId) {
    case kAudioCodecG723:
        f.formatTag = kFormatTagPcm;
        f.channels = 2;
        f.bitsPerSample = 16;
        break;
    case kAudioCodecG711:
        f.formatTag = kFormatTagMuLaw;
        f.channels = 1;
        f.bitsPerSample = 8;
        break;
    case kAudioCodecIma:
        f.formatTag = kFormatTagPcm;
        f.channels = 1;
        f.bitsPerSample = 16;
        break;
    default:
        return false;
    }
    f.samplesPerSecond = kAudioSampleRate;
    f.blockAlign = f.bitsPerSample / 8 * f.channels;
    f.averageBytesPerSecond = f.blockAlign * kAudioSampleRate;
    *format = f;
    return true;
}
