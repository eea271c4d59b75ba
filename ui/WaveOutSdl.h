// The wave-out service over SDL 2 audio. Each opened handle is one SDL device playing 16-bit
// samples; its callback, on SDL's thread, moves the queued buffers' bytes to the device and
// posts the done messages. No sound device (SDL's audio cannot start, or lists no output):
// GetNumDevs is 0 and Open fails with kWaveOutNoDriver.
#pragma once

#include <mutex>
#include <set>

#include "ui/WaveOut.h"

// Sound devices this process holds open through SDL, over every SdlWaveOut: lets a test tell
// that none is left behind.
int32_t SdlWaveOutOpenDevices();

class SdlWaveOut : public WaveOut {
public:
    int32_t GetNumDevs() override;
    int32_t Open(WaveOutHandle* handle, const WaveFormat& format, const WindowHandle& callback) override;
    int32_t Prepare(WaveOutHandle handle, WaveHeader* header) override;
    int32_t Write(WaveOutHandle handle, WaveHeader* header) override;
    int32_t Unprepare(WaveOutHandle handle, WaveHeader* header) override;
    int32_t Pause(WaveOutHandle handle) override;
    int32_t Reset(WaveOutHandle handle) override;
    int32_t Close(WaveOutHandle handle) override;
    int32_t GetVolume(uint32_t deviceId, uint32_t* volume) override;
    int32_t SetVolume(uint32_t deviceId, uint32_t volume) override;

private:
    bool IsOpenHandle(WaveOutHandle handle);
    // kWaveOutOk for a header of an open device that the device does not hold.
    int32_t CheckHeader(WaveOutHandle handle, const WaveHeader* header);
    int32_t CheckVolumeDevice(uint32_t deviceId);
    int32_t CountDevices();

    std::mutex mutex;                  // guards `devices` and SDL's start and stop
    std::set<WaveOutHandle> devices;
};
