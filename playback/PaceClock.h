// The playback loop's timing: the speed factor that divides every wait, and the delay before
// the next read, computed from the frame times of the last two video packets and the time
// their delivery took.
#pragma once

#include <cstdint>

struct PaceClock {
    int32_t readTick = 0;        // clock when the last video packet's delivery began
    int32_t waitTick = 0;        // clock after the wait that followed it
    int32_t frameTime = 0;       // that packet's time in milliseconds, from its header
    int32_t prevFrameTime = 0;   // frame time of the video packet paced before it; 0: none
};

constexpr int32_t kMaxPaceDelayMs = 2000;
constexpr double kNoWaitFactor = 4.0;   // at this factor or above, nothing is ever slept

// Speed index 1..5 to the factor the waits are divided by; the middle speed shrinks the waits
// as channels are added. Inline: the loop asks for every packet.
inline double SpeedFactor(int32_t speedIndex, int32_t channelCount)
{
    switch (speedIndex) {
    case 1: return 0.2;
    case 2: return 0.5;
    case 3: return 1.0 + 0.1 * channelCount;
    case 4: return 2.0;
    case 5: return 10.0;
    default: return 1.0;
    }
}

// Milliseconds to sleep before the next read, 0..kMaxPaceDelayMs.
int32_t ComputeDelay(double factor, const PaceClock& clock, bool backwards);
