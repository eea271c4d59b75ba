#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/RecordingWriter.h"
#include "tests/support/TavReportLog.h"
#include "tests/support/TempDir.h"

namespace {

// A media file holding exactly the given bytes, opened for reading.
class MediaBytes {
public:
    explicit MediaBytes(const std::vector<uint8_t>& bytes)
    {
        FILE* out = fopen(dir.File("m.kvr").c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), out);
        fclose(out);
        file = fopen(dir.File("m.kvr").c_str(), "rb");
    }
    ~MediaBytes() { fclose(file); }
    MediaBytes(const MediaBytes&) = delete;
    MediaBytes& operator=(const MediaBytes&) = delete;

    TempDir dir;
    FILE* file = nullptr;
};

PacketSpec PacketWithOptions()
{
    PacketSpec spec;
    spec.options = {PacketOptionSpec{3, {1, 2, 3, 4}}, PacketOptionSpec{8, std::vector<uint8_t>(22, 9)}};
    spec.payload.assign(100, 0x77);
    return spec;
}

struct ReadCase {
    const char* name;
    PacketSpec spec;
    int32_t expected;        // result of TavReadPacket; > 0: the packet is read whole
    const char* report;      // text the module reports, "" for none
};

PacketSpec With(PacketSpec spec, void (*change)(PacketSpec&))
{
    change(spec);
    return spec;
}

class PacketReaderTest : public testing::TestWithParam<ReadCase> {};

TEST_P(PacketReaderTest, ReadsOrRefuses)
{
    const ReadCase& c = GetParam();
    const std::vector<uint8_t> bytes = BuildPacket(c.spec);
    MediaBytes media(bytes);
    std::vector<uint8_t> buffer(600, 0xEE);
    constexpr uint32_t kCapacity = 500;   // the rest of the buffer must stay untouched

    TavReportLog log;
    const int32_t result = TavReadPacket(media.file, buffer.data(), kCapacity);
    EXPECT_EQ(result, c.expected);
    if (result > 0) {
        ASSERT_EQ(static_cast<size_t>(result), bytes.size());
        EXPECT_EQ(memcmp(buffer.data(), bytes.data(), bytes.size()), 0);
    }
    for (size_t i = kCapacity; i < buffer.size(); ++i) {
        ASSERT_EQ(buffer[i], 0xEE) << "written past the capacity at " << i;
    }
    if (c.report[0] == '\0') {
        EXPECT_EQ(log.Text(), "");
    } else {
        EXPECT_NE(log.Text().find(c.report), std::string::npos) << log.Text();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PacketReaderTest,
    testing::Values(
        ReadCase{"WithOptions", PacketWithOptions(), 60 + 30 + 100, ""},
        ReadCase{"NoOptionArea", With(PacketWithOptions(), [](PacketSpec& s) { s.options.clear(); }), 160, ""},
        ReadCase{"OnePayloadByte", With(PacketSpec{}, [](PacketSpec& s) { s.payload = {1}; }), 61, ""},
        ReadCase{"EmptyPayloadFails", With(PacketWithOptions(), [](PacketSpec& s) { s.payload.clear(); }), -1, ""},
        ReadCase{"EmptyFileEnds", With(PacketSpec{}, [](PacketSpec& s) { s.writtenBytes = 0; }), 0, ""},
        ReadCase{"CutInHeaderEnds", With(PacketWithOptions(), [](PacketSpec& s) { s.writtenBytes = 59; }), 0, ""},
        ReadCase{"CutInOptionsFails", With(PacketWithOptions(), [](PacketSpec& s) { s.writtenBytes = 70; }), -1, ""},
        ReadCase{"CutInPayloadFails", With(PacketWithOptions(), [](PacketSpec& s) { s.writtenBytes = 189; }), -1, ""},
        // Lengths that do not describe a packet the buffer can hold are refused before the
        // payload is read.
        ReadCase{"LargerThanCapacity",
                 With(PacketSpec{}, [](PacketSpec& s) { s.payload.assign(441, 1); }), -1, "packet is larger than the buffer"},
        ReadCase{"ExactlyCapacity", With(PacketSpec{}, [](PacketSpec& s) { s.payload.assign(440, 1); }), 500, ""},
        ReadCase{"HugeTotalLength",
                 With(PacketSpec{}, [](PacketSpec& s) { s.totalLength = 0xFFFFFFF0; s.payload.assign(600, 1); }), -1,
                 "packet is larger than the buffer"},
        ReadCase{"HeaderLengthBelow56",
                 With(PacketSpec{}, [](PacketSpec& s) { s.headerLength = 20; s.payload.assign(40, 1); }), -1,
                 "packet length is invalid"},
        ReadCase{"TotalBelowHeader",
                 With(PacketWithOptions(), [](PacketSpec& s) { s.totalLength = 70; }), -1, "packet length is invalid"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(PacketReader, JpegPacketReadsLikeAnyOther)
{
    // A tiny stand-in for a JPEG stream: start of image, a comment segment, end of image.
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x04, 'h', 'i', 0xFF, 0xD9};
    PacketSpec spec;
    spec.options = {PacketOptionSpec{8, {1, 2}}};
    spec = MakeJpegPacketSpec(spec, jpeg);
    const std::vector<uint8_t> bytes = BuildPacket(spec);
    // The whole packet is one JPEG stream: SOI, then an APP0 segment whose length is headerLength.
    ASSERT_GE(bytes.size(), 6u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(bytes[3], 0xE0);
    EXPECT_EQ((bytes[4] << 8) | bytes[5], 56 + 4);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 8, bytes.end()), std::vector<uint8_t>(jpeg.begin() + 2, jpeg.end()));

    MediaBytes media(bytes);
    std::vector<uint8_t> buffer(512000);
    EXPECT_EQ(TavReadPacket(media.file, buffer.data(), static_cast<uint32_t>(buffer.size())),
              static_cast<int32_t>(bytes.size()));
    EXPECT_TRUE(TavIsJpeg(buffer.data()));
    EXPECT_TRUE(TavIsVideo(buffer.data()));
    EXPECT_EQ(TavGetPayloadLength(buffer.data()), 8);
}

TEST(PacketReader, ReadsConsecutivePacketsThenEnds)
{
    std::vector<uint8_t> bytes = BuildPacket(PacketWithOptions());
    PacketSpec second;
    second.payload = {5, 6, 7};
    const std::vector<uint8_t> more = BuildPacket(second);
    bytes.insert(bytes.end(), more.begin(), more.end());
    MediaBytes media(bytes);
    std::vector<uint8_t> buffer(1000);
    TavReportLog log;
    EXPECT_EQ(TavReadPacket(media.file, buffer.data(), 1000), 190);
    EXPECT_EQ(TavReadPacket(media.file, buffer.data(), 1000), 63);
    EXPECT_EQ(buffer[62], 7);
    EXPECT_EQ(TavReadPacket(media.file, buffer.data(), 1000), 0);
    EXPECT_EQ(log.Text(), "");
}

TEST(PacketReader, ArgumentAndCapacityRefusals)
{
    MediaBytes media(BuildPacket(PacketWithOptions()));
    uint8_t buffer[100];
    TavReportLog log;
    EXPECT_EQ(TavReadPacket(nullptr, buffer, sizeof buffer), -1);
    EXPECT_EQ(TavReadPacket(media.file, nullptr, sizeof buffer), -1);
    EXPECT_EQ(TavReadHeader(media.file, buffer, 59), -1);
    EXPECT_EQ(TavReadHeader(media.file, buffer, 60), 60);
    EXPECT_TRUE(std::regex_match(log.Text(), std::regex(R"((\[Tav/TavPacketUtil\.cpp\(\d+\)\]\targument is NULL\n){2})"
                                                        R"(\[Tav/TavPacketUtil\.cpp\(\d+\)\]\tbuffer is too small\n)")))
        << log.Text();
}

TEST(PacketReader, ReadErrorIsReportedWithErrno)
{
    TempDir dir;
    // A stream that cannot be read from: fread sets the error indicator (EBADF).
    FILE* writeOnly = fopen(dir.File("w.kvr").c_str(), "wb");
    ASSERT_NE(writeOnly, nullptr);
    uint8_t buffer[100];
    TavReportLog log;
    EXPECT_EQ(TavReadPacket(writeOnly, buffer, sizeof buffer), -1);
    fclose(writeOnly);
    EXPECT_TRUE(std::regex_match(log.Text(), std::regex(R"(\[Tav/TavPacketUtil\.cpp\(\d+\)\]\tfail to read header \(errno: 9\)\n)")))
        << log.Text();
}

}  // namespace
