// Test signals for the codecs, and the signal-to-noise ratio of a decoded copy.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<int16_t> Tone(size_t count, double hz, double amplitude)
{
    std::vector<int16_t> samples(count);
    for (size_t n = 0; n < count; ++n) {
        samples[n] = static_cast<int16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(n) / 8000.0)));
    }
    return samples;
}

// In decibels, over the samples from `skip` on (an adaptive coder needs a moment to settle).
inline double SnrDb(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded, size_t skip)
{
    double signal = 0.0;
    double noise = 0.0;
    for (size_t n = skip; n < original.size() && n < decoded.size(); ++n) {
        signal += static_cast<double>(original[n]) * original[n];
        const double error = static_cast<double>(original[n]) - decoded[n];
        noise += error * error;
    }
    return noise == 0.0 ? 200.0 : 10.0 * std::log10(signal / noise);
}
