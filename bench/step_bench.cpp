// Exact single steps backwards on a D1 H.264 channel with a group of 25, run by the real playback
// thread through the control thread: the first step into a group (decoding from its key frame)
// and the steps after it (held pictures). Then "go to time" on a recording of 1,000,000 records:
// opening the pair, the binary search and the key frame of each channel.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchRecording.h"
#include "bench/BenchTiming.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/StepView.h"
#include "playback/WorkerPause.h"
#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"
#include "recording/RecordTimes.h"
#include "recording/RecordingWriter.h"
#include "video/CameraFeed.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint32_t kD1Width = 720;
constexpr uint32_t kD1Height = 576;
constexpr uint32_t kGroup = 25;
constexpr int32_t kFrames = 100;
constexpr int64_t kTimeRecords = 1000000;
constexpr int kTimeRequests = 200;

// One channel's view without a window: the feed, as the player's view drives it.
class FeedView : public StepView, public MediaFileOwner {
public:
    explicit FeedView(QelSmartLcid2Callback* registry) : registry(registry) { feed.Create(); }

    int32_t CreateViews(int32_t) override { return 1; }
    ChannelHandler ViewHandler(int32_t) override { return ChannelHandler{this, &FeedView::OnPacket}; }
    QelSmartLcid2Callback* Registry() override { return registry; }

    void BeginStep() override { feed.BeginStep(); }
    void EndStep() override { feed.EndStep(); }
    bool ShowHeld(int32_t record, const uint8_t* packet, uint32_t length) override
    {
        bool changed = false;
        return feed.StepShowHeld(record, packet, length, FeedSettings{}, &changed);
    }
    int32_t DecodeStep(int32_t key, int32_t record, int32_t target, const uint8_t* packet, uint32_t length,
                       bool keep) override
    {
        bool changed = false;
        return feed.StepDecode(key, record, target, packet, length, FeedSettings{}, &changed, keep);
    }
    int32_t StepDecoderRecord(int32_t key) override { return feed.StepDecoderRecord(key); }
    void DropHeld() override { feed.DropHeldPictures(); }
    void ShowDimmed(bool) override {}

    CameraFeed feed;

private:
    static void OnPacket(void* context, int32_t, const uint8_t* packet, uint32_t length)
    {
        bool changed = false;
        static_cast<FeedView*>(context)->feed.TakeVideo(packet, length, FeedSettings{}, &changed);
    }
    QelSmartLcid2Callback* registry;
};

class OneView : public StepViews {
public:
    explicit OneView(FeedView* view) : view(view) {}
    StepView* StepViewAt(int32_t index) override { return index == 0 ? view : nullptr; }
    void ShowPosition(int32_t) override {}
    FeedView* view;
};

bool WriteD1Recording(const std::string& media, const std::string& index)
{
    StreamEncoder encoder;
    RecordingWriter writer;
    if (encoder.Open(kVideoCodecH264, kD1Width, kD1Height, 25, kGroup) != 0 || writer.Create(media, index) != 0) {
        return false;
    }
    std::vector<uint8_t> picture(static_cast<size_t>(kD1Width) * kD1Height * 3);
    uint8_t sequence = 0;
    for (int32_t frame = 0; frame < kFrames; ++frame) {
        DrawTestPattern(picture.data(), kD1Width, kD1Height, static_cast<uint32_t>(frame), 0);
        PacketSpec spec;
        spec.type = 0x45;
        bool key = false;
        if (encoder.Encode(picture.data(), &spec.payload, &key) != 0) {
            return false;
        }
        sequence = key ? 0 : static_cast<uint8_t>(sequence + 1);
        spec.sequence = sequence;
        spec.year = 2024;
        spec.second = static_cast<uint8_t>(frame / 25 % 60);
        spec.hundredths = static_cast<uint8_t>(frame % 25 * 4);
        if (writer.WritePacket(spec) < 0) {
            return false;
        }
    }
    return writer.Close() == 0;
}

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

int BenchSteps(const std::string& dir)
{
    const std::string media = dir + "/step.kvr";
    const std::string index = dir + "/step.idx";
    if (!WriteD1Recording(media, index)) {
        fprintf(stderr, "bench_step: cannot write %s\n", media.c_str());
        return 1;
    }
    PlaybackEngine* engine = CreatePlaybackEngine();
    FeedView view(engine->lcid2Callback);
    OneView views(&view);
    ConnectPlaybackEngine(engine, &view, nullptr, nullptr);
    QelSmartHandler* handler = engine->smartHandler;
    QelSmartControlThread* control = engine->controlThread;
    handler->stepViews = &views;
    handler->speedIndex = 5;
    if (handler->mediaFileMng.Open(media.c_str(), index.c_str()) != 0) {
        return 1;
    }
    control->SetSmartHandler(handler);
    // Started paused on the last record, as after playing to the end.
    handler->seekIndex = kFrames - 1;
    handler->stepMode = 1;
    handler->playMode = kPlaySeek;
    control->BeginThread();
    WaitForWorkerPause(*control, 0, 10000);

    std::vector<double> first;
    std::vector<double> following;
    for (int32_t target = kFrames - 2; target >= 0; --target) {
        const uint32_t pauses = control->workerPauses.load();
        const auto start = std::chrono::steady_clock::now();
        handler->RequestExactStep(0, -1);
        control->ResumeThread();
        if (WaitForWorkerPause(*control, pauses, 10000) != kWorkerPaused || handler->currentIndex.load() != target) {
            fprintf(stderr, "bench_step: step to %d failed\n", target);
            return 1;
        }
        const double ms = Milliseconds(start);
        // The step from the last record, and each step across a key frame, decode a group.
        const bool decodes = target == kFrames - 2 || (target + 1) % static_cast<int32_t>(kGroup) == 0;
        (decodes ? first : following).push_back(ms);
    }
    control->EndThread();
    control->WaitThreadEnd();
    DestroyPlaybackEngine(engine);

    const auto mean = [](const std::vector<double>& values) {
        double sum = 0;
        for (double v : values) {
            sum += v;
        }
        return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
    };
    std::sort(following.begin(), following.end());
    printf("exact step back, D1 H.264, group of %u: first step into a group %.2f ms (mean of %zu, max %.2f), "
           "following steps %.3f ms (mean of %zu, median %.3f, max %.3f): %.0f steps/s\n",
           kGroup, mean(first), first.size(), *std::max_element(first.begin(), first.end()), mean(following),
           following.size(), following[following.size() / 2], following.back(), 1000.0 / mean(following));
    return 0;
}

int BenchGoToTime(const std::string& dir)
{
    const std::string media = dir + "/time.kvr";
    const std::string index = dir + "/time.idx";
    constexpr int32_t kChannels = 16;
    if (WriteBenchRecording(media, index, kTimeRecords, kChannels, 16) != 0) {
        fprintf(stderr, "bench_step: cannot write %s\n", media.c_str());
        return 1;
    }
    int32_t channels[kChannels];
    for (int32_t i = 0; i < kChannels; ++i) {
        channels[i] = i;
    }
    RecordTimes probe;
    int64_t firstTime = 0;
    int64_t lastTime = 0;
    if (probe.Open(media.c_str(), index.c_str()) != 0 || probe.RecordTime(0, &firstTime) != 0 ||
        probe.RecordTime(probe.RecordCount() - 1, &lastTime) != 0) {
        return 1;
    }
    double worst = 0;
    double total = 0;
    for (int i = 0; i < kTimeRequests; ++i) {
        const int64_t wanted = firstTime + (lastTime - firstTime) * i / (kTimeRequests - 1);
        const auto start = std::chrono::steady_clock::now();
        RecordTimes times;
        int32_t position = 0;
        int32_t keys[kChannels];
        if (times.Open(media.c_str(), index.c_str()) != 0 || times.FindRecordAtOrBefore(wanted, &position) != 0 ||
            times.KeyRecordsAt(position, channels, kChannels, keys) != 0) {
            fprintf(stderr, "bench_step: go to time failed\n");
            return 1;
        }
        const double ms = Milliseconds(start);
        worst = std::max(worst, ms);
        total += ms;
    }
    printf("go to time, %lld records of %d channels: %.3f ms per request (mean of %d, max %.3f), open, search and "
           "key frames\n",
           static_cast<long long>(kTimeRecords), kChannels, total / kTimeRequests, kTimeRequests, worst);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = BenchDirectory(argc, argv);
    const int steps = BenchSteps(dir);
    return steps != 0 ? steps : BenchGoToTime(dir);
}
