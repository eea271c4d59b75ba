#include "platform/DebugOutput.h"

#include <syslog.h>

#include <atomic>

namespace {

std::atomic<DebugOutputSink*> installedSink{nullptr};

}  // namespace

void DebugOutputString(const char* text)
{
    if (text == nullptr) {
        return;
    }
    if (DebugOutputSink* sink = installedSink.load(std::memory_order_acquire)) {
        sink->Write(text);
        return;
    }
    syslog(LOG_DEBUG, "%s", text);
}

void DebugOutputSetSink(DebugOutputSink* sink)
{
    installedSink.store(sink, std::memory_order_release);
}
