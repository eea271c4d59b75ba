// The road of an audio packet on the playback thread: a new codec has the grid replace both
// outputs (a send that waits at most a second), then the payload goes to the output of its
// track. Packets whose payload is empty, over 102400 bytes or not inside the `length` bytes
// given are ignored silently.
#pragma once

#include <cstdint>

#include "audio/AudioBufferSizes.h"
#include "ui/GridAudio.h"

class Event;

constexpr uint32_t kCodecChangeTimeoutMs = 1000;

// The codec change's send stops waiting once `abandon` (the playback thread's stop) is set; the
// outputs are then replaced later, as after a time-out.
void RouteAudioPacket(const uint8_t* packet, uint32_t length, GridAudio& grid, const Event* abandon = nullptr);
