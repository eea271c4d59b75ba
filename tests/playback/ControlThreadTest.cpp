#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "tests/playback/PlaybackHarness.h"
#include "tests/support/StreamCapture.h"

namespace {

// Three video packets: a worker plays them through at the top speed and pauses at the end.
std::vector<TestPacket> ShortRecording()
{
    return {VideoPacket(1, 0), VideoPacket(2, 40, 1), VideoPacket(3, 80, 2)};
}

bool WaitForStatus(const QelSmartControlThread& control, int32_t status)
{
    for (int i = 0; i < 10000 && control.Status() != status; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return control.Status() == status;
}

}  // namespace

TEST(ControlThread, RefusesToPauseResumeOrStopBeforeTheFirstStart)
{
    struct Case { const char* name; int32_t (QelSmartControlThread::*call)(); int32_t result; const char* text; };
    const Case cases[] = {
        {"suspend", &QelSmartControlThread::SuspendThread, 0, "QelSmartControlThread::SuspendThread thread not started.\n"},
        {"resume", &QelSmartControlThread::ResumeThread, -1, "QelSmartControlThread::ResumeThread thread not started.\n"},
        {"end", &QelSmartControlThread::EndThread, 1, "QelSmartControlThread::EndThread thread already stopped.\n"},
    };
    for (const Case& c : cases) {
        QelSmartControlThread control;
        StreamCapture err(stderr);
        EXPECT_EQ((control.*c.call)(), c.result) << c.name;
        EXPECT_EQ(err.Text(), c.text) << c.name;
        EXPECT_TRUE(control.runEvent.IsSet()) << c.name;
        EXPECT_FALSE(control.stopEvent.IsSet()) << c.name;
        EXPECT_EQ(control.Status(), kThreadStopped) << c.name;
    }
}

TEST(ControlThread, RefusesToStartTwiceOrChangeHandlerWhileStarted)
{
    PlaybackHarness harness(ShortRecording());
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.WaitForPause());
    QelSmartControlThread& control = *harness.engine->controlThread;
    const uint32_t firstWorker = control.threadId;

    QelSmartHandler other;
    StreamCapture err(stderr);
    EXPECT_EQ(control.BeginThread(), 1);
    EXPECT_EQ(control.SetSmartHandler(&other), -1);
    EXPECT_EQ(err.Text(),
              "QelSmartControlThread::BeginThread thread already started.\n"
              "QelSmartControlThread::SetSmartHandler threadStatus is not stop. [Status:3]\n");
    EXPECT_EQ(control.threadId, firstWorker);
    EXPECT_EQ(control.smartHandler, harness.engine->smartHandler);
    EXPECT_EQ(harness.Markers(), (std::vector<uint8_t>{1, 2, 3}));   // no second worker read them again
}

TEST(ControlThread, EndThreadWakesASuspendedWorker)
{
    PlaybackHarness harness(ShortRecording());
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.WaitForPause());
    QelSmartControlThread& control = *harness.engine->controlThread;
    ASSERT_EQ(control.Status(), kThreadSuspended);
    EXPECT_EQ(control.EndThread(), 1);
    control.WaitThreadEnd();
    EXPECT_EQ(control.Status(), kThreadStopped);
    EXPECT_EQ(control.threadResult, 0);
    EXPECT_FALSE(control.threadHandle.joinable());
    EXPECT_FALSE(harness.engine->smartHandler->mediaFileMng.mediaFile.IsOpen());   // the loop closed it
}

// A worker that pauses itself just as the stop is requested: the request sees the status still
// running, so only the stop event is set and the run event stays reset.
TEST(ControlThread, StopRequestReachesAWorkerThatPausedItself)
{
    PlaybackHarness harness(ShortRecording());
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.WaitForPause());
    QelSmartControlThread& control = *harness.engine->controlThread;
    ASSERT_FALSE(control.runEvent.IsSet());
    control.stopEvent.Set();
    control.WaitThreadEnd();
    EXPECT_EQ(control.Status(), kThreadStopped);
}

TEST(ControlThread, WorkerWithoutHandlerEndsAtOnce)
{
    QelSmartControlThread control;
    StreamCapture err(stderr);
    EXPECT_EQ(control.BeginThread(), 1);
    ASSERT_TRUE(WaitForStatus(control, kThreadStopped));
    control.WaitThreadEnd();
    EXPECT_EQ(control.threadResult, -2);
    EXPECT_EQ(err.Text(), "QelSmartControlThread::ThreadFunction QelSmartHandler is null.\n");
}

TEST(ControlThread, ThreadFunctionWithoutControlThread)
{
    StreamCapture err(stderr);
    EXPECT_EQ(QelSmartControlThread::ThreadFunction(nullptr), -1);
    EXPECT_EQ(err.Text(), "QelSmartControlThread::ThreadFunction QelSmartControlThread is null.\n");
}

TEST(ControlThread, RestartAfterStopRunsAFreshWorker)
{
    PlaybackHarness harness(ShortRecording());
    QelSmartControlThread& control = *harness.engine->controlThread;
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.WaitForPause());
    const uint32_t firstWorker = control.threadId;
    harness.Stop();
    EXPECT_TRUE(control.stopEvent.IsSet());

    ASSERT_TRUE(harness.Start());   // reopens the recording: the loop closed it
    EXPECT_FALSE(control.stopEvent.IsSet());
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_NE(control.threadId, firstWorker);
    EXPECT_EQ(harness.Markers(), (std::vector<uint8_t>{1, 2, 3, 1, 2, 3}));
}

// A worker whose reading fails ends by itself: nobody calls WaitThreadEnd for it, and the next
// start must release it before replacing it.
TEST(ControlThread, WorkerThatEndedOnItsOwnIsReleasedByTheNextStart)
{
    PlaybackHarness harness(ShortRecording());
    QelSmartControlThread& control = *harness.engine->controlThread;
    QelSmartHandler& handler = *harness.engine->smartHandler;
    ASSERT_EQ(control.SetSmartHandler(&handler), 0);
    ASSERT_EQ(control.BeginThread(), 1);   // nothing opened: the first read fails
    ASSERT_TRUE(WaitForStatus(control, kThreadStopped));
    EXPECT_EQ(harness.EndNotifications(), 1);
    EXPECT_TRUE(control.threadHandle.joinable());

    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.WaitForPause());
    EXPECT_EQ(harness.Markers(), (std::vector<uint8_t>{1, 2, 3}));
    harness.Stop();
}
