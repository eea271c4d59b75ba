#include "tools/play/HeadlessPlayback.h"

#include <chrono>

#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"

namespace {

int64_t MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void HeadlessPlayEnd(void* context, int32_t, const uint8_t*, uint32_t)
{
    // Called on the playback thread just before it ends; read only after it has been joined.
    static_cast<HeadlessPlayResult*>(context)->readFailure = true;
}

void PlayHeadless(PlaybackEngine* engine, int32_t speedIndex, bool backward, void (*clearCounts)(void* context),
                  void* countsContext, HeadlessPlayResult* result)
{
    QelSmartControlThread& control = *engine->controlThread;
    QelSmartHandler& handler = *engine->smartHandler;
    constexpr int32_t kTopSpeed = 5;

    handler.speedIndex.store(backward ? kTopSpeed : speedIndex);
    control.SetSmartHandler(&handler);
    auto start = std::chrono::steady_clock::now();
    uint32_t pauses = control.workerPauses.load();
    control.BeginThread();
    int64_t readBefore = 0;

    if (WaitForWorkerPause(control, pauses, -1) == kWorkerPaused && backward) {
        // Paused at the end: the worker waits on the run event and touches nothing until
        // resumed, so the counts can be cleared here.
        readBefore = handler.readCount.load();
        if (clearCounts != nullptr) {
            clearCounts(countsContext);
        }
        handler.speedIndex.store(speedIndex);
        handler.stepMode.store(0);
        handler.playMode.store(kPlayBackward);
        start = std::chrono::steady_clock::now();
        pauses = control.workerPauses.load();
        control.ResumeThread();
        WaitForWorkerPause(control, pauses, -1);
    }
    result->wallMs = MillisecondsSince(start);
    result->records = handler.readCount.load() - readBefore;
    if (control.Status() != kThreadStopped) {
        control.EndThread();
    }
    control.WaitThreadEnd();
}
