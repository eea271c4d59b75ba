// Plays an opened recording on the real engine without a window, as the player's commands
// would drive it, until the loop pauses itself at the end (or the start, backwards).
#pragma once

#include <cstdint>

struct PlaybackEngine;

struct HeadlessPlayResult {
    int64_t records = 0;       // packets read by the pass asked for
    int64_t wallMs = 0;        // how long that pass took
    bool readFailure = false;  // the loop reported that reading failed, and ended
};

// The engine must be connected with HeadlessPlayEnd as its end notification and this result
// as its context, and its recording opened. Backwards, the recording is first played forwards
// to the end at the top speed, then played back; the views' counts of the forward pass are
// cleared by `clearCounts` (may be null) before the backward pass starts. Leaves the worker
// stopped.
void PlayHeadless(PlaybackEngine* engine, int32_t speedIndex, bool backward, void (*clearCounts)(void* context),
                  void* countsContext, HeadlessPlayResult* result);

// The end notification for PlayHeadless; `context` is the HeadlessPlayResult.
void HeadlessPlayEnd(void* context, int32_t message, const uint8_t* packet, uint32_t length);
