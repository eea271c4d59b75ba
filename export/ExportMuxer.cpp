#include "export/ExportMuxer.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "Tav/TavPacketUtil.h"

namespace {

constexpr AVRational kMilliseconds = {1, 1000};
constexpr int32_t kH264Type = 0x45;
constexpr int32_t kMpeg4Type = 0x44;

AVCodecID VideoCodecFor(uint8_t type)
{
    switch (type) {
    case kTavJpegType:
        return AV_CODEC_ID_MJPEG;
    case kMpeg4Type:
        return AV_CODEC_ID_MPEG4;
    case kH264Type:
        return AV_CODEC_ID_H264;
    default:
        return AV_CODEC_ID_NONE;
    }
}

std::string ErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

AVPacket* PacketOf(const uint8_t* data, int32_t length)
{
    AVPacket* packet = av_packet_alloc();
    if (packet != nullptr && av_new_packet(packet, length) != 0) {
        av_packet_free(&packet);
    }
    if (packet != nullptr) {
        memcpy(packet->data, data, static_cast<size_t>(length));
    }
    return packet;
}

// The picture size, from decoding the key frame once (only to learn it; nothing decoded is kept).
bool ProbePictureSize(AVCodecID id, const uint8_t* data, int32_t length, int* width, int* height)
{
    const AVCodec* decoder = avcodec_find_decoder(id);
    AVCodecContext* context = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    AVPacket* packet = PacketOf(data, length);
    AVFrame* picture = av_frame_alloc();
    bool found = false;
    if (context != nullptr && packet != nullptr && picture != nullptr && avcodec_open2(context, decoder, nullptr) == 0 &&
        avcodec_send_packet(context, packet) == 0) {
        avcodec_send_packet(context, nullptr);
        if (avcodec_receive_frame(context, picture) == 0) {
            *width = picture->width;
            *height = picture->height;
        } else {
            *width = context->width;
            *height = context->height;
        }
        found = *width > 0 && *height > 0;
    }
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return found;
}

// The stream's global headers (H.264 parameter sets, the MPEG-4 VOL) taken from the key frame.
void ExtractHeaders(AVCodecID id, const uint8_t* data, int32_t length, AVCodecParameters* parameters)
{
    const AVBitStreamFilter* filter = av_bsf_get_by_name("extract_extradata");
    AVBSFContext* context = nullptr;
    if (filter == nullptr || av_bsf_alloc(filter, &context) != 0) {
        return;
    }
    context->par_in->codec_id = id;
    AVPacket* packet = PacketOf(data, length);
    if (packet != nullptr && av_bsf_init(context) == 0 && av_bsf_send_packet(context, packet) == 0 &&
        av_bsf_receive_packet(context, packet) == 0) {
        size_t size = 0;
        const uint8_t* headers = av_packet_get_side_data(packet, AV_PKT_DATA_NEW_EXTRADATA, &size);
        if (headers != nullptr && size > 0 && size < INT32_MAX) {
            parameters->extradata = static_cast<uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
            if (parameters->extradata != nullptr) {
                memcpy(parameters->extradata, headers, size);
                parameters->extradata_size = static_cast<int>(size);
            }
        }
    }
    av_packet_free(&packet);
    av_bsf_free(&context);
}

}  // namespace

ExportMuxer::~ExportMuxer()
{
    Release();
}

void ExportMuxer::Release()
{
    av_packet_free(&held);
    av_frame_free(&frame);
    avcodec_free_context(&encoder);
    if (format != nullptr) {
        avio_closep(&format->pb);
        avformat_free_context(format);
        format = nullptr;
    }
}

std::string ExportMuxer::VideoCodecName(uint8_t videoType)
{
    switch (VideoCodecFor(videoType)) {
    case AV_CODEC_ID_MJPEG:
        return "JPEG";
    case AV_CODEC_ID_MPEG4:
        return "MPEG-4";
    case AV_CODEC_ID_H264:
        return "H.264";
    default:
        return "";
    }
}

std::string ExportMuxer::AudioFormatName() const
{
    switch (audioKind) {
    case ExportAudioKind::MuLaw:
        return "G.711 mu-law as recorded, 8000 Hz mono";
    case ExportAudioKind::Pcm16:
        return "16-bit PCM, 8000 Hz mono";
    case ExportAudioKind::Alac:
        return "ALAC (lossless) of 16-bit PCM, 8000 Hz mono";
    default:
        return "";
    }
}

int32_t ExportMuxer::Open(const MuxerSetup& setup, std::string* message)
{
    Release();
    const AVCodecID codec = VideoCodecFor(setup.videoType);
    int width = 0;
    int height = 0;
    if (codec == AV_CODEC_ID_NONE || !ProbePictureSize(codec, setup.keyFrame, setup.keyFrameLength, &width, &height)) {
        *message = "the first key frame does not tell its picture size";
        return -1;
    }
    if (avformat_alloc_output_context2(&format, nullptr, setup.mp4 ? "mp4" : "matroska", nullptr) < 0) {
        *message = "the container writer cannot be made";
        return -1;
    }
    video = avformat_new_stream(format, nullptr);
    if (video == nullptr) {
        *message = "the container writer cannot be made";
        return -1;
    }
    video->time_base = kMilliseconds;
    AVCodecParameters* parameters = video->codecpar;
    parameters->codec_type = AVMEDIA_TYPE_VIDEO;
    parameters->codec_id = codec;
    parameters->width = width;
    parameters->height = height;
    if (codec != AV_CODEC_ID_MJPEG) {
        ExtractHeaders(codec, setup.keyFrame, setup.keyFrameLength, parameters);
    }

    audioKind = setup.audio;
    if (audioKind != ExportAudioKind::None) {
        audio = avformat_new_stream(format, nullptr);
        if (audio == nullptr) {
            *message = "the container writer cannot be made";
            return -1;
        }
        audio->time_base = kMilliseconds;
        if (audioKind == ExportAudioKind::Alac) {
            const AVCodec* alac = avcodec_find_encoder(AV_CODEC_ID_ALAC);
            encoder = alac != nullptr ? avcodec_alloc_context3(alac) : nullptr;
            frame = av_frame_alloc();
            if (encoder == nullptr || frame == nullptr) {
                *message = "no lossless audio coder for MP4";
                return -1;
            }
            encoder->sample_fmt = AV_SAMPLE_FMT_S16P;
            encoder->sample_rate = kExportAudioRate;
            encoder->time_base = AVRational{1, kExportAudioRate};
            av_channel_layout_default(&encoder->ch_layout, 1);
            if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
                encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            }
            const int opened = avcodec_open2(encoder, alac, nullptr);
            if (opened < 0 || avcodec_parameters_from_context(audio->codecpar, encoder) < 0) {
                *message = "the lossless audio coder cannot be opened: " + ErrorText(opened);
                return -1;
            }
            audio->time_base = encoder->time_base;
        } else {
            AVCodecParameters* sound = audio->codecpar;
            sound->codec_type = AVMEDIA_TYPE_AUDIO;
            sound->codec_id = audioKind == ExportAudioKind::MuLaw ? AV_CODEC_ID_PCM_MULAW : AV_CODEC_ID_PCM_S16LE;
            sound->sample_rate = kExportAudioRate;
            av_channel_layout_default(&sound->ch_layout, 1);
            sound->bits_per_coded_sample = audioKind == ExportAudioKind::MuLaw ? 8 : 16;
            sound->block_align = audioKind == ExportAudioKind::MuLaw ? 1 : 2;
        }
    }

    av_dict_set(&format->metadata, "creation_time", setup.creationTime.c_str(), 0);
    av_dict_set(&format->metadata, "title", setup.title.c_str(), 0);
    av_dict_set(&format->metadata, "comment", setup.comment.c_str(), 0);
    int result = avio_open(&format->pb, setup.path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) {
        *message = setup.path + ": cannot be created: " + ErrorText(result);
        return -1;
    }
    result = avformat_write_header(format, nullptr);
    if (result < 0) {
        *message = "the container's header cannot be written: " + ErrorText(result);
        return -1;
    }
    headerWritten = true;
    return 0;
}

int32_t ExportMuxer::Write(AVPacket* packet, AVStream* stream, int64_t ms)
{
    packet->stream_index = stream->index;
    packet->pts = av_rescale_q(ms, kMilliseconds, stream->time_base);
    packet->dts = packet->pts;
    packet->duration = av_rescale_q(packet->duration, kMilliseconds, stream->time_base);
    const int result = av_interleaved_write_frame(format, packet);
    return result < 0 ? -1 : 0;
}

int32_t ExportMuxer::WriteHeldVideo(int64_t duration)
{
    if (held == nullptr) {
        return 0;
    }
    held->duration = duration;
    const int32_t result = Write(held, video, heldMs);
    av_packet_free(&held);
    return result;
}

int32_t ExportMuxer::WriteVideo(const uint8_t* data, int32_t length, int64_t ms, bool key)
{
    if (!headerWritten) {
        return -1;
    }
    if (held != nullptr) {
        lastDuration = ms - heldMs;
        if (WriteHeldVideo(lastDuration) != 0) {
            return -1;
        }
    }
    held = PacketOf(data, length);
    if (held == nullptr) {
        return -1;
    }
    if (key) {
        held->flags |= AV_PKT_FLAG_KEY;
    }
    heldMs = ms;
    return 0;
}

int32_t ExportMuxer::WriteAudioBytes(const uint8_t* data, int32_t length, int64_t ms)
{
    if (!headerWritten || audioKind != ExportAudioKind::MuLaw) {
        return -1;
    }
    if (length <= 0) {
        return 0;
    }
    AVPacket* packet = PacketOf(data, length);
    if (packet == nullptr) {
        return -1;
    }
    packet->duration = int64_t{length} * 1000 / kExportAudioRate;
    packet->flags |= AV_PKT_FLAG_KEY;
    const int32_t result = Write(packet, audio, ms);
    av_packet_free(&packet);
    return result;
}

int32_t ExportMuxer::WriteAudioSamples(const int16_t* samples, size_t count, int64_t ms)
{
    if (!headerWritten || count == 0) {
        return headerWritten ? 0 : -1;
    }
    if (audioKind == ExportAudioKind::Alac) {
        if (encodedSamples == 0 && pendingSamples.empty()) {
            audioStartSamples = ms * kExportAudioRate / 1000;
        }
        pendingSamples.insert(pendingSamples.end(), samples, samples + count);
        return EncodeAudio(false);
    }
    if (audioKind != ExportAudioKind::Pcm16) {
        return -1;
    }
    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr || av_new_packet(packet, static_cast<int>(2 * count)) != 0) {
        av_packet_free(&packet);
        return -1;
    }
    for (size_t i = 0; i < count; ++i) {
        const auto sample = static_cast<uint16_t>(samples[i]);
        packet->data[2 * i] = static_cast<uint8_t>(sample & 0xFF);
        packet->data[2 * i + 1] = static_cast<uint8_t>(sample >> 8);
    }
    packet->duration = static_cast<int64_t>(count) * 1000 / kExportAudioRate;
    packet->flags |= AV_PKT_FLAG_KEY;
    const int32_t result = Write(packet, audio, ms);
    av_packet_free(&packet);
    return result;
}

int32_t ExportMuxer::EncodeAudio(bool flush)
{
    const auto frameSize = static_cast<size_t>(encoder->frame_size > 0 ? encoder->frame_size : 4096);
    size_t taken = 0;
    while (pendingSamples.size() - taken >= frameSize || (flush && taken < pendingSamples.size())) {
        const size_t count = std::min(frameSize, pendingSamples.size() - taken);
        av_frame_unref(frame);
        frame->nb_samples = static_cast<int>(count);
        frame->format = encoder->sample_fmt;
        frame->sample_rate = encoder->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout) < 0 || av_frame_get_buffer(frame, 0) < 0) {
            return -1;
        }
        memcpy(frame->data[0], pendingSamples.data() + taken, count * sizeof(int16_t));
        frame->pts = audioStartSamples + encodedSamples;
        encodedSamples += static_cast<int64_t>(count);
        taken += count;
        if (avcodec_send_frame(encoder, frame) < 0) {
            return -1;
        }
        AVPacket* packet = av_packet_alloc();
        while (packet != nullptr && avcodec_receive_packet(encoder, packet) == 0) {
            av_packet_rescale_ts(packet, encoder->time_base, audio->time_base);
            packet->stream_index = audio->index;
            if (av_interleaved_write_frame(format, packet) < 0) {
                av_packet_free(&packet);
                return -1;
            }
        }
        av_packet_free(&packet);
    }
    pendingSamples.erase(pendingSamples.begin(), pendingSamples.begin() + static_cast<std::ptrdiff_t>(taken));
    if (!flush) {
        return 0;
    }
    avcodec_send_frame(encoder, nullptr);
    AVPacket* packet = av_packet_alloc();
    while (packet != nullptr && avcodec_receive_packet(encoder, packet) == 0) {
        av_packet_rescale_ts(packet, encoder->time_base, audio->time_base);
        packet->stream_index = audio->index;
        if (av_interleaved_write_frame(format, packet) < 0) {
            av_packet_free(&packet);
            return -1;
        }
    }
    av_packet_free(&packet);
    return 0;
}

int32_t ExportMuxer::Finish(std::string* message)
{
    if (!headerWritten) {
        *message = "the container was never begun";
        return -1;
    }
    // The last frame lasts as long as the one before it.
    bool failed = WriteHeldVideo(lastDuration) != 0;
    if (!failed && audioKind == ExportAudioKind::Alac) {
        failed = EncodeAudio(true) != 0;
    }
    const int trailer = failed ? 0 : av_write_trailer(format);
    const int closed = avio_closep(&format->pb);
    headerWritten = false;
    if (failed || trailer < 0 || closed < 0) {
        *message = "the container cannot be completed: " + ErrorText(failed ? AVERROR(EIO) : trailer < 0 ? trailer : closed);
        return -1;
    }
    return 0;
}
