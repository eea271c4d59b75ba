// Encodes pictures to MPEG-4 Part 2 or H.264 streams, one packet per picture with no delay,
// for sample recordings and tests.
#pragma once

#include <cstdint>
#include <vector>

#include "video/VideoCodecId.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class StreamEncoder {
public:
    StreamEncoder() = default;
    ~StreamEncoder();
    StreamEncoder(const StreamEncoder&) = delete;
    StreamEncoder& operator=(const StreamEncoder&) = delete;

    // `codec` is kVideoCodecMpeg4 or kVideoCodecH264; a key frame every `keyInterval` pictures.
    // 0, or -1 when the encoder cannot be opened.
    int32_t Open(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t framesPerSecond, uint32_t keyInterval);
    // `bgr` is packed BGR, top row first. The packet of this picture; `keyFrame` tells whether it
    // is one. 0, or -1.
    int32_t Encode(const uint8_t* bgr, std::vector<uint8_t>* packet, bool* keyFrame);
    void Close();

private:
    AVCodecContext* context = nullptr;
    AVFrame* picture = nullptr;
    AVPacket* output = nullptr;
    SwsContext* converter = nullptr;
    int64_t nextPts = 0;
};
