#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Event.h"

TEST(Event, StaysSetUntilResetAndWakesEveryWait)
{
    Event event(false);
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(5));
    event.Set();
    event.Wait();
    event.Wait();   // manual reset: a wait does not consume the signal
    EXPECT_TRUE(event.WaitFor(0));
    event.Reset();
    EXPECT_FALSE(event.IsSet());
}

TEST(Event, WaitAnyReturnsTheEventSetFromAnotherThread)
{
    Event first(false);
    Event second(false);
    Event* const events[] = {&first, &second};
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        second.Set();
    });
    EXPECT_EQ(Event::WaitAny(events, 2), 1);
    setter.join();
    first.Set();
    EXPECT_EQ(Event::WaitAny(events, 2), 0);   // both set: the first in the order given
}
