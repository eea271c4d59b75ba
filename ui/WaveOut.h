// The wave-out service: a sound device that plays caller-owned buffers in the order written and
// announces each finished one to a window. Results are 0 on success or one of the error codes
// below. Formats are 8-bit mu-law or 16-bit PCM, mono or stereo; mu-law is expanded before it
// reaches the device. Device 0's volume (left word low, right word high) is one gain for the
// whole process, applied to every device.
#pragma once

#include <atomic>
#include <cstdint>

#include "ui/WindowHandle.h"

constexpr uint32_t MM_WOM_OPEN = 0x3BB;
constexpr uint32_t MM_WOM_CLOSE = 0x3BC;
constexpr uint32_t MM_WOM_DONE = 0x3BD;   // wParam: the device handle, lParam: the WaveHeader

constexpr int32_t kWaveOutOk = 0;
constexpr int32_t kWaveOutError = 1;
constexpr int32_t kWaveOutBadDeviceId = 2;
constexpr int32_t kWaveOutInvalidHandle = 5;
constexpr int32_t kWaveOutNoDriver = 6;
constexpr int32_t kWaveOutNoMemory = 7;
constexpr int32_t kWaveOutInvalidParameter = 11;
constexpr int32_t kWaveOutBadFormat = 32;
constexpr int32_t kWaveOutStillPlaying = 33;
constexpr int32_t kWaveOutUnprepared = 34;

constexpr uint16_t kWaveFormatPcm = 1;
constexpr uint16_t kWaveFormatMuLaw = 7;

struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

constexpr uint32_t kWaveHeaderDone = 0x01;       // the device has finished with it
constexpr uint32_t kWaveHeaderPrepared = 0x02;
constexpr uint32_t kWaveHeaderInQueue = 0x10;    // the device holds it: do not touch its data

// One buffer. The caller owns it and its data and keeps both alive until the device is done
// with it (its done message, a reset or a close).
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;             // bytes, in the open format
    std::atomic<uint32_t> flags{0};        // changed by the device's thread too
    std::atomic<int64_t> doneAtUs{0};      // steady-clock microseconds when the device let it go
};

class WaveOutDevice;
using WaveOutHandle = WaveOutDevice*;

class WaveOut {
public:
    virtual ~WaveOut() = default;

    // Devices in the system; 0 when there is no sound device at all.
    virtual int32_t GetNumDevs() = 0;
    // Opens the default device, which starts playing at once; MM_WOM_OPEN, MM_WOM_DONE and
    // MM_WOM_CLOSE are posted to `callback`.
    virtual int32_t Open(WaveOutHandle* handle, const WaveFormat& format, const WindowHandle& callback) = 0;
    virtual int32_t Prepare(WaveOutHandle handle, WaveHeader* header) = 0;
    // Queues a prepared header behind those already written.
    virtual int32_t Write(WaveOutHandle handle, WaveHeader* header) = 0;
    // Refused with kWaveOutStillPlaying while the device holds the header.
    virtual int32_t Unprepare(WaveOutHandle handle, WaveHeader* header) = 0;
    virtual int32_t Pause(WaveOutHandle handle) = 0;
    // Stops playing and hands every queued header back, each marked done, with its message.
    virtual int32_t Reset(WaveOutHandle handle) = 0;
    // Refused with kWaveOutStillPlaying while headers are queued.
    virtual int32_t Close(WaveOutHandle handle) = 0;
    virtual int32_t GetVolume(uint32_t deviceId, uint32_t* volume) = 0;
    virtual int32_t SetVolume(uint32_t deviceId, uint32_t volume) = 0;
};

// The service in use: the system's sound devices unless a test installed another.
WaveOut& WaveOutService();
// Replaces the service for the whole process; null restores the system's. Install it while no
// device is open.
void WaveOutSetService(WaveOut* service);
