// SHA-256 (FIPS 180-4), for the fingerprints that tie an export to its recording.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kSha256Bytes = 32;

class Sha256 {
public:
    // `cpuInstructions` false keeps to the portable rounds even where the processor has its own.
    explicit Sha256(bool cpuInstructions = true);
    void Reset();
    void Update(const void* data, size_t length);
    // The digest of everything updated since the last Reset; the object must be Reset before reuse.
    void Finish(uint8_t (&digest)[kSha256Bytes]);
    // The digest as 64 lowercase hexadecimal digits.
    std::string FinishHex();

private:
    void Compress(const uint8_t* blocks, size_t count);

    bool useShaInstructions;
    uint32_t state[8];
    uint8_t pending[64];
    size_t pendingBytes;
    uint64_t totalBytes;
};

// The hex digest and size of a whole file. 0, -1 when it cannot be read (errno set), or
// -2 when `cancel` was raised. `onBytes`, when given, is told the bytes read so far.
int32_t Sha256OfFile(const std::string& path, std::string* hex, int64_t* size, const std::atomic<bool>* cancel = nullptr,
                     void (*onBytes)(void* context, int64_t bytes) = nullptr, void* context = nullptr);
