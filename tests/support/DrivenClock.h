// A clock the test drives: time stands still until a sleep or the test moves it, and every
// sleep asked for is recorded instead of slept.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

class DrivenClock : public ClockSource {
public:
    DrivenClock() { ClockSetSource(this); }
    ~DrivenClock() override { ClockSetSource(nullptr); }
    DrivenClock(const DrivenClock&) = delete;
    DrivenClock& operator=(const DrivenClock&) = delete;

    uint32_t NowMs() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        return now;
    }
    void SleepMs(uint32_t milliseconds) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }
    void Advance(uint32_t milliseconds)
    {
        std::lock_guard<std::mutex> lock(mutex);
        now += milliseconds;
    }
    std::vector<uint32_t> Sleeps()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return sleeps;
    }

private:
    std::mutex mutex;
    uint32_t now = 1000;
    std::vector<uint32_t> sleeps;
};
