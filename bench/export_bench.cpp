// Export speed: copying one channel of a 16-channel D1 recording into Matroska, against reading
// the same packets with ReadNext alone (target: at least 0.5 of its speed), and, when the
// ffmpeg program is installed, against it remuxing an elementary stream of the same frames.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchRecording.h"
#include "bench/BenchTiming.h"
#include "export/ChannelExport.h"
#include "export/ExportOwner.h"
#include "export/Sha256.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordingWriter.h"
#include "tools/synth/SynthRecording.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint32_t kWidth = 704;
constexpr uint32_t kHeight = 480;
constexpr int32_t kChannels = 16;
constexpr int32_t kFramesPerSecond = 25;
constexpr int32_t kSeconds = 60;
constexpr int32_t kGop = 25;
constexpr int64_t kStart = 1767323045;   // 2026-01-02T03:04:05

// One GOP of coded D1 H.264 frames, reused by every channel.
bool CodeGop(std::vector<std::vector<uint8_t>>* frames)
{
    StreamEncoder encoder;
    if (encoder.Open(kVideoCodecH264, kWidth, kHeight, kFramesPerSecond, kGop) != 0) {
        return false;
    }
    std::vector<uint8_t> picture(kWidth * kHeight * 3);
    frames->resize(kGop);
    for (uint32_t i = 0; i < kGop; ++i) {
        DrawTestPattern(picture.data(), kWidth, kHeight, i, 0);
        bool key = false;
        if (encoder.Encode(picture.data(), &(*frames)[i], &key) != 0) {
            return false;
        }
    }
    return true;
}

bool WriteRecording(const std::string& media, const std::string& index, const std::vector<std::vector<uint8_t>>& gop,
                    const std::string& elementary)
{
    RecordingWriter writer;
    FILE* stream = fopen(elementary.c_str(), "wb");
    if (stream == nullptr || writer.Create(media, index) != 0) {
        return false;
    }
    for (int32_t frame = 0; frame < kSeconds * kFramesPerSecond; ++frame) {
        for (int32_t channel = 0; channel < kChannels; ++channel) {
            PacketSpec spec;
            spec.type = 0x45;
            spec.unit = static_cast<uint16_t>(channel / 4);
            spec.channel = static_cast<uint16_t>(channel % 4 + 1);
            spec.sequence = static_cast<uint8_t>(frame % kGop);
            spec.payload = gop[static_cast<size_t>(frame % kGop)];
            StampPacketTime(&spec, kStart, int64_t{frame} * 1000000 / kFramesPerSecond);
            if (writer.WritePacket(spec, frame % kGop == 0 ? 0x00 : 0x20) < 0) {
                return false;
            }
            if (channel == 0) {
                fwrite(spec.payload.data(), 1, spec.payload.size(), stream);
            }
        }
    }
    return fclose(stream) == 0 && writer.Close() == 0;
}

bool ReadEverything(const std::string& media, const std::string& index)
{
    ExportOwner owner;
    MediaFileMng manager;
    manager.owner = &owner;
    if (manager.Open(media.c_str(), index.c_str()) != 0) {
        return false;
    }
    std::vector<uint8_t> buffer(kMediaReadCapacity);
    int64_t packets = 0;
    while (manager.ReadNext(buffer.data()) > 0) {
        ++packets;
    }
    return packets == int64_t{kSeconds} * kFramesPerSecond * kChannels;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = BenchDirectory(argc, argv);
    const std::string media = dir + "/export.kvr";
    const std::string index = dir + "/export.idx";
    const std::string elementary = dir + "/channel0.h264";
    const std::string outDir = dir + "/exports";
    std::vector<std::vector<uint8_t>> gop;
    if (system(("mkdir -p '" + outDir + "'").c_str()) != 0 || !CodeGop(&gop) ||
        !WriteRecording(media, index, gop, elementary)) {
        fprintf(stderr, "export_bench: the recording cannot be written in %s\n", dir.c_str());
        return 1;
    }
    std::string hex;
    int64_t mediaBytes = 0;
    Sha256OfFile(media, &hex, &mediaBytes);   // brings the recording into the page cache
    printf("recording: %d channels of %ux%u H.264 at %d fps, %d s, %.1f MB\n", kChannels, kWidth, kHeight,
           kFramesPerSecond, kSeconds, mediaBytes / 1e6);

    const double read = BestSeconds("read", [&] { return ReadEverything(media, index); });
    const double hash = BestSeconds("hash", [&] {
        int64_t size = 0;
        return Sha256OfFile(media, &hex, &size) == 0;
    });
    ExportRequest request;
    request.mediaPath = media;
    request.channel = 0;
    request.outPath = outDir + "/channel0.mkv";
    request.force = true;
    ExportResult result;
    const double exported = BestSeconds("export", [&] {
        return ExportChannel(request, nullptr, nullptr, &result) == kExportOk &&
               result.videoFrames == int64_t{kSeconds} * kFramesPerSecond;
    });
    // Where the time of one export goes, from the stages its progress reports.
    double stageStart[3] = {};
    const auto begun = std::chrono::steady_clock::now();
    ExportChannel(request, [&](const ExportProgress& progress) {
        double& start = stageStart[static_cast<int>(progress.stage)];
        start = start > 0 ? start : SecondsSince(begun);
    }, nullptr, &result);
    const double total = SecondsSince(begun);
    printf("ReadNext over every packet    %8.3f s\n", read);
    printf("SHA-256 of the media file     %8.3f s (%.0f MB/s)\n", hash, mediaBytes / 1e6 / hash);
    printf("export of channel 0 to .mkv   %8.3f s (fingerprints included)\n", exported);
    printf("export speed / ReadNext speed %8.2f (target 0.5)\n", read / exported);
    printf("  of one export of %.3f s: fingerprinting the recording %.3f s, copying %.3f s, fingerprinting\n"
           "  the export and the sidecar %.3f s\n", total, stageStart[1], stageStart[2] - stageStart[1], total - stageStart[2]);
    printf("copying alone / ReadNext      %8.2f\n", read / (stageStart[2] - stageStart[1]));

    if (system("command -v ffmpeg > /dev/null 2>&1") == 0) {
        const std::string command = "ffmpeg -y -v error -f h264 -framerate 25 -i '" + elementary + "' -c copy '" +
                                    outDir + "/ffmpeg.mkv'";
        const double ffmpeg = BestSeconds("ffmpeg", [&] { return system(command.c_str()) == 0; });
        printf("ffmpeg -c copy of the stream  %8.3f s (only channel 0's %.1f MB, no recording to read)\n", ffmpeg,
               static_cast<double>(result.outputBytes) / 1e6);
        printf("export time / ffmpeg time     %8.2f\n", exported / ffmpeg);
    } else {
        printf("ffmpeg is not installed: no comparison with it\n");
    }
    return 0;
}
