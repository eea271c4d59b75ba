#include <gtest/gtest.h>

#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/QelSmartLcid2Callback.h"
#include "tests/playback/PlaybackHarness.h"

TEST(PlaybackEngine, CreatedAtInitialValues)
{
    PlaybackEngine* engine = CreatePlaybackEngine();
    ASSERT_NE(engine, nullptr);
    ASSERT_NE(engine->controlThread, nullptr);
    ASSERT_NE(engine->lcid2Callback, nullptr);
    ASSERT_NE(engine->smartHandler, nullptr);
    const QelSmartControlThread& control = *engine->controlThread;
    EXPECT_EQ(control.Status(), kThreadStopped);
    EXPECT_TRUE(control.runEvent.IsSet());
    EXPECT_FALSE(control.stopEvent.IsSet());
    EXPECT_EQ(control.smartHandler, nullptr);
    const QelSmartHandler& handler = *engine->smartHandler;
    EXPECT_EQ(handler.stepMode, 0);
    EXPECT_EQ(handler.playMode, kPlayForward);
    EXPECT_EQ(handler.speedIndex, 3);
    EXPECT_EQ(handler.currentIndex, 0);
    EXPECT_EQ(handler.seekIndex, 0);
    EXPECT_NE(handler.packetBuffer, nullptr);
    EXPECT_EQ(handler.endCallback, nullptr);
    DestroyPlaybackEngine(engine);
    DestroyPlaybackEngine(nullptr);
}

TEST(PlaybackEngine, DestructionStopsAPausedWorkerAndClearsTheRegistry)
{
    auto* harness = new PlaybackHarness({VideoPacket(1, 0), VideoPacket(2, 40)});
    ASSERT_TRUE(harness->Start(5));
    ASSERT_TRUE(harness->WaitForPause());
    EXPECT_EQ(harness->engine->lcid2Callback->Count(), 1);
    delete harness;   // destroys the engine with its worker paused at the end
}
