// An output facing a missing device, a bad codec and a device that refuses its calls.
#include <gtest/gtest.h>

#include "tests/support/DrivenClock.h"
#include "tests/ui/AudioOutFixture.h"

TEST_F(AudioOutFixture, WithoutAnySoundDeviceOpenFailsBeforeMakingAWindow)
{
    ScopedEnv noDriver("SDL_AUDIODRIVER", "kvr-no-such-driver");
    EXPECT_EQ(WaveOutService().GetNumDevs(), 0);
    AudioOut out;
    EXPECT_EQ(out.Open(&parent, 2, 0), kAudioNoDevice);
    EXPECT_FALSE(out.HasWindow());
    EXPECT_EQ(out.Write(PayloadBytes(100, 1).data(), 100), kAudioNotOpen);
}

TEST_F(AudioOutFixture, ACodecWithoutAClassLeavesTheWindowAndAClosedOutput)
{
    AudioOut out;
    EXPECT_EQ(out.Open(&parent, 5, 0), kAudioSetupFailed);
    EXPECT_TRUE(out.HasWindow());
    EXPECT_EQ(out.isOpen, 0);
    EXPECT_EQ(out.Write(PayloadBytes(100, 1).data(), 100), kAudioNotOpen);
    EXPECT_FALSE(out.IsBacklogged());

    out.Close();
    EXPECT_FALSE(out.HasWindow());
    EXPECT_EQ(out.Open(&parent, 2, 0), kAudioOpened) << "ready for another open";
    EXPECT_EQ(out.Open(&parent, 2, 0), kAudioAlreadyOpen);
    out.Close();
    out.Close();   // closing a closed output changes nothing
    EXPECT_EQ(out.isOpen, 0);
    EXPECT_EQ(out.buffersAllocated, 0);
    EXPECT_EQ(out.Open(nullptr, 2, 0), kAudioSetupFailed) << "a child window needs a parent";
}

TEST_F(AudioOutFixture, ADeviceThatWillNotOpenLeavesBuffersThatCloseFrees)
{
    AudioOut out;
    device.failOpen = true;
    EXPECT_EQ(out.Open(&parent, 9, 0), kAudioSetupFailed);
    EXPECT_EQ(out.isOpen, 0);
    EXPECT_EQ(out.buffersAllocated, 1);
    EXPECT_EQ(out.Write(ImaFrame(1).data(), 2112), kAudioNotOpen);
    out.Close();
    EXPECT_EQ(out.buffersAllocated, 0);
    EXPECT_FALSE(out.HasWindow());
    device.failOpen = false;
    EXPECT_EQ(out.Open(&parent, 9, 0), kAudioOpened);
}

TEST_F(AudioOutFixture, ABufferTheDeviceRefusesLeavesTheRingWhereItWas)
{
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, 2, 0), kAudioOpened);
    const std::vector<uint8_t> payload = PayloadBytes(4096, 2);
    device.failWrite = true;
    EXPECT_EQ(out.Write(payload.data(), 4096), 0);
    EXPECT_EQ(out.writeIndex, 0);
    EXPECT_EQ(out.pendingCount, 0);
    device.failWrite = false;
    EXPECT_EQ(out.Write(payload.data(), 4096), 1);
    EXPECT_EQ(out.writeIndex, 1);
    out.Close();
}

TEST_F(AudioOutFixture, ADeviceThatWillNotPauseIsStillResetAndClosed)
{
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, 2, 1), kAudioOpened);
    const std::vector<uint8_t> payload = PayloadBytes(1400, 4);
    ASSERT_EQ(out.Write(payload.data(), 1400), 1);
    ASSERT_EQ(out.Write(payload.data(), 1400), 1);
    device.failPause = true;
    out.Close();
    EXPECT_EQ(device.closeAttempts, 1);
    EXPECT_EQ(out.buffersAllocated, 0);
    EXPECT_FALSE(out.HasWindow());
    EXPECT_EQ(out.pendingCount, 0);
}

// The device keeps playing the buffers it was given; ASan would report their being freed.
TEST_F(AudioOutFixture, ADeviceThatKeepsItsBuffersNeverHasThemFreedUnderIt)
{
    AudioOut out;
    ASSERT_EQ(out.Open(&parent, 2, 1), kAudioOpened);
    const std::vector<uint8_t> payload = PayloadBytes(1400, 6);
    for (int32_t n = 0; n < 3; ++n) {
        ASSERT_EQ(out.Write(payload.data(), 1400), 1);
    }
    device.failPause = true;
    device.failReset = true;
    device.failClose = true;
    DebugCapture debug;
    {
        DrivenClock clock;
        out.Close();
        EXPECT_EQ(device.closeAttempts, 100);
        EXPECT_EQ(clock.Sleeps(), std::vector<uint32_t>(100, 500));
    }
    EXPECT_EQ(out.isOpen, 0);
    EXPECT_FALSE(out.HasWindow());
    EXPECT_NE(debug.Text().find("kept its buffers"), std::string::npos);
    PumpFor(250);   // the device goes on reading them
}
