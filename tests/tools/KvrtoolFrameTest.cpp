#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "recording/RecordingWriter.h"
#include "tests/support/FileBytes.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/RecordingFixture.h"
#include "tests/tools/VideoToolFixtures.h"
#include "video/JpegEncoder.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

// Records 0 to 8 of channel 0 but for 3: a frame before any key frame, audio, a key frame, a
// packet of channel 1 that cannot be read, the frame after the key frame, a frame after a gap,
// a video codec nobody decodes, a damaged JPEG picture, a video record whose packet is audio.
void WriteFaultyRecording(const RecordingFiles& files)
{
    constexpr uint32_t kWidth = 64;
    constexpr uint32_t kHeight = 48;
    StreamEncoder encoder;
    ASSERT_EQ(encoder.Open(kVideoCodecMpeg4, kWidth, kHeight, 25, 25), 0);
    std::vector<uint8_t> picture(kWidth * kHeight * 3);
    std::vector<PacketSpec> frames(3);
    for (uint8_t i = 0; i < frames.size(); ++i) {
        DrawTestPattern(picture.data(), kWidth, kHeight, i, 0);
        bool key = false;
        ASSERT_EQ(encoder.Encode(picture.data(), &frames[i].payload, &key), 0);
        frames[i].sequence = i;
    }
    PacketSpec gap = frames[2];
    gap.sequence = 3;
    PacketSpec unknownCodec = MarkedPacket(4, 0, 1, 0x46);
    PacketSpec damagedJpeg = MakeJpegPacketSpec(PacketSpec{}, {0xFF, 0xD8, 0x12, 0x34, 0xFF, 0xD9});
    PacketSpec otherChannel = MarkedPacket(5, 0, 2, 0x44);
    otherChannel.totalLength = 1 << 20;   // past the end of the file: cannot be read
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    const std::vector<std::pair<PacketSpec, uint8_t>> records = {
        {frames[1], 0x20}, {MarkedPacket(2, 0, 1, 0x92), 0x12}, {frames[0], 0x00}, {otherChannel, 0x00},
        {frames[1], 0x30}, {gap, 0x20}, {unknownCodec, 0x00}, {damagedJpeg, 0x10}, {MarkedPacket(3, 0, 1, 0x92), 0x00},
    };
    for (const auto& [spec, kind] : records) {
        ASSERT_GE(writer.WritePacket(spec, kind), 0);
    }
    ASSERT_EQ(writer.Close(), 0);
}

ToolRun Frame(const RecordingFiles& files, int32_t record, const std::string& out)
{
    return Kvrtool("frame " + Quoted(files.media) + " --record " + std::to_string(record) + " --out " + Quoted(out));
}

}  // namespace

// The record of frame k of channel 1 (seed 1) comes out as the view shows it, though channel
// 0's frames and channel 1's audio lie between its packets: it matches the pattern frame the
// view holds far better than its neighbour or the other channel, at the size the view's
// adjustments give. MPEG-4 is decoded with truncated input, so its decoder gives a picture
// only once the next one starts: the view holds the previous frame, except at the key frame
// a fresh decoder is fed twice.
TEST(KvrtoolFrame, WritesTheShownPictureOfAnyVideoRecord)
{
    struct Case {
        const char* codec;
        VideoCodecId id;
        uint32_t width;
        uint32_t height;
        bool fieldStacked;
        uint32_t frame;          // gop 4: frames 4 to 7 decode from frame 4
        uint32_t shownFrame;
        uint32_t shownWidth;
        uint32_t shownHeight;
    };
    const Case cases[] = {
        {"jpeg", kVideoCodecJpeg, 352, 240, false, 3, 3, 352, 240},
        {"jpeg", kVideoCodecJpeg, 349, 241, false, 1, 1, 349, 241},   // rows padded by 1 byte
        {"mpeg4", kVideoCodecMpeg4, 352, 240, false, 6, 6, 352, 240},
        {"h264", kVideoCodecH264, 352, 240, false, 7, 7, 352, 240},
        {"mpeg4", kVideoCodecMpeg4, 352, 144, false, 4, 4, 176, 144},   // every other column
        {"h264", kVideoCodecH264, 704, 240, false, 2, 2, 704, 480},     // rows doubled
        {"jpeg", kVideoCodecJpeg, 352, 480, true, 2, 2, 352, 480},      // one field, rows doubled
        {"h264", kVideoCodecH264, 352, 480, true, 5, 5, 352, 480},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.codec) + " " + std::to_string(c.width) + "x" + std::to_string(c.height) +
                                 (c.fieldStacked ? " stacked" : "");
        RecordingFiles files;
        const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
        const ToolRun synth = Kvrtool("synth " + Quoted(files.media) + " --channel 0:2:" + c.codec + " --channel 0:1:" +
                                      c.codec + " --audio 0:2:g711 --size " + size +
                                      " --fps 5 --gop 4 --seconds 2" + (c.fieldStacked ? " --field-stacked" : ""));
        ASSERT_EQ(synth.status, 0) << name << synth.err;
        const std::vector<int32_t> records = VideoRecordsOf(ReadAllRecords(files.media, files.index), 1);
        ASSERT_EQ(records.size(), 10u) << name;

        const std::string out = files.dir.File("frame.bmp");
        const ToolRun run = Frame(files, records[c.frame], out);
        ASSERT_EQ(run.status, 0) << name << run.err;
        const uint32_t keyFrame = c.id == kVideoCodecJpeg ? c.frame : c.frame / 4 * 4;
        EXPECT_NE(run.out.find("from the key frame at record " + std::to_string(records[keyFrame])), std::string::npos)
            << name << run.out;
        const Picture bmp = ReadBmp(out);
        ASSERT_EQ(bmp.width, c.shownWidth) << name;
        ASSERT_EQ(bmp.height, c.shownHeight) << name;
        auto psnrTo = [&](uint32_t frame, uint32_t seed) {
            return PicturePsnr(bmp, ShownPattern(c.id, c.width, c.height, frame, seed, c.fieldStacked));
        };
        const double right = psnrTo(c.shownFrame, 1);
        const double neighbour = psnrTo(c.shownFrame + 1, 1);
        const double otherChannel = psnrTo(c.shownFrame, 0);
        EXPECT_GT(right, 30.0) << name;
        EXPECT_GT(right, neighbour + 8.0) << name;
        EXPECT_GT(right, otherChannel + 8.0) << name;
    }
}

// Records the view would not show are refused with one line and exit status 1, and neither the
// recording nor an earlier output file is touched; command lines that make no sense exit 2.
TEST(KvrtoolFrame, RefusesRecordsItCannotShowAndOutputsItMustNotWrite)
{
    RecordingFiles files;
    WriteFaultyRecording(files);
    const std::vector<uint8_t> media = ReadFileBytes(files.media);
    const std::string out = files.dir.File("out.bmp");
    { std::ofstream(out) << "earlier"; }
    struct Case { int32_t record; const char* err; };
    const Case cases[] = {
        {0, "channel 0 has no key frame at or before record 0"},
        {1, "record 1 is not a video record (kind 0x12)"},
        {3, "the packet of record 3 cannot be read"},
        {5, "record 5 is dropped: channel 0 has a gap in its frame sequence since the key frame at record 2"},
        {6, "record 6 (video codec 6) cannot be decoded (decoder result -100)"},
        {7, "record 7 (JPEG) cannot be decoded (decoder result -101)"},
        {8, "record 8 is a video record, but its packet holds G.711"},
        {9, "record 9 does not exist: the index holds 9 records"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Frame(files, c.record, out);
        EXPECT_EQ(run.status, 1) << c.record;
        // The packet reader's own report may stand before the line.
        const std::string line = "kvrtool: " + files.media + ": " + c.err + "\n";
        EXPECT_TRUE(run.err.ends_with(line)) << c.record << run.err;
        EXPECT_EQ(run.out, "") << c.record;
    }
    EXPECT_EQ(ReadFileBytes(out), std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    // Channel 1's damaged packet between them does not stop channel 0's frame.
    const ToolRun next = Frame(files, 4, out);
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_NE(next.out.find("from the key frame at record 2"), std::string::npos) << next.out;
    EXPECT_EQ(ReadBmp(out).width, 64u);

    const std::string link = files.dir.File("link.bmp");
    ASSERT_EQ(symlink(files.media.c_str(), link.c_str()), 0);
    const ToolRun intoRecording = Frame(files, 2, link);
    EXPECT_EQ(intoRecording.status, 1);
    EXPECT_EQ(intoRecording.err, "kvrtool: " + link + ": is a file of the recording; the recording is never written\n");
    EXPECT_EQ(ReadFileBytes(files.media), media);

    const std::string m = " " + Quoted(files.media);
    const std::string o = " --out " + Quoted(out);
    for (const std::string& arguments :
         {std::string(""), m + o, m + " --record 2", m + " --record -1" + o, m + " --record x" + o,
          m + " --record 2 --out", m + " --record 2 --out x.png", m + " --record 2" + o + " --fast", m + m + " --record 2" + o}) {
        const ToolRun run = Kvrtool("frame" + arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_NE(run.err.find("kvrtool frame"), std::string::npos) << arguments << run.err;
    }
    EXPECT_EQ(Kvrtool("frame --help").status, 0);
}
