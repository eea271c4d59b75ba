#include "tools/synth/SynthIndexKinds.h"

#include <cstddef>

namespace {

template <size_t Count>
uint8_t InTurn(const uint8_t (&kinds)[Count], int64_t number)
{
    return kinds[static_cast<size_t>(number) % Count];
}

}  // namespace

uint8_t SynthKeyFrameKind(int64_t keyFrameNumber)
{
    static const uint8_t kinds[] = {0x00, 0x10, 0x50};
    return InTurn(kinds, keyFrameNumber);
}

uint8_t SynthOtherFrameKind(int64_t frameNumber)
{
    static const uint8_t kinds[] = {0x20, 0x30, 0x40, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0};
    return InTurn(kinds, frameNumber);
}

uint8_t SynthAudioKind(int64_t packetNumber)
{
    static const uint8_t kinds[] = {0x12, 0x32, 0x92};
    return InTurn(kinds, packetNumber);
}
