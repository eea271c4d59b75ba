#include "playback/WorkerPause.h"

#include <chrono>
#include <thread>

#include "playback/QelSmartControlThread.h"

int32_t WaitForWorkerPause(const QelSmartControlThread& control, uint32_t pausesBefore, int32_t timeoutMs)
{
    // Real time, not the pacing clock: a test may drive that one.
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        if (control.workerPauses.load() != pausesBefore) {
            return kWorkerPaused;
        }
        if (control.Status() == kThreadStopped) {
            return kWorkerEnded;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(timeoutMs)) {
            return kWorkerStillBusy;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}
