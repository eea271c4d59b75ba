#include "playback/PaceClock.h"

#include <cmath>

namespace {

// Differences of wrapping 32-bit counters, as signed values.
int64_t WrappedDifference(int32_t later, int32_t earlier)
{
    return static_cast<int32_t>(static_cast<uint32_t>(later) - static_cast<uint32_t>(earlier));
}

void Anchor(PaceClock& clock, int32_t speedIndex, bool backwards, int32_t frameTime, int32_t nowTick)
{
    clock.anchored = true;
    clock.anchorTick = nowTick;
    clock.anchorTime = frameTime;
    clock.lastTime = frameTime;
    clock.speedIndex = speedIndex;
    clock.backwards = backwards;
}

// Recording time from the anchor to `frameTime`, counted in the direction of play.
int64_t AheadOfAnchor(const PaceClock& clock, int32_t frameTime)
{
    const int64_t distance = WrappedDifference(frameTime, clock.anchorTime);
    return clock.backwards ? -distance : distance;
}

// The wall tick at which `frameTime` is due.
int64_t DueTick(const PaceClock& clock, int32_t frameTime, double factor)
{
    return clock.anchorTick + std::llround(static_cast<double>(AheadOfAnchor(clock, frameTime)) / factor);
}

}  // namespace

int32_t PaceDelay(PaceClock& clock, int32_t speedIndex, bool backwards, int32_t frameTime, int32_t nowTick)
{
    const double factor = SpeedFactor(speedIndex);
    if (factor >= kNoWaitFactor) {
        clock.anchored = false;
        clock.behind = false;
        return 0;
    }
    if (!clock.anchored || clock.speedIndex != speedIndex || clock.backwards != backwards) {
        Anchor(clock, speedIndex, backwards, frameTime, nowTick);
        return 0;
    }
    int64_t step = WrappedDifference(frameTime, clock.lastTime);
    if (backwards) {
        step = -step;
    }
    if (step < 0) {
        // The recording's time runs against the direction of play: shown at once, no waiting.
        Anchor(clock, speedIndex, backwards, frameTime, nowTick);
        return 0;
    }
    if (static_cast<double>(step) / factor > kMaxPaceDelayMs) {
        // A gap in the recording: this packet is due the longest wait after the one before it.
        const int64_t lastDue = DueTick(clock, clock.lastTime, factor);
        Anchor(clock, speedIndex, backwards, frameTime, static_cast<int32_t>(lastDue + kMaxPaceDelayMs));
    }
    clock.lastTime = frameTime;
    const int64_t wait = WrappedDifference(static_cast<int32_t>(DueTick(clock, frameTime, factor)), nowTick);
    if (wait < -kBehindSlackMs) {
        // Too late to catch up without rushing: go on from here at the speed asked.
        clock.behind = true;
        Anchor(clock, speedIndex, backwards, frameTime, nowTick);
        return 0;
    }
    if (wait <= 0) {
        return 0;
    }
    clock.behind = false;
    return wait >= kMaxPaceDelayMs ? kMaxPaceDelayMs : static_cast<int32_t>(wait);
}
