#include "ui/RouteAudioPacket.h"

#include "Tav/TavPacketUtil.h"

void RouteAudioPacket(const uint8_t* packet, uint32_t length, GridAudio& grid, const Event* abandon)
{
    if (packet == nullptr || length < static_cast<uint32_t>(kTavHeaderSize)) {
        return;
    }
    const int32_t codec = TavGetCodec(packet);
    if (codec != grid.lastAudioCodec) {
        SendWindowMessageTimeout(grid.Handle(), WM_AUDIO_OPEN, static_cast<uintptr_t>(codec), 0,
                                 kCodecChangeTimeoutMs, nullptr, abandon);
    }
    grid.lastAudioCodec = codec;
    const int32_t payloadLength = TavGetPayloadLength(packet);
    if (payloadLength <= 0 || payloadLength > kRouteMaxPayload || TavGetTotalLength(packet) > length) {
        return;
    }
    grid.WriteTrack(TavGetAudioTrack(packet), TavGetPayload(packet), static_cast<uint32_t>(payloadLength));
}
