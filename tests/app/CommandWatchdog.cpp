#include "tests/app/CommandWatchdog.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kLogLines = 60;

}  // namespace

CommandWatchdog::CommandWatchdog(int32_t limitMs) : limit(limitMs), thread([this] { Watch(); }) {}

CommandWatchdog::~CommandWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        quit = true;
    }
    changed.notify_all();
    thread.join();
}

void CommandWatchdog::Begin(const std::string& what)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back(what);
        if (log.size() > kLogLines) {
            log.pop_front();
        }
        busy = true;
        began = std::chrono::steady_clock::now();
    }
    changed.notify_all();
}

void CommandWatchdog::End()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        busy = false;
    }
    changed.notify_all();
}

std::string CommandWatchdog::Log()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::string text;
    for (const std::string& line : log) {
        text += line + "\n";
    }
    return text;
}

void CommandWatchdog::Watch()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!quit) {
        if (!busy) {
            changed.wait(lock);
            continue;
        }
        const auto deadline = began + limit;
        if (changed.wait_until(lock, deadline) == std::cv_status::timeout && busy &&
            std::chrono::steady_clock::now() >= began + limit) {
            fprintf(stderr, "HANG: a command has not come back after %lld ms; the last commands:\n",
                    static_cast<long long>(limit.count()));
            for (const std::string& line : log) {
                fprintf(stderr, "  %s\n", line.c_str());
            }
            fflush(stderr);
            abort();
        }
    }
}
