// How much sound each stage of the audio path takes: the route's and an output's payload
// limits, and the device buffer an output keeps for each codec. The outputs live with the
// windows; these sizes do not, so window-free code can hold packets to the same limits.
#pragma once

#include <cstdint>

constexpr int32_t kRouteMaxPayload = 102400;   // the route ignores longer payloads
constexpr uint32_t kAudioMaxPayload = 8192;    // an output drops longer payloads
// The largest a codec writes for an accepted payload: 8192 G.723 samples of 16 bits.
constexpr int32_t kAudioDecodeCapacity = 16384;

// Bytes of one device buffer of output `outputNumber` (0 or 1) for a codec; 0 for an unknown
// codec.
int32_t AudioBufferSizeFor(int32_t codecId, int32_t outputNumber);
