// The whole playback loop at the top speed (no sleeping) over a recording of a million small
// packets on 16 channels: read, registry lookup and delivery, in this process and through
// `kvrtool play`, against the bare forward pass of the media file manager.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchRecording.h"
#include "bench/BenchTiming.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "recording/MediaFileMng.h"
#include "recording/MediaFileOwner.h"

namespace {

constexpr int64_t kRecords = 1000000;
constexpr int32_t kChannels = 16;

// Views that only count what they are given.
class CountingOwner : public MediaFileOwner {
public:
    explicit CountingOwner(QelSmartLcid2Callback* registry) : registry(registry) {}
    int32_t CreateViews(int32_t count) override
    {
        counts.assign(static_cast<size_t>(count), 0);
        return count;
    }
    ChannelHandler ViewHandler(int32_t index) override
    {
        return ChannelHandler{&counts[static_cast<size_t>(index)], &CountingOwner::OnPacket};
    }
    QelSmartLcid2Callback* Registry() override { return registry; }
    int64_t Total() const
    {
        int64_t total = 0;
        for (int64_t count : counts) {
            total += count;
        }
        return total;
    }

    std::vector<int64_t> counts;

private:
    static void OnPacket(void* context, int32_t, const uint8_t*, uint32_t) { ++*static_cast<int64_t*>(context); }
    QelSmartLcid2Callback* registry;
};

// Reads every record of an opened recording.
bool BareForwardPass(MediaFileMng& manager, std::vector<uint8_t>& buffer)
{
    int64_t read = 0;
    int32_t result = 0;
    while ((result = manager.ReadNext(buffer.data())) > 0) {
        ++read;
    }
    return result == kMediaNoMoreData && read == kRecords;
}

// An engine with its recording opened and its views registered, ready to start.
struct ReadyEngine {
    ReadyEngine() : engine(CreatePlaybackEngine()), owner(engine->lcid2Callback) {}
    ~ReadyEngine() { DestroyPlaybackEngine(engine); }
    ReadyEngine(const ReadyEngine&) = delete;
    ReadyEngine& operator=(const ReadyEngine&) = delete;

    bool Open(const std::string& media, const std::string& index)
    {
        ConnectPlaybackEngine(engine, &owner, nullptr, nullptr);
        engine->smartHandler->speedIndex = 5;
        return engine->smartHandler->mediaFileMng.Open(media.c_str(), index.c_str()) == 0 &&
               engine->controlThread->SetSmartHandler(engine->smartHandler) == 0;
    }

    // From the start of the worker to its pause at the end.
    bool PlayToTheEnd()
    {
        QelSmartControlThread& control = *engine->controlThread;
        const uint32_t pauses = control.workerPauses.load();
        control.BeginThread();
        return WaitForWorkerPause(control, pauses, -1) == kWorkerPaused && owner.Total() == kRecords;
    }

    PlaybackEngine* engine;
    CountingOwner owner;
};

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = BenchDirectory(argc, argv);
    const std::string media = dir + "/playback.kvr";
    const std::string index = dir + "/playback.idx";
    if (WriteBenchRecording(media, index, kRecords, kChannels, 16) != 0) {
        fprintf(stderr, "bench_playback: cannot write %s\n", media.c_str());
        return 1;
    }
    std::vector<uint8_t> buffer(kMediaReadCapacity);

    MediaFileMng manager;
    const double bare = BestSecondsAfter(
        "bench_playback",
        [&] {
            manager.Close();
            return manager.Open(media.c_str(), index.c_str()) == 0;
        },
        [&] { return BareForwardPass(manager, buffer); });
    std::unique_ptr<ReadyEngine> ready;
    const double engine = BestSecondsAfter(
        "bench_playback",
        [&] {
            ready = std::make_unique<ReadyEngine>();
            return ready->Open(media, index);
        },
        [&] { return ready->PlayToTheEnd(); });
    ready.reset();
    double toolLoop = 1e9;
    const double toolProcess = BestSeconds("bench_playback", [&] {
        const double loop =
            KvrtoolPlaySeconds(KVRTOOL_PATH, media, "--speed 5", "\"records\":" + std::to_string(kRecords));
        toolLoop = loop >= 0 && loop < toolLoop ? loop : toolLoop;
        return loop >= 0;
    });

    printf("recording: %lld video packets on %d channels (best of %d runs; opened beforehand)\n",
           static_cast<long long>(kRecords), kChannels, kBenchRepetitions);
    printf("bare ReadNext pass:            %8.4f s  %10.0f records/s\n", bare, kRecords / bare);
    printf("engine loop, start to pause:   %8.4f s  %10.0f records/s  overhead %+.0f%%\n", engine,
           kRecords / engine, (engine / bare - 1) * 100);
    printf("kvrtool play --speed 5, loop:  %8.4f s  %10.0f records/s  overhead %+.0f%% (its wallMs)\n", toolLoop,
           kRecords / toolLoop, (toolLoop / bare - 1) * 100);
    printf("kvrtool play --speed 5, whole: %8.4f s  (the process: start, Open and scan included)\n", toolProcess);
    std::filesystem::remove(media);
    std::filesystem::remove(index);
    return 0;
}
