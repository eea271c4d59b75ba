#include <gtest/gtest.h>

#include <string>

#include "recording/RecordingWriter.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/TimedPackets.h"
#include "video/JpegEncoder.h"

namespace {

// Two channels 10 ms apart, key frames and others, audio on channel 0 (unit 0 channel 1).
void WritePlayRecording(const RecordingFiles& files)
{
    ASSERT_TRUE(WriteTestRecording(files, {
        VideoPacket(1, 0, 0, 1), VideoPacket(2, 0, 0, 2), AudioPacket(3, 0, 1),
        VideoPacket(4, 10, 1, 1), VideoPacket(5, 10, 1, 2), AudioPacket(6, 10, 1),
        VideoPacket(7, 20, 2, 1), JpegPacket(8, 20, 2),
    }));
}

std::string Channel(int number, int video, int audio)
{
    return "{\"number\":" + std::to_string(number) + ",\"videoPackets\":" + std::to_string(video) +
           ",\"audioPackets\":" + std::to_string(audio) + "}";
}

// A channel of the report with --decode whose every video packet was decoded into 704 x 480.
std::string Decoded(int number, int video)
{
    return "{\"number\":" + std::to_string(number) + ",\"videoPackets\":" + std::to_string(video) +
           ",\"audioPackets\":0,\"decoded\":" + std::to_string(video) +
           ",\"failed\":0,\"dropped\":0,\"width\":704,\"height\":480}";
}

}  // namespace

TEST(KvrtoolPlay, CountsWhatEachChannelIsGiven)
{
    RecordingFiles files;
    WritePlayRecording(files);
    struct Case { const char* options; std::string channels; int records; };
    const Case cases[] = {
        {"--speed 5", Channel(0, 3, 0) + "," + Channel(1, 3, 0), 8},
        {"--speed 3", Channel(0, 3, 2) + "," + Channel(1, 3, 0), 8},
        // From the end back: the last record read forwards is not read again, audio records are
        // passed over, and only key frames are delivered.
        {"--speed 5 --backward", Channel(0, 1, 0) + "," + Channel(1, 1, 0), 5},
    };
    for (const Case& c : cases) {
        const ToolRun run = Kvrtool(std::string("play --json ") + c.options + " '" + files.media + "'");
        ASSERT_EQ(run.status, 0) << c.options << run.err;
        EXPECT_NE(run.out.find("{\"channels\":[" + c.channels + "],\"records\":" + std::to_string(c.records) +
                               ",\"wallMs\":"),
                  std::string::npos) << c.options << "\n" << run.out;
        EXPECT_NE(run.out.find("\"readFailure\":false}"), std::string::npos) << c.options << "\n" << run.out;
    }
}

TEST(KvrtoolPlay, TextReportAndAReadFailure)
{
    RecordingFiles files;
    {
        RecordingWriter writer;
        ASSERT_EQ(writer.Create(files.media, files.index), 0);
        ASSERT_GE(writer.WritePacket(VideoPacket(1, 0).spec, 0x00), 0);
        ASSERT_EQ(writer.WriteIndexRecord(MakeIndexRecord(0, 1, 0x00, 1u << 20)), 0);   // past the end
        ASSERT_GE(writer.WritePacket(VideoPacket(3, 80).spec, 0x00), 0);
        ASSERT_EQ(writer.Close(), 0);
    }
    const ToolRun run = Kvrtool("play --speed 5 '" + files.media + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("      0               1               0\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("records read   1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("read failure   yes"), std::string::npos) << run.out;
}

// Each channel decodes on its own decoder: every frame forwards, every key frame backwards,
// at the size the view shows (704 x 240 has its rows doubled); without --decode nothing is
// decoded or reported.
TEST(KvrtoolPlay, DecodeCountsFramesAndShownSizePerChannel)
{
    RecordingFiles files;
    const ToolRun synth = RunTool(KVRTOOL_PATH, "synth '" + files.media + "' --channel 0:1:jpeg --channel 0:2:mpeg4"
                                                " --channel 1:1:h264 --audio 0:1:ima --size 704x240 --fps 10 --gop 5 --seconds 2");
    ASSERT_EQ(synth.status, 0) << synth.err;
    struct Case { const char* options; std::string channels; };
    const Case cases[] = {
        {"--decode", Decoded(0, 20) + "," + Decoded(1, 20) + "," + Decoded(4, 20)},
        {"--decode --backward", Decoded(0, 20) + "," + Decoded(1, 4) + "," + Decoded(4, 4)},
        {"", Channel(0, 20, 0) + "," + Channel(1, 20, 0) + "," + Channel(4, 20, 0)},
    };
    for (const Case& c : cases) {
        const ToolRun run = Kvrtool(std::string("play --json --speed 5 ") + c.options + " '" + files.media + "'");
        ASSERT_EQ(run.status, 0) << c.options << run.err;
        EXPECT_NE(run.out.find("{\"channels\":[" + c.channels + "]"), std::string::npos) << c.options << "\n" << run.out;
    }
}

// Packets the sequence check drops and packets no decoder takes are counted apart; the frame
// keeps the size of the last picture.
TEST(KvrtoolPlay, DecodeCountsDroppedAndFailedPackets)
{
    RecordingFiles files;
    std::vector<uint8_t> jpeg;
    std::vector<uint8_t> picture(32 * 16 * 3, 0x80);
    ASSERT_EQ(EncodeJpeg(picture.data(), 32, 16, 90, false, &jpeg), 0);
    TestPacket unknownCodec = VideoPacket(4, 30);
    unknownCodec.spec.type = 0x46;
    ASSERT_TRUE(WriteTestRecording(files, {
        TestPacket{MakeJpegPacketSpec(VideoPacket(1, 0).spec, jpeg), 0x00},
        VideoPacket(2, 10, 1),   // no key frame before it
        VideoPacket(3, 20, 2),
        unknownCodec,
    }));
    const ToolRun run = Kvrtool("play --json --decode --speed 5 '" + files.media + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(R"({"number":0,"videoPackets":4,"audioPackets":0,"decoded":1,"failed":1,"dropped":2,"width":32,"height":16})"),
              std::string::npos) << run.out;
    const ToolRun text = Kvrtool("play --decode --speed 5 '" + files.media + "'");
    EXPECT_NE(text.out.find("decoded   failed   dropped   last frame\n"
                            "      0               4               0         1        1         2      32 x 16\n"),
              std::string::npos) << text.out;
}

TEST(KvrtoolPlay, RefusesBadCommandLinesAndMissingRecordings)
{
    RecordingFiles files;
    WritePlayRecording(files);
    struct Case { std::string arguments; int status; const char* err; };
    const Case cases[] = {
        {"play", 2, "usage: kvrtool play"},
        {"play --speed 6 '" + files.media + "'", 2, "--speed takes 1 to 5"},
        {"play --speed '" + files.media + "'", 2, "--speed takes 1 to 5"},
        {"play --fast '" + files.media + "'", 2, "unexpected argument '--fast'"},
        {"play '" + files.dir.File("none.kvr") + "'", 1, "none.kvr"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Kvrtool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.arguments << "\n" << run.err;
    }
    const ToolRun help = Kvrtool("play --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--backward"), std::string::npos);
}
