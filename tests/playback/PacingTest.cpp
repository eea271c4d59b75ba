#include <gtest/gtest.h>

#include <vector>

#include "playback/FrameTime.h"
#include "playback/PaceClock.h"
#include "recording/RecordingWriter.h"

TEST(Pacing, SpeedFactors)
{
    struct Case { int32_t speedIndex; int32_t channels; double factor; };
    const Case cases[] = {
        {1, 4, 0.2}, {2, 4, 0.5}, {3, 1, 1.1}, {3, 4, 1.4}, {3, 16, 2.6}, {3, 30, 4.0},
        {4, 4, 2.0}, {5, 4, 10.0}, {0, 4, 1.0}, {6, 4, 1.0}, {-1, 4, 1.0},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(SpeedFactor(c.speedIndex, c.channels), c.factor) << c.speedIndex << "/" << c.channels;
    }
}

TEST(Pacing, ComputeDelay)
{
    struct Case {
        const char* what;
        double factor;
        PaceClock clock;   // readTick, waitTick, frameTime, prevFrameTime
        bool backwards;
        int32_t delay;
    };
    const Case cases[] = {
        {"first video packet", 1.1, {0, 10, 5000, 0}, false, 0},
        {"same frame time as the previous", 1.1, {0, 10, 5000, 5000}, false, 0},
        {"200 ms apart, 60 ms taken, four channels", 1.4, {100, 160, 5200, 5000}, false, 100},
        {"one second apart at the slowest speed, capped", 0.2, {0, 10, 6000, 5000}, false, 2000},
        {"fastest speed", 10.0, {0, 10, 6000, 5000}, false, 0},
        {"thirty channels at the middle speed", 4.0, {0, 10, 6000, 5000}, false, 0},
        {"delivery took longer than the gap", 1.0, {0, 250, 5200, 5000}, false, 0},
        {"delivery took exactly the gap", 1.0, {0, 200, 5200, 5000}, false, 0},
        {"forward jump after a gap", 1.0, {0, 0, 900000, 5000}, false, 2000},
        {"backward jump while playing forwards", 1.0, {0, 0, 4000, 5000}, false, 0},
        {"backwards, 200 ms apart, 50 ms taken, one channel", 1.1, {0, 50, 4800, 5000}, true, 136},
        {"backwards, delivery took the whole gap", 1.1, {0, 200, 4800, 5000}, true, 0},
        {"forward jump while playing backwards", 1.1, {0, 0, 5200, 5000}, true, 0},
        {"clock wrapped during the delivery", 1.0, {-10, 50, 5200, 5000}, false, 140},
        {"frame time wrapped between packets", 1.0, {0, 0, INT32_MIN + 99, INT32_MAX - 100}, false, 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeDelay(c.factor, c.clock, c.backwards), c.delay) << c.what;
    }
}

namespace {

PacketSpec Dated(uint16_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second,
                 uint8_t hundredths)
{
    PacketSpec spec;
    spec.year = year;
    spec.month = month;
    spec.day = day;
    spec.hour = hour;
    spec.minute = minute;
    spec.second = second;
    spec.hundredths = hundredths;
    return spec;
}

int64_t Delta(const PacketSpec& earlier, const PacketSpec& later, FrameTimeCache* cache = nullptr)
{
    const int32_t first = PacketFrameTime(BuildPacket(earlier).data(), cache);
    const int32_t second = PacketFrameTime(BuildPacket(later).data(), cache);
    return static_cast<int32_t>(static_cast<uint32_t>(second) - static_cast<uint32_t>(first));
}

}  // namespace

TEST(Pacing, FrameTimeDifferences)
{
    struct Case { const char* what; PacketSpec earlier; PacketSpec later; int64_t delta; };
    const Case cases[] = {
        {"equal dates", Dated(2026, 3, 4, 5, 6, 7, 8), Dated(2026, 3, 4, 5, 6, 7, 8), 0},
        {"hundredths", Dated(2026, 3, 4, 5, 6, 7, 8), Dated(2026, 3, 4, 5, 6, 7, 28), 200},
        {"into the next minute", Dated(2026, 3, 4, 5, 6, 59, 90), Dated(2026, 3, 4, 5, 7, 0, 10), 200},
        {"backwards", Dated(2026, 3, 4, 5, 6, 8, 0), Dated(2026, 3, 4, 5, 6, 7, 80), -200},
        {"equal dates before 1970", Dated(1960, 5, 6, 7, 8, 9, 10), Dated(1960, 5, 6, 7, 8, 9, 10), 0},
        {"one second before 1970", Dated(1969, 12, 31, 23, 59, 59, 0), Dated(1969, 12, 31, 23, 59, 59, 50), 500},
        {"new year after 2038", Dated(2099, 12, 31, 23, 59, 59, 50), Dated(2100, 1, 1, 0, 0, 0, 50), 1000},
        {"leap day after 2038", Dated(2040, 2, 28, 12, 0, 0, 0), Dated(2040, 3, 1, 12, 0, 0, 0), 2 * 86400000LL},
        {"month out of range", Dated(2020, 13, 1, 0, 0, 0, 0), Dated(2020, 13, 1, 0, 0, 1, 0), 1000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Delta(c.earlier, c.later), c.delta) << c.what;
    }
}

TEST(Pacing, FrameTimeCacheNeverServesAnotherDate)
{
    FrameTimeCache cache;
    const std::vector<PacketSpec> dates = {
        Dated(2026, 3, 4, 5, 6, 7, 0), Dated(2026, 3, 4, 5, 6, 7, 50), Dated(2026, 3, 4, 5, 6, 8, 0),
        Dated(2026, 3, 5, 5, 6, 8, 0), Dated(1960, 3, 5, 5, 6, 8, 0), Dated(2026, 3, 4, 5, 6, 7, 0),
    };
    for (const PacketSpec& date : dates) {
        const std::vector<uint8_t> packet = BuildPacket(date);
        EXPECT_EQ(PacketFrameTime(packet.data(), &cache), PacketFrameTime(packet.data(), nullptr));
    }
}
