#include "tests/tools/ExportedFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

Picture ToPicture(const AVFrame* frame)
{
    Picture picture{static_cast<uint32_t>(frame->width), static_cast<uint32_t>(frame->height), {}};
    picture.bgr.resize(static_cast<size_t>(frame->width) * frame->height * 3);
    SwsContext* scaler = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                        frame->width, frame->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                                        nullptr);
    uint8_t* planes[4] = {picture.bgr.data(), nullptr, nullptr, nullptr};
    int strides[4] = {frame->width * 3, 0, 0, 0};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(scaler);
    return picture;
}

AVCodecContext* OpenDecoder(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* context = codec != nullptr ? avcodec_alloc_context3(codec) : nullptr;
    if (context != nullptr &&
        (avcodec_parameters_to_context(context, stream->codecpar) < 0 || avcodec_open2(context, codec, nullptr) < 0)) {
        avcodec_free_context(&context);
    }
    return context;
}

// Sends a packet (null: the end) and takes every frame it gives.
template <typename Take>
void Decode(AVCodecContext* context, const AVPacket* packet, AVFrame* frame, Take take)
{
    if (context == nullptr || avcodec_send_packet(context, packet) < 0) {
        return;
    }
    while (avcodec_receive_frame(context, frame) == 0) {
        take(frame);
    }
}

}  // namespace

ExportedFile ReadExportedFile(const std::string& path, bool decodeVideo)
{
    ExportedFile file;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) != 0) {
        return file;
    }
    avformat_find_stream_info(format, nullptr);
    file.opened = true;
    file.format = format->iformat->name;
    const AVDictionaryEntry* created = av_dict_get(format->metadata, "creation_time", nullptr, 0);
    file.creationTime = created != nullptr ? created->value : "";
    const int videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    if (videoIndex >= 0) {
        file.videoCodec = avcodec_get_name(format->streams[videoIndex]->codecpar->codec_id);
        video = decodeVideo ? OpenDecoder(format->streams[videoIndex]) : nullptr;
    }
    if (audioIndex >= 0) {
        const AVCodecParameters* parameters = format->streams[audioIndex]->codecpar;
        file.audioCodec = avcodec_get_name(parameters->codec_id);
        file.sampleRate = parameters->sample_rate;
        file.audioChannels = parameters->ch_layout.nb_channels;
        audio = OpenDecoder(format->streams[audioIndex]);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto takePicture = [&file](AVFrame* picture) { file.pictures.push_back(ToPicture(picture)); };
    auto countSamples = [&file](AVFrame* samples) { file.audioSamples += samples->nb_samples; };
    while (av_read_frame(format, packet) == 0) {
        if (packet->stream_index == videoIndex) {
            const AVRational base = format->streams[videoIndex]->time_base;
            file.videoMs.push_back(av_rescale_q(packet->pts, base, AVRational{1, 1000}));
            file.videoKey.push_back((packet->flags & AV_PKT_FLAG_KEY) != 0);
            file.videoPackets.emplace_back(packet->data, packet->data + packet->size);
            Decode(video, packet, frame, takePicture);
        } else if (packet->stream_index == audioIndex) {
            Decode(audio, packet, frame, countSamples);
        }
        av_packet_unref(packet);
    }
    Decode(video, nullptr, frame, takePicture);
    Decode(audio, nullptr, frame, countSamples);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    avformat_close_input(&format);
    return file;
}
