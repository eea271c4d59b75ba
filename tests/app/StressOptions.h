// The stress run's settings, from its command line: --cycles=N (start and stop cycles: commands
// that stop playback) and --seed=S (0 or none: one from the clock, printed either way).
#pragma once

#include <cstdint>

struct StressOptions {
    int32_t cycles = 100;
    uint64_t seed = 0;
};

StressOptions& Stress();
