#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/RecordingWriter.h"
#include "tests/support/TavReportLog.h"

namespace {

// Offset of each option's kind byte in the packet, -1 when absent; lengths of options 7 and 8.
struct ParsedOptions {
    int offsets[6];
    int32_t length7;
    int32_t length8;
};

ParsedOptions Parse(const std::vector<uint8_t>& packet)
{
    PacketOptions options{};
    EXPECT_TRUE(TavParseOptions(packet.data(), &options));
    const uint8_t* pointers[] = {options.option3, options.option4, options.option5,
                                 options.option6, options.option7, options.option8};
    ParsedOptions parsed{};
    for (int i = 0; i < 6; ++i) {
        parsed.offsets[i] = pointers[i] == nullptr ? -1 : static_cast<int>(pointers[i] - packet.data());
    }
    parsed.length7 = options.option7Length;
    parsed.length8 = options.option8Length;
    return parsed;
}

PacketOptionSpec Option(uint8_t kind, size_t dataBytes, int32_t length = -1)
{
    return PacketOptionSpec{kind, std::vector<uint8_t>(dataBytes, 0x55), length};
}

struct OptionCase {
    const char* name;
    std::vector<PacketOptionSpec> options;
    uint16_t extraMaskBits;
    ParsedOptions expected;
    int mismatchReports;   // "option is not match"
};

class PacketOptionsTest : public testing::TestWithParam<OptionCase> {};

TEST_P(PacketOptionsTest, LocatesOptionsInOrder)
{
    const OptionCase& c = GetParam();
    PacketSpec spec;
    spec.options = c.options;
    spec.extraMaskBits = c.extraMaskBits;
    spec.payload = {1};
    const std::vector<uint8_t> packet = BuildPacket(spec);

    TavReportLog log;
    const ParsedOptions parsed = Parse(packet);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(parsed.offsets[i], c.expected.offsets[i]) << "option " << i + 3;
    }
    EXPECT_EQ(parsed.length7, c.expected.length7);
    EXPECT_EQ(parsed.length8, c.expected.length8);

    const std::string text = log.Text();
    int mismatches = 0;
    for (size_t at = text.find("option is not match"); at != std::string::npos;
         at = text.find("option is not match", at + 1)) {
        ++mismatches;
    }
    EXPECT_EQ(mismatches, c.mismatchReports) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PacketOptionsTest,
    testing::Values(
        OptionCase{"Kinds3And8", {Option(3, 4), Option(8, 22)}, 0, {{60, -1, -1, -1, -1, 66}, 0, 24}, 0},
        OptionCase{"AllKinds",
                   {Option(3, 1), Option(4, 2), Option(5, 3), Option(6, 4), Option(7, 5), Option(8, 6)},
                   0,
                   {{60, 63, 67, 72, 78, 85}, 7, 8},
                   0},
        OptionCase{"NoOptions", {}, 0, {{-1, -1, -1, -1, -1, -1}, 0, 0}, 0},
        // A mask bit whose option is missing: reported, absent, and the next kind is found where
        // the missing one was looked for.
        OptionCase{"MissingKind4", {Option(3, 4), Option(5, 2)}, 1u << 3, {{60, -1, 66, -1, -1, -1}, 0, 0}, 1},
        // A zero length counts as absent and does not move the position, so kind 8 is looked for
        // at the kind-3 byte.
        OptionCase{"ZeroLength", {Option(3, 4, 0), Option(8, 2)}, 0, {{-1, -1, -1, -1, -1, -1}, 0, 0}, 1},
        // Bits 1, 2 and 9 to 16 are not looked at.
        OptionCase{"IgnoredBits", {Option(3, 2)}, 0xFF03, {{60, -1, -1, -1, -1, -1}, 0, 0}, 0},
        // A 12-bit length in the kind byte's high nibble is not taken: the kind must match exactly.
        OptionCase{"TwelveBitLengthKind8", {Option(0x18, 10)}, 1u << 7, {{-1, -1, -1, -1, -1, -1}, 0, 0}, 1}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(PacketOptions, ReportsCarrySourceAndLine)
{
    PacketSpec spec;
    spec.options = {Option(5, 2)};
    spec.extraMaskBits = 1u << 2;   // kind 3 announced, kind 5 stands there
    const std::vector<uint8_t> packet = BuildPacket(spec);
    TavReportLog log;
    Parse(packet);
    EXPECT_TRUE(std::regex_match(log.Text(), std::regex(R"(\[Tav/TavPacketUtil\.cpp\(\d+\)\]\toption is not match\n)")))
        << log.Text();
}

TEST(PacketOptions, MissingArgumentsAreRefused)
{
    TavReportLog log;
    PacketOptions options{};
    const uint8_t header[kTavHeaderSize] = {};
    EXPECT_FALSE(TavParseOptions(nullptr, &options));
    EXPECT_FALSE(TavParseOptions(header, nullptr));
    EXPECT_TRUE(std::regex_match(log.Text(), std::regex(R"((\[Tav/TavPacketUtil\.cpp\(\d+\)\]\targ is NULL\n){2})")))
        << log.Text();
}

// Whatever the lengths claim, the parser never looks beyond the option area the header announces.
TEST(PacketOptions, StaysInsideTheOptionArea)
{
    PacketSpec spec;
    spec.options = {Option(3, 2, 200)};   // says 200 bytes, the area holds 4
    spec.extraMaskBits = 1u << 7;
    spec.payload = {8, 40};               // a kind-8 option lookalike in the payload
    std::vector<uint8_t> packet = BuildPacket(spec);
    TavReportLog log;
    const ParsedOptions parsed = Parse(packet);
    for (int offset : parsed.offsets) {
        EXPECT_EQ(offset, -1);
    }
    EXPECT_NE(log.Text().find("option is out of the option area"), std::string::npos);

    // An option area announced with options but none in the header length: nothing is read.
    PacketSpec empty;
    empty.extraMaskBits = 0x00FC;
    empty.payload = {3, 6, 0, 0, 0, 0};
    const ParsedOptions none = Parse(BuildPacket(empty));
    for (int offset : none.offsets) {
        EXPECT_EQ(offset, -1);
    }
}

TEST(PacketOptions, OptionLengthRule)
{
    const uint8_t option[] = {7, 9};
    TavReportLog log;
    EXPECT_EQ(TavGetOptionLength(1u << 6, 7, option), 9);
    EXPECT_EQ(TavGetOptionLength(0, 7, option), 0);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(TavGetOptionLength(1u << 7, 8, option), 0);
    EXPECT_NE(log.Text().find("option is not match"), std::string::npos);
}

}  // namespace
