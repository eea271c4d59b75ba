#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<ClockSource*> installedSource{nullptr};

}  // namespace

uint32_t ClockNowMs()
{
    if (ClockSource* source = installedSource.load(std::memory_order_acquire)) {
        return source->NowMs();
    }
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void ClockSleepMs(uint32_t milliseconds)
{
    if (ClockSource* source = installedSource.load(std::memory_order_acquire)) {
        source->SleepMs(milliseconds);
        return;
    }
    if (milliseconds > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

void ClockSetSource(ClockSource* source)
{
    installedSource.store(source, std::memory_order_release);
}
