#include "tests/video/ReferenceDecode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace {

void Convert(AVFrame* picture, SwsContext** scaler, ReferencePicture* out)
{
    out->width = picture->width;
    out->height = picture->height;
    out->bgr.assign(static_cast<size_t>(picture->width) * picture->height * 3, 0);
    uint8_t* planes[4] = {};
    int strides[4] = {};
    av_image_fill_arrays(planes, strides, out->bgr.data(), AV_PIX_FMT_BGR24, picture->width, picture->height, 1);
    *scaler = sws_getCachedContext(*scaler, picture->width, picture->height, static_cast<AVPixelFormat>(picture->format),
                                   picture->width, picture->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                   nullptr);
    sws_scale(*scaler, picture->data, picture->linesize, 0, picture->height, planes, strides);
}

}  // namespace

std::vector<ReferencePicture> ReferenceDecode(VideoCodecId codec, const std::vector<std::vector<uint8_t>>& payloads)
{
    const AVCodec* decoder = avcodec_find_decoder(codec == kVideoCodecH264 ? AV_CODEC_ID_H264 : AV_CODEC_ID_MPEG4);
    AVCodecContext* context = avcodec_alloc_context3(decoder);
    context->thread_count = 1;
    avcodec_open2(context, decoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    SwsContext* scaler = nullptr;
    std::vector<ReferencePicture> pictures;
    ReferencePicture current;
    for (size_t i = 0; i < payloads.size(); ++i) {
        for (int submission = 0; submission < (i == 0 ? 2 : 1); ++submission) {
            std::vector<uint8_t> padded(payloads[i]);
            padded.resize(payloads[i].size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
            packet->data = padded.data();
            packet->size = static_cast<int>(payloads[i].size());
            avcodec_send_packet(context, packet);
            while (avcodec_receive_frame(context, picture) == 0) {
                Convert(picture, &scaler, &current);
                av_frame_unref(picture);
            }
        }
        pictures.push_back(current);
    }
    sws_freeContext(scaler);
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return pictures;
}
