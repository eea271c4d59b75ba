#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "audio/Codec_IMA.h"
#include "audio/DecodeADPCMC.h"
#include "audio/GainTable.h"
#include "tests/support/AudioTestSignal.h"
#include "tests/support/StreamCapture.h"

namespace {

// An IMA codec bound the way an output binds it: gain index 10, nothing pending.
struct BoundIma {
    BoundIma()
    {
        BuildGainTable(gain);
        codec.BindOutput(gain, gainIndex, pending);
    }
    double gain[kGainTableSize] = {};
    int32_t gainIndex = kDefaultGainIndex;
    std::atomic<int32_t> pending{0};
    Codec_IMA codec;
};

std::vector<uint8_t> Frame(int16_t predicted, uint8_t stepIndex, uint8_t fill)
{
    std::vector<uint8_t> frame(kImaFrameBytes, fill);
    memset(frame.data(), 0xEE, kImaHeaderBytes);   // header bytes that must not be read
    frame[60] = static_cast<uint8_t>(predicted & 0xFF);
    frame[61] = static_cast<uint8_t>(static_cast<uint16_t>(predicted) >> 8);
    frame[62] = stepIndex;
    return frame;
}

int16_t SampleAt(const std::vector<uint8_t>& out, size_t index)
{
    return static_cast<int16_t>(out[2 * index] | (out[2 * index + 1] << 8));
}

TEST(DecodeADPCMC, StepMovesAndClamps)
{
    const struct {
        int32_t stepIndex;
        int32_t predicted;
        int32_t code;
        int32_t sample;
        int32_t nextIndex;
    } cases[] = {
        {0, 0, 1, 2, 0},              // (2 x 1 + 1) x 7 / 8 = 2, not the shifted sum's 1
        {0, 0, 9, -2, 0},
        {0, 100, 0, 100, 0},          // 7 / 8 = 0
        {0, 0, 7, 13, 8},             // 15 x 7 / 8
        {10, 0, 4, 9 * 19 / 8, 12},
        {88, 32000, 7, 32767, 88},    // sample and index held at their ends
        {88, -32000, 15, -32768, 88},
        {87, -30000, 6, -30000 + 13 * 29794 / 8, 88},
    };
    for (const auto& c : cases) {
        ADPCMState state{c.stepIndex, c.predicted};
        EXPECT_EQ(DecodeADPCMC(c.code, &state), c.sample) << c.stepIndex << "/" << c.code;
        EXPECT_EQ(state.predicted, c.sample);
        EXPECT_EQ(state.stepIndex, c.nextIndex);
    }
}

TEST(DecodeADPCMC, BadCodeOrMissingStateIsReportedAndChangesNothing)
{
    StreamCapture err(stderr);
    ADPCMState state{5, 123};
    EXPECT_EQ(DecodeADPCMC(16, &state), 0);
    EXPECT_EQ(DecodeADPCMC(-1, &state), 0);
    EXPECT_EQ(state.stepIndex, 5);
    EXPECT_EQ(state.predicted, 123);
    EXPECT_EQ(DecodeADPCMC(3, nullptr), 0);
    EXPECT_EQ(err.Text(),
              "[DecodeADPCMC] Error in ADPCM sample, aborting.\n\n"
              "[DecodeADPCMC] Error in ADPCM sample, aborting.\n\n"
              "[DecodeADPCMC] Error in ADPCMState, aborting.\n\n");
}

TEST(CodecIma, FrameStartsFromItsHeaderAndGainTakesOneStepTowardZero)
{
    BoundIma ima;
    std::vector<uint8_t> frame = Frame(0, 0, 0x00);
    frame[64] = 0x01;   // low nibble first: code 1, then code 0
    std::vector<uint8_t> out(8192, 0xAA);
    ASSERT_EQ(ima.codec.Decode(frame.data(), kImaFrameBytes, out.data()), 1);
    EXPECT_EQ(SampleAt(out, 0), 1);   // DecodeADPCMC gives 2 and 2
    EXPECT_EQ(SampleAt(out, 1), 1);

    // From 1000 with code 0 at step index 0 the decoder gives 1000 each time: 999 played.
    frame = Frame(1000, 0, 0x00);
    ASSERT_EQ(ima.codec.Decode(frame.data(), kImaFrameBytes, out.data()), 1);
    EXPECT_EQ(SampleAt(out, 0), 999);
    EXPECT_EQ(SampleAt(out, 4095), 999);
    frame = Frame(-1000, 0, 0x00);
    ASSERT_EQ(ima.codec.Decode(frame.data(), kImaFrameBytes, out.data()), 1);
    EXPECT_EQ(SampleAt(out, 0), -999);

    // Nothing carries over: the same frame decodes the same way twice.
    frame = Frame(-1234, 40, 0x7C);
    std::vector<uint8_t> again(8192);
    ASSERT_EQ(ima.codec.Decode(frame.data(), kImaFrameBytes, out.data()), 1);
    ASSERT_EQ(ima.codec.Decode(frame.data(), kImaFrameBytes, again.data()), 1);
    EXPECT_EQ(out, again);
}

// A header step index beyond the table starts the frame at the last step, 88.
TEST(CodecIma, HeaderStepIndexAbove88StartsAtTheLastStep)
{
    BoundIma ima;
    std::vector<uint8_t> reference(8192);
    ASSERT_EQ(ima.codec.Decode(Frame(0, 88, 0x31).data(), kImaFrameBytes, reference.data()), 1);
    for (uint8_t index : {89, 200, 255}) {
        std::vector<uint8_t> out(8192);
        ASSERT_EQ(ima.codec.Decode(Frame(0, index, 0x31).data(), kImaFrameBytes, out.data()), 1);
        EXPECT_EQ(out, reference) << int{index};
    }
}

// A short payload decodes the codes it holds, the rest of the frame is silence, and no byte
// behind the payload is read (the sanitizer build sees any that is).
TEST(CodecIma, ShortPayloadDecodesWhatItHoldsAndNoMore)
{
    BoundIma ima;
    const std::vector<uint8_t> full = Frame(500, 20, 0x93);
    std::vector<uint8_t> reference(8192);
    ASSERT_EQ(ima.codec.Decode(full.data(), kImaFrameBytes, reference.data()), 1);
    for (int32_t length : {65, 100, 2111}) {
        const std::vector<uint8_t> piece(full.begin(), full.begin() + length);
        std::vector<uint8_t> out(8192, 0xAA);
        ASSERT_EQ(ima.codec.Decode(piece.data(), length, out.data()), 1) << length;
        const size_t decodedBytes = static_cast<size_t>(length - kImaHeaderBytes) * 4;
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(decodedBytes), reference.begin()));
        EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(decodedBytes), out.end(), [](uint8_t b) { return b == 0; }));
    }
    std::vector<uint8_t> out(8192, 0xAA);
    for (int32_t length : {0, 10, 63, 64}) {
        const std::vector<uint8_t> piece(full.begin(), full.begin() + length);
        EXPECT_EQ(ima.codec.Decode(piece.data(), length, out.data()), 0) << length;
    }
    EXPECT_EQ(out, std::vector<uint8_t>(8192, 0xAA));
    // Bytes beyond the frame are ignored.
    std::vector<uint8_t> longer = full;
    longer.resize(3000, 0x00);
    ASSERT_EQ(ima.codec.Decode(longer.data(), 3000, out.data()), 1);
    EXPECT_EQ(out, reference);
}

TEST(CodecIma, ToneRoundTripThroughTheEncoder)
{
    BoundIma ima;
    const std::vector<int16_t> tone = Tone(4 * kImaFrameSamples, 440.0, 12000.0);
    std::vector<int16_t> decoded;
    for (int frame = 0; frame < 4; ++frame) {
        std::vector<uint8_t> packed(kImaFrameBytes);
        ASSERT_EQ(ima.codec.Encode(tone.data() + frame * kImaFrameSamples, kImaFrameSamples, packed.data()), kImaFrameBytes);
        std::vector<uint8_t> out(8192);
        ASSERT_EQ(ima.codec.Decode(packed.data(), kImaFrameBytes, out.data()), 1);
        for (size_t i = 0; i < kImaFrameSamples; ++i) {
            decoded.push_back(SampleAt(out, i));
        }
    }
    EXPECT_GT(SnrDb(tone, decoded, 64), 25.0);

    std::vector<uint8_t> packed(kImaFrameBytes, 0x11);
    EXPECT_EQ(ima.codec.Encode(tone.data(), 4095, packed.data()), 0);
    EXPECT_EQ(packed, std::vector<uint8_t>(kImaFrameBytes, 0x11));
}

}  // namespace
