// The process's millisecond clock and sleeping. Pacing reads the time and sleeps only through
// here, so a test can install a clock it drives itself and check every wait exactly.
#pragma once

#include <cstdint>

class ClockSource {
public:
    virtual ~ClockSource() = default;
    // Milliseconds from an arbitrary start; wraps around like any 32-bit tick counter.
    virtual uint32_t NowMs() = 0;
    virtual void SleepMs(uint32_t milliseconds) = 0;
};

uint32_t ClockNowMs();
void ClockSleepMs(uint32_t milliseconds);

// Replaces the clock for the whole process; null restores the system clock. Install it before
// the threads that use it start and remove it after they have ended.
void ClockSetSource(ClockSource* source);
