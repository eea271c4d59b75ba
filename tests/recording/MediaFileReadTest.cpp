#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/MediaFileMng.h"
#include "tests/support/RecordingFixture.h"

namespace {

constexpr int32_t kNoMore = kMediaNoMoreData;

// A recording of marked packets (record i carries marker i + 1), opened.
class OpenedRecording {
public:
    explicit OpenedRecording(const std::vector<uint8_t>& kinds)
    {
        EXPECT_TRUE(WriteMarkedRecording(files, kinds));
        EXPECT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    }

    // The marker of the packet a read returned, or the read's code when nothing was read.
    int32_t Marker(int32_t result) const { return result > 0 ? MarkerOf(buffer.data()) : result; }
    int32_t Next() { return Marker(manager.ReadNext(buffer.data())); }
    int32_t Previous() { return Marker(manager.ReadPrevious(buffer.data())); }
    int32_t At(int32_t position) { return Marker(manager.ReadAt(position, buffer.data())); }

    RecordingFiles files;
    MediaFileMng manager;
    std::vector<uint8_t> buffer = std::vector<uint8_t>(kMediaReadCapacity);
};

TEST(MediaFileRead, ForwardFromOpenStartsAtRecordZero)
{
    OpenedRecording rec({0x00, 0x10, 0x00});
    EXPECT_EQ(rec.Next(), 1);
    EXPECT_EQ(rec.manager.recordNo, 1);
    EXPECT_EQ(rec.manager.ReadNext(rec.buffer.data()), 68);   // the packet's length
    EXPECT_EQ(rec.Next(), 3);
    EXPECT_EQ(rec.Next(), kNoMore);
    EXPECT_EQ(rec.manager.recordNo, 3);
}

TEST(MediaFileRead, BackwardFromOpenHasNothing)
{
    OpenedRecording rec({0x00, 0x00});
    EXPECT_EQ(rec.Previous(), kNoMore);
    EXPECT_EQ(rec.manager.recordNo, 0);
}

// Where each kind of record stops reads: record 1 is of the kind under test, between two
// video records. Forwards from record 0 the next read returns record 1 only if forward reads
// stop there; backwards from record 2 likewise; at its position ReadAt answers 0 otherwise.
TEST(MediaFileRead, ReadRulesForEachIndexKind)
{
    const uint8_t kinds[] = {0x00, 0x10, 0x50, 0xF0, 0x40, 0x12, 0x32, 0x92, 0x22, 0x02, 0x52, 0x01, 0x11, 0x13, 0xFF};
    for (const uint8_t kind : kinds) {
        const bool forward = IndexKindStopsForward(kind);
        const bool backward = kind == 0x00 || kind == 0x10 || kind == 0x50;
        OpenedRecording rec({0x00, kind, 0x00});
        EXPECT_EQ(rec.Next(), 1) << int{kind};
        EXPECT_EQ(rec.Next(), forward ? 2 : 3) << int{kind};
        EXPECT_EQ(rec.manager.recordNo, forward ? 2 : 3);

        EXPECT_EQ(rec.At(2), 3);
        EXPECT_EQ(rec.Previous(), backward ? 2 : 1) << int{kind};
        EXPECT_EQ(rec.manager.recordNo, backward ? 1 : 0);

        EXPECT_EQ(rec.At(1), forward ? 2 : kMediaNotStopped) << int{kind};
        EXPECT_EQ(rec.manager.recordNo, 1);
    }
}

TEST(MediaFileRead, ChangingDirectionNeverRepeatsTheCurrentRecord)
{
    OpenedRecording rec({0x00, 0x00, 0x00, 0x00});
    // Forwards, then backwards: the search starts with the record before the current one.
    EXPECT_EQ(rec.Next(), 1);
    EXPECT_EQ(rec.Next(), 2);
    EXPECT_EQ(rec.Next(), 3);
    EXPECT_EQ(rec.Previous(), 2);
    EXPECT_EQ(rec.Previous(), 1);
    EXPECT_EQ(rec.Previous(), kNoMore);
    // Backwards, then forwards: the record after the current one.
    EXPECT_EQ(rec.Next(), 2);
    EXPECT_EQ(rec.Next(), 3);
    EXPECT_EQ(rec.Next(), 4);
    EXPECT_EQ(rec.Next(), kNoMore);
    EXPECT_EQ(rec.Previous(), 3);
    // After ReadAt, both directions continue from its neighbours.
    EXPECT_EQ(rec.At(1), 2);
    EXPECT_EQ(rec.Next(), 3);
    EXPECT_EQ(rec.At(1), 2);
    EXPECT_EQ(rec.Previous(), 1);
}

TEST(MediaFileRead, BackwardFromTheFirstRecords)
{
    {
        OpenedRecording rec({0x00, 0x00});
        EXPECT_EQ(rec.Next(), 1);
        EXPECT_EQ(rec.Previous(), kNoMore);   // the current record is the first
    }
    {
        OpenedRecording rec({0x50, 0x00});
        EXPECT_EQ(rec.Next(), 1);
        EXPECT_EQ(rec.Next(), 2);
        EXPECT_EQ(rec.Previous(), 1);
    }
    {
        OpenedRecording rec({0x12, 0x00, 0x00});
        EXPECT_EQ(rec.At(2), 3);
        EXPECT_EQ(rec.Previous(), 2);
        EXPECT_EQ(rec.Previous(), kNoMore);   // record 0 is audio: backward reads pass it
        EXPECT_EQ(rec.manager.recordNo, 0);
    }
}

TEST(MediaFileRead, RecordCounterFollowsEveryRecordRead)
{
    OpenedRecording rec({0x00, 0x22, 0x22, 0x00, 0x22});
    EXPECT_EQ(rec.Next(), 1);
    EXPECT_EQ(rec.Next(), 4);
    EXPECT_EQ(rec.manager.recordNo, 4);
    EXPECT_EQ(rec.Next(), kNoMore);          // passes over the last record, then the index ends
    EXPECT_EQ(rec.manager.recordNo, 5);
    EXPECT_EQ(rec.At(4), kMediaNotStopped);  // kind 0x22 is not one a read stops at
    EXPECT_EQ(rec.manager.recordNo, 4);
    EXPECT_EQ(rec.At(5), kNoMore);           // the number of records
}

TEST(MediaFileRead, OnlyPassedOverRecordsGiveNoMore)
{
    OpenedRecording rec({0x22, 0x01, 0x22});
    EXPECT_EQ(rec.Next(), kNoMore);
    EXPECT_EQ(rec.manager.recordNo, 3);
}

// The media position decides too: after the packet that ends the media file, forward reads
// have nothing left although index records remain.
TEST(MediaFileRead, PacketEndingTheMediaFileEndsForwardReads)
{
    RecordingFiles files;
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    ASSERT_GE(writer.WritePacket(MarkedPacket(1)), 0);
    ASSERT_EQ(writer.WriteIndexRecord(MakeIndexRecord(0, 1, 0x00, 0)), 0);
    ASSERT_EQ(writer.Close(), 0);
    MediaFileMng manager;
    ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    EXPECT_GT(manager.ReadNext(buffer.data()), 0);
    EXPECT_EQ(manager.ReadNext(buffer.data()), kNoMore);
    EXPECT_EQ(manager.recordNo, 1);
}

// A trailing piece of the index is never read as a record, and leaves the cursor on a record
// boundary, so reading back from the end finds the right records.
TEST(MediaFileRead, TrailingPieceIsNotARecord)
{
    RecordingFiles files;
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    ASSERT_GE(writer.WritePacket(MarkedPacket(1)), 0);
    ASSERT_GE(writer.WritePacket(MarkedPacket(2)), 0);
    ASSERT_GE(writer.WritePacketOnly(MarkedPacket(3)), 0);   // the media file goes on
    const uint8_t piece[10] = {0, 0, 1, 0};
    ASSERT_EQ(writer.WriteIndexBytes(piece, sizeof piece), 0);
    ASSERT_EQ(writer.Close(), 0);
    MediaFileMng manager;
    ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    ASSERT_GT(manager.ReadNext(buffer.data()), 0);
    ASSERT_GT(manager.ReadNext(buffer.data()), 0);
    EXPECT_EQ(manager.ReadNext(buffer.data()), kNoMore);
    EXPECT_EQ(manager.ReadNext(buffer.data()), kNoMore);
    EXPECT_EQ(manager.recordNo, 2);
    ASSERT_GT(manager.ReadPrevious(buffer.data()), 0);
    EXPECT_EQ(MarkerOf(buffer.data()), 1);
}

struct FailureCase {
    const char* name;
    IndexRecord badRecord;     // record 1; record 0 and 2 are good video records
    bool cutMedia;             // the media file ends inside the last packet
    int32_t code;
};

class MediaFileFailureTest : public testing::TestWithParam<FailureCase> {};

// A record the media file cannot serve fails every kind of read with -102.
TEST_P(MediaFileFailureTest, UnreadablePacketsFailEveryRead)
{
    const FailureCase& c = GetParam();
    RecordingFiles files;
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    ASSERT_GE(writer.WritePacket(MarkedPacket(1)), 0);
    ASSERT_EQ(writer.WriteIndexRecord(c.badRecord), 0);
    PacketSpec last = MarkedPacket(3);
    if (c.cutMedia) {
        last.writtenBytes = 64;
    }
    ASSERT_GE(writer.WritePacket(last), 0);
    ASSERT_EQ(writer.Close(), 0);

    MediaFileMng manager;
    ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    ASSERT_GT(manager.ReadNext(buffer.data()), 0);
    EXPECT_EQ(manager.ReadNext(buffer.data()), c.code);
    EXPECT_EQ(manager.ReadAt(1, buffer.data()), c.code);
    if (!c.cutMedia) {
        ASSERT_GT(manager.ReadAt(2, buffer.data()), 0);
        EXPECT_EQ(manager.ReadPrevious(buffer.data()), c.code);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MediaFileFailureTest,
    testing::Values(FailureCase{"OffsetAtOrBeyond2GiB", MakeIndexRecord(0, 1, 0x00, 0x80000000u), false, kMediaReadFailed},
                    FailureCase{"OffsetBeyondTheMediaFile", MakeIndexRecord(0, 1, 0x00, 1000000), false, kMediaReadFailed},
                    FailureCase{"OffsetInsideAPacket", MakeIndexRecord(0, 1, 0x00, 30), false, kMediaReadFailed},
                    FailureCase{"PacketCutShort", MakeIndexRecord(0, 1, 0x00, 68), true, kMediaReadFailed}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST(MediaFileRead, ClosedFilesFailReads)
{
    OpenedRecording rec({0x00, 0x00});
    rec.manager.Close();
    EXPECT_EQ(rec.Next(), kMediaIndexFailed);
    EXPECT_EQ(rec.Previous(), kMediaIndexFailed);
    EXPECT_EQ(rec.At(0), kMediaIndexFailed);
    MediaFileMng never;
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    EXPECT_EQ(never.ReadNext(buffer.data()), kMediaIndexFailed);
}

// Reading a whole recording backwards from the end yields exactly the backward-stopping records
// in reverse order, and forwards again afterwards.
TEST(MediaFileRead, WholeRecordingBothWays)
{
    const std::vector<uint8_t> kinds = {0x00, 0x12, 0x10, 0x10, 0x22, 0x50, 0x00, 0x92, 0x10};
    OpenedRecording rec(kinds);
    std::vector<int32_t> forward;
    for (int32_t m = rec.Next(); m > 0; m = rec.Next()) {
        forward.push_back(m);
    }
    EXPECT_EQ(forward, (std::vector<int32_t>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_EQ(rec.manager.recordNo, 9);
    std::vector<int32_t> backward;
    for (int32_t m = rec.Previous(); m > 0; m = rec.Previous()) {
        backward.push_back(m);
    }
    // The media position stands at the file's end after the last packet: backwards reads begin
    // with the record before the last one read.
    EXPECT_EQ(backward, (std::vector<int32_t>{7, 6, 4, 3, 1}));
    EXPECT_EQ(rec.manager.recordNo, 1);
    EXPECT_EQ(rec.Next(), 2);
}

}  // namespace
