#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "Tav/TavPacketUtil.h"
#include "playback/QelSmartControlThread.h"
#include "playback/PaceClock.h"
#include "playback/QelSmartHandler.h"
#include "recording/RecordingWriter.h"
#include "tests/playback/PlaybackHarness.h"
#include "tests/support/DrivenClock.h"

namespace {

using Markers = std::vector<uint8_t>;

// Markers delivered since `before` deliveries.
Markers DeliveredSince(PlaybackHarness& harness, size_t before)
{
    const Markers all = harness.Markers();
    return Markers(all.begin() + static_cast<std::ptrdiff_t>(std::min(before, all.size())), all.end());
}

}  // namespace

TEST(PlaybackLoop, ForwardDeliversVideoInOrderToTheChannelOfEachPacket)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0, 0, 1), VideoPacket(2, 40, 0, 2), VideoPacket(3, 80, 1, 1),
                             AudioPacket(4, 80, 2), VideoPacket(5, 120, 2, 2)});
    ASSERT_TRUE(harness.Start(5));
    ASSERT_TRUE(harness.WaitForPause());
    const std::vector<Delivery> deliveries = harness.Deliveries();
    ASSERT_EQ(deliveries.size(), 4u);
    const uint8_t markers[] = {1, 2, 3, 5};
    const int32_t channels[] = {0, 1, 0, 1};
    for (size_t i = 0; i < deliveries.size(); ++i) {
        EXPECT_EQ(deliveries[i].marker, markers[i]);
        EXPECT_EQ(deliveries[i].channelNumber, channels[i]);
        EXPECT_EQ(deliveries[i].length, 68u);   // the packet's total length
    }
    EXPECT_EQ(harness.engine->smartHandler->currentIndex, 5);
    EXPECT_EQ(harness.engine->controlThread->Status(), kThreadSuspended);
    EXPECT_EQ(harness.EndNotifications(), 0);
}

TEST(PlaybackLoop, AudioOnlyAtTheMiddleSpeedForwardsAndNotStepping)
{
    struct Case { int32_t speedIndex; Markers delivered; };
    const Case cases[] = {{1, {1, 3}}, {2, {1, 3}}, {3, {1, 2, 3, 4}}, {4, {1, 3}}, {5, {1, 3}}};
    for (const Case& c : cases) {
        DrivenClock clock;
        PlaybackHarness harness({VideoPacket(1, 0), AudioPacket(2, 0), VideoPacket(3, 40, 1), AudioPacket(4, 40)});
        ASSERT_TRUE(harness.Start(c.speedIndex));
        ASSERT_TRUE(harness.WaitForPause());
        EXPECT_EQ(harness.Markers(), c.delivered) << "speed " << c.speedIndex;

        // Backwards, stepping and seeking never deliver audio, even at the middle speed.
        if (c.speedIndex == 3) {
            size_t before = harness.Markers().size();
            harness.Seek(1);
            ASSERT_TRUE(harness.WaitForPause());
            harness.Resume(kPlayForward, 1);
            ASSERT_TRUE(harness.WaitForPause());   // reads record 2, a video record
            harness.Resume(kPlayForward, 1);
            ASSERT_TRUE(harness.WaitForPause());   // reads record 3, audio: nothing delivered
            EXPECT_EQ(DeliveredSince(harness, before), (Markers{3}));
            before = harness.Markers().size();
            harness.Resume(kPlayBackward, 0);
            ASSERT_TRUE(harness.WaitForPause());
            EXPECT_EQ(DeliveredSince(harness, before), (Markers{1}));   // record 2 is no key frame
        }
    }
}

TEST(PlaybackLoop, BackwardDeliversKeyFramesOnlyAndJpegAlways)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0, 0), VideoPacket(2, 40, 1), JpegPacket(3, 80), VideoPacket(4, 120, 0),
                             VideoPacket(5, 160, 2), VideoPacket(6, 200, 3)});
    ASSERT_TRUE(harness.Start(5));
    ASSERT_TRUE(harness.WaitForPause());
    const size_t before = harness.Markers().size();
    harness.Resume(kPlayBackward, 0);
    ASSERT_TRUE(harness.WaitForPause());   // paused again at the start
    EXPECT_EQ(DeliveredSince(harness, before), (Markers{4, 3, 1}));
}

TEST(PlaybackLoop, SteppingDeliversOneRecordPerResume)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0), VideoPacket(2, 40, 1), AudioPacket(3, 40), VideoPacket(4, 80, 2),
                             VideoPacket(5, 120, 3)});
    ASSERT_TRUE(harness.Start(3));
    ASSERT_TRUE(harness.WaitForPause());
    harness.Seek(0);
    ASSERT_TRUE(harness.WaitForPause());
    size_t before = harness.Markers().size();
    const Markers expected[] = {{2}, {}, {4}, {5}};   // the audio record delivers nothing
    for (const Markers& step : expected) {
        harness.Resume(kPlayForward, 1);
        ASSERT_TRUE(harness.WaitForPause());
        EXPECT_EQ(DeliveredSince(harness, before), step);
        before = harness.Markers().size();
    }
    // Stepping backwards skips the frames that are not key frames.
    harness.Resume(kPlayBackward, 1);
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_EQ(DeliveredSince(harness, before), Markers{});
    EXPECT_EQ(harness.engine->smartHandler->currentIndex, 3);
}

TEST(PlaybackLoop, SeekDeliversOnlyAKeyFrameAndPauses)
{
    struct Case { int32_t position; Markers delivered; };
    const Case cases[] = {{0, {1}}, {1, {}}, {2, {3}}, {3, {}}, {4, {}}};   // 3: audio; 4: the record count
    for (const Case& c : cases) {
        DrivenClock clock;
        PlaybackHarness harness({VideoPacket(1, 0), VideoPacket(2, 40, 1), JpegPacket(3, 80), AudioPacket(4, 80)});
        ASSERT_TRUE(harness.Start(3));
        ASSERT_TRUE(harness.WaitForPause());
        const size_t before = harness.Markers().size();
        harness.Seek(c.position);
        ASSERT_TRUE(harness.WaitForPause()) << c.position;
        EXPECT_EQ(DeliveredSince(harness, before), c.delivered) << c.position;
    }
}

TEST(PlaybackLoop, AtTheEndResumingForwardsPausesAgainAndBackwardsContinues)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0), VideoPacket(2, 40), VideoPacket(3, 80)});
    ASSERT_TRUE(harness.Start(5));
    ASSERT_TRUE(harness.WaitForPause());
    harness.Resume(kPlayForward, 0);
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_EQ(harness.Markers(), (Markers{1, 2, 3}));
    EXPECT_TRUE(harness.engine->smartHandler->mediaFileMng.mediaFile.IsOpen());   // paused, not ended
    harness.Resume(kPlayBackward, 0);
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_EQ(harness.Markers(), (Markers{1, 2, 3, 2, 1}));
}

TEST(PlaybackLoop, ReadFailureInTheMiddleNotifiesOnceAndEndsTheThread)
{
    DrivenClock clock;
    PlaybackHarness harness({});
    {
        RecordingWriter writer;
        ASSERT_EQ(writer.Create(harness.files.media, harness.files.index), 0);
        ASSERT_GE(writer.WritePacket(VideoPacket(1, 0).spec, 0x00), 0);
        ASSERT_EQ(writer.WriteIndexRecord(MakeIndexRecord(0, 1, 0x00, 1u << 20)), 0);   // past the media's end
        ASSERT_GE(writer.WritePacket(VideoPacket(3, 80).spec, 0x00), 0);
        ASSERT_EQ(writer.Close(), 0);
    }
    ASSERT_TRUE(harness.Start(5));
    EXPECT_FALSE(harness.WaitForPause());   // it ends instead
    QelSmartControlThread& control = *harness.engine->controlThread;
    EXPECT_EQ(control.Status(), kThreadStopped);
    EXPECT_EQ(harness.EndNotifications(), 1);
    EXPECT_EQ(harness.Markers(), (Markers{1}));
    EXPECT_FALSE(harness.engine->smartHandler->mediaFileMng.mediaFile.IsOpen());
    EXPECT_FALSE(harness.engine->smartHandler->mediaFileMng.indexFile.IsOpen());
}

// Each video packet is due at its own time from the anchor the first one set, whatever the
// channel; a delivery's cost is not waited again, a step back re-anchors, a gap waits 2 s.
TEST(PlaybackLoop, PacesForwardsByTheRecordingsOwnTime)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0, 0, 1), VideoPacket(2, 200, 0, 2), VideoPacket(3, 200, 0, 3),
                             AudioPacket(4, 300, 1), VideoPacket(5, 1200, 0, 4), VideoPacket(6, 1000, 1, 1),
                             VideoPacket(7, 9000, 2, 1)});
    harness.clock = &clock;
    harness.deliveryCostMs = 60;
    ASSERT_TRUE(harness.Start(3));
    ASSERT_TRUE(harness.WaitForPause());
    // 200 - 60; already due; audio is not paced; 1200 - 60 - 60 - 60 - 140 ...; a step back; a gap.
    EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{140, 820, 1940}));
}

TEST(PlaybackLoop, PacesBackwardsByTheRecordingsOwnTime)
{
    DrivenClock clock;
    PlaybackHarness harness({VideoPacket(1, 0), VideoPacket(2, 200), VideoPacket(3, 400)});
    harness.clock = &clock;
    harness.deliveryCostMs = 50;
    ASSERT_TRUE(harness.Start(5));   // to the end without sleeping
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_TRUE(clock.Sleeps().empty());
    harness.engine->smartHandler->speedIndex = 3;
    harness.Resume(kPlayBackward, 0);
    ASSERT_TRUE(harness.WaitForPause());
    // The resume anchors at the first picture back (200); the next is due 200 ms later.
    EXPECT_EQ(harness.Markers(), (Markers{1, 2, 3, 2, 1}));
    EXPECT_EQ(clock.Sleeps(), (std::vector<uint32_t>{150}));
}

namespace {

// Four seconds of `channels` cameras, half at 25 and half at 12.5 pictures a second, each
// starting a little after the one before, in time order as a recorder writes them.
std::vector<TestPacket> Cameras(int32_t channels)
{
    std::vector<std::pair<int32_t, uint16_t>> times;
    for (int32_t channel = 0; channel < channels; ++channel) {
        const int32_t interval = channel % 2 == 0 ? 40 : 80;
        for (int32_t at = channel * 3; at < 4000; at += interval) {
            times.emplace_back(at, static_cast<uint16_t>(channel + 1));
        }
    }
    std::stable_sort(times.begin(), times.end());
    std::vector<TestPacket> packets;
    for (size_t i = 0; i < times.size(); ++i) {
        packets.push_back(VideoPacket(static_cast<uint8_t>(i), times[i].first, static_cast<uint8_t>(i % 25),
                                      times[i].second));
    }
    return packets;
}

}  // namespace

// "Normal" is the recording's own time on any number of cameras, and every speed its multiple,
// while decoding keeps up; Fastest never waits.
TEST(PlaybackLoop, EverySpeedKeepsTheRecordingsTimeOnFourAndSixteenCameras)
{
    for (const int32_t channels : {4, 16}) {
        const std::vector<TestPacket> packets = Cameras(channels);
        int32_t first = INT32_MAX;
        int32_t last = 0;
        for (const TestPacket& packet : packets) {
            const int32_t at = (packet.spec.second * 100 + packet.spec.hundredths) * 10;
            first = std::min(first, at);
            last = std::max(last, at);
        }
        for (const int32_t speed : {1, 2, 3, 4, 5}) {
            SCOPED_TRACE(std::to_string(channels) + " cameras at speed " + std::to_string(speed));
            DrivenClock clock;
            PlaybackHarness harness(packets);
            harness.clock = &clock;
            harness.deliveryCostMs = 1;
            const uint32_t start = clock.NowMs();
            ASSERT_TRUE(harness.Start(speed));
            ASSERT_TRUE(harness.WaitForPause());
            ASSERT_EQ(harness.Markers().size(), packets.size());
            if (speed == 5) {
                EXPECT_TRUE(clock.Sleeps().empty());
                continue;
            }
            // The wall time from the first picture's delivery to the last one's due time.
            const double wall = static_cast<double>(clock.NowMs() - start - harness.deliveryCostMs);
            const double played = (last - first) / (wall * SpeedFactor(speed));
            EXPECT_NEAR(played, 1.0, 0.01) << "recording ms " << last - first << ", wall ms " << wall;
            EXPECT_EQ(harness.engine->smartHandler->playingBehind.load(), 0);
        }
    }
}

// Decoding slower than the pictures come: no sleep debt piles up, and it shows.
TEST(PlaybackLoop, PlayingBehindWaitsForNothingAndSaysSo)
{
    DrivenClock clock;
    std::vector<TestPacket> packets;
    for (int32_t i = 0; i < 20; ++i) {
        packets.push_back(VideoPacket(static_cast<uint8_t>(i), i * 40, static_cast<uint8_t>(i % 25)));
    }
    PlaybackHarness harness(packets);
    harness.clock = &clock;
    harness.deliveryCostMs = 100;
    ASSERT_TRUE(harness.Start(3));
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_TRUE(clock.Sleeps().empty());
    EXPECT_EQ(harness.engine->smartHandler->playingBehind.load(), 1);
}

// Real time: the stop is requested while the loop sleeps its longest and is seen right after.
TEST(PlaybackLoop, StopDuringTheLongestSleepIsSeenWhenItEnds)
{
    PlaybackHarness harness({VideoPacket(1, 0), VideoPacket(2, 10000), VideoPacket(3, 20000)});
    ASSERT_TRUE(harness.Start(1));
    while (harness.Markers().size() < 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto asked = std::chrono::steady_clock::now();
    harness.Stop();
    const auto waited = std::chrono::steady_clock::now() - asked;
    EXPECT_LE(waited, std::chrono::milliseconds(2000 + 1000));
    EXPECT_EQ(harness.Markers(), (Markers{1, 2}));
}
