#include "video/StreamDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <cstring>
#include <new>

#include "video/DecodedFrame.h"

namespace {

// Our codec numbers are those of the streams' first decoder library; today's library numbers
// its codecs differently.
AVCodecID LibraryCodecId(VideoCodecId codec)
{
    switch (codec) {
    case kVideoCodecMpeg4: return AV_CODEC_ID_MPEG4;
    case kVideoCodecH264: return AV_CODEC_ID_H264;
    default: return AV_CODEC_ID_NONE;
    }
}

void FreeRecords(StreamDecoder* decoder)
{
    av_packet_free(&decoder->packet);
    av_frame_free(&decoder->decoded);
    av_frame_free(&decoder->lastPicture);
    av_free(decoder->input);
    decoder->input = nullptr;
}

int32_t FailOpening(StreamDecoder* decoder, const char* message)
{
    fputs(message, stderr);
    CloseStreamDecoder(decoder);
    return -2;
}

PlanarPicture PlanarOf(const AVFrame* source)
{
    PlanarPicture picture;
    for (int i = 0; i < 4; ++i) {
        picture.data[i] = source->data[i];
        picture.linesize[i] = source->linesize[i];
    }
    picture.width = source->width;
    picture.height = source->height;
    picture.format = source->format;
    return picture;
}

// One picture the decoder gave out, converted into the frame buffer at its own size.
int32_t ConvertPicture(StreamDecoder* decoder, const AVFrame* source, DecodedFrame* frame)
{
    if (source->data[0] == nullptr) {
        return 0;
    }
    return ConvertPlanarPicture(&decoder->scaler, PlanarOf(source), frame);
}

// Takes every picture the decoder has ready, converted into the frame with `convert`. 0, or -1 on
// failure.
int32_t ReceivePictures(StreamDecoder* decoder, DecodedFrame* frame, bool convert)
{
    for (;;) {
        const int received = avcodec_receive_frame(decoder->decoderContext, decoder->decoded);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
            return 0;
        }
        if (received < 0) {
            return -1;
        }
        const int32_t converted = convert ? ConvertPicture(decoder, decoder->decoded, frame) : 0;
        av_frame_unref(decoder->lastPicture);
        if (converted != 0) {
            av_frame_unref(decoder->decoded);
            return -1;
        }
        av_frame_move_ref(decoder->lastPicture, decoder->decoded);
        ++decoder->picturesDecoded;
        decoder->picturesConverted += convert ? 1 : 0;
    }
}

}  // namespace

StreamDecoder* CreateStreamDecoder()
{
    return new (std::nothrow) StreamDecoder;
}

void DeleteStreamDecoder(StreamDecoder* decoder)
{
    if (decoder != nullptr) {
        CloseStreamDecoder(decoder);
        delete decoder;
    }
}

int32_t OpenStreamDecoder(StreamDecoder* decoder, VideoCodecId codec)
{
    decoder->streamCodecId = codec;
    decoder->opened = false;
    const AVCodec* found = avcodec_find_decoder(LibraryCodecId(codec));
    if (found == nullptr) {
        return FailOpening(decoder, "codec not found\n");
    }
    decoder->decoderContext = avcodec_alloc_context3(found);
    if (decoder->decoderContext == nullptr) {
        return FailOpening(decoder, "avcodec_alloc_context failed\n");
    }
    decoder->packet = av_packet_alloc();
    decoder->decoded = av_frame_alloc();
    decoder->lastPicture = av_frame_alloc();
    decoder->input = static_cast<uint8_t*>(av_mallocz(kStreamInputCapacity + AV_INPUT_BUFFER_PADDING_SIZE));
    if (decoder->packet == nullptr || decoder->decoded == nullptr ||
        decoder->lastPicture == nullptr || decoder->input == nullptr) {
        return FailOpening(decoder, "AVPicture malloc failed\n");
    }
    // No truncated-input mode: every packet carries one whole picture, and in that mode the
    // decoder holds each picture back until the next packet shows where it ends, so every
    // frame would be shown one packet late, under the next packet's time.
    // One thread: every picture comes out of the call that decoded it, in order.
    decoder->decoderContext->thread_count = 1;
    // Pictures larger than a view's frame buffer are refused as soon as a stream declares them,
    // before the library allocates pictures of that size: a damaged stream cannot make a view's
    // decoder hold more than a few frames of the largest size it can show.
    decoder->decoderContext->max_pixels = kFramePixelCapacity / 3;
    if (avcodec_open2(decoder->decoderContext, found, nullptr) < 0) {
        return FailOpening(decoder, "could not open codec\n");
    }
    decoder->opened = true;
    return 0;
}

void CloseStreamDecoder(StreamDecoder* decoder)
{
    // Freeing the context closes it when it was opened.
    avcodec_free_context(&decoder->decoderContext);
    decoder->opened = false;
    FreeRecords(decoder);
    sws_freeContext(decoder->scaler);
    decoder->scaler = nullptr;
    sws_freeContext(decoder->shownScaler);
    decoder->shownScaler = nullptr;
}

int32_t ConvertLastPicture(StreamDecoder* decoder, uint32_t width, uint32_t height, DecodedFrame* to)
{
    const AVFrame* source = decoder->lastPicture;
    if (!decoder->opened || source == nullptr || source->data[0] == nullptr || to->pixels == nullptr ||
        width == 0 || height == 0 || !FrameSizeFits(width, height)) {
        return -1;
    }
    decoder->shownScaler = sws_getCachedContext(decoder->shownScaler, source->width, source->height,
                                                static_cast<AVPixelFormat>(source->format), static_cast<int>(width),
                                                static_cast<int>(height), AV_PIX_FMT_BGR24, SWS_AREA, nullptr, nullptr,
                                                nullptr);
    if (decoder->shownScaler == nullptr) {
        return -1;
    }
    uint8_t* target[4] = {to->pixels, nullptr, nullptr, nullptr};
    const int targetStride[4] = {static_cast<int>(width) * 3, 0, 0, 0};
    if (sws_scale(decoder->shownScaler, source->data, source->linesize, 0, source->height, target, targetStride) !=
        static_cast<int>(height)) {
        return -1;
    }
    to->width = width;
    to->height = height;
    return 0;
}

int32_t DecodeAndConvert(StreamDecoder* decoder, const uint8_t* data, int32_t size, DecodedFrame* frame, bool convert)
{
    if (!decoder->opened || decoder->decoderContext == nullptr || size < 0 || size > kStreamInputCapacity) {
        return -1;
    }
    if (size > 0) {
        memcpy(decoder->input, data, static_cast<size_t>(size));
        memset(decoder->input + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
        decoder->packet->data = decoder->input;
        decoder->packet->size = size;
        int sent = avcodec_send_packet(decoder->decoderContext, decoder->packet);
        if (sent == AVERROR(EAGAIN)) {
            // Pictures still waiting must be taken before the decoder accepts more input.
            if (ReceivePictures(decoder, frame, convert) != 0) {
                return -1;
            }
            sent = avcodec_send_packet(decoder->decoderContext, decoder->packet);
        }
        // A decoder that still takes nothing has consumed nothing: the payload ends here.
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            return -1;
        }
        if (ReceivePictures(decoder, frame, convert) != 0) {
            return -1;
        }
    }
    const int width = decoder->decoderContext->width;
    const int height = decoder->decoderContext->height;
    if (width < 0 || height < 0 || !FrameSizeFits(static_cast<uint32_t>(width), static_cast<uint32_t>(height))) {
        return -1;
    }
    if (convert) {
        frame->width = static_cast<uint32_t>(width);
        frame->height = static_cast<uint32_t>(height);
    }
    return 0;
}

PlanarPicture LastPicture(const StreamDecoder* decoder)
{
    return decoder->lastPicture != nullptr && decoder->lastPicture->data[0] != nullptr ? PlanarOf(decoder->lastPicture)
                                                                                      : PlanarPicture{};
}
