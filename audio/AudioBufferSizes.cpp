#include "audio/AudioBufferSizes.h"

#include "audio/AudioCodecId.h"

int32_t AudioBufferSizeFor(int32_t codecId, int32_t outputNumber)
{
    switch (codecId) {
    case kAudioCodecG723:
        return 16384;
    case kAudioCodecG711:
        return outputNumber != 0 ? 1400 : 4096;
    case kAudioCodecIma:
        return 8192;
    default:
        return 0;
    }
}
