// The camera grid's audio: the output for track 0, the output for tracks 1 to 3, an output
// never opened that reads and sets the device volume, the two mute flags and the codec of the
// last routed packet. Outputs are made and deleted on the user-interface thread, in answer to
// WM_USER+9 and WM_USER+10; the route writes to them from the playback thread. The lock keeps
// a write from overlapping their replacement, even after the sender's time-out has passed.
#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <mutex>

#include "ui/AudioOut.h"
#include "ui/WindowMessage.h"

constexpr uint32_t WM_AUDIO_OPEN = WM_USER + 9;    // wParam: the new audio codec id
constexpr uint32_t WM_AUDIO_CLOSE = WM_USER + 10;

class GridAudio {
public:
    // `grid` is the grid's window object, on the user-interface thread: the parent of the
    // outputs' windows and of the window that receives the two messages.
    explicit GridAudio(QObject* grid);
    // Closes and deletes both outputs.
    ~GridAudio();
    GridAudio(const GridAudio&) = delete;
    GridAudio& operator=(const GridAudio&) = delete;

    // Where the route sends WM_USER+9.
    const WindowHandle& Handle() const { return window->Handle(); }

    // WM_USER+9: replaces both outputs with ones opened for `codecId`; returns 0.
    intptr_t OnAudioOpen(uintptr_t codecId);
    // WM_USER+10 and the grid's destruction: closes and deletes both outputs; returns 0.
    intptr_t OnAudioClose();

    // Playback thread: either output has two or more buffers with the device.
    bool IsBacklogged();
    // Playback thread: plays a payload on the output of `track` unless that output is missing,
    // has no window or is muted. Write's result, or 0 when nothing was written.
    int32_t WriteTrack(int32_t track, const uint8_t* payload, uint32_t length);

    AudioOut* primaryAudio = nullptr;
    AudioOut* secondaryAudio = nullptr;
    AudioOut volumeAudio;
    std::atomic<int32_t> primaryMuted{0};     // set by the user-interface thread
    std::atomic<int32_t> secondaryMuted{0};
    int32_t lastAudioCodec = -1;              // the route's, on the playback thread

private:
    QObject* grid;
    QPointer<MessageWindow> window;           // a child of the grid
    std::mutex outputsLock;                   // held while outputs are written or replaced
};
