// The whole player, offscreen, with its views laid out at 1280 x 960, on a 16-channel D1 H.264
// recording (and at Fastest a four-camera one of mixed codecs and sizes): at Fastest, the frames
// decoded and the repaints of each view per second, the CPU of the threads and the resident
// memory, against headless `kvrtool play --decode` of the same recording; at Normal, recording seconds played per wall second; seeks while the position
// slider is dragged (every view to the key frame of its instant): seeks a second and the delay
// from a slider move to its picture, on one channel and on sixteen; and the synchronised seek on
// release, every view decoded exactly to the instant.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "app/CKvrPlayerDlg.h"
#include "bench/BenchRecording.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "recording/RecordingWriter.h"
#include "ui/CCamera.h"
#include "video/JpegEncoder.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint32_t kWidth = 704;
constexpr uint32_t kHeight = 480;
constexpr uint32_t kFps = 25;
constexpr uint32_t kKeyInterval = 25;
constexpr int kChannels = 16;

// Counts the paints of every widget it watches.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int64_t paints = 0;
};

// `frames` pictures of one camera at 25 a second: an H.264 or MPEG-4 stream, or JPEG pictures.
std::vector<PacketSpec> EncodeStream(uint32_t frames, VideoCodecId codec = kVideoCodecH264, uint32_t width = kWidth,
                                     uint32_t height = kHeight)
{
    StreamEncoder encoder;
    if (codec != kVideoCodecJpeg && encoder.Open(codec, width, height, kFps, kKeyInterval) != 0) {
        fprintf(stderr, "cannot open the encoder\n");
        exit(1);
    }
    std::vector<uint8_t> picture(width * height * 3);
    std::vector<PacketSpec> specs;
    uint8_t sequence = 0;
    for (uint32_t i = 0; i < frames; ++i) {
        DrawTestPattern(picture.data(), width, height, i, 3);
        PacketSpec spec;
        spec.time = 1267798029 + i / kFps;   // 2010-03-05 14:07:09 UTC on
        spec.hundredths = static_cast<uint8_t>(i % kFps * (100 / kFps));
        // The header's clock fields say the same time: pacing reads them.
        const uint32_t second = 9 + i / kFps;
        spec.year = 2010;
        spec.month = 3;
        spec.day = 5;
        spec.hour = static_cast<uint8_t>(14 + (7 + second / 60) / 60);
        spec.minute = static_cast<uint8_t>((7 + second / 60) % 60);
        spec.second = static_cast<uint8_t>(second % 60);
        if (codec == kVideoCodecJpeg) {
            std::vector<uint8_t> jpeg;
            EncodeJpeg(picture.data(), width, height, 80, false, &jpeg);
            specs.push_back(MakeJpegPacketSpec(spec, jpeg));
            continue;
        }
        spec.type = codec == kVideoCodecH264 ? 0x45 : 0x44;
        bool key = false;
        encoder.Encode(picture.data(), &spec.payload, &key);
        sequence = key ? 0 : static_cast<uint8_t>(sequence + 1);
        spec.sequence = sequence;
        specs.push_back(spec);
    }
    return specs;
}

// Four cameras of different codecs and sizes, frame after frame.
void WriteMixedRecording(const std::string& media, uint32_t frames)
{
    const std::vector<std::vector<PacketSpec>> streams = {
        EncodeStream(frames, kVideoCodecH264, kWidth, kHeight), EncodeStream(frames, kVideoCodecMpeg4, kWidth, kHeight),
        EncodeStream(frames, kVideoCodecJpeg, 352, 240), EncodeStream(frames, kVideoCodecH264, 352, 288)};
    RecordingWriter writer;
    writer.Create(media, media.substr(0, media.size() - 3) + "idx");
    for (uint32_t i = 0; i < frames; ++i) {
        for (size_t c = 0; c < streams.size(); ++c) {
            PacketSpec spec = streams[c][i];
            spec.channel = static_cast<uint16_t>(c + 1);
            writer.WritePacket(spec);
        }
    }
    if (writer.Close() != 0) {
        fprintf(stderr, "cannot write %s\n", media.c_str());
        exit(1);
    }
}

void WriteRecording(const std::string& media, const std::vector<PacketSpec>& stream, int channels)
{
    RecordingWriter writer;
    writer.Create(media, media.substr(0, media.size() - 3) + "idx");
    for (const PacketSpec& frame : stream) {
        for (int c = 0; c < channels; ++c) {
            PacketSpec spec = frame;
            spec.unit = static_cast<uint16_t>(c / 4);
            spec.channel = static_cast<uint16_t>(c % 4 + 1);
            writer.WritePacket(spec);
        }
    }
    if (writer.Close() != 0) {
        fprintf(stderr, "cannot write %s\n", media.c_str());
        exit(1);
    }
}

// CPU seconds of each thread of the process, by thread id.
std::vector<std::pair<long, double>> ThreadCpuSeconds()
{
    std::vector<std::pair<long, double>> threads;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) {
        return threads;
    }
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        std::ifstream stat(std::string("/proc/self/task/") + entry->d_name + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), {});
        const size_t close = text.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        double user = 0;
        double system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) {
                user = std::stod(field);
            } else if (i == 15) {
                system = std::stod(field);
            }
        }
        threads.emplace_back(std::strtol(entry->d_name, nullptr, 10), (user + system) / ticks);
    }
    closedir(tasks);
    return threads;
}

double CpuOf(const std::vector<std::pair<long, double>>& threads, long id)
{
    for (const auto& [thread, seconds] : threads) {
        if (thread == id) {
            return seconds;
        }
    }
    return 0;
}

// Runs the user-interface thread's event loop, as the program does, until `done` holds.
template <typename Done>
bool RunUntil(Done done, int timeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    bool met = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        met = done();
        if (met || clock.elapsed() > timeoutMs) {
            loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
    return met;
}

struct Player {
    Player()
    {
        dlg.Create();
        dlg.resize(1290, 1050);   // the grid gets 1280 x 960
        dlg.show();
        QApplication::processEvents();
    }
    ~Player() { dlg.done(0); }
    QelSmartHandler* Handler() const { return dlg.Engine()->smartHandler; }
    QelSmartControlThread* Control() const { return dlg.Engine()->controlThread; }
    CKvrPlayerDlg dlg;
};

void BenchFastest(const std::string& media, int64_t records, int channels, const char* what)
{
    const double headless = KvrtoolPlaySeconds(KVRTOOL_PATH, media, "--decode --speed 5");
    Player player;
    player.Handler()->speedIndex = 5;
    PaintCounter counter;
    const uint32_t pauses = player.Control()->workerPauses.load();
    const auto cpuBefore = ThreadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    player.dlg.OpenRecording(media);
    for (int i = 0; i < channels; ++i) {
        player.dlg.m_wndCameraWindow.View(i)->installEventFilter(&counter);
    }
    RunUntil([&] { return WaitForWorkerPause(*player.Control(), pauses, 0) != kWorkerStillBusy; }, 600000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const auto cpuAfter = ThreadCpuSeconds();
    const long ui = getpid();
    double others = 0;
    for (const auto& [thread, cpu] : cpuAfter) {
        if (thread != ui) {
            others += cpu - CpuOf(cpuBefore, thread);
        }
    }
    printf("Fastest, %s, %lld frames in %.2f s:\n", what, static_cast<long long>(records), seconds);
    printf("  frames decoded: %.0f a second; headless kvrtool play --decode: %.0f a second (window %.2fx)\n",
           records / seconds, headless > 0 ? records / headless : 0.0, headless > 0 ? headless / seconds : 0.0);
    printf("  repaints: %.1f a second per view\n", counter.paints / seconds / channels);
    printf("  CPU: user-interface thread %.0f %%, playback and other threads %.0f %% (of one core)\n",
           (CpuOf(cpuAfter, ui) - CpuOf(cpuBefore, ui)) / seconds * 100, others / seconds * 100);
    printf("  resident: %.1f MB\n", ResidentKilobytes() / 1024.0);
}

void BenchNormal(const std::string& media, double span, const char* what)
{
    Player player;
    const uint32_t pauses = player.Control()->workerPauses.load();
    const auto cpuBefore = ThreadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    player.dlg.OpenRecording(media);
    RunUntil([&] { return WaitForWorkerPause(*player.Control(), pauses, 0) != kWorkerStillBusy; }, 600000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const auto cpuAfter = ThreadCpuSeconds();
    const long ui = getpid();
    printf("Normal, %s: %.2f s of recording played in %.2f s: %.3f recording seconds a wall second; "
           "user-interface thread %.0f %% of a core\n",
           what, span, seconds, span / seconds, (CpuOf(cpuAfter, ui) - CpuOf(cpuBefore, ui)) / seconds * 100);
}

// Nine full-HD cameras: headless decoding on one worker and on two, then the window at Normal.
void BenchFullHd(const std::string& directory)
{
    constexpr uint32_t kFullHdFrames = 6 * kFps;
    const std::string nine = directory + "/player-fullhd9.kvr";
    WriteRecording(nine, EncodeStream(kFullHdFrames, kVideoCodecH264, 1920, 1080), 9);
    const double one = KvrtoolPlaySeconds(KVRTOOL_PATH, nine, "--decode --speed 5 --threads 1");
    const double two = KvrtoolPlaySeconds(KVRTOOL_PATH, nine, "--decode --speed 5 --threads 2");
    const double frames = kFullHdFrames * 9.0;
    printf("Headless, 9 1080p H.264 channels: %.0f frames a second on 1 worker, %.0f on 2 (%.2fx)\n",
           one > 0 ? frames / one : 0.0, two > 0 ? frames / two : 0.0, two > 0 ? one / two : 0.0);
    BenchNormal(nine, (kFullHdFrames - 1) / static_cast<double>(kFps), "9 1080p H.264 channels");
}

// Drags the thumb over `positions` (records), each move waiting until the worker has shown it and,
// with `paintWait`, until view 0 has painted it: seeks a second, and a move's delay.
void BenchDrag(const std::string& media, const std::vector<int>& positions, bool paintWait, const std::string& what)
{
    Player player;
    player.dlg.OpenRecording(media);
    QSlider* slider = player.dlg.m_sliderPosition;
    PaintCounter counter;
    player.dlg.m_wndCameraWindow.View(0)->installEventFilter(&counter);
    // Paused: the worker finishes its packet and waits.
    player.dlg.OnButtonPause();
    RunUntil([&] { return player.Control()->Status() == kThreadSuspended; }, 5000);
    slider->setSliderDown(true);
    std::vector<double> delays;
    QElapsedTimer total;
    total.start();
    for (const int position : positions) {
        const int64_t paintsBefore = counter.paints;
        const uint32_t pauses = player.Control()->workerPauses.load();
        QElapsedTimer delay;
        delay.start();
        slider->setSliderPosition(position);
        slider->triggerAction(QAbstractSlider::SliderMove);
        const bool shown = RunUntil(
            [&] {
                return WaitForWorkerPause(*player.Control(), pauses, 0) != kWorkerStillBusy &&
                       (!paintWait || counter.paints > paintsBefore);
            },
            5000);
        if (!shown) {
            fprintf(stderr, "the seek to %d showed nothing\n", position);
            exit(1);
        }
        delays.push_back(delay.nsecsElapsed() / 1e6);
    }
    const double seconds = total.nsecsElapsed() / 1e9;
    slider->setSliderDown(false);
    std::sort(delays.begin(), delays.end());
    printf("%s: %.0f seeks a second; slider move to picture median %.1f ms, worst %.1f ms\n", what.c_str(),
           delays.size() / seconds, delays[delays.size() / 2], delays.back());
}

// Key frames far apart: every view decodes a new key frame at each move.
void BenchSeek(const std::string& media, uint32_t frames, int channels)
{
    std::vector<int> positions;
    for (uint32_t i = 0; i < 200; ++i) {
        // The first record of a key frame's instant: every view shows its key frame there.
        positions.push_back(static_cast<int>((i * 7 + 1) % (frames / kKeyInterval) * kKeyInterval) * channels);
    }
    BenchDrag(media, positions, true,
              "Seek while dragging between key frames, " + std::to_string(channels) + " D1 H.264 channel(s)");
}

// A drag as a hand makes it: the thumb moves a few pictures at a time through the recording, and
// a view whose key frame stays the same is left as it is.
void BenchGradualDrag(const std::string& media, uint32_t frames, int channels)
{
    std::vector<int> positions;
    for (uint32_t frame = 0; frame < frames; frame += 3) {
        positions.push_back(static_cast<int>(frame) * channels);
    }
    BenchDrag(media, positions, false,
              "Drag through the recording 3 pictures a move, " + std::to_string(channels) + " D1 H.264 channels");
}

// The slider let go: every view decoded from its key frame to its picture at the instant.
void BenchSyncSeek(const std::string& media, uint32_t frames, int channels)
{
    Player player;
    player.dlg.OpenRecording(media);
    QSlider* slider = player.dlg.m_sliderPosition;
    player.dlg.OnButtonPause();
    RunUntil([&] { return player.Control()->Status() == kThreadSuspended; }, 5000);
    std::vector<double> delays;
    for (int i = 0; i < 20; ++i) {
        // Deep inside a group: the longest decode from the key frame.
        const int frame = static_cast<int>((static_cast<uint32_t>(i * 7 + 1) % (frames / kKeyInterval)) * kKeyInterval +
                                           kKeyInterval - 2);
        const uint32_t pauses = player.Control()->workerPauses.load();
        QElapsedTimer delay;
        delay.start();
        slider->setValue(frame * channels);
        player.dlg.OnHScroll(slider);
        if (!RunUntil([&] { return WaitForWorkerPause(*player.Control(), pauses, 0) != kWorkerStillBusy; }, 10000)) {
            fprintf(stderr, "the seek to frame %d did not end\n", frame);
            exit(1);
        }
        delays.push_back(delay.nsecsElapsed() / 1e6);
    }
    std::sort(delays.begin(), delays.end());
    printf("Seek on release, %d D1 H.264 channels, %u pictures into a group of %u: median %.1f ms, worst %.1f ms\n",
           channels, kKeyInterval - 2, kKeyInterval, delays[delays.size() / 2], delays.back());
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string directory = BenchDirectory(argc, argv);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    const uint32_t frames = 20 * kFps;
    const std::vector<PacketSpec> stream = EncodeStream(frames);
    const std::string sixteen = directory + "/player16.kvr";
    const std::string one = directory + "/player1.kvr";
    WriteRecording(sixteen, stream, kChannels);
    WriteRecording(one, stream, 1);
    // KVR_BENCH_PART=fastest, drag, release, normal or fullhd runs that part alone.
    const char* part = getenv("KVR_BENCH_PART");
    auto runs = [part](const char* name) { return part == nullptr || strcmp(part, name) == 0; };
    if (runs("fastest")) {
        BenchFastest(sixteen, static_cast<int64_t>(frames) * kChannels, kChannels, "16 D1 H.264 channels");
        const std::string mixed = directory + "/player-mixed.kvr";
        WriteMixedRecording(mixed, frames);
        BenchFastest(mixed, static_cast<int64_t>(frames) * 4, 4,
                     "4 channels: H.264 and MPEG-4 D1, JPEG 352x240, H.264 CIF");
    }
    if (runs("drag")) {
        BenchSeek(one, frames, 1);
        BenchSeek(sixteen, frames, kChannels);
        BenchGradualDrag(sixteen, frames, kChannels);
    }
    if (runs("release")) {
        BenchSyncSeek(sixteen, frames, kChannels);
    }
    if (runs("normal")) {
        BenchNormal(sixteen, (frames - 1) / static_cast<double>(kFps), "16 D1 H.264 channels");
    }
    if (runs("fullhd")) {
        BenchFullHd(directory);
    }
    return 0;
}
