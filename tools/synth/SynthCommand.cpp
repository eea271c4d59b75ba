// kvrtool synth: writes a recording whose packets carry real coded media, for trying the
// player and its tools on known content.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "recording/IndexPath.h"
#include "recording/RecordingWriter.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"
#include "export/PendingFile.h"
#include "tools/synth/SynthArguments.h"
#include "tools/synth/SynthAudioSource.h"
#include "tools/synth/SynthEvents.h"
#include "tools/synth/SynthRecording.h"
#include "tools/synth/SynthVideoSource.h"

namespace {

const char kSynthUsage[] =
    "usage: kvrtool synth OUT.kvr [--channel U:C:CODEC]... [--audio U:C:CODEC[:TRACK]]...\n"
    "                     [--size WxH] [--fps F] [--gop N] [--field-stacked] [--seconds S]\n"
    "                     [--events] [--start TIME] [--tone HZ] [--force]\n"
    "\n"
    "Writes a recording pair (OUT.kvr and its index OUT.idx) whose packets follow one another\n"
    "in the order of their times, each dated to the hundredth of a second.\n"
    "\n"
    "  --channel U:C:CODEC        video on unit U (0 to 31), channel C (1 to 4), coded as jpeg\n"
    "                             (every frame one JPEG picture, the packet header inside its\n"
    "                             first marker segment), mpeg4 (MPEG-4 Visual) or h264; may be\n"
    "                             given several times. Each frame shows a moving test pattern\n"
    "                             whose seed is the channel number U x 4 + C - 1, with the frame\n"
    "                             number (from 0) written as 16 black and white blocks at the top\n"
    "  --size WxH                 picture size, 16 to 4096 each, at most 9,437,184 bytes of\n"
    "                             pixels (default 352x240); even for mpeg4 and h264\n"
    "  --fps F                    frames per second, 1 to 60 (default 25)\n"
    "  --gop N                    a key frame every N frames of mpeg4 and h264, 1 to 256\n"
    "                             (default 25); the sequence number restarts at 0 on each\n"
    "  --field-stacked            every picture is its two fields one above the other (first\n"
    "                             the odd rows, then the even rows) and its packets carry bit\n"
    "                             15 of the option mask; the height must be even\n"
    "  --events                   every video packet carries an event record in option 8 that\n"
    "                             the player draws over the picture: an event begins every 2 s,\n"
    "                             cycling through motion (\"MOTION Zone 1 ... Entrance\"), alarm\n"
    "                             input, video loss, tamper and a note, each shown with the time\n"
    "                             it began; the coded pictures are the same as without it. The\n"
    "                             recording must end by 2038-01-19T03:14:07\n"
    "  --audio U:C:CODEC[:TRACK]  audio on unit U (0 to 31), channel C (1 to 4), audio track\n"
    "                             TRACK (0 to 3, default 0), coded as g711 (mu-law, 1024-byte\n"
    "                             packets), g723 (24 kbit/s, 3072-byte packets) or ima (IMA\n"
    "                             ADPCM, 2112-byte packets); may be given several times\n"
    "  --seconds S                length, 1 to 3600 (default 10); the last audio packet is whole\n"
    "  --start TIME               the recorder's local time of the first packet,\n"
    "                             YYYY-MM-DDTHH:MM:SS (default 2026-01-02T03:04:05)\n"
    "  --tone HZ                  every audio stream carries a sine tone of HZ, 1 to 3999\n"
    "                             (default 440), at amplitude 10000 of 32767\n"
    "  --force                    write over an existing recording\n"
    "\n"
    "Index kinds, so that every reading rule meets its cases: key frames (every JPEG picture,\n"
    "stream frames of sequence 0) take 0x00, 0x10 and 0x50 in turn, at which reading\n"
    "backwards stops; other frames take 0x20, 0x30, 0x40 and 0x60 to 0xF0 in turn, at which\n"
    "reading forwards stops and reading backwards does not; audio takes 0x12, 0x32 and 0x92\n"
    "in turn when the recording has video, 0x12 alone when it has none.\n"
    "\n"
    "At least one stream must be given. A coded frame must fit the player's 512,000-byte packet\n"
    "buffer (JPEG pictures are coded at quality 85, lower if need be).\n";

constexpr char kDefaultStart[] = "2026-01-02T03:04:05";

struct SynthOptions {
    std::string mediaPath;
    std::vector<SynthAudioStream> audio;
    std::vector<SynthVideoStream> video;
    SynthVideoFormat format;
    int64_t startSeconds = 0;
    int32_t toneHz = 440;
    bool events = false;
    bool force = false;
};

bool EndsWithKvr(const std::string& path)
{
    return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".kvr") == 0;
}

bool SameStream(const SynthAudioStream& a, const SynthAudioStream& b)
{
    return a.unit == b.unit && a.channel == b.channel && a.track == b.track;
}

bool SameStream(const SynthVideoStream& a, const SynthVideoStream& b)
{
    return a.unit == b.unit && a.channel == b.channel;
}

template <typename Stream>
bool IsNew(const Stream& stream, const std::vector<Stream>& streams)
{
    for (const Stream& other : streams) {
        if (SameStream(stream, other)) {
            return false;
        }
    }
    return true;
}

// The number of arguments option `name` took, or a kOption code.
int TakeSynthOption(const char* name, const char* value, SynthOptions* options)
{
    SynthVideoFormat& format = options->format;
    if (strcmp(name, "--force") == 0) {
        options->force = true;
        return 1;
    }
    if (strcmp(name, "--field-stacked") == 0) {
        format.fieldStacked = true;
        return 1;
    }
    if (strcmp(name, "--events") == 0) {
        options->events = true;
        return 1;
    }
    const struct {
        const char* name;
        int64_t low;
        int64_t high;
        int32_t* number;
    } numbers[] = {
        {"--fps", 1, 60, &format.framesPerSecond},
        {"--gop", 1, 256, &format.keyInterval},   // the sequence byte counts no further
        {"--seconds", 1, 3600, &format.seconds},
        {"--tone", 1, 3999, &options->toneHz},
    };
    for (const auto& number : numbers) {
        if (strcmp(name, number.name) == 0) {
            return TakeInteger(value, number.low, number.high, number.number);
        }
    }
    bool good = value != nullptr;
    if (strcmp(name, "--audio") == 0) {
        SynthAudioStream stream;
        good = good && ParseAudioStream(value, &stream) && IsNew(stream, options->audio);
        options->audio.push_back(stream);
    } else if (strcmp(name, "--channel") == 0) {
        SynthVideoStream stream;
        good = good && ParseVideoStream(value, &stream) && IsNew(stream, options->video);
        options->video.push_back(stream);
    } else if (strcmp(name, "--size") == 0) {
        good = good && ParseFrameSize(value, &format.width, &format.height);
    } else if (strcmp(name, "--start") == 0) {
        good = good && ParseStart(value, &options->startSeconds);
    } else {
        return kOptionUnknown;
    }
    return good ? 2 : kOptionWrongValue;
}

// What is wrong with the options taken together, or an empty text.
std::string Conflict(const SynthOptions& options)
{
    bool streamCodec = false;
    for (const SynthVideoStream& stream : options.video) {
        streamCodec = streamCodec || stream.codec != kVideoCodecJpeg;
    }
    const SynthVideoFormat& format = options.format;
    if (streamCodec && (format.width % 2 != 0 || format.height % 2 != 0)) {
        return "mpeg4 and h264 need an even width and height, not " + std::to_string(format.width) + "x" +
               std::to_string(format.height);
    }
    if (format.fieldStacked && format.height % 2 != 0) {
        return "--field-stacked needs an even height, not " + std::to_string(format.height);
    }
    if (options.events && options.video.empty()) {
        return "--events needs a video --channel to carry them";
    }
    if (options.events && options.startSeconds + format.seconds - 1 > kSynthLastEventTime) {
        return "--events needs a recording that ends by 2038-01-19T03:14:07";
    }
    return "";
}

// -1 when the options are complete, else the exit status.
int ParseSynthOptions(int argc, char** argv, SynthOptions* options)
{
    ParseStart(kDefaultStart, &options->startSeconds);
    const int walked = WalkArguments(argc, argv, "synth", kSynthUsage, &options->mediaPath,
                                     [options](const char* name, const char* value) {
        return TakeSynthOption(name, value, options);
    });
    if (walked >= 0) {
        return walked;
    }
    if (!options->mediaPath.empty() && !EndsWithKvr(options->mediaPath)) {
        fprintf(stderr, "kvrtool synth: bad argument '%s': the media file's name ends in .kvr\n%s",
                options->mediaPath.c_str(), kSynthUsage);
        return 2;
    }
    if (options->mediaPath.empty() || (options->audio.empty() && options->video.empty())) {
        fputs(kSynthUsage, stderr);
        return 2;
    }
    const std::string conflict = Conflict(*options);
    if (!conflict.empty()) {
        fprintf(stderr, "kvrtool synth: %s\n", conflict.c_str());
        return 2;
    }
    return -1;
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

// The sources in the order they were given, video first, each ready to build packets.
int32_t MakeSources(const SynthOptions& options, std::vector<std::unique_ptr<SynthSource>>* sources)
{
    for (const SynthVideoStream& stream : options.video) {
        auto source = std::make_unique<SynthVideoSource>(stream, options.format);
        if (source->Open() != 0) {
            return kSynthEncodeFailed;
        }
        if (options.events) {
            source->CarryEvents(options.startSeconds);
        }
        sources->push_back(std::move(source));
    }
    for (const SynthAudioStream& stream : options.audio) {
        sources->push_back(std::make_unique<SynthAudioSource>(stream, options.toneHz, options.format.seconds));
    }
    return 0;
}

std::string FailureText(int64_t code)
{
    switch (code) {
    case kSynthEncodeFailed:
        return "an encoder failed";
    case kSynthPacketTooLarge:
        return "a coded frame does not fit the player's 512,000-byte packet buffer; choose a smaller --size";
    case kSynthTooLong:
        return "the media file would pass 2 GiB - 1 byte, the most a recording can address; choose fewer --seconds,"
               " channels or a smaller --size";
    default:
        return "writing the recording failed";
    }
}

std::string Plural(size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

int CheckSynthArguments(int argc, char** argv)
{
    SynthOptions options;
    return ParseSynthOptions(argc, argv, &options);
}

int RunSynthCommand(int argc, char** argv)
{
    SynthOptions options;
    const int parsed = ParseSynthOptions(argc, argv, &options);
    if (parsed >= 0) {
        return parsed;
    }
    const std::string indexPath = IndexPathFor(options.mediaPath);
    if (!options.force) {
        for (const std::string& path : {options.mediaPath, indexPath}) {
            if (Exists(path)) {
                fprintf(stderr, "kvrtool: %s: exists; --force writes over it\n", path.c_str());
                return 1;
            }
        }
    }
    std::vector<std::unique_ptr<SynthSource>> sources;
    if (MakeSources(options, &sources) != 0) {
        fprintf(stderr, "kvrtool synth: the video encoder cannot be opened for %ux%u at %d frames per second\n",
                options.format.width, options.format.height, options.format.framesPerSecond);
        return 1;
    }

    // Written beside the pair and moved over it once complete: a failure leaves what stood there.
    PendingFile media(options.mediaPath);
    PendingFile index(indexPath);
    RecordingWriter writer;
    if (media.Create() != 0 || index.Create() != 0 ||
        writer.Create(media.TemporaryPath(), index.TemporaryPath()) != 0) {
        fprintf(stderr, "kvrtool: %s: cannot be created: %s\n", options.mediaPath.c_str(), strerror(errno));
        return 1;
    }
    const int64_t packets = WriteSynthPackets(writer, sources, options.startSeconds);
    const bool closed = writer.Close() == 0;
    if (packets < 0 || !closed) {
        fprintf(stderr, "kvrtool: %s: %s\n", options.mediaPath.c_str(),
                FailureText(packets < 0 ? packets : kSynthWriteFailed).c_str());
        return 1;
    }
    if (index.Commit() != 0 || media.Commit() != 0) {
        fprintf(stderr, "kvrtool: %s: cannot be put in place: %s\n", options.mediaPath.c_str(), strerror(errno));
        return 1;
    }
    printf("wrote %s and %s: %lld packets, %s and %s of %d s\n", options.mediaPath.c_str(), indexPath.c_str(),
           static_cast<long long>(packets), Plural(options.video.size(), "video channel").c_str(),
           Plural(options.audio.size(), "audio stream").c_str(), options.format.seconds);
    return 0;
}
