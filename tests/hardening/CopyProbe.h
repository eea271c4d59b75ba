// Runs one recording pair through everything the player does with it, checking that every
// result is one its function documents and that the files are left as they were: opened and
// scanned, read forwards to the end, backwards to the start, at positions in, before and past
// the index and in a random mix of all three, walked in exact steps, and every packet read
// handed to the views (video decoding with event text, the audio path).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/hardening/AudioPathModel.h"
#include "tests/hardening/SweepViews.h"

struct ProbeCounts {
    int64_t copies = 0;
    int64_t opened = 0;
    int64_t packets = 0;        // reads that returned a packet
    int64_t readFailures = 0;   // kMediaReadFailed
    int64_t indexFailures = 0;  // kMediaIndexFailed
    int64_t steps = 0;          // exact steps that reached a group walk
    VideoCounts video;
    AudioPathCounts audio;
};

class CopyProbe {
public:
    // Appends what went wrong to `problems`; `seed` chooses the positions and steps.
    void Run(const std::string& mediaPath, const std::string& indexPath, uint32_t seed,
             std::vector<std::string>* problems);

    ProbeCounts counts;
};
