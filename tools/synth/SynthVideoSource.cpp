#include "tools/synth/SynthVideoSource.h"

#include <cstring>

#include "Tav/TavPacketUtil.h"
#include "recording/MediaFileMng.h"
#include "tools/synth/SynthEvents.h"
#include "tools/synth/SynthIndexKinds.h"
#include "video/JpegEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint8_t kMpeg4Type = 0x44;
constexpr uint8_t kH264Type = 0x45;
constexpr int32_t kLastSequence = 255;   // the sequence byte holds no more
// Tried in turn until a JPEG picture fits a packet.
constexpr int32_t kJpegQualities[] = {kSynthJpegQuality, 70, 50, 30};

bool FitsPacket(const PacketSpec& spec)
{
    return SynthPacketSize(spec) <= kMediaReadCapacity;
}

}  // namespace

SynthVideoSource::SynthVideoSource(const SynthVideoStream& stream, const SynthVideoFormat& format)
    : stream(stream),
      format(format),
      totalFrames(int64_t{format.seconds} * format.framesPerSecond),
      woven(format.fieldStacked ? static_cast<size_t>(format.width) * format.height * 3 : 0),
      picture(static_cast<size_t>(format.width) * format.height * 3)
{
}

uint32_t SynthVideoSource::PatternSeed(const SynthVideoStream& stream)
{
    return uint32_t{stream.unit} * 4 + stream.channel - 1;
}

int32_t SynthVideoSource::Open()
{
    if (stream.codec == kVideoCodecJpeg) {
        return 0;
    }
    return encoder.Open(stream.codec, format.width, format.height, static_cast<uint32_t>(format.framesPerSecond),
                        static_cast<uint32_t>(format.keyInterval)) == 0
               ? 0
               : kSynthEncodeFailed;
}

void SynthVideoSource::CarryEvents(int64_t startSeconds)
{
    events = true;
    eventsStart = startSeconds;
}

int64_t SynthVideoSource::NextTime() const
{
    return nextFrame < totalFrames ? nextFrame * 1000000 / format.framesPerSecond : -1;
}

void SynthVideoSource::DrawPicture()
{
    uint8_t* seen = format.fieldStacked ? woven.data() : picture.data();
    DrawTestPattern(seen, format.width, format.height, static_cast<uint32_t>(nextFrame), PatternSeed(stream));
    if (!format.fieldStacked) {
        return;
    }
    // The field of the odd rows above that of the even rows, as the player's weave undoes it.
    const size_t rowBytes = static_cast<size_t>(format.width) * 3;
    const uint32_t half = format.height / 2;
    for (uint32_t row = 0; row < half; ++row) {
        memcpy(picture.data() + row * rowBytes, woven.data() + (2 * row + 1) * rowBytes, rowBytes);
        memcpy(picture.data() + (half + row) * rowBytes, woven.data() + 2 * row * rowBytes, rowBytes);
    }
}

int32_t SynthVideoSource::CodeJpeg(PacketSpec* spec)
{
    std::vector<uint8_t> jpeg;
    for (const int32_t quality : kJpegQualities) {
        if (EncodeJpeg(picture.data(), format.width, format.height, quality, false, &jpeg) != 0) {
            return kSynthEncodeFailed;
        }
        *spec = MakeJpegPacketSpec(*spec, jpeg);
        if (FitsPacket(*spec)) {
            return 0;
        }
    }
    return kSynthPacketTooLarge;
}

int32_t SynthVideoSource::CodeStream(PacketSpec* spec)
{
    bool keyFrame = false;
    if (encoder.Encode(picture.data(), &spec->payload, &keyFrame) != 0 || spec->payload.empty() ||
        (!keyFrame && sequence == kLastSequence)) {
        return kSynthEncodeFailed;
    }
    if (!FitsPacket(*spec)) {
        return kSynthPacketTooLarge;
    }
    sequence = keyFrame ? 0 : sequence + 1;
    spec->type = stream.codec == kVideoCodecH264 ? kH264Type : kMpeg4Type;
    spec->sequence = static_cast<uint8_t>(sequence);
    return 0;
}

int32_t SynthVideoSource::BuildNext(PacketSpec* spec, uint8_t* indexKind)
{
    DrawPicture();
    spec->unit = stream.unit;
    spec->channel = stream.channel;
    spec->extraMaskBits = format.fieldStacked ? kTavOptionFlagBit15 : 0;
    if (events) {
        // Before coding, so the size checks count the option.
        spec->options.push_back(SynthEventOption(eventsStart, NextTime()));
    }
    const int32_t coded = stream.codec == kVideoCodecJpeg ? CodeJpeg(spec) : CodeStream(spec);
    if (coded != 0) {
        return coded;
    }
    const bool keyFrame = stream.codec == kVideoCodecJpeg || sequence == 0;
    *indexKind = keyFrame ? SynthKeyFrameKind(keyFrames++) : SynthOtherFrameKind(otherFrames++);
    ++nextFrame;
    return 0;
}
