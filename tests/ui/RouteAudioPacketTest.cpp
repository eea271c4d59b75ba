// The audio route on a playback thread and the grid's outputs on the event loop.
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "tests/support/TempDir.h"
#include "tests/ui/AudioTestSupport.h"
#include "ui/GridAudio.h"
#include "ui/RouteAudioPacket.h"

namespace {

class RouteFixture : public testing::Test {
protected:
    // Runs `work` on a thread of its own, as the playback thread would, while the event loop runs.
    void OnPlaybackThread(const std::function<void()>& work)
    {
        std::atomic<bool> done{false};
        std::thread playback([&] {
            work();
            done = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 20000));
        playback.join();
    }
    void Route(const std::vector<uint8_t>& packet)
    {
        OnPlaybackThread([&] { RouteAudioPacket(packet.data(), static_cast<uint32_t>(packet.size()), grid); });
    }

    TempDir dir;
    TestWaveOut device{dir.Path()};
    QObject gridWindow;
    GridAudio grid{&gridWindow};
};

}  // namespace

TEST_F(RouteFixture, TheFirstPacketOpensBothOutputsAndACodecChangeReplacesThem)
{
    Route(AudioPacket(2, 0, PayloadBytes(1000, 1)));
    ASSERT_NE(grid.primaryAudio, nullptr);
    ASSERT_NE(grid.secondaryAudio, nullptr);
    EXPECT_EQ(grid.primaryAudio->bufferSize, 4096);
    EXPECT_EQ(grid.secondaryAudio->bufferSize, 1400);
    EXPECT_EQ(grid.primaryAudio->pendingCount, 1) << "written after the outputs were made";
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 0);
    EXPECT_EQ(grid.lastAudioCodec, 2);

    Route(AudioPacket(9, 2, PayloadBytes(2112, 2)));
    EXPECT_EQ(grid.lastAudioCodec, 9);
    EXPECT_EQ(grid.primaryAudio->codecId, 9);
    EXPECT_EQ(grid.primaryAudio->bufferSize, 8192);
    EXPECT_EQ(grid.primaryAudio->pendingCount, 0) << "a new output";
    EXPECT_EQ(grid.secondaryAudio->bufferSize, 8192);
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 1) << "track 2 plays on the other output";

    AudioOut* const secondary = grid.secondaryAudio;
    Route(AudioPacket(9, 3, PayloadBytes(2112, 3)));
    EXPECT_EQ(grid.secondaryAudio, secondary) << "the same codec keeps its outputs";
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 2);
    EXPECT_TRUE(grid.IsBacklogged());
    EXPECT_EQ(device.writes, 3);
}

TEST_F(RouteFixture, TracksGoToTheirOutputsAndMutedOnesAreNotPlayed)
{
    grid.primaryMuted = 1;
    Route(AudioPacket(2, 0, PayloadBytes(500, 1)));
    Route(AudioPacket(2, 1, PayloadBytes(500, 2)));
    EXPECT_EQ(grid.primaryAudio->pendingCount, 0);
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 1);

    Route(AudioPacket(1, 0, PayloadBytes(3072, 3)));
    EXPECT_EQ(grid.lastAudioCodec, 1) << "a muted packet still follows the codec";
    EXPECT_EQ(grid.primaryAudio->bufferSize, 16384);
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 0) << "both outputs were replaced";
    EXPECT_EQ(grid.primaryAudio->pendingCount, 0);

    grid.primaryMuted = 0;
    grid.secondaryMuted = 1;
    Route(AudioPacket(1, 0, PayloadBytes(3072, 4)));
    Route(AudioPacket(1, 3, PayloadBytes(3072, 5)));
    EXPECT_EQ(grid.primaryAudio->pendingCount, 1);
    EXPECT_EQ(grid.secondaryAudio->pendingCount, 0);
    EXPECT_EQ(device.writes, 2);
}

TEST_F(RouteFixture, EmptyHugeAndTruncatedPayloadsAreIgnoredSilently)
{
    Route(AudioPacket(2, 0, PayloadBytes(100, 1)));
    ASSERT_EQ(device.writes, 1);
    DebugCapture debug;
    Route(AudioPacket(2, 0, {}));
    Route(AudioPacket(2, 0, PayloadBytes(102401, 2)));
    Route(AudioPacketClaiming(2, 0, 1000, 10));   // the header claims more than the packet holds
    EXPECT_EQ(debug.Text(), "");
    Route(AudioPacket(2, 0, PayloadBytes(8193, 3)));
    EXPECT_EQ(debug.Text(), "Quillomatic : AudioData size is over maxsize\n");
    EXPECT_EQ(device.writes, 1);
    EXPECT_EQ(grid.primaryAudio->pendingCount, 1);
}

TEST_F(RouteFixture, WithoutAnySoundDeviceTheRouteWritesNothing)
{
    ScopedEnv noDriver("SDL_AUDIODRIVER", "kvr-no-such-driver");
    Route(AudioPacket(2, 0, PayloadBytes(1000, 1)));
    Route(AudioPacket(2, 1, PayloadBytes(1000, 2)));
    ASSERT_NE(grid.primaryAudio, nullptr);
    EXPECT_FALSE(grid.primaryAudio->HasWindow());
    EXPECT_FALSE(grid.secondaryAudio->HasWindow());
    EXPECT_EQ(device.writes, 0);
    EXPECT_FALSE(grid.IsBacklogged());
}

// The user-interface thread is busy: the route gives up after a second and writes nowhere;
// the late message still replaces the outputs.
TEST_F(RouteFixture, TheCodecChangeGivesUpAfterASecondWhenTheGridIsBusy)
{
    const std::vector<uint8_t> packet = AudioPacket(2, 0, PayloadBytes(1000, 1));
    QElapsedTimer timer;
    timer.start();
    std::thread([&] { RouteAudioPacket(packet.data(), static_cast<uint32_t>(packet.size()), grid); }).join();
    EXPECT_GE(timer.elapsed(), 990);
    EXPECT_EQ(grid.lastAudioCodec, 2);
    EXPECT_EQ(grid.primaryAudio, nullptr);
    EXPECT_EQ(device.writes, 0);
    ASSERT_TRUE(PumpUntil([&] { return grid.primaryAudio != nullptr; }));
    EXPECT_EQ(grid.primaryAudio->isOpen, 1);
}

// Outputs replaced and closed on the user-interface thread while the playback thread goes on
// writing, as after a timed-out codec change. ASan and TSan watch the overlap.
TEST_F(RouteFixture, WritesNeverOverlapTheReplacementOfTheOutputs)
{
    std::atomic<bool> stop{false};
    std::atomic<int32_t> routed{0};
    const std::vector<uint8_t> packet = AudioPacket(2, 0, PayloadBytes(1000, 1));
    grid.lastAudioCodec = 2;   // the route sends nothing; the loop below does the replacing
    std::thread playback([&] {
        while (!stop) {
            RouteAudioPacket(packet.data(), static_cast<uint32_t>(packet.size()), grid);
            grid.IsBacklogged();
            ++routed;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int32_t round = 0; round < 8; ++round) {
        grid.OnAudioOpen(2);
        PumpFor(20);
        if (round % 2 == 1) {
            grid.OnAudioClose();
        }
    }
    stop = true;
    playback.join();
    EXPECT_GT(routed, 0);
    EXPECT_GT(device.writes, 0);
}
