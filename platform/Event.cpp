#include "platform/Event.h"

#include <algorithm>
#include <chrono>

// One thread waiting for several events. Each set event bumps `signals` while holding its own
// lock, so the waiter cannot be gone before the event has finished with it.
struct EventWaiter {
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t signals = 0;
};

Event::Event(bool initiallySet) : signalled(initiallySet) {}

void Event::Set()
{
    std::lock_guard<std::mutex> lock(mutex);
    signalled.store(true, std::memory_order_release);
    changed.notify_all();
    for (EventWaiter* waiter : waiters) {
        std::lock_guard<std::mutex> waiterLock(waiter->mutex);
        ++waiter->signals;
        waiter->changed.notify_all();
    }
}

void Event::Reset()
{
    std::lock_guard<std::mutex> lock(mutex);
    signalled.store(false, std::memory_order_release);
}

void Event::Wait()
{
    if (IsSet()) {
        return;
    }
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return signalled.load(std::memory_order_relaxed); });
}

bool Event::WaitFor(int32_t milliseconds)
{
    if (IsSet()) {
        return true;
    }
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds),
                            [this] { return signalled.load(std::memory_order_relaxed); });
}

void Event::Attach(EventWaiter* waiter)
{
    std::lock_guard<std::mutex> lock(mutex);
    waiters.push_back(waiter);
}

void Event::Detach(EventWaiter* waiter)
{
    std::lock_guard<std::mutex> lock(mutex);
    waiters.erase(std::remove(waiters.begin(), waiters.end(), waiter), waiters.end());
}

int32_t Event::WaitAny(Event* const* events, int32_t count)
{
    for (int32_t i = 0; i < count; ++i) {
        if (events[i]->IsSet()) {
            return i;
        }
    }
    EventWaiter waiter;
    for (int32_t i = 0; i < count; ++i) {
        events[i]->Attach(&waiter);
    }
    int32_t found = -1;
    while (found < 0) {
        uint64_t seen = 0;
        {
            std::lock_guard<std::mutex> lock(waiter.mutex);
            seen = waiter.signals;
        }
        for (int32_t i = 0; i < count && found < 0; ++i) {
            if (events[i]->IsSet()) {
                found = i;
            }
        }
        if (found < 0) {
            std::unique_lock<std::mutex> lock(waiter.mutex);
            waiter.changed.wait(lock, [&] { return waiter.signals != seen; });
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        events[i]->Detach(&waiter);
    }
    return found;
}
