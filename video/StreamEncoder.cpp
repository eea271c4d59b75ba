#include "video/StreamEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

StreamEncoder::~StreamEncoder()
{
    Close();
}

int32_t StreamEncoder::Open(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t framesPerSecond,
                            uint32_t keyInterval)
{
    Close();
    // The encoders' statistics and notices would drown a tool's own output.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec* encoder = codec == kVideoCodecH264 ? avcodec_find_encoder_by_name("libx264")
                                                       : avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (encoder == nullptr || width == 0 || height == 0 || framesPerSecond == 0) {
        return -1;
    }
    context = avcodec_alloc_context3(encoder);
    picture = av_frame_alloc();
    output = av_packet_alloc();
    if (context == nullptr || picture == nullptr || output == nullptr) {
        Close();
        return -1;
    }
    context->width = static_cast<int>(width);
    context->height = static_cast<int>(height);
    context->pix_fmt = AV_PIX_FMT_YUV420P;
    context->time_base = AVRational{1, static_cast<int>(framesPerSecond)};
    context->framerate = AVRational{static_cast<int>(framesPerSecond), 1};
    context->gop_size = static_cast<int>(keyInterval > 0 ? keyInterval : 1);
    context->max_b_frames = 0;
    context->bit_rate = static_cast<int64_t>(width) * height * framesPerSecond / 4;
    context->thread_count = 1;
    if (codec == kVideoCodecH264) {
        // Every picture comes out of its own call, and key frames carry their parameter sets.
        av_opt_set(context->priv_data, "preset", "veryfast", 0);
        av_opt_set(context->priv_data, "tune", "zerolatency", 0);
        av_opt_set(context->priv_data, "x264-params", "keyint_min=1:scenecut=0", 0);
    }
    picture->format = context->pix_fmt;
    picture->width = context->width;
    picture->height = context->height;
    if (avcodec_open2(context, encoder, nullptr) < 0 || av_frame_get_buffer(picture, 0) < 0) {
        Close();
        return -1;
    }
    converter = sws_getContext(context->width, context->height, AV_PIX_FMT_BGR24, context->width, context->height,
                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (converter == nullptr) {
        Close();
        return -1;
    }
    nextPts = 0;
    return 0;
}

int32_t StreamEncoder::Encode(const uint8_t* bgr, std::vector<uint8_t>* packet, bool* keyFrame)
{
    if (context == nullptr || av_frame_make_writable(picture) < 0) {
        return -1;
    }
    const uint8_t* source[1] = {bgr};
    const int sourceStride[1] = {context->width * 3};
    sws_scale(converter, source, sourceStride, 0, context->height, picture->data, picture->linesize);
    picture->pts = nextPts++;
    if (avcodec_send_frame(context, picture) < 0) {
        return -1;
    }
    const int received = avcodec_receive_packet(context, output);
    if (received < 0) {
        return -1;
    }
    packet->assign(output->data, output->data + output->size);
    *keyFrame = (output->flags & AV_PKT_FLAG_KEY) != 0;
    av_packet_unref(output);
    return 0;
}

void StreamEncoder::Close()
{
    avcodec_free_context(&context);
    av_frame_free(&picture);
    av_packet_free(&output);
    sws_freeContext(converter);
    converter = nullptr;
}
