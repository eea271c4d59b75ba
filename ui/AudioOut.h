// One wave-out audio output: a codec, a ring of four device buffers and a decode buffer, all
// made at Open and freed at Close. It lives on the user-interface thread, where its hidden
// window receives the device's done messages; only Write and IsBacklogged run on the playback
// thread, and the owner keeps them from overlapping Open, Close and deletion (GridAudio does).
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <memory>

#include "audio/AudioBufferSizes.h"
#include "audio/Codec.h"
#include "ui/WaveOut.h"
#include "ui/WindowMessage.h"

constexpr int32_t kAudioRingSize = 4;

// Open's results.
constexpr int32_t kAudioOpened = 1;
constexpr int32_t kAudioNoDevice = -3;
constexpr int32_t kAudioAlreadyOpen = -4;
constexpr int32_t kAudioSetupFailed = -6;
// Write's results besides 1 (queued) and 0 (the device refused the buffer).
constexpr int32_t kAudioNotOpen = -2;
constexpr int32_t kAudioDropped = -9;

class AudioOut : public QObject {
    Q_OBJECT

public:
    AudioOut();
    // Closes the output if its owner did not.
    ~AudioOut() override;
    AudioOut(const AudioOut&) = delete;
    AudioOut& operator=(const AudioOut&) = delete;

    // 1 opened, -3 no sound device, -4 already open, -6 window, codec, buffers or device failed.
    // Output 0 plays track 0; any other number the other tracks.
    int32_t Open(QObject* parent, int32_t codecId, int32_t outputNumber);
    // 1, or -1 for a codec id without a codec class or while the output is open.
    int32_t SelectCodec(int32_t codecId, int32_t outputNumber);
    // 1, or 0 when an allocation fails or the output is open.
    int32_t AllocateBuffers();
    // Playback thread. 1 queued, 0 refused by the device, -2 not open, -9 dropped: over 8192
    // bytes, nothing decoded, every buffer still with the device, or a mu-law payload longer
    // than the buffer.
    int32_t Write(const uint8_t* payload, uint32_t length);
    intptr_t OnWomOpenClose(uintptr_t wParam, intptr_t lParam);
    // lParam: the WaveHeader the device has finished with.
    intptr_t OnWomDone(uintptr_t wParam, intptr_t lParam);
    void Close();
    void ReleaseBuffers();
    // False without a codec; else two or more buffers are still with the device.
    bool IsBacklogged() const;
    // The right channel of device 0, 0..65535.
    int32_t GetVolume();
    // Both channels of device 0; above 65535 counts as 65535. 1 set, 0 refused.
    int32_t SetVolume(uint32_t value);

    bool HasWindow() const { return !window.isNull(); }

    std::unique_ptr<Codec> codec;
    WaveOutHandle hWaveOut = nullptr;
    WaveFormat waveFormat;
    WaveHeader* headers[kAudioRingSize] = {};
    uint8_t* decodeBuffer = nullptr;
    int32_t writeIndex = 0;
    std::atomic<int32_t> pendingCount{0};   // raised by the playback thread, lowered by the UI's
    int32_t isOpen = 0;
    int32_t gainIndex;
    uint32_t volume = 65535;
    double gainTable[kGainTableSize];
    int32_t bufferSize = 0;
    int32_t buffersAllocated = 0;
    int32_t codecId = 0;

private:
    bool OwnsHeader(const WaveHeader* header) const;
    // Closes the device; false when it may still hold the buffers.
    bool CloseDevice();
    void AbandonBuffers();
    void FreeBuffers();

    QPointer<MessageWindow> window;
};
