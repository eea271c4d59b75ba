// The audio output on a real device (SDL's disk driver unless SDL_AUDIODRIVER says otherwise):
//  1. the cost of one Write on the playing side (decode, copy into the ring, hand-over to the
//     device) for each codec, against the real-time length of the audio it queues;
//  2. the delay from the moment the device lets a buffer go to its done message being handled
//     on an idle user-interface thread.
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "audio/Codec_G723.h"
#include "audio/Codec_IMA.h"
#include "audio/MuLaw.h"
#include "tests/support/AudioTestSignal.h"
#include "ui/AudioOut.h"

namespace {

constexpr int kWrites = 200;
constexpr int kDoneMessages = 16;
constexpr double kWriteTargetPercent = 1.0;
constexpr double kDoneTargetMs = 20.0;

struct Case {
    const char* name;
    int32_t codecId;
    int32_t outputNumber;
};

int64_t NowUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One recorder-sized packet of a coded tone.
std::vector<uint8_t> Payload(int32_t codecId, int32_t bufferSize)
{
    if (codecId == 9) {
        Codec_IMA ima;
        std::vector<uint8_t> frame(kImaFrameBytes);
        ima.Encode(Tone(kImaFrameSamples, 440.0, 10000.0).data(), kImaFrameSamples, frame.data());
        return frame;
    }
    if (codecId == 1) {
        Codec_G723 g723;
        std::vector<uint8_t> packet(kG723PacketBytes);
        g723.Encode(Tone(kG723BufferSamples, 440.0, 10000.0).data(), kG723BufferSamples, packet.data());
        return packet;
    }
    std::vector<uint8_t> codes;
    for (int16_t sample : Tone(static_cast<size_t>(bufferSize), 440.0, 10000.0)) {
        codes.push_back(MuLawEncode(sample));
    }
    return codes;
}

void PumpUntilIdle(AudioOut& out)
{
    while (out.pendingCount.load() != 0) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
}

bool BenchWrite(QObject& parent, const Case& c)
{
    AudioOut out;
    if (out.Open(&parent, c.codecId, c.outputNumber) != kAudioOpened) {
        fprintf(stderr, "%s: no output could be opened\n", c.name);
        return false;
    }
    const std::vector<uint8_t> payload = Payload(c.codecId, out.bufferSize);
    std::vector<int64_t> costs;
    for (int i = 0; i < kWrites; ++i) {
        const int64_t start = NowNs();
        const int32_t result = out.Write(payload.data(), static_cast<uint32_t>(payload.size()));
        costs.push_back(NowNs() - start);
        if (result != 1) {
            fprintf(stderr, "%s: Write gave %d\n", c.name, result);
            return false;
        }
        // Hand the buffer straight back so the next write never meets a full queue.
        WaveOutService().Reset(out.hWaveOut);
        PumpUntilIdle(out);
    }
    out.Close();
    std::sort(costs.begin(), costs.end());
    const double audioUs = 1e6 * out.bufferSize / out.waveFormat.averageBytesPerSecond;
    const double medianUs = static_cast<double>(costs[costs.size() / 2]) / 1000.0;
    const double p99Us = static_cast<double>(costs[costs.size() * 99 / 100]) / 1000.0;
    printf("write %-16s  median %8.2f us  p99 %8.2f us  audio %5.1f ms  median %.4f%%  p99 %.4f%%  (target < %.0f%%)\n",
           c.name, medianUs, p99Us, audioUs / 1000.0, 100.0 * medianUs / audioUs, 100.0 * p99Us / audioUs,
           kWriteTargetPercent);
    return true;
}

// The event loop waits for events the way an idle user-interface thread does; each done
// message's delay is taken from the moment the device let its buffer go.
bool BenchDoneDelay(QObject& parent)
{
    AudioOut out;
    if (out.Open(&parent, 2, 1) != kAudioOpened) {
        fprintf(stderr, "done delay: no output could be opened\n");
        return false;
    }
    const std::vector<uint8_t> payload = Payload(2, out.bufferSize);
    int written = 0;
    for (; written < 2; ++written) {
        out.Write(payload.data(), static_cast<uint32_t>(payload.size()));
    }
    std::vector<double> delaysMs;
    int handled = 0;
    while (handled < kDoneMessages) {
        int32_t before = out.pendingCount.load();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const int64_t now = NowUs();
        for (; before > out.pendingCount.load(); --before) {
            // Buffers finish in the order written, starting at ring slot 0.
            const WaveHeader* header = out.headers[handled % kAudioRingSize];
            delaysMs.push_back(static_cast<double>(now - header->doneAtUs.load()) / 1000.0);
            ++handled;
            if (written < kDoneMessages) {
                out.Write(payload.data(), static_cast<uint32_t>(payload.size()));
                ++written;
            }
        }
    }
    out.Close();
    std::sort(delaysMs.begin(), delaysMs.end());
    printf("done message handled after the device let its buffer go (%d buffers of %d ms):\n"
           "  median %.2f ms  worst %.2f ms  (target <= %.0f ms)\n",
           kDoneMessages, out.bufferSize * 1000 / 8000, delaysMs[delaysMs.size() / 2], delaysMs.back(), kDoneTargetMs);
    printf("  the device still plays up to one callback period (16 ms) after letting a buffer go,\n"
           "  so the message comes at most this long after the buffer's sound has ended\n");
    fflush(stdout);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "disk", 0);
    const std::string file = "/tmp/kvr-audio-out-bench-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 0);
    QCoreApplication app(argc, argv);
    QObject parent;
    printf("audio output on SDL driver \"%s\"\n", getenv("SDL_AUDIODRIVER"));
    const Case cases[] = {
        {"G.711 track 0", 2, 0},
        {"G.711 tracks 1-3", 2, 1},
        {"IMA ADPCM", 9, 0},
        {"G.723 24 kbit/s", 1, 0},
    };
    bool ok = true;
    for (const Case& c : cases) {
        ok = BenchWrite(parent, c) && ok;
    }
    ok = BenchDoneDelay(parent) && ok;
    unlink(file.c_str());
    return ok ? 0 : 1;
}
