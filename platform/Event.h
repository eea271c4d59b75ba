// Manual-reset events: once set, an event stays set, waking every waiter, until it is reset.
// Either thread may set, reset, poll and wait. A waiter can also wait for the first of several
// events, so that a paused worker still hears a stop request.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

struct EventWaiter;

class Event {
public:
    explicit Event(bool initiallySet);
    ~Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Polls without waiting.
    bool IsSet() const { return signalled.load(std::memory_order_acquire); }
    // Waits without time limit until the event is set.
    void Wait();
    // Waits at most `milliseconds`; true when the event was set.
    bool WaitFor(int32_t milliseconds);

    // Waits without time limit until one of `count` events is set; returns the index of the
    // first set one, in the order given.
    static int32_t WaitAny(Event* const* events, int32_t count);

private:
    void Attach(EventWaiter* waiter);
    void Detach(EventWaiter* waiter);

    // The flag is read without the lock by polls; it is written only under the lock, so a
    // waiter that checked it under the lock cannot miss the notification.
    std::atomic<bool> signalled;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<EventWaiter*> waiters;
};
