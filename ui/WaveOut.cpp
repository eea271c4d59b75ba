#include "ui/WaveOut.h"

#include <atomic>

#include "ui/WaveOutSdl.h"

namespace {

std::atomic<WaveOut*> installedService{nullptr};

}  // namespace

WaveOut& WaveOutService()
{
    if (WaveOut* service = installedService.load(std::memory_order_acquire)) {
        return *service;
    }
    static SdlWaveOut system;
    return system;
}

void WaveOutSetService(WaveOut* service)
{
    installedService.store(service, std::memory_order_release);
}
