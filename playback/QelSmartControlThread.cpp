#include "playback/QelSmartControlThread.h"

#include <cstdio>
#include <system_error>

#include "playback/DecodePool.h"
#include "playback/QelSmartHandler.h"

namespace {

std::atomic<uint32_t> lastThreadId{0};

}  // namespace

QelSmartControlThread::QelSmartControlThread() = default;

QelSmartControlThread::~QelSmartControlThread()
{
    // A std::thread must not be destroyed joinable; a worker still running is asked to stop
    // and awaited, so no thread ever outlives the object it runs on.
    if (threadHandle.joinable()) {
        if (Status() != kThreadStopped) {
            stopEvent.Set();
            runEvent.Set();
        }
        threadHandle.join();
    }
}

int32_t QelSmartControlThread::SetSmartHandler(QelSmartHandler* handler)
{
    const int32_t status = Status();
    if (status == kThreadRunning || status == kThreadSuspended) {
        fprintf(stderr, "QelSmartControlThread::SetSmartHandler threadStatus is not stop. [Status:%d]\n", status);
        return -1;
    }
    smartHandler = handler;
    return 0;
}

int32_t QelSmartControlThread::BeginThread()
{
    const int32_t status = Status();
    if (status == kThreadRunning || status == kThreadSuspended) {
        fputs("QelSmartControlThread::BeginThread thread already started.\n", stderr);
        return 1;
    }
    // A worker that ended on its own (after a read failure) is released before it is replaced.
    if (threadHandle.joinable()) {
        threadHandle.join();
    }
    runEvent.Set();
    stopEvent.Reset();
    // Running is set before the worker exists, so a worker that ends at once always leaves
    // the status stopped behind it.
    threadStatus.exchange(kThreadRunning);
    try {
        threadHandle = std::thread(&QelSmartControlThread::ThreadFunction, this);
    } catch (const std::system_error& error) {
        threadStatus.exchange(kThreadStopped);
        fprintf(stderr, "QelSmartControlThread::BeginThread _beginthreadex failed. [Error:%x]\n",
                static_cast<unsigned>(error.code().value()));
        return 0;
    }
    threadId = ++lastThreadId;
    return 1;
}

int32_t QelSmartControlThread::SuspendThread()
{
    if (Status() == kThreadStopped) {
        fputs("QelSmartControlThread::SuspendThread thread not started.\n", stderr);
        return 0;
    }
    runEvent.Reset();
    threadStatus.exchange(kThreadSuspended);
    return 1;
}

int32_t QelSmartControlThread::ResumeThread()
{
    if (Status() == kThreadStopped) {
        fputs("QelSmartControlThread::ResumeThread thread not started.\n", stderr);
        return -1;
    }
    runEvent.Set();
    threadStatus.exchange(kThreadRunning);
    return 1;
}

int32_t QelSmartControlThread::EndThread()
{
    if (Status() == kThreadStopped) {
        fputs("QelSmartControlThread::EndThread thread already stopped.\n", stderr);
        return 1;
    }
    stopEvent.Set();
    if (Status() == kThreadSuspended) {
        runEvent.Set();
        threadStatus.exchange(kThreadRunning);
    }
    return 1;
}

void QelSmartControlThread::WaitThreadEnd()
{
    if (threadHandle.joinable()) {
        threadHandle.join();
    }
    threadStatus.exchange(kThreadStopped);
}

void QelSmartControlThread::WaitForRun(DecodePool* pool)
{
    if (runEvent.IsSet() || stopEvent.IsSet()) {
        return;
    }
    if (pool != nullptr) {
        pool->WaitIdle();   // paused means every picture read so far is shown
    }
    workerPauses.fetch_add(1);
    Event* const events[] = {&runEvent, &stopEvent};
    Event::WaitAny(events, 2);
}

int32_t QelSmartControlThread::ThreadFunction(void* argument)
{
    auto* control = static_cast<QelSmartControlThread*>(argument);
    if (control == nullptr) {
        fputs("QelSmartControlThread::ThreadFunction QelSmartControlThread is null.\n", stderr);
        return -1;
    }
    if (control->smartHandler == nullptr) {
        fputs("QelSmartControlThread::ThreadFunction QelSmartHandler is null.\n", stderr);
        control->threadResult = -2;
        control->threadStatus.exchange(kThreadStopped);
        return -2;
    }
    const int32_t result = control->smartHandler->Run(control);
    control->threadResult = result;
    control->threadStatus.exchange(kThreadStopped);
    return result;
}
