#include "export/MonoPcm.h"

#include <algorithm>
#include <cstring>

#include "audio/AudioCodecId.h"
#include "audio/CodecFactory.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/GainTable.h"
#include "audio/MuLaw.h"
#include "recording/MediaFileMng.h"

MonoPcm::MonoPcm() : gainIndex(kDefaultGainIndex), input(kMediaReadCapacity), decoded(2 * kG723BufferSamples)
{
    BuildGainTable(gainTable);
}

int32_t MonoPcm::Start(int32_t id)
{
    codec.reset();
    codecId = -1;
    if (id != kAudioCodecG711 && id != kAudioCodecG723 && id != kAudioCodecIma) {
        return -1;
    }
    if (id != kAudioCodecG711) {
        codec = CreateCodec(id);
        if (codec == nullptr) {
            return -1;
        }
        codec->BindOutput(gainTable, gainIndex, pendingCount);
    }
    codecId = id;
    return 0;
}

void MonoPcm::Decode(const uint8_t* payload, int32_t length, std::vector<int16_t>* pcm)
{
    pcm->clear();
    if (codecId < 0 || length <= 0 || static_cast<uint32_t>(length) > kMediaReadCapacity) {
        return;
    }
    if (codecId == kAudioCodecG711) {
        pcm->resize(static_cast<size_t>(length));
        std::transform(payload, payload + length, pcm->begin(), MuLawExpand);
        return;
    }
    // The IMA decoder reads a whole frame whatever the length: a short payload is padded with
    // silence codes rather than read past.
    memcpy(input.data(), payload, static_cast<size_t>(length));
    if (codecId == kAudioCodecIma && length < kImaFrameBytes) {
        std::fill(input.begin() + length, input.begin() + kImaFrameBytes, 0);
    }
    const int32_t result = codec->Decode(input.data(), length, decoded.data());
    if (result <= 0) {
        return;
    }
    if (codecId == kAudioCodecIma) {
        // One frame of little-endian samples; the result is 1.
        pcm->resize(kImaFrameSamples);
        for (size_t i = 0; i < pcm->size(); ++i) {
            (*pcm)[i] = static_cast<int16_t>(decoded[2 * i] | (decoded[2 * i + 1] << 8));
        }
        return;
    }
    // G.723: the result is the count of samples, in host order.
    const auto count = std::min(static_cast<size_t>(result), decoded.size() / sizeof(int16_t));
    pcm->resize(count);
    memcpy(pcm->data(), decoded.data(), count * sizeof(int16_t));
}
