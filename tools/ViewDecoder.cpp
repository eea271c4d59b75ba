#include "tools/ViewDecoder.h"

#include <cstring>

#include "Tav/TavPacketUtil.h"
#include "video/FrameAdjustments.h"
#include "video/FrameDecoder.h"

ViewDecoder::~ViewDecoder()
{
    DestroyFrameDecoder(decoder);
    FreeFramePixels(&frame);
}

int32_t ViewDecoder::Create(bool clearPixels)
{
    if (decoder == nullptr) {
        decoder = CreateFrameDecoder();
    }
    if (decoder == nullptr || !AllocateFramePixels(&frame)) {
        return -1;
    }
    if (clearPixels) {
        memset(frame.pixels, 0, kFramePixelCapacity);
    }
    return 0;
}

int32_t ViewDecoder::Take(const uint8_t* packet, uint32_t length)
{
    if (!Ready()) {
        return kDecodeJpegCreateFailed;
    }
    if (!TavIsJpeg(packet)) {
        // After a gap nothing is shown until the next key frame (sequence 0).
        const int32_t sequence = TavGetSequence(packet);
        if (sequence != 0 && (lastSequence == -1 || sequence != lastSequence + 1)) {
            lastSequence = -1;
            return kViewPacketDropped;
        }
        lastSequence = sequence;
    }
    const int32_t result = DecodeVideoPacket(packet, length, decoder, &frame);
    AdjustFrameForView(&frame, TavGetOptionMask(packet), false, 0, 0);
    return result;
}
