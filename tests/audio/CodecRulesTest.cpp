#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "audio/AudioCodecId.h"
#include "audio/AudioDeviceFormat.h"
#include "audio/Codec_G711.h"
#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/CodecFactory.h"
#include "audio/GainTable.h"
#include "tests/support/StreamCapture.h"

namespace {

constexpr char kDropMessage[] = "\n\n\t\tDrop audio packet!!!!!!!!!!!\n\n\n\n";

struct Output {
    double gain[kGainTableSize] = {};
    int32_t gainIndex = kDefaultGainIndex;
    std::atomic<int32_t> pending{0};
};

TEST(CodecBase, DefaultsOfTheBaseClass)
{
    Codec base;
    uint8_t byte = 1;
    int16_t sample = 1;
    EXPECT_EQ(base.Decode(&byte, 1, &byte), 0);
    EXPECT_EQ(base.Encode(&sample, 1, &byte), 0);
    EXPECT_TRUE(base.IsBacklogged());
}

TEST(CodecFactory, ClassesAndDeviceFormatsByCodecId)
{
    EXPECT_NE(dynamic_cast<Codec_G723*>(CreateCodec(kAudioCodecG723).get()), nullptr);
    EXPECT_NE(dynamic_cast<Codec_G711*>(CreateCodec(kAudioCodecG711).get()), nullptr);
    EXPECT_NE(dynamic_cast<Codec_IMA*>(CreateCodec(kAudioCodecIma).get()), nullptr);
    AudioDeviceFormat format;
    for (int32_t id : {0, 3, 5, 15, -1}) {
        EXPECT_EQ(CreateCodec(id), nullptr) << id;
        EXPECT_FALSE(AudioDeviceFormatFor(id, &format)) << id;
    }
    const struct {
        int32_t id;
        int32_t tag, channels, bits, blockAlign, bytesPerSecond;
    } cases[] = {{1, 1, 2, 16, 4, 32000}, {2, 7, 1, 8, 1, 8000}, {9, 1, 1, 16, 2, 16000}};
    for (const auto& c : cases) {
        ASSERT_TRUE(AudioDeviceFormatFor(c.id, &format));
        EXPECT_EQ(format.formatTag, c.tag);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.samplesPerSecond, 8000);
        EXPECT_EQ(format.bitsPerSample, c.bits);
        EXPECT_EQ(format.blockAlign, c.blockAlign);
        EXPECT_EQ(format.averageBytesPerSecond, c.bytesPerSecond);
    }
}

TEST(GainTable, RepeatedAdditionOfATenth)
{
    double table[kGainTableSize];
    BuildGainTable(table);
    EXPECT_EQ(table[0], 0.0);
    EXPECT_EQ(table[10], 0.9999999999999999);
    EXPECT_LT(table[10], 1.0);
    EXPECT_EQ(table[20], 2.0000000000000004);
}

// At two pending buffers every codec decodes and reports a backlog; at three G.723 and IMA
// drop with their message while G.711 still decodes.
TEST(CodecDropRule, BacklogAtTwoDropAtThree)
{
    const std::vector<uint8_t> payload(kG723PacketBytes, 0x42);
    for (int32_t id : {kAudioCodecG723, kAudioCodecG711, kAudioCodecIma}) {
        Output output;
        BuildGainTable(output.gain);
        std::unique_ptr<Codec> codec = CreateCodec(id);
        EXPECT_FALSE(codec->IsBacklogged()) << "unbound " << id;
        codec->BindOutput(output.gain, output.gainIndex, output.pending);
        const int32_t length = id == kAudioCodecG723 ? kG723PacketBytes : kImaFrameBytes;
        std::vector<uint8_t> out(16384);
        for (int32_t pending : {0, 1, 2, 3, 4}) {
            output.pending = pending;
            StreamCapture capture(stdout);
            const int32_t result = codec->Decode(payload.data(), length, out.data());
            const bool drops = pending >= 3 && id != kAudioCodecG711;
            EXPECT_EQ(result > 0, !drops) << id << " at " << pending;
            EXPECT_EQ(capture.Text(), drops ? kDropMessage : "") << id << " at " << pending;
            EXPECT_EQ(codec->IsBacklogged(), pending >= 2) << id << " at " << pending;
        }
    }
}

TEST(CodecG711, PayloadPassesThroughUnchanged)
{
    Codec_G711 codec;
    std::vector<uint8_t> payload(1024);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(i * 7);
    }
    std::vector<uint8_t> out(1024);
    EXPECT_EQ(codec.Decode(payload.data(), 1024, out.data()), 1);
    EXPECT_EQ(out, payload);
    EXPECT_EQ(codec.Decode(payload.data(), 0, out.data()), 0);
    EXPECT_EQ(codec.Decode(nullptr, 10, out.data()), 0);
}

TEST(CodecG723, WritesOneBufferAtMostAndKeepsTheStreamInStep)
{
    // 4000 bytes would be 10666 samples; one buffer (8192) is written, the rest decoded away.
    std::vector<uint8_t> payload(4000);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    Codec_G723 codec;
    std::vector<uint8_t> out(16384 + 64, 0xAA);
    EXPECT_EQ(codec.Decode(payload.data(), 4000, out.data()), kG723BufferSamples);
    EXPECT_TRUE(std::all_of(out.begin() + 16384, out.end(), [](uint8_t b) { return b == 0xAA; }));

    CG723Coder reference;
    std::vector<int16_t> all(10666);
    ASSERT_EQ(reference.Decode(payload.data(), 4000, all.data(), 10666), 10666);
    EXPECT_EQ(memcmp(out.data(), all.data(), 16384), 0);
    EXPECT_EQ(codec.coder.decoderState, reference.decoderState);

    // The usual packet: 3072 bytes give 8192 samples; a 4-byte one gives 10.
    EXPECT_EQ(codec.Decode(payload.data(), 3072, out.data()), 8192);
    EXPECT_EQ(codec.Decode(payload.data(), 4, out.data()), 10);
    EXPECT_EQ(codec.Decode(payload.data(), 0, out.data()), 0);
}

}  // namespace
