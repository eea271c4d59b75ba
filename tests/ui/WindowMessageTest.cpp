#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Event.h"
#include "tests/ui/AudioTestSupport.h"
#include "ui/WindowMessage.h"

namespace {

struct Received {
    std::atomic<int32_t> count{0};
    std::atomic<uint32_t> code{0};
    std::atomic<uintptr_t> wParam{0};
    std::atomic<intptr_t> lParam{0};
    std::atomic<bool> onWindowThread{false};
};

MessageWindow* MakeWindow(Received& received)
{
    return new MessageWindow([&received](uint32_t code, uintptr_t wParam, intptr_t lParam) -> intptr_t {
        received.code = code;
        received.wParam = wParam;
        received.lParam = lParam;
        received.onWindowThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        ++received.count;
        return static_cast<intptr_t>(wParam) * 2;
    });
}

}  // namespace

TEST(WindowMessage, PostFromAnotherThreadRunsTheHandlerOnTheWindowsThread)
{
    Received received;
    std::unique_ptr<MessageWindow> window(MakeWindow(received));
    std::thread([&] { EXPECT_TRUE(PostWindowMessage(window->Handle(), WM_USER + 4, 7, -3)); }).join();
    EXPECT_EQ(received.count, 0) << "a post only queues";
    ASSERT_TRUE(PumpUntil([&] { return received.count == 1; }));
    EXPECT_EQ(received.code, WM_USER + 4);
    EXPECT_EQ(received.wParam, 7u);
    EXPECT_EQ(received.lParam, -3);
    EXPECT_TRUE(received.onWindowThread);
}

TEST(WindowMessage, SendFromTheWindowsThreadCallsTheHandlerDirectly)
{
    Received received;
    std::unique_ptr<MessageWindow> window(MakeWindow(received));
    intptr_t result = 0;
    ASSERT_TRUE(SendWindowMessageTimeout(window->Handle(), WM_USER + 9, 21, 0, 1000, &result));
    EXPECT_EQ(received.count, 1);
    EXPECT_EQ(result, 42);
}

TEST(WindowMessage, SendFromAnotherThreadWaitsForTheHandlersResult)
{
    Received received;
    std::unique_ptr<MessageWindow> window(MakeWindow(received));
    std::atomic<bool> finished{false};
    std::atomic<bool> ok{false};
    std::atomic<intptr_t> result{0};
    std::thread sender([&] {
        intptr_t value = 0;
        ok = SendWindowMessageTimeout(window->Handle(), WM_USER + 9, 50, 0, 5000, &value);
        result = value;
        finished = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return finished.load(); }));
    sender.join();
    EXPECT_TRUE(ok);
    EXPECT_EQ(result, 100);
    EXPECT_TRUE(received.onWindowThread);
}

// The sender's frame is gone when the handler finally runs; ASan would see any touch of it.
TEST(WindowMessage, SendTimesOutWhileTheWindowsThreadIsBusyAndTheLateHandlerIsHarmless)
{
    Received received;
    std::unique_ptr<MessageWindow> window(MakeWindow(received));
    bool ok = true;
    int64_t waitedMs = 0;
    std::thread([&] {
        QElapsedTimer timer;
        timer.start();
        intptr_t result = -1;
        ok = SendWindowMessageTimeout(window->Handle(), WM_USER + 9, 1, 0, 60, &result);
        waitedMs = timer.elapsed();
        EXPECT_EQ(result, -1) << "no result is given after a time-out";
    }).join();
    EXPECT_FALSE(ok);
    EXPECT_GE(waitedMs, 55);
    EXPECT_EQ(received.count, 0);
    ASSERT_TRUE(PumpUntil([&] { return received.count == 1; }));
}

// A stopping worker must not sit out the time-out waiting for a thread that may be waiting
// for it: setting the abandon event ends the wait, and the message is still handled later.
TEST(WindowMessage, AnAbandonEventEndsTheSendersWaitEarly)
{
    Received received;
    std::unique_ptr<MessageWindow> window(MakeWindow(received));
    Event abandon(false);
    bool ok = true;
    int64_t waitedMs = 0;
    std::thread sender([&] {
        QElapsedTimer timer;
        timer.start();
        ok = SendWindowMessageTimeout(window->Handle(), WM_USER + 9, 1, 0, 20000, nullptr, &abandon);
        waitedMs = timer.elapsed();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    abandon.Set();
    sender.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(waitedMs, 5000);
    ASSERT_TRUE(PumpUntil([&] { return received.count == 1; }));
}

TEST(WindowMessage, AGoneWindowRefusesMessagesAndReleasesAWaitingSender)
{
    Received received;
    auto* window = MakeWindow(received);
    const WindowHandle handle = window->Handle();
    std::atomic<bool> finished{false};
    std::atomic<bool> ok{true};
    QElapsedTimer timer;
    timer.start();
    std::thread sender([&] {
        ok = SendWindowMessageTimeout(handle, WM_USER + 9, 1, 0, 20000, nullptr);
        finished = true;
    });
    // Not pumping: the message, if the sender got to post it, waits in the queue.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    delete window;
    sender.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(received.count, 0);
    EXPECT_FALSE(ok);
    EXPECT_LT(timer.elapsed(), 10000) << "the sender must not sit out its time-out";
    EXPECT_FALSE(PostWindowMessage(handle, WM_USER + 4, 0, 0));
    EXPECT_FALSE(SendWindowMessageTimeout(handle, WM_USER + 4, 0, 0, 10, nullptr));
    PumpFor(20);
}
