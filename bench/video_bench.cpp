// Decoding speed of each video codec through DecodeVideoPacket, against the same packets
// decoded and converted by bare library calls in the same run, at two picture sizes.
#include <turbojpeg.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "bench/BenchTiming.h"
#include "recording/RecordingWriter.h"
#include "video/DecodedFrame.h"
#include "video/FrameDecoder.h"
#include "video/JpegEncoder.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint32_t kFrames = 60;
constexpr uint32_t kKeyInterval = 25;

struct Sample {
    const char* name;
    VideoCodecId codec;
    uint32_t width;
    uint32_t height;
};

std::vector<std::vector<uint8_t>> MakePackets(const Sample& sample)
{
    std::vector<uint8_t> picture(static_cast<size_t>(sample.width) * sample.height * 3);
    StreamEncoder encoder;
    if (sample.codec != kVideoCodecJpeg &&
        encoder.Open(sample.codec, sample.width, sample.height, 25, kKeyInterval) != 0) {
        return {};
    }
    std::vector<std::vector<uint8_t>> packets;
    for (uint32_t i = 0; i < kFrames; ++i) {
        DrawTestPattern(picture.data(), sample.width, sample.height, i, 1);
        PacketSpec spec;
        if (sample.codec == kVideoCodecJpeg) {
            std::vector<uint8_t> jpeg;
            if (EncodeJpeg(picture.data(), sample.width, sample.height, 80, false, &jpeg) != 0) {
                return {};
            }
            spec = MakeJpegPacketSpec(spec, jpeg);
        } else {
            bool key = false;
            spec.type = sample.codec == kVideoCodecH264 ? 0x45 : 0x44;
            if (encoder.Encode(picture.data(), &spec.payload, &key) != 0) {
                return {};
            }
        }
        packets.push_back(BuildPacket(spec));
    }
    return packets;
}

bool DecodeThroughPlayer(const std::vector<std::vector<uint8_t>>& packets, DecodedFrame* frame)
{
    FrameDecoder* decoder = CreateFrameDecoder();
    bool ok = decoder != nullptr;
    for (const std::vector<uint8_t>& packet : packets) {
        ok = ok && DecodeVideoPacket(packet.data(), static_cast<uint32_t>(packet.size()), decoder, frame) == 0;
    }
    DestroyFrameDecoder(decoder);
    return ok;
}

bool DecodeJpegBare(const std::vector<std::vector<uint8_t>>& packets, uint8_t* pixels)
{
    tjhandle handle = tjInitDecompress();
    bool ok = handle != nullptr;
    for (const std::vector<uint8_t>& packet : packets) {
        int width = 0, height = 0, subsampling = 0, colorspace = 0;
        ok = ok && tjDecompressHeader3(handle, packet.data(), packet.size(), &width, &height, &subsampling,
                                       &colorspace) == 0;
        ok = ok && tjDecompress2(handle, packet.data(), packet.size(), pixels, width, width * 3, height, TJPF_BGR,
                                 TJFLAG_BOTTOMUP) == 0;
    }
    tjDestroy(handle);
    return ok;
}

bool DecodeStreamBare(VideoCodecId codec, const std::vector<std::vector<uint8_t>>& packets, uint8_t* pixels)
{
    const AVCodec* found = avcodec_find_decoder(codec == kVideoCodecH264 ? AV_CODEC_ID_H264 : AV_CODEC_ID_MPEG4);
    AVCodecContext* context = avcodec_alloc_context3(found);
    context->thread_count = 1;
    bool ok = avcodec_open2(context, found, nullptr) == 0;
    AVPacket* packet = av_packet_alloc();
    AVFrame* picture = av_frame_alloc();
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> padded;
    for (const std::vector<uint8_t>& whole : packets) {
        const uint8_t* payload = TavGetPayload(whole.data());
        const int size = TavGetPayloadLength(whole.data());
        padded.assign(payload, payload + size);
        padded.resize(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        packet->data = padded.data();
        packet->size = size;
        ok = ok && avcodec_send_packet(context, packet) == 0;
        while (ok && avcodec_receive_frame(context, picture) == 0) {
            uint8_t* planes[4] = {};
            int strides[4] = {};
            av_image_fill_arrays(planes, strides, pixels, AV_PIX_FMT_BGR24, picture->width, picture->height, 1);
            scaler = sws_getCachedContext(scaler, picture->width, picture->height,
                                          static_cast<AVPixelFormat>(picture->format), picture->width,
                                          picture->height, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr, nullptr);
            ok = scaler != nullptr &&
                 sws_scale(scaler, picture->data, picture->linesize, 0, picture->height, planes, strides) >= 0;
            av_frame_unref(picture);
        }
    }
    sws_freeContext(scaler);
    av_frame_free(&picture);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    return ok;
}

}  // namespace

int main()
{
    const Sample samples[] = {
        {"JPEG", kVideoCodecJpeg, 704, 480},    {"JPEG", kVideoCodecJpeg, 1920, 1080},
        {"MPEG-4", kVideoCodecMpeg4, 704, 480}, {"MPEG-4", kVideoCodecMpeg4, 1920, 1080},
        {"H.264", kVideoCodecH264, 704, 480},   {"H.264", kVideoCodecH264, 1920, 1080},
    };
    DecodedFrame frame;
    if (!AllocateFramePixels(&frame)) {
        return 1;
    }
    printf("%u frames each, key frame every %u (best of %d runs)\n", kFrames, kKeyInterval, kBenchRepetitions);
    printf("%-7s %-10s %14s %14s %7s\n", "codec", "size", "player fps", "bare fps", "ratio");
    for (const Sample& sample : samples) {
        const std::vector<std::vector<uint8_t>> packets = MakePackets(sample);
        if (packets.empty()) {
            fprintf(stderr, "bench_video: cannot encode %s\n", sample.name);
            return 1;
        }
        const double player = BestSeconds("bench_video", [&] { return DecodeThroughPlayer(packets, &frame); });
        const double bare = BestSeconds("bench_video", [&] {
            return sample.codec == kVideoCodecJpeg ? DecodeJpegBare(packets, frame.pixels)
                                                    : DecodeStreamBare(sample.codec, packets, frame.pixels);
        });
        const std::string size = std::to_string(sample.width) + "x" + std::to_string(sample.height);
        printf("%-7s %-10s %14.1f %14.1f %7.3f\n", sample.name, size.c_str(), kFrames / player, kFrames / bare,
               bare / player);
    }
    FreeFramePixels(&frame);
    return 0;
}
