#include <gtest/gtest.h>

#include <vector>

#include "audio/MuLaw.h"
#include "tests/support/AudioTestSignal.h"

namespace {

TEST(MuLaw, KnownCodes)
{
    const struct {
        int16_t sample;
        uint8_t code;
        int16_t expanded;
    } cases[] = {
        {0, 0xFF, 0},          {-1, 0x7F, 0},       {32767, 0x80, 32124}, {-32768, 0x00, -32124},
        {1000, 0xCE, 988},     {-1000, 0x4E, -988}, {100, 0xF2, 104},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MuLawEncode(c.sample), c.code) << c.sample;
        EXPECT_EQ(MuLawExpand(c.code), c.expanded) << c.sample;
    }
}

TEST(MuLaw, EveryCodeSurvivesExpandAndEncode)
{
    for (int code = 0; code < 256; ++code) {
        const int16_t sample = MuLawExpand(static_cast<uint8_t>(code));
        // 0x7F is the negative zero; it comes back as positive zero.
        EXPECT_EQ(MuLawEncode(sample), code == 0x7F ? 0xFF : code) << code;
    }
}

TEST(MuLaw, ToneRoundTrip)
{
    const std::vector<int16_t> tone = Tone(8000, 440.0, 12000.0);
    std::vector<int16_t> decoded;
    for (int16_t sample : tone) {
        decoded.push_back(MuLawExpand(MuLawEncode(sample)));
    }
    EXPECT_GT(SnrDb(tone, decoded, 0), 35.0);
}

}  // namespace
