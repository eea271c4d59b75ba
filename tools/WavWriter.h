// Writes a WAV file of 16-bit PCM samples, streaming: the sizes in the header are filled in
// when the file is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The RIFF size field counts 36 header bytes and the data in 32 bits.
constexpr uint32_t kWavMaxDataBytes = 0xFFFFFFFFu - 36u;

constexpr int32_t kWavWritten = 0;
constexpr int32_t kWavFull = 1;        // the file holds all it can; samples were left out
constexpr int32_t kWavFailed = -1;

class WavWriter {
public:
    // `maxDataBytes` below the format's own limit is for tests.
    explicit WavWriter(uint32_t maxDataBytes = kWavMaxDataBytes) : maxDataBytes(maxDataBytes) {}
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates (truncates) the file. kWavWritten or kWavFailed.
    int32_t Open(const std::string& path, int32_t channels, int32_t samplesPerSecond);
    // Appends interleaved samples, whole frames only. kWavWritten, kWavFull or kWavFailed.
    int32_t Write(const int16_t* samples, size_t count);
    // Fills in the header and closes. kWavWritten, or kWavFailed when any write failed.
    int32_t Close();

    uint32_t DataBytes() const { return dataBytes; }

private:
    FILE* file = nullptr;
    uint32_t maxDataBytes;
    uint32_t dataBytes = 0;
    uint32_t blockAlign = 0;
    bool failed = false;
};
