// Runs the playback handler on a worker thread and lets the user-interface thread start,
// pause, resume and stop it. Pausing is cooperative: the worker waits on the run event between
// packets, and may pause itself. The status changes by atomic exchange only.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/Event.h"

class DecodePool;
class QelSmartHandler;

constexpr int32_t kThreadRunning = 1;
constexpr int32_t kThreadStopped = 2;
constexpr int32_t kThreadSuspended = 3;

class QelSmartControlThread {
public:
    QelSmartControlThread();
    virtual ~QelSmartControlThread();
    QelSmartControlThread(const QelSmartControlThread&) = delete;
    QelSmartControlThread& operator=(const QelSmartControlThread&) = delete;

    int32_t SetSmartHandler(QelSmartHandler* handler);
    int32_t BeginThread();
    int32_t SuspendThread();
    int32_t ResumeThread();
    int32_t EndThread();
    void WaitThreadEnd();

    // The worker's entry; `argument` is the control thread.
    static int32_t ThreadFunction(void* argument);

    // For the worker: waits until the run event is set or a stop has been requested, so a
    // worker that pauses itself just as a stop is asked for still wakes. Before it counts a pause
    // it waits for `pool` to decode what it was handed.
    void WaitForRun(DecodePool* pool = nullptr);
    bool StopRequested() const { return stopEvent.IsSet(); }

    int32_t Status() const { return threadStatus.load(); }

    std::thread threadHandle;          // joinable while a worker exists or has not been released
    uint32_t threadId = 0;
    std::atomic<int32_t> threadStatus{kThreadStopped};
    QelSmartHandler* smartHandler = nullptr;
    int32_t threadResult = 0;
    Event runEvent{true};
    Event stopEvent{false};
    // How many times the worker has found the run event reset and waited: lets a caller tell
    // that a pass has ended and the worker sits paused.
    std::atomic<uint32_t> workerPauses{0};
};
