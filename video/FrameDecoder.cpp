#include "video/FrameDecoder.h"

#include <new>

#include "Tav/TavPacketUtil.h"
#include "video/DecodedFrame.h"
#include "video/JpegDecoder.h"
#include "video/StreamDecoder.h"

namespace {

bool IsStreamCodec(VideoCodecId codec)
{
    return codec == kVideoCodecMpeg4 || codec == kVideoCodecH264;
}

// Frees the decoder of the given kind.
void ReleaseDecoder(FrameDecoder* decoder, VideoCodecId codec)
{
    if (codec == kVideoCodecJpeg) {
        FreeJpegDecoder(decoder->jpegProperties);
        decoder->jpegProperties = nullptr;
    } else if (IsStreamCodec(codec)) {
        DeleteStreamDecoder(decoder->streamDecoder);
        decoder->streamDecoder = nullptr;
    }
}

int32_t DecodeJpegPacket(const uint8_t* packet, uint32_t totalLength, FrameDecoder* decoder, DecodedFrame* frame)
{
    if (decoder->jpegProperties == nullptr) {
        if (IsStreamCodec(decoder->activeCodec)) {
            ReleaseDecoder(decoder, decoder->activeCodec);
            // Nothing is alive any more; a failed creation below must not leave the released
            // stream decoder named as the active one.
            decoder->activeCodec = kVideoCodecNone;
        }
        decoder->jpegProperties = CreateJpegDecoder();
        if (decoder->jpegProperties == nullptr) {
            return kDecodeJpegCreateFailed;
        }
    }
    decoder->activeCodec = kVideoCodecJpeg;
    frame->width = 0;
    frame->height = 0;
    // The whole packet is one JPEG stream: its header sits in an application segment.
    if (ReadJpegImage(decoder->jpegProperties, packet, totalLength, frame) != 0) {
        ResetJpegDecoder(decoder->jpegProperties);
        return kDecodeRejected;
    }
    return kDecodeOk;
}

// Makes the stream decoder if there is none, and (re)opens it for `codec`.
void SwitchStreamCodec(FrameDecoder* decoder, VideoCodecId codec)
{
    if (decoder->streamDecoder == nullptr) {
        decoder->streamDecoder = CreateStreamDecoder();
        if (decoder->streamDecoder == nullptr) {
            return;
        }
    }
    CloseStreamDecoder(decoder->streamDecoder);
    OpenStreamDecoder(decoder->streamDecoder, codec);
    decoder->fresh = true;
}

int32_t DecodeStreamPacket(const uint8_t* packet, FrameDecoder* decoder, DecodedFrame* frame, VideoCodecId codec,
                           bool convert)
{
    if (decoder->activeCodec == kVideoCodecJpeg) {
        ReleaseDecoder(decoder, kVideoCodecJpeg);
        SwitchStreamCodec(decoder, codec);
    } else if (decoder->activeCodec != codec) {
        SwitchStreamCodec(decoder, codec);
    }
    decoder->activeCodec = codec;
    StreamDecoder* stream = decoder->streamDecoder;
    if (stream == nullptr) {
        return kDecodeRejected;
    }
    const uint8_t* payload = TavGetPayload(packet);
    const int32_t length = TavGetPayloadLength(packet);
    int32_t outcome = DecodeAndConvert(stream, payload, length, frame, convert);
    if (decoder->fresh) {
        // The first packet after an opening goes in twice: the decoder gives its picture out
        // only once it has seen where the next one starts.
        outcome = DecodeAndConvert(stream, payload, length, frame, convert);
        decoder->fresh = false;
    }
    return outcome == 0 ? kDecodeOk : kDecodeRejected;
}

}  // namespace

FrameDecoder* CreateFrameDecoder()
{
    return new (std::nothrow) FrameDecoder;
}

void DestroyFrameDecoder(FrameDecoder* decoder)
{
    if (decoder == nullptr) {
        return;
    }
    ReleaseDecoder(decoder, kVideoCodecJpeg);
    DeleteStreamDecoder(decoder->streamDecoder);
    delete decoder;
}

int32_t DecodeVideoPacket(const uint8_t* packet, uint32_t totalLength, FrameDecoder* decoder, DecodedFrame* frame,
                          bool convert)
{
    if (packet == nullptr || decoder == nullptr || frame == nullptr) {
        return kDecodeNotVideo;
    }
    VideoCodecId codec = kVideoCodecNone;
    if (TavIsJpeg(packet)) {
        codec = kVideoCodecJpeg;
    } else if (TavIsMpeg4(packet)) {
        codec = kVideoCodecMpeg4;
    } else if (TavIsH264(packet)) {
        codec = kVideoCodecH264;
    }
    if (convert || !IsStreamCodec(codec)) {
        frame->codec = codec;   // a picture kept in the decoder's planes leaves the frame as it is
    }
    if (codec == kVideoCodecNone) {
        return kDecodeNotVideo;
    }
    if (frame->pixels == nullptr || totalLength < static_cast<uint32_t>(kTavHeaderSize)) {
        return kDecodeRejected;
    }
    if (codec == kVideoCodecJpeg) {
        return DecodeJpegPacket(packet, totalLength, decoder, frame);
    }
    // The payload must lie inside what the caller handed over, whatever the header claims.
    const int32_t payloadLength = TavGetPayloadLength(packet);
    const int64_t payloadEnd = static_cast<int64_t>(TavGetPayload(packet) - packet) + payloadLength;
    if (payloadLength < 0 || payloadEnd > static_cast<int64_t>(totalLength)) {
        return kDecodeRejected;
    }
    return DecodeStreamPacket(packet, decoder, frame, codec, convert);
}

int32_t ConvertDecodedPicture(FrameDecoder* decoder, uint32_t width, uint32_t height, DecodedFrame* to)
{
    if (decoder == nullptr || !IsStreamCodec(decoder->activeCodec) || decoder->streamDecoder == nullptr) {
        return -1;
    }
    const int32_t result = ConvertLastPicture(decoder->streamDecoder, width, height, to);
    if (result == 0) {
        to->codec = decoder->activeCodec;
    }
    return result;
}

uint64_t StreamPicturesConverted(const FrameDecoder* decoder)
{
    return decoder != nullptr && decoder->streamDecoder != nullptr ? decoder->streamDecoder->picturesConverted : 0;
}

uint64_t StreamPicturesDecoded(const FrameDecoder* decoder)
{
    return decoder != nullptr && decoder->streamDecoder != nullptr ? decoder->streamDecoder->picturesDecoded : 0;
}

PlanarPicture DecodedPlanes(const FrameDecoder* decoder)
{
    if (decoder == nullptr || !IsStreamCodec(decoder->activeCodec) || decoder->streamDecoder == nullptr) {
        return PlanarPicture{};
    }
    return LastPicture(decoder->streamDecoder);
}
