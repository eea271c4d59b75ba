// Finding records by wall-clock time: the binary search over the index and packet headers, on
// recordings whose times rise, stand still and jump back, and the key frame of each channel.
#include <gtest/gtest.h>

#include <vector>

#include "recording/CaptionText.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordTimes.h"
#include "tests/support/RecordingFixture.h"

namespace {

// A video packet of `channel` at `second` past 2020-06-01 00:00:00 UTC.
PacketSpec TimedPacket(int32_t second, uint16_t channel = 1, uint8_t sequence = 0)
{
    PacketSpec spec = MarkedPacket(1, 0, channel);
    spec.time = 1590969600u + static_cast<uint32_t>(second);
    spec.sequence = sequence;
    return spec;
}

int64_t Hundredths(int32_t second)
{
    return (1590969600LL + second) * 100;
}

bool Write(const RecordingFiles& files, const std::vector<PacketSpec>& packets)
{
    RecordingWriter writer;
    if (writer.Create(files.media, files.index) != 0) {
        return false;
    }
    for (const PacketSpec& packet : packets) {
        writer.WritePacket(packet);
    }
    return writer.Close() == 0;
}

int32_t Find(RecordTimes& times, int64_t hundredths)
{
    int32_t position = -2;
    EXPECT_EQ(times.FindRecordAtOrBefore(hundredths, &position), 0);
    return position;
}

TEST(RecordTimesTest, FindsTheLastRecordAtOrBeforeATime)
{
    RecordingFiles files;
    // Seconds 0, 2, 2, 4, 6, ..., 38: a pair shares second 2.
    std::vector<PacketSpec> packets{TimedPacket(0), TimedPacket(2), TimedPacket(2)};
    for (int32_t s = 4; s <= 38; s += 2) {
        packets.push_back(TimedPacket(s));
    }
    ASSERT_TRUE(Write(files, packets));
    RecordTimes times;
    ASSERT_EQ(times.Open(files.media.c_str(), files.index.c_str()), 0);
    ASSERT_EQ(times.RecordCount(), static_cast<int32_t>(packets.size()));
    int64_t time = 0;
    ASSERT_EQ(times.RecordTime(3, &time), 0);
    EXPECT_EQ(time, Hundredths(4));

    struct Case {
        int32_t second;
        int32_t record;
    };
    const Case cases[] = {{-5, kTimeNoRecord}, {0, 0}, {1, 0}, {2, 2}, {3, 2}, {4, 3}, {37, 19}, {38, 20}, {900, 20}};
    for (const Case& c : cases) {
        EXPECT_EQ(Find(times, Hundredths(c.second)), c.record) << "second " << c.second;
    }
}

TEST(RecordTimesTest, AClockThatJumpsBackStillGivesARecordAtOrBeforeTheTime)
{
    RecordingFiles files;
    // 0..9, then the clock goes back to 5 and runs on to 24.
    std::vector<PacketSpec> packets;
    for (int32_t s = 0; s < 10; ++s) {
        packets.push_back(TimedPacket(s));
    }
    for (int32_t s = 5; s < 25; ++s) {
        packets.push_back(TimedPacket(s));
    }
    ASSERT_TRUE(Write(files, packets));
    RecordTimes times;
    ASSERT_EQ(times.Open(files.media.c_str(), files.index.c_str()), 0);
    for (int32_t second = 0; second < 26; ++second) {
        const int32_t record = Find(times, Hundredths(second));
        ASSERT_GE(record, 0) << second;
        int64_t at = 0;
        ASSERT_EQ(times.RecordTime(record, &at), 0);
        EXPECT_LE(at, Hundredths(second)) << second;
        // A crossing: the record after it, if any, is later than the time.
        int64_t next = 0;
        if (record + 1 < times.RecordCount()) {
            ASSERT_EQ(times.RecordTime(record + 1, &next), 0);
            EXPECT_GT(next, Hundredths(second)) << second;
        }
    }
}

TEST(RecordTimesTest, KeyFramesOfEachChannelAtOrBeforeElseAfter)
{
    RecordingFiles files;
    // Channel 1 (number 0): key frames at records 0 and 6; channel 2 (number 1) starts with a
    // key frame at record 5; channel 3 (number 2) has no key frame at all.
    const std::vector<PacketSpec> packets{
        TimedPacket(0, 1, 0), TimedPacket(1, 1, 1), TimedPacket(1, 3, 4), TimedPacket(2, 1, 2),
        TimedPacket(3, 1, 3), TimedPacket(3, 2, 0), TimedPacket(4, 1, 0), TimedPacket(4, 2, 1),
    };
    ASSERT_TRUE(Write(files, packets));
    RecordTimes times;
    ASSERT_EQ(times.Open(files.media.c_str(), files.index.c_str()), 0);
    const int32_t channels[] = {0, 1, 2};
    struct Case {
        int32_t position;
        int32_t keys[3];
    };
    const Case cases[] = {
        {kTimeNoRecord, {0, 5, -1}},
        {3, {0, 5, -1}},
        {6, {6, 5, -1}},
        {7, {6, 5, -1}},
    };
    for (const Case& c : cases) {
        int32_t keys[3] = {};
        ASSERT_EQ(times.KeyRecordsAt(c.position, channels, 3, keys), 0);
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(keys[i], c.keys[i]) << "position " << c.position << ", channel " << i;
        }
    }
}

TEST(RecordTimesTest, MissingFilesDoNotOpen)
{
    RecordingFiles files;
    RecordTimes times;
    EXPECT_EQ(times.Open(files.media.c_str(), files.index.c_str()), kMediaOpenFailed);
    EXPECT_EQ(times.RecordCount(), 0);
}

}  // namespace
