#include "ui/WaveOutSdl.h"

#include <SDL.h>

#include <chrono>
#include <cstring>
#include <deque>

#include "audio/MuLaw.h"

namespace {

// Frames per device callback: 16 ms at 8000 Hz, which bounds how late a done message leaves.
constexpr Uint16 kCallbackFrames = 128;

// Device 0's volume, left word low and right word high; full scale plays samples unchanged.
std::atomic<uint32_t> processVolume{0xFFFFFFFFu};

// SDL devices opened and not yet closed, by every instance.
std::atomic<int32_t> openDevices{0};

int64_t SteadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool IsSupportedFormat(const WaveFormat& f)
{
    const bool pcm16 = f.formatTag == kWaveFormatPcm && f.bitsPerSample == 16;
    const bool muLaw = f.formatTag == kWaveFormatMuLaw && f.bitsPerSample == 8;
    return (pcm16 || muLaw) && (f.channels == 1 || f.channels == 2) && f.samplesPerSecond >= 1000 &&
           f.samplesPerSecond <= 192000 && f.blockAlign == f.channels * f.bitsPerSample / 8;
}

int16_t ApplyGain(int32_t sample, uint32_t word)
{
    return static_cast<int16_t>(static_cast<int64_t>(sample) * word / 0xFFFF);
}

// Starts SDL's audio, or says there is none. Each success is paired with StopAudio.
bool StartAudio()
{
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void StopAudio()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

class WaveOutDevice {
public:
    WaveOutDevice(const WaveFormat& format, const WindowHandle& callback) : format(format), callback(callback) {}

    static void SDLCALL Fill(void* self, Uint8* stream, int length)
    {
        static_cast<WaveOutDevice*>(self)->FillStream(reinterpret_cast<int16_t*>(stream), length / 2);
    }

    void Queue(WaveHeader* header)
    {
        std::lock_guard<std::mutex> lock(mutex);
        queue.push_back(header);
    }

    bool IsEmpty()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return queue.empty();
    }

    void ReturnAll()
    {
        std::lock_guard<std::mutex> lock(mutex);
        while (!queue.empty()) {
            Finish();
        }
    }

    void Post(uint32_t code, WaveHeader* header)
    {
        PostWindowMessage(callback, code, reinterpret_cast<uintptr_t>(this), reinterpret_cast<intptr_t>(header));
    }

    SDL_AudioDeviceID id = 0;

private:
    // Runs on SDL's thread: fills `count` samples from the queued buffers, silence after them.
    void FillStream(int16_t* out, int32_t count)
    {
        const uint32_t volume = processVolume.load(std::memory_order_relaxed);
        const uint32_t gains[2] = {volume & 0xFFFF, format.channels == 2 ? volume >> 16 : volume & 0xFFFF};
        const bool muLaw = format.formatTag == kWaveFormatMuLaw;
        const uint32_t sampleBytes = muLaw ? 1 : 2;
        std::lock_guard<std::mutex> lock(mutex);
        int32_t filled = 0;
        while (filled < count && !queue.empty()) {
            WaveHeader* header = queue.front();
            while (filled < count && offset + sampleBytes <= header->bufferLength) {
                int32_t sample;
                if (muLaw) {
                    sample = MuLawExpand(header->data[offset]);
                } else {
                    int16_t value;
                    memcpy(&value, header->data + offset, sizeof value);
                    sample = value;
                }
                out[filled] = ApplyGain(sample, gains[filled % format.channels]);
                ++filled;
                offset += sampleBytes;
            }
            if (offset + sampleBytes > header->bufferLength) {
                Finish();
            }
        }
        memset(out + filled, 0, sizeof(int16_t) * static_cast<size_t>(count - filled));
    }

    // Hands the front buffer back to its owner. Caller holds the lock.
    void Finish()
    {
        WaveHeader* header = queue.front();
        queue.pop_front();
        offset = 0;
        header->doneAtUs.store(SteadyMicroseconds(), std::memory_order_relaxed);
        header->flags.store((header->flags.load() & ~kWaveHeaderInQueue) | kWaveHeaderDone);
        Post(MM_WOM_DONE, header);
    }

    const WaveFormat format;
    const WindowHandle callback;
    std::mutex mutex;                  // guards the queue against SDL's thread
    std::deque<WaveHeader*> queue;
    uint32_t offset = 0;               // bytes of the front buffer already played
};

int32_t SdlWaveOutOpenDevices()
{
    return openDevices.load();
}

int32_t SdlWaveOut::CountDevices()
{
    if (!StartAudio()) {
        return 0;
    }
    // -1: the driver cannot list its devices, but its default one plays.
    const int count = SDL_GetNumAudioDevices(0);
    StopAudio();
    return count < 0 ? 1 : count;
}

int32_t SdlWaveOut::GetNumDevs()
{
    std::lock_guard<std::mutex> lock(mutex);
    return CountDevices();
}

bool SdlWaveOut::IsOpenHandle(WaveOutHandle handle)
{
    std::lock_guard<std::mutex> lock(mutex);
    return handle != nullptr && devices.count(handle) != 0;
}

int32_t SdlWaveOut::Open(WaveOutHandle* handle, const WaveFormat& format, const WindowHandle& callback)
{
    if (handle == nullptr) {
        return kWaveOutInvalidParameter;
    }
    *handle = nullptr;
    if (!IsSupportedFormat(format)) {
        return kWaveOutBadFormat;
    }
    std::lock_guard<std::mutex> lock(mutex);
    if (!StartAudio()) {
        return kWaveOutNoDriver;
    }
    auto* device = new (std::nothrow) WaveOutDevice(format, callback);
    if (device == nullptr) {
        StopAudio();
        return kWaveOutNoMemory;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.samplesPerSecond);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = kCallbackFrames;
    wanted.callback = &WaveOutDevice::Fill;
    wanted.userdata = device;
    SDL_AudioSpec obtained{};
    device->id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device->id == 0) {
        delete device;
        StopAudio();
        return kWaveOutNoDriver;
    }
    devices.insert(device);
    openDevices.fetch_add(1);
    *handle = device;
    device->Post(MM_WOM_OPEN, nullptr);
    SDL_PauseAudioDevice(device->id, 0);
    return kWaveOutOk;
}

int32_t SdlWaveOut::CheckHeader(WaveOutHandle handle, const WaveHeader* header)
{
    if (!IsOpenHandle(handle)) {
        return kWaveOutInvalidHandle;
    }
    if (header == nullptr || header->data == nullptr || header->bufferLength == 0) {
        return kWaveOutInvalidParameter;
    }
    return (header->flags.load() & kWaveHeaderInQueue) ? kWaveOutStillPlaying : kWaveOutOk;
}

int32_t SdlWaveOut::Prepare(WaveOutHandle handle, WaveHeader* header)
{
    const int32_t result = CheckHeader(handle, header);
    if (result == kWaveOutOk) {
        header->flags.store(kWaveHeaderPrepared);
    }
    return result;
}

int32_t SdlWaveOut::Write(WaveOutHandle handle, WaveHeader* header)
{
    const int32_t result = CheckHeader(handle, header);
    if (result != kWaveOutOk) {
        return result;
    }
    const uint32_t flags = header->flags.load();
    if (!(flags & kWaveHeaderPrepared)) {
        return kWaveOutUnprepared;
    }
    header->flags.store((flags & ~kWaveHeaderDone) | kWaveHeaderInQueue);
    handle->Queue(header);
    return kWaveOutOk;
}

int32_t SdlWaveOut::Unprepare(WaveOutHandle handle, WaveHeader* header)
{
    const int32_t result = CheckHeader(handle, header);
    if (result == kWaveOutOk) {
        header->flags.store(header->flags.load() & ~kWaveHeaderPrepared);
    }
    return result;
}

int32_t SdlWaveOut::Pause(WaveOutHandle handle)
{
    if (!IsOpenHandle(handle)) {
        return kWaveOutInvalidHandle;
    }
    SDL_PauseAudioDevice(handle->id, 1);
    return kWaveOutOk;
}

int32_t SdlWaveOut::Reset(WaveOutHandle handle)
{
    if (!IsOpenHandle(handle)) {
        return kWaveOutInvalidHandle;
    }
    handle->ReturnAll();
    return kWaveOutOk;
}

int32_t SdlWaveOut::Close(WaveOutHandle handle)
{
    if (!IsOpenHandle(handle)) {
        return kWaveOutInvalidHandle;
    }
    if (!handle->IsEmpty()) {
        return kWaveOutStillPlaying;
    }
    std::lock_guard<std::mutex> lock(mutex);
    devices.erase(handle);
    // Waits for SDL's thread, so no callback runs once the device is gone.
    SDL_CloseAudioDevice(handle->id);
    openDevices.fetch_sub(1);
    handle->Post(MM_WOM_CLOSE, nullptr);
    delete handle;
    StopAudio();
    return kWaveOutOk;
}

int32_t SdlWaveOut::CheckVolumeDevice(uint32_t deviceId)
{
    const int32_t count = GetNumDevs();
    if (count <= 0) {
        return kWaveOutNoDriver;
    }
    return deviceId < static_cast<uint32_t>(count) ? kWaveOutOk : kWaveOutBadDeviceId;
}

int32_t SdlWaveOut::GetVolume(uint32_t deviceId, uint32_t* volume)
{
    const int32_t result = volume != nullptr ? CheckVolumeDevice(deviceId) : kWaveOutInvalidParameter;
    if (result == kWaveOutOk) {
        *volume = processVolume.load();
    }
    return result;
}

int32_t SdlWaveOut::SetVolume(uint32_t deviceId, uint32_t volume)
{
    const int32_t result = CheckVolumeDevice(deviceId);
    if (result == kWaveOutOk) {
        processVolume.store(volume);
    }
    return result;
}
