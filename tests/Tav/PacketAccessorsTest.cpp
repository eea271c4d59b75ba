#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/RecordingWriter.h"

namespace {

struct TypeCase {
    uint8_t type;
    uint8_t byte1;
    int32_t kind;
    int32_t codec;
    int32_t sequence;
    int32_t track;
    bool jpeg, video, mpeg4, h264, audio;
};

class PacketTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(PacketTypeTest, ClassifiesTypeAndSequenceByte)
{
    const TypeCase& c = GetParam();
    uint8_t header[kTavHeaderSize] = {};
    header[0] = c.type;
    header[1] = c.byte1;
    EXPECT_EQ(TavGetKind(header), c.kind);
    EXPECT_EQ(TavGetCodec(header), c.codec);
    EXPECT_EQ(TavGetSequence(header), c.sequence);
    EXPECT_EQ(TavGetAudioTrack(header), c.track);
    EXPECT_EQ(TavIsJpeg(header), c.jpeg);
    EXPECT_EQ(TavIsVideo(header), c.video);
    EXPECT_EQ(TavIsMpeg4(header), c.mpeg4);
    EXPECT_EQ(TavIsH264(header), c.h264);
    EXPECT_EQ(TavIsAudio(header), c.audio);
}

INSTANTIATE_TEST_SUITE_P(
    Types, PacketTypeTest,
    testing::Values(
        // type  byte1 kind codec seq  track jpeg   video  mpeg4  h264   audio
        TypeCase{0x44, 0x00, 4, 4, 0, 0, false, true, true, false, false},
        TypeCase{0x45, 0x07, 4, 5, 7, 0, false, true, false, true, false},
        TypeCase{0x44, 0xC5, 4, 4, 197, 3, false, true, true, false, false},
        TypeCase{0x43, 0x02, 4, 3, 2, 0, false, true, false, false, false},
        TypeCase{0x92, 0xC5, 9, 2, 5, 3, false, false, false, false, true},
        TypeCase{0x91, 0x41, 9, 1, 1, 1, false, false, false, false, true},
        TypeCase{0xFF, 0xD8, 15, 15, 0xD8, 3, true, true, false, false, false},
        TypeCase{0xF3, 0x04, 15, 3, 4, 0, false, true, false, false, false},
        TypeCase{0xA0, 0x09, 10, 0, 9, 0, false, false, false, false, false},
        TypeCase{0x31, 0x09, 3, 1, 0, 0, false, false, false, false, false}));

TEST(PacketAccessors, NullPacketGivesZeroOrFalse)
{
    EXPECT_FALSE(TavIsJpeg(nullptr));
    EXPECT_FALSE(TavIsVideo(nullptr));
    EXPECT_FALSE(TavIsMpeg4(nullptr));
    EXPECT_FALSE(TavIsH264(nullptr));
    EXPECT_FALSE(TavIsAudio(nullptr));
    EXPECT_EQ(TavGetKind(nullptr), 0);
    EXPECT_EQ(TavGetCodec(nullptr), 0);
    EXPECT_EQ(TavGetSequence(nullptr), 0);
    EXPECT_EQ(TavGetAudioTrack(nullptr), 0);
    EXPECT_EQ(TavGetHeaderLength(nullptr), 0);
    EXPECT_EQ(TavGetOptionAreaLength(nullptr), 0);
    EXPECT_EQ(TavGetTotalLength(nullptr), 0u);
    EXPECT_EQ(TavGetPayloadLength(nullptr), 0);
    EXPECT_EQ(TavGetPayload(nullptr), nullptr);
    EXPECT_EQ(TavGetOptionMask(nullptr), 0);
}

// The writer and the accessors must agree with the byte layout itself, not just with each other.
TEST(PacketAccessors, FieldsSitAtTheirOffsetsBigEndian)
{
    PacketSpec spec;
    spec.type = 0x45;
    spec.sequence = 3;
    spec.time = 0x11223344;
    spec.unit = 0x0102;
    spec.channel = 0x0304;
    spec.year = 2009;
    spec.month = 7;
    spec.day = 31;
    spec.hour = 23;
    spec.minute = 59;
    spec.second = 58;
    spec.hundredths = 99;
    spec.extraMaskBits = kTavOptionFlagBit15;
    spec.options = {PacketOptionSpec{3, {1, 2, 3, 4}}};
    spec.payload = {0xAB, 0xCD};
    const std::vector<uint8_t> bytes = BuildPacket(spec);

    const uint8_t expectedHeader[kTavHeaderSize] = {
        0x45, 3, 0, 0, 0x00, 62, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x11, 0x22, 0x33, 0x44, 0x01, 0x02, 0x03, 0x04, 0x07, 0xD9, 7, 31, 23, 59, 58, 99,
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 68, 0, 0, 0, 0, 0, 0, 0x80, 0x04};
    ASSERT_EQ(bytes.size(), 68u);
    EXPECT_EQ(memcmp(bytes.data(), expectedHeader, sizeof expectedHeader), 0);

    EXPECT_EQ(TavGetHeaderLength(bytes.data()), 62);
    EXPECT_EQ(TavGetOptionAreaLength(bytes.data()), 6);
    EXPECT_EQ(TavGetTotalLength(bytes.data()), 68u);
    EXPECT_EQ(TavGetPayloadLength(bytes.data()), 2);
    EXPECT_EQ(TavGetPayload(bytes.data()), bytes.data() + 66);
    EXPECT_EQ(TavGetOptionMask(bytes.data()), 0x8004);
    EXPECT_EQ(TavGetUnit(bytes.data()), 0x0102);
    EXPECT_EQ(TavGetChannel(bytes.data()), 0x0304);
    EXPECT_EQ(TavGetChannelNumber(bytes.data()), 0x0102 * 4 + 0x0304 - 1);
}

TEST(PacketAccessors, LengthsAndChannelNumberAreUnsigned)
{
    PacketSpec spec;
    spec.unit = 0xFFFF;
    spec.channel = 0xFFFF;
    spec.headerLength = 40;   // below 56: the option area length wraps as an unsigned 16-bit value
    std::vector<uint8_t> bytes = BuildPacket(spec);
    EXPECT_EQ(TavGetChannelNumber(bytes.data()), 65535 * 4 + 65535 - 1);
    EXPECT_EQ(TavGetOptionAreaLength(bytes.data()), 65520);
}

}  // namespace
