// For whoever drives the control thread without a window (tools, tests): waiting until the
// worker has finished what it was asked and sits paused, or has ended.
#pragma once

#include <cstdint>

class QelSmartControlThread;

constexpr int32_t kWorkerPaused = 1;
constexpr int32_t kWorkerEnded = 2;
constexpr int32_t kWorkerStillBusy = 0;

// Waits until the worker has paused more often than `pausesBefore` (a value of the control
// thread's workerPauses taken before it was resumed), or has ended; gives up after
// `timeoutMs` (negative: never).
int32_t WaitForWorkerPause(const QelSmartControlThread& control, uint32_t pausesBefore, int32_t timeoutMs);
