// kvrtool audio: one channel's audio, decoded as the player decodes it, into a WAV file.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "audio/AudioCodecId.h"
#include "export/MonoPcm.h"
#include "recording/MediaFileMng.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "tools/audio/DevicePcm.h"
#include "tools/ReadOnlyRecording.h"
#include "tools/RecordingSummary.h"
#include "tools/ToolRecording.h"
#include "tools/WavWriter.h"

namespace {

const char kAudioUsage[] =
    "usage: kvrtool audio RECORDING.kvr --channel N [--track T] [--format device|mono] --out FILE.wav\n"
    "\n"
    "Decodes the audio packets of channel N (unit x 4 + channel - 1, as 'kvrtool info' lists\n"
    "them) in the order the player reads them, with the player's decoders, and writes them to\n"
    "FILE.wav as 16-bit PCM at 8000 frames per second.\n"
    "\n"
    "  --channel N  channel number\n"
    "  --track T    audio track 0 to 3 (default: the track of the channel's first audio packet)\n"
    "  --format F   device (the default): what the player sends to the sound device, one\n"
    "               channel for G.711 (mu-law expanded) and IMA ADPCM, two for G.723, whose\n"
    "               samples alternate between left and right as the device plays them;\n"
    "               mono: one channel at the rate the samples were recorded, for every codec\n"
    "  --out FILE   the WAV file to write (never the recording itself)\n"
    "\n"
    "The file ends, with a warning, at the first packet whose codec differs from the first one\n"
    "met. Without audio on that channel and track nothing is written and the exit status is 1.\n";

struct AudioOptions {
    std::string mediaPath;
    std::string outPath;
    int32_t channel = -1;
    int32_t track = -1;   // -1: the first track met
    bool mono = false;    // one channel at the recorded rate, not the device's format
};

// -1 when the options are complete, else the exit status.
int ParseAudioOptions(int argc, char** argv, AudioOptions* options)
{
    const int walked = WalkArguments(argc, argv, "audio", kAudioUsage, &options->mediaPath,
                                     [options](const char* name, const char* value) {
        if (strcmp(name, "--channel") == 0) {
            return TakeInteger(value, 0, INT32_MAX, &options->channel);
        }
        if (strcmp(name, "--track") == 0) {
            return TakeInteger(value, 0, 3, &options->track);
        }
        if (strcmp(name, "--format") == 0) {
            if (value == nullptr || (strcmp(value, "mono") != 0 && strcmp(value, "device") != 0)) {
                return kOptionWrongValue;
            }
            options->mono = strcmp(value, "mono") == 0;
            return 2;
        }
        return strcmp(name, "--out") == 0 ? TakeText(value, &options->outPath) : kOptionUnknown;
    });
    if (walked >= 0) {
        return walked;
    }
    if (options->mediaPath.empty() || options->outPath.empty() || options->channel < 0) {
        fputs(kAudioUsage, stderr);
        return 2;
    }
    return -1;
}

std::string WhereText(const AudioOptions& options, int32_t track)
{
    std::string text = "channel " + std::to_string(options.channel);
    return track >= 0 ? text + " track " + std::to_string(track) : text;
}

// Decodes the chosen packets into the WAV file as they are read.
class ChannelExport {
public:
    explicit ChannelExport(const AudioOptions& options) : options(options), track(options.track) {}

    // The exit status.
    int Run(MediaFileMng& manager);

private:
    // False when the export has to stop at this packet.
    bool Take(const uint8_t* packet, int32_t recordPosition, int* status);
    int Finish();
    int32_t Channels() const { return options.mono ? 1 : device.Channels(); }

    const AudioOptions& options;
    int32_t track;
    int32_t codec = -1;
    int64_t packets = 0;
    int64_t unreadable = 0;
    DevicePcm device;
    MonoPcm mono;
    WavWriter wav;
    std::vector<int16_t> pcm;
};

int ChannelExport::Run(MediaFileMng& manager)
{
    std::vector<uint8_t> packet(kMediaReadCapacity);
    int status = 0;
    for (;;) {
        const int32_t result = manager.ReadNext(packet.data());
        if (result == kMediaReadFailed) {
            ++unreadable;   // a damaged packet: the index goes on behind it
            continue;
        }
        if (result <= 0) {
            break;
        }
        if (!Take(packet.data(), manager.recordNo - 1, &status)) {
            break;
        }
    }
    if (status != 0) {
        return status;
    }
    return Finish();
}

bool ChannelExport::Take(const uint8_t* packet, int32_t recordPosition, int* status)
{
    if (!TavIsAudio(packet) || TavGetChannelNumber(packet) != options.channel) {
        return true;
    }
    if (track < 0) {
        track = TavGetAudioTrack(packet);
    }
    if (TavGetAudioTrack(packet) != track) {
        return true;
    }
    const int32_t packetCodec = TavGetCodec(packet);
    if (codec < 0) {
        codec = packetCodec;
        if ((options.mono ? mono.Start(codec) : device.Start(codec)) != 0) {
            fprintf(stderr, "kvrtool: %s: %s: %s cannot be decoded\n", options.mediaPath.c_str(),
                    WhereText(options, track).c_str(), DescribePacketType(packet[0]).c_str());
            *status = 1;
            return false;
        }
        if (wav.Open(options.outPath, Channels(), kAudioSampleRate) != kWavWritten) {
            fprintf(stderr, "kvrtool: %s: cannot be created: %s\n", options.outPath.c_str(), strerror(errno));
            *status = 1;
            return false;
        }
    } else if (packetCodec != codec) {
        fprintf(stderr, "kvrtool: warning: %s: %s: index record %d holds %s after %s; the WAV file ends there\n",
                options.mediaPath.c_str(), WhereText(options, track).c_str(), recordPosition,
                DescribePacketType(packet[0]).c_str(), DescribePacketType(static_cast<uint8_t>(0x90 | codec)).c_str());
        return false;
    }
    if (options.mono) {
        mono.Decode(TavGetPayload(packet), TavGetPayloadLength(packet), &pcm);
    } else {
        device.Decode(TavGetPayload(packet), TavGetPayloadLength(packet), &pcm);
    }
    const int32_t written = wav.Write(pcm.data(), pcm.size());
    if (written == kWavFailed) {
        fprintf(stderr, "kvrtool: %s: writing failed: %s\n", options.outPath.c_str(), strerror(errno));
        wav.Close();
        remove(options.outPath.c_str());
        *status = 1;
        return false;
    }
    ++packets;
    if (written == kWavFull) {
        fprintf(stderr, "kvrtool: warning: %s: a WAV file holds 4 GiB at the most; the rest of the audio is left out\n",
                options.outPath.c_str());
        return false;
    }
    return true;
}

int ChannelExport::Finish()
{
    if (codec < 0) {
        fprintf(stderr, "kvrtool: %s: no audio on %s\n", options.mediaPath.c_str(), WhereText(options, track).c_str());
        return 1;
    }
    const uint32_t bytes = wav.DataBytes();
    if (wav.Close() != kWavWritten) {
        fprintf(stderr, "kvrtool: %s: writing failed: %s\n", options.outPath.c_str(), strerror(errno));
        remove(options.outPath.c_str());
        return 1;
    }
    if (unreadable > 0) {
        fprintf(stderr, "kvrtool: warning: %s: %lld packets could not be read and were passed over\n",
                options.mediaPath.c_str(), static_cast<long long>(unreadable));
    }
    const uint32_t frames = bytes / static_cast<uint32_t>(2 * Channels());
    printf("wrote %s: %lld %s packets of %s, %u frames, %.3f s (%d channel%s, 16-bit PCM, %d Hz)\n",
           options.outPath.c_str(), static_cast<long long>(packets),
           DescribePacketType(static_cast<uint8_t>(0x90 | codec)).c_str(), WhereText(options, track).c_str(), frames,
           frames / static_cast<double>(kAudioSampleRate), Channels(), Channels() == 1 ? "" : "s",
           kAudioSampleRate);
    return 0;
}

}  // namespace

int CheckAudioArguments(int argc, char** argv)
{
    AudioOptions options;
    return ParseAudioOptions(argc, argv, &options);
}

int RunAudioCommand(int argc, char** argv)
{
    AudioOptions options;
    const int parsed = ParseAudioOptions(argc, argv, &options);
    if (parsed >= 0) {
        return parsed;
    }
    if (OutputIsRecordingFile(options.outPath, options.mediaPath)) {
        return 1;
    }
    ReadOnlyRecording recording;
    if (recording.Open(options.mediaPath) != 0) {
        return 1;
    }
    MediaFileMng& manager = recording.manager;
    ChannelExport exporter(options);
    return exporter.Run(manager);
}
