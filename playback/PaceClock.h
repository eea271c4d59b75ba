// Playback's one clock. An anchor ties a wall-clock tick to the recording time due then; each
// video packet is due when its distance from the anchor's recording time, divided by the speed,
// has passed on the wall clock. So "Normal" plays the recording's own time whatever the number
// of channels, and the time a delivery took is never waited again. The anchor is taken anew
// wherever that tie breaks: a pause, seek or step, a change of speed or direction, a jump in the
// recording's time, and decoding that falls behind (a slow stretch is never made up by rushing
// afterwards).
#pragma once

#include <cstdint>

struct PaceClock {
    bool anchored = false;
    int32_t anchorTick = 0;       // wall clock in milliseconds
    int32_t anchorTime = 0;       // the frame time due at anchorTick
    int32_t lastTime = 0;         // frame time of the video packet paced last
    int32_t speedIndex = 0;       // the speed and direction the anchor holds for
    bool backwards = false;
    bool behind = false;          // packets come later than they are due: decoding cannot keep up
};

constexpr int32_t kMaxPaceDelayMs = 2000;   // the longest wait, whatever gap the recording has
constexpr int32_t kBehindSlackMs = 100;     // later than this, playback counts as behind
constexpr double kNoWaitFactor = 4.0;       // at this factor or above, nothing is ever slept

// Speed index 1..5 (Slowest to Fastest) to the factor recording time runs at against the wall
// clock; Fastest never waits. Inline: the loop asks for every packet.
inline double SpeedFactor(int32_t speedIndex)
{
    switch (speedIndex) {
    case 1: return 0.2;
    case 2: return 0.5;
    case 3: return 1.0;
    case 4: return 2.0;
    case 5: return 10.0;
    default: return 1.0;
    }
}

// Milliseconds to sleep, 0..kMaxPaceDelayMs, after the video packet of `frameTime` has been
// delivered at `nowTick`; moves the anchor where it must.
int32_t PaceDelay(PaceClock& clock, int32_t speedIndex, bool backwards, int32_t frameTime, int32_t nowTick);
