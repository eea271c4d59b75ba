// The video of one channel: frames of the moving test pattern, coded as JPEG pictures or as
// an MPEG-4 or H.264 stream with a key frame every so many frames, each packet at its frame's
// time. The pattern's seed is the channel number, so channels differ and every frame can be
// drawn again to check what a decoder made of it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/synth/SynthSource.h"
#include "video/StreamEncoder.h"
#include "video/VideoCodecId.h"

constexpr int32_t kSynthJpegQuality = 85;

struct SynthVideoStream {
    uint16_t unit = 0;
    uint16_t channel = 1;
    VideoCodecId codec = kVideoCodecJpeg;
};

struct SynthVideoFormat {
    uint32_t width = 352;
    uint32_t height = 240;
    int32_t framesPerSecond = 25;
    int32_t keyInterval = 25;     // stream codecs; every JPEG picture is a key frame
    bool fieldStacked = false;    // two fields stacked, marked by bit 15 of the option mask
    int32_t seconds = 10;
};

class SynthVideoSource : public SynthSource {
public:
    SynthVideoSource(const SynthVideoStream& stream, const SynthVideoFormat& format);

    // Opens the stream encoder. 0, or kSynthEncodeFailed.
    int32_t Open();
    // Every packet carries the event in progress as option 8 (see SynthEvents.h), for a
    // recording that began at `startSeconds`. The coded pictures stay the same.
    void CarryEvents(int64_t startSeconds);
    int64_t NextTime() const override;
    int32_t BuildNext(PacketSpec* spec, uint8_t* indexKind) override;

    // The channel number, unit x 4 + channel - 1.
    static uint32_t PatternSeed(const SynthVideoStream& stream);

private:
    void DrawPicture();
    int32_t CodeJpeg(PacketSpec* spec);
    int32_t CodeStream(PacketSpec* spec);

    SynthVideoStream stream;
    SynthVideoFormat format;
    int64_t totalFrames;
    int64_t nextFrame = 0;
    int64_t keyFrames = 0;
    int64_t otherFrames = 0;
    int32_t sequence = 0;
    bool events = false;
    int64_t eventsStart = 0;
    StreamEncoder encoder;
    std::vector<uint8_t> woven;     // field-stacked only: the picture as it is to be seen
    std::vector<uint8_t> picture;   // the picture as it is coded
};
