// Start and stop under stress on the real main dialog: commands drawn at random from a seed, with
// a random pause of up to 50 ms after each (the event loop running), until the given number of
// start and stop cycles have passed. Every command must come back within 2.5 s, the stops above
// all (Stop, Open, closing the dialog, and the final destruction), and at the end nothing the
// player opened may be left: no thread, no file descriptor, no sound device.
#include <QCoreApplication>
#include <QTest>
#include <QThreadPool>
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "playback/QelSmartControlThread.h"
#include "tests/app/CommandWatchdog.h"
#include "tests/app/DialogCommandFixture.h"
#include "tests/app/ProcessCounts.h"
#include "tests/app/StressOptions.h"
#include "ui/WaveOutSdl.h"

namespace {

constexpr int64_t kStopLimitMs = 2500;
// A stop may wait out one pacing sleep (at most 2 s, after a jump forward in time); one slower
// than that is within the limit but shown with the commands before it.
constexpr int64_t kSlowStopMs = 2100;
// Far beyond any stop: a command this late has hung.
constexpr int32_t kHangLimitMs = 60000;
constexpr int32_t kMaxPauseMs = 50;
// The outputs of track 0 and of the other tracks.
constexpr int32_t kMaxSoundDevices = 2;

uint64_t SeedFromClock()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return (static_cast<uint64_t>(now) ^ (static_cast<uint64_t>(getpid()) << 32)) | 1;
}

int64_t MillisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

struct Timings {
    int64_t count = 0;
    int64_t total = 0;
    int64_t worst = 0;

    void Add(int64_t ms)
    {
        ++count;
        total += ms;
        worst = std::max(worst, ms);
    }
};

template <typename List>
std::string Lines(const List& list)
{
    std::string text;
    for (const auto& line : list) {
        text += "\n  " + line;
    }
    return text;
}

using StartStopStress = DialogCommandTest;

TEST_F(StartStopStress, RandomCommandsStopInTimeAndLeaveNothingOpen)
{
    const uint64_t seed = Stress().seed != 0 ? Stress().seed : SeedFromClock();
    const int32_t cycles = Stress().cycles;
    printf("start/stop stress: %d cycles, seed %llu (again: --cycles=%d --seed=%llu)\n", cycles,
           static_cast<unsigned long long>(seed), cycles, static_cast<unsigned long long>(seed));
    fflush(stdout);

    CommandWatchdog watchdog(kHangLimitMs);
    // Counted with the dialog shown and nothing opened yet; the watchdog's thread is in both counts.
    const std::vector<std::string> threadsBefore = ProcessThreads();
    const std::map<int, std::string> descriptorsBefore = ProcessDescriptors();
    ASSERT_EQ(SdlWaveOutOpenDevices(), 0);

    DialogCommandSource source(seed);
    std::map<std::string, Timings> stops;
    Timings others;
    int32_t cyclesDone = 0;
    int64_t commands = 0;
    int32_t mostDevices = 0;
    const auto runStart = std::chrono::steady_clock::now();
    while (cyclesDone < cycles && !HasFailure()) {
        const DialogCommand command = source.Next();
        const std::string what = "#" + std::to_string(commands) + " " + Describe(command);
        watchdog.Begin(what);
        const int64_t ms = Perform(command);
        watchdog.End();
        ++commands;
        if (HasFatalFailure()) {
            break;
        }
        EXPECT_LT(ms, kStopLimitMs) << what;
        if (ms >= kSlowStopMs) {
            printf("slow: %lld ms for %s, after:\n%s", static_cast<long long>(ms), what.c_str(),
                   watchdog.Log().c_str());
        }
        if (StopsPlayback(command.kind)) {
            ++cyclesDone;
            stops[NameOf(command.kind)].Add(ms);
        } else {
            others.Add(ms);
        }
        const int32_t devices = SdlWaveOutOpenDevices();
        mostDevices = std::max(mostDevices, devices);
        EXPECT_LE(devices, kMaxSoundDevices) << what;
        if (command.kind == DialogCommandKind::kStopButton) {
            EXPECT_EQ(Status(), kThreadStopped) << what;
            EXPECT_FALSE(RecordingOpen()) << what;
        }
        if (command.kind == DialogCommandKind::kCloseDialog) {
            EXPECT_FALSE(RecordingOpen()) << what;
            EXPECT_EQ(devices, 0) << what;
        }
        QTest::qWait(source.Delay(kMaxPauseMs));
    }

    watchdog.Begin("destroy the dialog");
    const auto destroyStart = std::chrono::steady_clock::now();
    dlg.reset();
    const int64_t destroyMs = MillisecondsSince(destroyStart);
    watchdog.End();
    EXPECT_LT(destroyMs, kStopLimitMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    // Qt's shared pool keeps idle threads for a while; the player itself starts none there.
    QThreadPool::globalInstance()->waitForDone();
    if (HasFailure()) {
        printf("seed %llu, the last commands:\n%s", static_cast<unsigned long long>(seed), watchdog.Log().c_str());
    }

    EXPECT_TRUE(ThreadsAdded(threadsBefore, ProcessThreads()).empty())
        << "threads left:" << Lines(ThreadsAdded(threadsBefore, ProcessThreads()));
    const std::vector<std::string> descriptorsLeft = DescriptorsAdded(descriptorsBefore, ProcessDescriptors());
    EXPECT_TRUE(descriptorsLeft.empty()) << "descriptors left:" << Lines(descriptorsLeft);
    EXPECT_FALSE(RecordingOpen());
    EXPECT_EQ(SdlWaveOutOpenDevices(), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "the sound system is still started";

    printf("%d cycles, %lld commands in %.1f s; at most %d sound devices open at once; %zu warnings shown\n",
           cyclesDone, static_cast<long long>(commands), MillisecondsSince(runStart) / 1000.0, mostDevices,
           responder.warnings.size());
    for (const auto& [name, timing] : stops) {
        printf("  %-14s %5lld stops, mean %6.1f ms, worst %5lld ms\n", name.c_str(),
               static_cast<long long>(timing.count), static_cast<double>(timing.total) / timing.count,
               static_cast<long long>(timing.worst));
    }
    printf("  other commands %5lld, mean %6.1f ms, worst %5lld ms; final destruction %lld ms\n",
           static_cast<long long>(others.count),
           others.count != 0 ? static_cast<double>(others.total) / others.count : 0.0,
           static_cast<long long>(others.worst), static_cast<long long>(destroyMs));
}

}  // namespace
