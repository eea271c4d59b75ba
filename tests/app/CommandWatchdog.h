// Ends the process when the user-interface thread has not come back from one command within the
// limit, printing the commands that led there: a hang shows as its sequence, not as a silent
// time-out of the whole run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class CommandWatchdog {
public:
    explicit CommandWatchdog(int32_t limitMs);
    // Stops watching and ends its thread.
    ~CommandWatchdog();
    CommandWatchdog(const CommandWatchdog&) = delete;
    CommandWatchdog& operator=(const CommandWatchdog&) = delete;

    // A command begins; `what` joins the log the watchdog prints.
    void Begin(const std::string& what);
    // The command has come back.
    void End();
    // The last commands logged, oldest first, one a line.
    std::string Log();

private:
    void Watch();

    const std::chrono::milliseconds limit;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> log;
    bool busy = false;
    bool quit = false;
    std::chrono::steady_clock::time_point began;
    std::thread thread;
};
