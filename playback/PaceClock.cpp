#include "playback/PaceClock.h"

namespace {

// Differences of wrapping 32-bit counters, as signed values.
int64_t WrappedDifference(int32_t later, int32_t earlier)
{
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

}  // namespace

int32_t ComputeDelay(double factor, const PaceClock& clock, bool backwards)
{
    const int64_t delta = WrappedDifference(clock.frameTime, clock.prevFrameTime);
    if (clock.prevFrameTime == 0 || delta == 0 || factor >= kNoWaitFactor) {
        return 0;
    }
    const int64_t elapsed = WrappedDifference(clock.waitTick, clock.readTick);
    int64_t gap = 0;
    if (!backwards) {
        if (elapsed >= delta) {
            return 0;
        }
        gap = delta - elapsed;
    } else {
        if (elapsed > -delta) {
            return 0;
        }
        gap = -delta - elapsed;
    }
    // Every factor of the speed table is positive, so the delay is never negative.
    const double delay = static_cast<double>(gap) / factor;
    return delay >= kMaxPaceDelayMs ? kMaxPaceDelayMs : static_cast<int32_t>(delay);
}
