#include "tests/hardening/AudioPathModel.h"

#include <algorithm>

#include "Tav/TavPacketUtil.h"
#include "audio/AudioBufferSizes.h"
#include "audio/AudioCodecId.h"
#include "audio/CodecFactory.h"
#include "audio/GainTable.h"

void AudioPathModel::OpenOutputs(int32_t codecId)
{
    primary.reset();
    secondary.reset();
    for (int32_t number = 0; number < 2; ++number) {
        auto output = std::make_unique<Output>();
        output->codec = CreateCodec(codecId);
        if (!output->codec) {
            return;   // AudioOut::Open fails: the grid has no outputs until the next change
        }
        output->codecId = codecId;
        output->bufferSize = AudioBufferSizeFor(codecId, number);
        output->decodeBuffer.assign(std::max<size_t>(static_cast<size_t>(output->bufferSize), static_cast<size_t>(kAudioDecodeCapacity)), 0);
        BuildGainTable(output->gainTable);
        output->gainIndex = kDefaultGainIndex;
        output->codec->BindOutput(output->gainTable, output->gainIndex, output->pendingCount);
        (number == 0 ? primary : secondary) = std::move(output);
    }
}

void AudioPathModel::Route(const uint8_t* packet, uint32_t length)
{
    ++counts.routed;
    if (packet == nullptr || length < static_cast<uint32_t>(kTavHeaderSize)) {
        ++counts.ignored;
        return;
    }
    const int32_t codec = TavGetCodec(packet);
    if (codec != lastAudioCodec) {
        OpenOutputs(codec);
    }
    lastAudioCodec = codec;
    const int32_t payloadLength = TavGetPayloadLength(packet);
    if (payloadLength <= 0 || payloadLength > kRouteMaxPayload || TavGetTotalLength(packet) > length) {
        ++counts.ignored;
        return;
    }
    Write(TavGetAudioTrack(packet) == 0 ? primary.get() : secondary.get(), TavGetPayload(packet),
          static_cast<uint32_t>(payloadLength));
}

void AudioPathModel::Write(Output* output, const uint8_t* payload, uint32_t length)
{
    if (output == nullptr || length > kAudioMaxPayload ||
        (output->codecId == kAudioCodecG711 && length > static_cast<uint32_t>(output->bufferSize))) {
        ++counts.ignored;
        return;
    }
    const int32_t result = output->codec->Decode(payload, static_cast<int32_t>(length), output->decodeBuffer.data());
    ++(result > 0 ? counts.decoded : counts.silent);
}
