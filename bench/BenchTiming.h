// Timing for the benchmarks: the best of several runs, the figure least disturbed by the rest
// of the machine.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

constexpr int kBenchRepetitions = 5;

inline double SecondsSince(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// `setup` runs untimed before each timed `body`; either returns false when a run failed,
// which ends the benchmark.
template <typename Setup, typename Body>
double BestSecondsAfter(const char* benchmark, Setup setup, Body body)
{
    double best = 1e9;
    for (int i = 0; i < kBenchRepetitions; ++i) {
        const bool ready = setup();
        const auto start = std::chrono::steady_clock::now();
        if (!ready || !body()) {
            fprintf(stderr, "%s: a run failed\n", benchmark);
            exit(1);
        }
        best = std::min(best, SecondsSince(start));
    }
    return best;
}

template <typename Body>
double BestSeconds(const char* benchmark, Body body)
{
    return BestSecondsAfter(benchmark, [] { return true; }, body);
}
