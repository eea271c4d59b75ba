#include <gtest/gtest.h>

#include <vector>

#include "playback/FrameTime.h"
#include "playback/PaceClock.h"
#include "recording/RecordingWriter.h"

TEST(Pacing, SpeedFactorsKeepTrueTimeWhateverTheChannels)
{
    struct Case { int32_t speedIndex; double factor; };
    const Case cases[] = {{1, 0.2}, {2, 0.5}, {3, 1.0}, {4, 2.0}, {5, 10.0}, {0, 1.0}, {6, 1.0}, {-1, 1.0}};
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(SpeedFactor(c.speedIndex), c.factor) << c.speedIndex;
    }
    EXPECT_GE(SpeedFactor(5), kNoWaitFactor) << "Fastest never waits";
}

namespace {

// One video packet paced: its frame time, the wall tick its delivery ended at, the wait expected.
struct PacedPacket {
    int32_t frameTime;
    int32_t nowTick;
    int32_t wait;
};

struct PaceCase {
    const char* what;
    int32_t speedIndex;
    bool backwards;
    std::vector<PacedPacket> packets;
    bool behindAfter;
};

}  // namespace

TEST(Pacing, EachPacketWaitsUntilItsTimeIsDueFromTheAnchor)
{
    const PaceCase cases[] = {
        {"the first packet anchors", 3, false, {{5000, 100, 0}}, false},
        {"Normal: due 200 ms after the anchor, delivery took 60", 3, false, {{5000, 100, 0}, {5200, 160, 140}}, false},
        {"waits are not summed: each is due from the anchor",
         3, false, {{5000, 0, 0}, {5040, 10, 30}, {5080, 40, 40}, {5120, 95, 25}}, false},
        {"a packet a little late is delivered at once, the anchor stays",
         3, false, {{5000, 0, 0}, {5040, 90, 0}, {5080, 90, 0}, {5120, 95, 25}}, false},
        {"Slowest: 40 ms of recording take 200", 1, false, {{5000, 0, 0}, {5040, 0, 200}}, false},
        {"Fast: 200 ms of recording take 100", 4, false, {{5000, 0, 0}, {5200, 0, 100}}, false},
        {"Fastest never waits", 5, false, {{5000, 0, 0}, {9000, 0, 0}}, false},
        {"equal times", 3, false, {{5000, 0, 0}, {5000, 0, 0}}, false},
        {"a gap waits at most 2 s, then time runs from there",
         3, false, {{5000, 0, 0}, {905000, 0, 2000}, {905040, 2000, 40}}, false},
        {"a gap at Slowest", 1, false, {{5000, 0, 0}, {6000, 0, 2000}, {6040, 2000, 200}}, false},
        {"a jump backwards while playing forwards does not sleep",
         3, false, {{5000, 0, 0}, {4000, 0, 0}, {4040, 0, 40}}, false},
        {"backwards: due as time runs down", 3, true, {{5000, 0, 0}, {4800, 50, 150}}, false},
        {"backwards, a jump forwards does not sleep", 3, true, {{5000, 0, 0}, {5200, 0, 0}, {5160, 0, 40}}, false},
        {"falling behind is shown", 3, false, {{5000, 0, 0}, {5040, 200, 0}}, true},
        {"falling behind re-anchors: no rush to catch up, and keeping up clears it",
         3, false, {{5000, 0, 0}, {5040, 200, 0}, {5080, 210, 30}}, false},
        {"the wall clock wraps", 3, false, {{5000, -10, 0}, {5200, 50, 140}}, false},
        {"the frame time wraps", 3, false, {{INT32_MAX - 100, 0, 0}, {INT32_MIN + 99, 0, 200}}, false},
    };
    for (const PaceCase& c : cases) {
        PaceClock clock;
        for (size_t i = 0; i < c.packets.size(); ++i) {
            const PacedPacket& p = c.packets[i];
            EXPECT_EQ(PaceDelay(clock, c.speedIndex, c.backwards, p.frameTime, p.nowTick), p.wait)
                << c.what << ", packet " << i;
        }
        EXPECT_EQ(clock.behind, c.behindAfter) << c.what;
    }
}

TEST(Pacing, ASpeedOrDirectionChangeReAnchors)
{
    PaceClock clock;
    EXPECT_EQ(PaceDelay(clock, 3, false, 5000, 0), 0);
    EXPECT_EQ(PaceDelay(clock, 3, false, 5040, 0), 40);
    // Now at Slowest: the packet shown anchors, the next is due 40 / 0.2 later.
    EXPECT_EQ(PaceDelay(clock, 1, false, 5080, 40), 0);
    EXPECT_EQ(PaceDelay(clock, 1, false, 5120, 40), 200);
    EXPECT_EQ(PaceDelay(clock, 1, true, 5080, 240), 0);
    EXPECT_EQ(PaceDelay(clock, 1, true, 5040, 240), 200);
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
