// kvrtool sample: writes a small recording pair to try the other commands on.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "recording/IndexPath.h"
#include "recording/RecordingWriter.h"
#include "tools/Commands.h"
#include "tools/synth/SynthRecording.h"
#include "tools/ToolArguments.h"

namespace {

const char kSampleUsage[] =
    "usage: kvrtool sample OUT.kvr [--channels N] [--seconds S] [--fps F]\n"
    "\n"
    "Writes a recording pair (OUT.kvr and its index OUT.idx): N channels (default 4, 1 to 64)\n"
    "of S seconds (default 10) of video at F frames per second (default 25, 1 to 100), a key\n"
    "frame every second, and one G.711 audio block per frame on every channel. The video payloads\n"
    "are placeholders that carry no picture.\n";

constexpr time_t kSampleStart = 1243857600;   // 2009-06-01 12:00:00 UTC

struct SampleOptions {
    std::string mediaPath;
    int32_t channels = 4;
    int32_t seconds = 10;
    int32_t fps = 25;
};

// -1 when the arguments are complete, else the exit status.
int ParseSampleArguments(int argc, char** argv, SampleOptions* options)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(kSampleUsage, stdout);
            return 0;
        }
        bool good = true;
        if (strcmp(argv[i], "--channels") == 0) {
            good = hasValue && ParseIntegerArgument(argv[++i], 1, 64, &options->channels);
        } else if (strcmp(argv[i], "--seconds") == 0) {
            good = hasValue && ParseIntegerArgument(argv[++i], 1, 3600, &options->seconds);
        } else if (strcmp(argv[i], "--fps") == 0) {
            good = hasValue && ParseIntegerArgument(argv[++i], 1, 100, &options->fps);
        } else if (argv[i][0] == '-' || !options->mediaPath.empty()) {
            good = false;
        } else {
            options->mediaPath = argv[i];
        }
        if (!good) {
            fprintf(stderr, "kvrtool sample: bad argument '%s'\n%s", argv[i], kSampleUsage);
            return 2;
        }
    }
    if (options->mediaPath.empty()) {
        fputs(kSampleUsage, stderr);
        return 2;
    }
    return -1;
}

}  // namespace

int CheckSampleArguments(int argc, char** argv)
{
    SampleOptions options;
    return ParseSampleArguments(argc, argv, &options);
}

int RunSampleCommand(int argc, char** argv)
{
    SampleOptions options;
    const int parsed = ParseSampleArguments(argc, argv, &options);
    if (parsed >= 0) {
        return parsed;
    }
    const std::string& mediaPath = options.mediaPath;
    const int32_t channels = options.channels;
    const int32_t seconds = options.seconds;
    const int32_t fps = options.fps;

    const std::string indexPath = IndexPathFor(mediaPath);
    RecordingWriter writer;
    if (writer.Create(mediaPath, indexPath) != 0) {
        fprintf(stderr, "kvrtool: %s: cannot create the recording pair\n", mediaPath.c_str());
        return 1;
    }
    PacketSpec video;
    video.type = 0x44;
    video.payload.assign(512, 0);
    PacketSpec audio;
    audio.type = 0x92;
    audio.payload.assign(static_cast<size_t>(8000 / fps), 0xFF);   // mu-law silence
    for (int frame = 0; frame < seconds * fps; ++frame) {
        const int64_t hundredths = static_cast<int64_t>(frame) * 100 / fps;
        for (int channel = 0; channel < channels; ++channel) {
            video.unit = static_cast<uint16_t>(channel / 4);
            video.channel = static_cast<uint16_t>(channel % 4 + 1);
            video.sequence = static_cast<uint8_t>(frame % fps);
            StampPacketTime(&video, kSampleStart, hundredths * 10000);
            memset(video.payload.data(), frame & 0xFF, video.payload.size());
            writer.WritePacket(video, video.sequence == 0 ? 0x00 : 0x10);

            audio.unit = video.unit;
            audio.channel = video.channel;
            audio.sequence = static_cast<uint8_t>(frame % 64);
            StampPacketTime(&audio, kSampleStart, hundredths * 10000);
            writer.WritePacket(audio, 0x12);
        }
    }
    if (writer.Close() != 0) {
        fprintf(stderr, "kvrtool: %s: writing the recording failed\n", mediaPath.c_str());
        return 1;
    }
    printf("wrote %s and %s: %lld records\n", mediaPath.c_str(), indexPath.c_str(),
           static_cast<long long>(writer.RecordsWritten()));
    return 0;
}
