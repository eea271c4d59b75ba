#include <gtest/gtest.h>

#include <string>

#include "recording/RecordingWriter.h"
#include "tests/support/KvrtoolRun.h"
#include "tests/support/RecordingFixture.h"

namespace {

// Two channels out of index order, audio on one, a JPEG packet, and a record kind of each sort.
void WriteMixedRecording(const RecordingFiles& files)
{
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    PacketSpec video = MarkedPacket(1, 1, 2, 0x45);
    video.year = 2010;
    video.month = 2;
    video.day = 3;
    video.hour = 4;
    video.minute = 5;
    video.second = 6;
    video.hundredths = 7;
    ASSERT_GE(writer.WritePacket(video, 0x00), 0);
    PacketSpec audio = MarkedPacket(2, 0, 1, 0x92);
    ASSERT_GE(writer.WritePacket(audio, 0x12), 0);
    PacketSpec jpeg = MakeJpegPacketSpec(MarkedPacket(3, 0, 1), {0xFF, 0xD8, 0xFF, 0xD9});
    ASSERT_GE(writer.WritePacket(jpeg, 0x10), 0);
    video.second = 9;
    ASSERT_GE(writer.WritePacket(video, 0x10), 0);
    ASSERT_EQ(writer.Close(), 0);
}

TEST(KvrtoolInfo, TextListsChannelsCodecsDatesAndKinds)
{
    RecordingFiles files;
    WriteMixedRecording(files);
    const ToolRun run = Kvrtool("info '" + files.media + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("records      4"), std::string::npos) << run.out;
    // Channel 0 (unit 0 channel 1) comes before channel 5 (unit 1 channel 2).
    const size_t first = run.out.find("   0  unit 0 channel 1  video 1  audio 1  codecs G.711, JPEG");
    const size_t second = run.out.find("   5  unit 1 channel 2  video 2  audio 0  codecs H.264");
    EXPECT_NE(first, std::string::npos) << run.out;
    EXPECT_NE(second, std::string::npos) << run.out;
    EXPECT_LT(first, second);
    EXPECT_NE(run.out.find("first 2010-02-03 04:05:06.07  last 2010-02-03 04:05:09.07"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("0x00  1\n  0x10  2\n  0x12  1\n"), std::string::npos) << run.out;
}

TEST(KvrtoolInfo, JsonIsOneObjectWithTheAgreedKeys)
{
    RecordingFiles files;
    WriteMixedRecording(files);
    const ToolRun run = Kvrtool("info --json '" + files.media + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.front(), '{');
    EXPECT_EQ(run.out.substr(run.out.size() - 2), "}\n");
    for (const char* fragment :
         {"\"records\":4", "\"indexSize\":80", "\"mediaSize\":", "\"kinds\":{\"0x00\":1,\"0x10\":2,\"0x12\":1}",
          "\"channels\":[{\"number\":0,\"unit\":0,\"channel\":1,\"videoRecords\":1,\"audioRecords\":1",
          "{\"number\":5,\"unit\":1,\"channel\":2,\"videoRecords\":2,\"audioRecords\":0"}) {
        EXPECT_NE(run.out.find(fragment), std::string::npos) << fragment << "\n" << run.out;
    }
}

TEST(KvrtoolInfo, UnusableRecordingsGiveOneLineAndStatus1)
{
    RecordingFiles files;
    WriteMixedRecording(files);
    RecordingFiles noIndex;
    WriteMixedRecording(noIndex);
    std::remove(noIndex.index.c_str());
    RecordingFiles empty;
    WriteMixedRecording(empty);
    fclose(fopen(empty.media.c_str(), "wb"));

    const struct {
        std::string media;
        std::string named;
        const char* why;
    } cases[] = {
        {files.dir.File("none.kvr"), files.dir.File("none.kvr"), "No such file or directory"},
        {noIndex.media, noIndex.index, "No such file or directory"},
        {empty.media, empty.media, "file is empty"},
    };
    for (const auto& c : cases) {
        const ToolRun run = Kvrtool("info '" + c.media + "'");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "kvrtool: " + c.named + ": " + c.why + "\n");
        EXPECT_EQ(run.out, "");
    }
}

TEST(KvrtoolInfo, HelpAndWrongCommandLines)
{
    const ToolRun help = Kvrtool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("info RECORDING.kvr"), std::string::npos);
    const ToolRun infoHelp = Kvrtool("info --help");
    EXPECT_EQ(infoHelp.status, 0);
    EXPECT_NE(infoHelp.out.find("usage: kvrtool info"), std::string::npos);
    EXPECT_EQ(Kvrtool("info").status, 2);
    EXPECT_EQ(Kvrtool("info a.kvr b.kvr").status, 2);
    EXPECT_EQ(Kvrtool("frobnicate").status, 2);
    EXPECT_EQ(Kvrtool("").status, 2);
}

TEST(KvrtoolSample, WritesARecordingThatInfoReads)
{
    RecordingFiles files;
    const ToolRun sample = Kvrtool("sample '" + files.media + "' --channels 2 --seconds 1 --fps 5");
    ASSERT_EQ(sample.status, 0) << sample.err;
    const ToolRun info = Kvrtool("info --json '" + files.media + "'");
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("\"records\":20"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"videoRecords\":5,\"audioRecords\":5"), std::string::npos) << info.out;
    EXPECT_EQ(Kvrtool("sample '" + files.media + "' --channels 0").status, 2);
}

}  // namespace
