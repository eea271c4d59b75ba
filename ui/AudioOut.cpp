#include "ui/AudioOut.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "audio/AudioCodecId.h"
#include "audio/AudioDeviceFormat.h"
#include "audio/CodecFactory.h"
#include "audio/GainTable.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"

namespace {

constexpr int32_t kCloseAttempts = 100;
constexpr uint32_t kCloseRetryMs = 500;
// Buffers a device would not give back stay here, reachable and untouched, for the process's life.
std::vector<void*>& ParkedBuffers()
{
    static auto* parked = new std::vector<void*>;
    return *parked;
}

}  // namespace

AudioOut::AudioOut() : gainIndex(kDefaultGainIndex)
{
    BuildGainTable(gainTable);
}

AudioOut::~AudioOut()
{
    Close();
    codec.reset();
}

int32_t AudioOut::Open(QObject* parent, int32_t id, int32_t outputNumber)
{
    if (WaveOutService().GetNumDevs() <= 0) {
        return kAudioNoDevice;
    }
    if (isOpen) {
        return kAudioAlreadyOpen;
    }
    if (parent == nullptr) {
        return kAudioSetupFailed;
    }
    if (!window) {
        window = new MessageWindow(
            [this](uint32_t code, uintptr_t wParam, intptr_t lParam) -> intptr_t {
                if (code == MM_WOM_DONE) {
                    return OnWomDone(wParam, lParam);
                }
                if (code == MM_WOM_OPEN || code == MM_WOM_CLOSE) {
                    return OnWomOpenClose(wParam, lParam);
                }
                return 0;
            },
            parent);
    }
    if (SelectCodec(id, outputNumber) <= 0) {
        return kAudioSetupFailed;
    }
    if (AllocateBuffers() <= 0) {
        isOpen = 0;
        return kAudioSetupFailed;
    }
    if (WaveOutService().Open(&hWaveOut, waveFormat, window->Handle()) != kWaveOutOk) {
        hWaveOut = nullptr;
        isOpen = 0;
        return kAudioSetupFailed;
    }
    writeIndex = 0;
    pendingCount = 0;
    isOpen = 1;
    return kAudioOpened;
}

int32_t AudioOut::SelectCodec(int32_t id, int32_t outputNumber)
{
    // The device may hold buffers of the current size.
    if (isOpen) {
        return -1;
    }
    AudioDeviceFormat format;
    codec = CreateCodec(id);
    if (!codec || !AudioDeviceFormatFor(id, &format)) {
        codec.reset();
        return -1;
    }
    codecId = id;
    bufferSize = AudioBufferSizeFor(id, outputNumber);
    waveFormat = WaveFormat{};
    waveFormat.formatTag = static_cast<uint16_t>(format.formatTag);
    waveFormat.channels = static_cast<uint16_t>(format.channels);
    waveFormat.bitsPerSample = static_cast<uint16_t>(format.bitsPerSample);
    waveFormat.extraSize = 0;
    waveFormat.blockAlign = static_cast<uint16_t>(format.bitsPerSample / 8 * format.channels);
    waveFormat.samplesPerSecond = static_cast<uint32_t>(format.samplesPerSecond);
    waveFormat.averageBytesPerSecond = waveFormat.blockAlign * waveFormat.samplesPerSecond;
    hWaveOut = nullptr;
    codec->BindOutput(gainTable, gainIndex, pendingCount);
    return 1;
}

int32_t AudioOut::AllocateBuffers()
{
    if (isOpen || bufferSize <= 0) {
        return 0;
    }
    FreeBuffers();
    const size_t size = static_cast<size_t>(bufferSize);
    decodeBuffer = new (std::nothrow) uint8_t[std::max<size_t>(size, kAudioDecodeCapacity)]();
    bool complete = decodeBuffer != nullptr;
    for (WaveHeader*& header : headers) {
        if (!complete) {
            break;
        }
        header = new (std::nothrow) WaveHeader;
        if (header != nullptr) {
            header->bufferLength = static_cast<uint32_t>(bufferSize);
            header->data = new (std::nothrow) uint8_t[size]();
        }
        complete = header != nullptr && header->data != nullptr;
    }
    buffersAllocated = 1;
    if (!complete) {
        FreeBuffers();
        return 0;
    }
    return 1;
}

int32_t AudioOut::Write(const uint8_t* payload, uint32_t length)
{
    if (!isOpen) {
        return kAudioNotOpen;
    }
    if (length > kAudioMaxPayload) {
        DebugOutputString("Quillomatic : AudioData size is over maxsize\n");
        return kAudioDropped;
    }
    // The buffer at writeIndex is still the device's until its done message is handled.
    if (pendingCount.load() >= kAudioRingSize) {
        return kAudioDropped;
    }
    // Mu-law is copied as it is, and a longer payload would not fit the device buffer.
    if (codecId == kAudioCodecG711 && length > static_cast<uint32_t>(bufferSize)) {
        DebugOutputString("AudioOut : mu-law payload longer than the device buffer, not played\n");
        return kAudioDropped;
    }
    if (payload == nullptr || codec->Decode(payload, static_cast<int32_t>(length), decodeBuffer) <= 0) {
        return kAudioDropped;
    }
    WaveHeader* header = headers[writeIndex];
    memcpy(header->data, decodeBuffer, static_cast<size_t>(bufferSize));
    header->bufferLength = static_cast<uint32_t>(bufferSize);
    // Counted before the device has it, so its done message can never come first.
    pendingCount.fetch_add(1);
    WaveOut& device = WaveOutService();
    if (device.Prepare(hWaveOut, header) != kWaveOutOk || device.Write(hWaveOut, header) != kWaveOutOk) {
        pendingCount.fetch_sub(1);
        return 0;
    }
    writeIndex = (writeIndex + 1) % kAudioRingSize;
    return 1;
}

intptr_t AudioOut::OnWomOpenClose(uintptr_t, intptr_t)
{
    return 0;
}

intptr_t AudioOut::OnWomDone(uintptr_t, intptr_t lParam)
{
    auto* header = reinterpret_cast<WaveHeader*>(lParam);
    // A message from a device this output no longer has changes nothing.
    if (!isOpen || !OwnsHeader(header)) {
        return 0;
    }
    WaveOutService().Unprepare(hWaveOut, header);
    pendingCount.fetch_sub(1);
    return 0;
}

bool AudioOut::OwnsHeader(const WaveHeader* header) const
{
    return header != nullptr && std::find(std::begin(headers), std::end(headers), header) != std::end(headers);
}

bool AudioOut::CloseDevice()
{
    WaveOut& device = WaveOutService();
    // A device that will not pause is still stopped by the reset.
    device.Pause(hWaveOut);
    const bool reset = device.Reset(hWaveOut) == kWaveOutOk;
    for (WaveHeader* header : headers) {
        if (header != nullptr) {
            device.Unprepare(hWaveOut, header);
        }
    }
    bool closed = false;
    for (int32_t attempt = 0; attempt < kCloseAttempts && !closed; ++attempt) {
        closed = device.Close(hWaveOut) == kWaveOutOk;
        if (!closed) {
            ClockSleepMs(kCloseRetryMs);
        }
    }
    hWaveOut = nullptr;
    if (closed) {
        return true;
    }
    const bool held = std::any_of(std::begin(headers), std::end(headers), [](const WaveHeader* header) {
        return header != nullptr && (header->flags.load() & kWaveHeaderInQueue) != 0;
    });
    return reset && !held;
}

void AudioOut::AbandonBuffers()
{
    DebugOutputString("AudioOut : the sound device kept its buffers; they are left to it\n");
    for (WaveHeader*& header : headers) {
        if (header != nullptr) {
            ParkedBuffers().push_back(header->data);
            ParkedBuffers().push_back(header);
            header = nullptr;
        }
    }
}

void AudioOut::Close()
{
    if (isOpen) {
        if (!CloseDevice()) {
            AbandonBuffers();
        }
    }
    ReleaseBuffers();
}

void AudioOut::FreeBuffers()
{
    if (buffersAllocated) {
        delete[] decodeBuffer;
        decodeBuffer = nullptr;
        for (WaveHeader*& header : headers) {
            if (header != nullptr) {
                delete[] header->data;
                delete header;
                header = nullptr;
            }
        }
    }
    buffersAllocated = 0;
}

void AudioOut::ReleaseBuffers()
{
    FreeBuffers();
    // Done messages still queued for the window go with it.
    delete window.data();
    writeIndex = 0;
    pendingCount = 0;
    isOpen = 0;
    buffersAllocated = 0;
}

bool AudioOut::IsBacklogged() const
{
    return codec ? codec->IsBacklogged() : false;
}

int32_t AudioOut::GetVolume()
{
    // Not checked: a failed read leaves the last value, of which only the high half remains.
    WaveOutService().GetVolume(0, &volume);
    volume >>= 16;
    return static_cast<int32_t>(volume);
}

int32_t AudioOut::SetVolume(uint32_t value)
{
    const uint32_t v = std::min<uint32_t>(value, 0xFFFF);
    if (WaveOutService().SetVolume(0, v | (v << 16)) != kWaveOutOk) {
        return 0;
    }
    volume = v;
    return 1;
}
