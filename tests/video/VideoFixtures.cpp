#include "tests/video/VideoFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Tav/TavPacketUtil.h"
#include "video/JpegEncoder.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

std::vector<uint8_t> PatternPicture(uint32_t width, uint32_t height, uint32_t index, uint32_t seed)
{
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3);
    DrawTestPattern(picture.data(), width, height, index, seed);
    return picture;
}

std::vector<uint8_t> JpegPacketOf(uint32_t width, uint32_t height, uint32_t index, bool grayscale)
{
    std::vector<uint8_t> jpeg;
    EXPECT_EQ(EncodeJpeg(PatternPicture(width, height, index).data(), width, height, 90, grayscale, &jpeg), 0);
    return BuildPacket(MakeJpegPacketSpec(PacketSpec{}, jpeg));
}

std::vector<uint8_t> JpegPacketWith(const PacketSpec& spec, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> jpeg;
    EXPECT_EQ(EncodeJpeg(PatternPicture(width, height, 0).data(), width, height, 90, false, &jpeg), 0);
    return BuildPacket(MakeJpegPacketSpec(spec, jpeg));
}

std::vector<std::vector<uint8_t>> StreamPacketsOf(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t count,
                                                  uint32_t keyInterval)
{
    StreamEncoder encoder;
    EXPECT_EQ(encoder.Open(codec, width, height, 25, keyInterval), 0);
    std::vector<std::vector<uint8_t>> packets;
    uint8_t sequence = 0;
    for (uint32_t i = 0; i < count; ++i) {
        PacketSpec spec;
        spec.type = codec == kVideoCodecH264 ? 0x45 : 0x44;
        bool key = false;
        EXPECT_EQ(encoder.Encode(PatternPicture(width, height, i).data(), &spec.payload, &key), 0);
        sequence = key ? 0 : static_cast<uint8_t>(sequence + 1);
        spec.sequence = sequence;
        packets.push_back(BuildPacket(spec));
    }
    return packets;
}

std::vector<uint8_t> PayloadOf(const std::vector<uint8_t>& packet)
{
    const uint8_t* payload = TavGetPayload(packet.data());
    return std::vector<uint8_t>(payload, payload + TavGetPayloadLength(packet.data()));
}

double FramePsnr(const DecodedFrame& frame, const std::vector<uint8_t>& topDown)
{
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    if (rowBytes * frame.height != topDown.size()) {
        return 0;
    }
    double squared = 0;
    for (uint32_t y = 0; y < frame.height; ++y) {
        const uint32_t stored = VideoCodecIsTopDown(frame.codec) ? y : frame.height - 1 - y;
        const uint8_t* decoded = frame.pixels + stored * rowBytes;
        const uint8_t* expected = topDown.data() + y * rowBytes;
        for (size_t b = 0; b < rowBytes; ++b) {
            const double difference = static_cast<double>(decoded[b]) - expected[b];
            squared += difference * difference;
        }
    }
    const double mean = squared / static_cast<double>(topDown.size());
    return mean == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mean);
}
