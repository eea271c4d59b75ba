#include "tools/audio/DevicePcm.h"

#include <algorithm>
#include <cstring>

#include "audio/AudioCodecId.h"
#include "audio/AudioDeviceFormat.h"
#include "audio/CodecFactory.h"
#include "audio/Codec_IMA.h"
#include "audio/GainTable.h"
#include "audio/MuLaw.h"
#include "recording/MediaFileMng.h"

DevicePcm::DevicePcm() : gainIndex(kDefaultGainIndex), decoded(kMediaReadCapacity)
{
    BuildGainTable(gainTable);
}

int32_t DevicePcm::Start(int32_t id)
{
    AudioDeviceFormat format;
    codec = CreateCodec(id);
    if (codec == nullptr || !AudioDeviceFormatFor(id, &format)) {
        codec.reset();
        return -1;
    }
    codec->BindOutput(gainTable, gainIndex, pendingCount);
    codecId = id;
    channels = format.channels;
    return 0;
}

void DevicePcm::Decode(const uint8_t* payload, int32_t length, std::vector<int16_t>* pcm)
{
    pcm->clear();
    // The decode buffer holds a whole packet of the largest size a recording is read with.
    if (codec == nullptr || length <= 0 || static_cast<uint32_t>(length) > kMediaReadCapacity) {
        return;
    }
    const int32_t result = codec->Decode(payload, length, decoded.data());
    if (result <= 0) {
        return;
    }
    switch (codecId) {
    case kAudioCodecG711:
        pcm->resize(static_cast<size_t>(length));
        std::transform(decoded.begin(), decoded.begin() + length, pcm->begin(), MuLawExpand);
        break;
    case kAudioCodecIma:
        pcm->resize(kImaFrameSamples);
        for (size_t i = 0; i < pcm->size(); ++i) {
            (*pcm)[i] = static_cast<int16_t>(decoded[2 * i] | (decoded[2 * i + 1] << 8));
        }
        break;
    default: {
        // G.723: samples in host order, the result being their count.
        const auto count = static_cast<size_t>(result);
        pcm->assign(count + count % 2, 0);
        memcpy(pcm->data(), decoded.data(), count * sizeof(int16_t));
        break;
    }
    }
}
