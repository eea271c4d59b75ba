#include "audio/CodecFactory.h"

#include "audio/AudioCodecId.h"
#include "audio/Codec_G711.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"

std::unique_ptr<Codec> CreateCodec(int32_t codecId)
{
    switch (codecId) {
    case kAudioCodecG723:
        return std::make_unique<Codec_G723>();
    case kAudioCodecG711:
        return std::make_unique<Codec_G711>();
    case kAudioCodecIma:
        return std::make_unique<Codec_IMA>();
    default:
        return nullptr;
    }
}
