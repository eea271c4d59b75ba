// Shared pieces of the audio output tests: the sound device as SDL's disk driver with one file
// per opened device, failures the tests can switch on, waiting on the Qt event loop, and audio
// packets made on the spot.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/DebugOutput.h"
#include "ui/WaveOutSdl.h"

// Installed for its lifetime. Each Open writes to the next file of `directory`; devices a
// test left open (a close that was made to fail) are closed at the end.
class TestWaveOut : public WaveOut {
public:
    explicit TestWaveOut(std::string directory);
    ~TestWaveOut() override;

    int32_t GetNumDevs() override { return inner.GetNumDevs(); }
    int32_t Open(WaveOutHandle* handle, const WaveFormat& format, const WindowHandle& callback) override;
    int32_t Prepare(WaveOutHandle handle, WaveHeader* header) override { return inner.Prepare(handle, header); }
    int32_t Write(WaveOutHandle handle, WaveHeader* header) override;
    int32_t Unprepare(WaveOutHandle handle, WaveHeader* header) override { return inner.Unprepare(handle, header); }
    int32_t Pause(WaveOutHandle handle) override { return failPause ? kWaveOutError : inner.Pause(handle); }
    int32_t Reset(WaveOutHandle handle) override { return failReset ? kWaveOutError : inner.Reset(handle); }
    int32_t Close(WaveOutHandle handle) override;
    int32_t GetVolume(uint32_t deviceId, uint32_t* volume) override { return inner.GetVolume(deviceId, volume); }
    int32_t SetVolume(uint32_t deviceId, uint32_t volume) override;

    // The file of the n-th device opened.
    std::string DeviceFile(int32_t n) const;

    std::atomic<bool> failOpen{false};
    std::atomic<bool> failPause{false};
    std::atomic<bool> failReset{false};
    std::atomic<bool> failClose{false};
    std::atomic<bool> failWrite{false};
    std::atomic<bool> failSetVolume{false};
    std::atomic<int32_t> writes{0};
    std::atomic<int32_t> closeAttempts{0};

private:
    SdlWaveOut inner;
    std::string directory;
    std::mutex mutex;
    int32_t opened = 0;
    std::set<WaveOutHandle> open;
};

// Collects the debugger output while it lives.
class DebugCapture : public DebugOutputSink {
public:
    DebugCapture() { DebugOutputSetSink(this); }
    ~DebugCapture() override { DebugOutputSetSink(nullptr); }
    void Write(const char* text) override;
    std::string Text();

private:
    std::mutex mutex;
    std::string text;
};

// Sets an environment variable for its lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string name;
    bool had = false;
    std::string old;
};

// Runs the event loop until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int32_t timeoutMs = 5000);
void PumpFor(int32_t milliseconds);

// The 16-bit samples a device played, from its disk file.
std::vector<int16_t> ReadDeviceSamples(const std::string& path);
// What the device plays for a buffer in the given format.
std::vector<int16_t> DeviceSamples(const std::vector<uint8_t>& buffer, bool muLaw);
// The position of `needle` in `haystack`, or -1.
int64_t FindSamples(const std::vector<int16_t>& haystack, const std::vector<int16_t>& needle);

// Audio payload bytes that never look like silence on the device.
std::vector<uint8_t> PayloadBytes(size_t count, uint32_t seed);

// An audio packet of the given codec and track around `payload`.
std::vector<uint8_t> AudioPacket(int32_t codec, int32_t track, const std::vector<uint8_t>& payload);
// A packet header that announces `payloadLength` bytes, followed by `present` of them.
std::vector<uint8_t> AudioPacketClaiming(int32_t codec, int32_t track, uint32_t payloadLength, size_t present);
