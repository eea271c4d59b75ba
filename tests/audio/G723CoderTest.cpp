#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "audio/CG723Coder.h"
#include "audio/G726Adpcm24.h"
#include "tests/support/AudioTestSignal.h"

namespace {

// First sample that each code gives from the initial decoder state.
TEST(G723Coder, FirstSampleOfEachCodeFromTheInitialState)
{
    const int16_t expected[8] = {0, 16, 36, 60, -60, -36, -16, 0};
    for (int code = 0; code < 8; ++code) {
        CG723Coder coder;
        const uint8_t byte = static_cast<uint8_t>(code);   // code 0 in the low three bits
        int16_t out[2] = {};
        ASSERT_EQ(coder.Decode(&byte, 1, out, 2), 2);
        EXPECT_EQ(out[0], expected[code]) << "code " << code;
    }
}

// A loud tone (the tone detector engages), a square wave (transitions) and a quiet tone, then
// codes of no signal at all. The expected values were worked out step by step from the
// recommendation's fixed-point description, apart from this code; a wrong table entry, a
// wrong threshold or a wrong rounding moves them.
TEST(G723Coder, KnownAnswerThroughToneTransitionAndNoise)
{
    std::vector<int16_t> signal = Tone(1024, 1000.0, 20000.0);
    for (int i = 0; i < 512; ++i) {
        signal.push_back((i / 10) % 2 != 0 ? 30000 : -30000);
    }
    const std::vector<int16_t> quiet = Tone(512, 3000.0, 300.0);
    signal.insert(signal.end(), quiet.begin(), quiet.end());
    CG723Coder encoder;
    std::vector<uint8_t> bytes(768);
    ASSERT_EQ(encoder.Encode(signal.data(), 2048, bytes.data(), 768), 768);
    uint32_t seed = 1;
    for (int i = 0; i < 192; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes.push_back(static_cast<uint8_t>(seed >> 16));
    }

    CG723Coder decoder;
    std::vector<int16_t> out(2560);
    ASSERT_EQ(decoder.Decode(bytes.data(), 960, out.data(), 2560), 2560);
    const struct {
        size_t index;
        int16_t sample;
    } samples[] = {{0, 0}, {1, 60}, {100, 160}, {1100, 27560}, {1600, -64}, {2200, -256}, {2559, -4964}};
    for (const auto& s : samples) {
        EXPECT_EQ(out[s.index], s.sample) << "sample " << s.index;
    }
    G723State expected;
    expected.yl = 309006;
    expected.yu = 4738;
    expected.dms = 1116;
    expected.dml = 4960;
    expected.ap = 140;
    const int16_t a[2] = {-8140, -4767};
    const int16_t b[6] = {-2271, 1114, -757, -2569, 372, 1993};
    const int16_t dq[6] = {753, 762, 867, -276, 754, -261};
    const int16_t sr[2] = {-282, -275};
    std::copy(a, a + 2, expected.a);
    std::copy(b, b + 6, expected.b);
    std::copy(dq, dq + 6, expected.dq);
    std::copy(sr, sr + 2, expected.sr);
    EXPECT_EQ(decoder.decoderState, expected);
}

TEST(G723Coder, SampleCountsAndCapacity)
{
    const struct {
        int32_t length;
        int32_t samples;
    } cases[] = {{3072, 8192}, {3, 8}, {4, 10}, {5, 13}, {1, 2}, {2, 5}, {0, 0}, {-3, 0}};
    std::vector<uint8_t> data(3072, 0x5A);
    std::vector<int16_t> out(8192);
    for (const auto& c : cases) {
        CG723Coder coder;
        EXPECT_EQ(coder.Decode(data.data(), c.length, nullptr, 0), c.samples) << c.length;
        EXPECT_EQ(coder.Decode(data.data(), c.length, out.data(), c.samples), c.samples) << c.length;
        if (c.samples > 0) {
            EXPECT_EQ(coder.Decode(data.data(), c.length, out.data(), c.samples - 1), -1) << c.length;
        }
    }
}

// Codes come out of each group of three bytes least significant bits first, and a short final
// group gives only the codes whose bits are all present: decoding the packed bytes equals
// feeding the codes one by one.
TEST(G723Coder, UnpacksLeastSignificantBitsFirstWithShortFinalGroups)
{
    const int codes[13] = {1, 2, 3, 4, 5, 6, 7, 0, 3, 6, 2, 5, 1};
    uint8_t packed[5] = {};
    uint32_t first = 0;
    for (int k = 0; k < 8; ++k) {
        first |= static_cast<uint32_t>(codes[k]) << (3 * k);
    }
    const uint32_t second = codes[8] | (codes[9] << 3) | (codes[10] << 6) | (codes[11] << 9) | (codes[12] << 12);
    packed[0] = first & 0xFF;
    packed[1] = (first >> 8) & 0xFF;
    packed[2] = (first >> 16) & 0xFF;
    packed[3] = second & 0xFF;
    packed[4] = (second >> 8) & 0xFF;

    for (int32_t length : {4, 5}) {
        const int count = length == 4 ? 10 : 13;
        G723State state;
        std::vector<int16_t> expected;
        for (int k = 0; k < count; ++k) {
            expected.push_back(G726Decode24(codes[k], state));
        }
        CG723Coder coder;
        std::vector<int16_t> out(static_cast<size_t>(count));
        ASSERT_EQ(coder.Decode(packed, length, out.data(), count), count);
        EXPECT_EQ(out, expected) << length << " bytes";
        EXPECT_EQ(coder.decoderState, state);
    }
}

// The decoder state runs on across calls: two halves decode like the whole.
TEST(G723Coder, DecoderStateCarriesAcrossPayloads)
{
    CG723Coder encoder;
    const std::vector<int16_t> tone = Tone(8192, 440.0, 8000.0);
    std::vector<uint8_t> packed(3072);
    ASSERT_EQ(encoder.Encode(tone.data(), 8192, packed.data(), 3072), 3072);

    CG723Coder whole;
    std::vector<int16_t> all(8192);
    ASSERT_EQ(whole.Decode(packed.data(), 3072, all.data(), 8192), 8192);
    CG723Coder halves;
    std::vector<int16_t> split(8192);
    ASSERT_EQ(halves.Decode(packed.data(), 1536, split.data(), 4096), 4096);
    ASSERT_EQ(halves.Decode(packed.data() + 1536, 1536, split.data() + 4096, 4096), 4096);
    EXPECT_EQ(all, split);
}

TEST(G723Coder, EncoderAndDecoderStayInStep)
{
    for (int32_t count : {8192, 10, 16}) {
        CG723Coder coder;
        const std::vector<int16_t> tone = Tone(static_cast<size_t>(count), 1000.0, 12000.0);
        const int32_t bytes = coder.Encode(tone.data(), count, nullptr, 0);
        EXPECT_EQ(bytes, (count * 3 + 7) / 8);
        std::vector<uint8_t> packed(static_cast<size_t>(bytes));
        EXPECT_EQ(coder.Encode(tone.data(), count, packed.data(), bytes - 1), -1);
        ASSERT_EQ(coder.Encode(tone.data(), count, packed.data(), bytes), bytes);
        std::vector<int16_t> decoded(static_cast<size_t>(count));
        ASSERT_EQ(coder.Decode(packed.data(), bytes, decoded.data(), count), count);
        EXPECT_EQ(coder.encoderState, coder.decoderState) << count << " samples";
    }
}

TEST(G723Coder, ToneRoundTripKeepsItsShape)
{
    for (double hz : {300.0, 440.0, 1000.0, 2500.0}) {
        CG723Coder coder;
        const std::vector<int16_t> tone = Tone(8192 * 2, hz, 10000.0);
        std::vector<uint8_t> packed(6144);
        ASSERT_EQ(coder.Encode(tone.data(), 16384, packed.data(), 6144), 6144);
        std::vector<int16_t> decoded(16384);
        ASSERT_EQ(coder.Decode(packed.data(), 6144, decoded.data(), 16384), 16384);
        EXPECT_GT(SnrDb(tone, decoded, 400), 22.0) << hz << " Hz";
    }
}

}  // namespace
