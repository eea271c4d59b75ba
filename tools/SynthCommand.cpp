// kvrtool synth: writes a recording whose packets carry real coded media, for trying the
// player and its tools on known content.
#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioCodecId.h"
#include "recording/IndexPath.h"
#include "recording/RecordingWriter.h"
#include "tools/Commands.h"
#include "tools/SynthAudioSource.h"
#include "tools/SynthRecording.h"
#include "tools/ToolArguments.h"

namespace {

const char kSynthUsage[] =
    "usage: kvrtool synth OUT.kvr [--audio U:C:CODEC[:TRACK]]... [--seconds S] [--start TIME]\n"
    "                     [--tone HZ] [--force]\n"
    "\n"
    "Writes a recording pair (OUT.kvr and its index OUT.idx) whose packets follow one another\n"
    "in the order of their times, each dated to the hundredth of a second.\n"
    "\n"
    "  --audio U:C:CODEC[:TRACK]  audio on unit U (0 to 31), channel C (1 to 4), audio track\n"
    "                             TRACK (0 to 3, default 0), coded as g711 (mu-law, 1024-byte\n"
    "                             packets), g723 (24 kbit/s, 3072-byte packets) or ima (IMA\n"
    "                             ADPCM, 2112-byte packets); may be given several times\n"
    "  --seconds S                length, 1 to 3600 (default 10); the last packet is whole\n"
    "  --start TIME               the recorder's local time of the first packet,\n"
    "                             YYYY-MM-DDTHH:MM:SS (default 2026-01-02T03:04:05)\n"
    "  --tone HZ                  every audio stream carries a sine tone of HZ, 1 to 3999\n"
    "                             (default 440), at amplitude 10000 of 32767\n"
    "  --force                    write over an existing recording\n"
    "\n"
    "At least one stream must be given.\n";

constexpr char kDefaultStart[] = "2026-01-02T03:04:05";

struct SynthOptions {
    std::string mediaPath;
    std::vector<SynthAudioStream> audio;
    int32_t seconds = 10;
    int64_t startSeconds = 0;
    int32_t toneHz = 440;
    bool force = false;
};

bool ParseCodecName(const std::string& name, int32_t* codec)
{
    const struct {
        const char* name;
        int32_t codec;
    } names[] = {{"g711", kAudioCodecG711}, {"g723", kAudioCodecG723}, {"ima", kAudioCodecIma}};
    for (const auto& entry : names) {
        if (strcasecmp(name.c_str(), entry.name) == 0) {
            *codec = entry.codec;
            return true;
        }
    }
    return false;
}

bool ParseAudioStream(const char* text, SynthAudioStream* stream)
{
    std::vector<std::string> fields;
    std::string field;
    for (const char* c = text;; ++c) {
        if (*c == ':' || *c == '\0') {
            fields.push_back(field);
            field.clear();
            if (*c == '\0') {
                break;
            }
        } else {
            field += *c;
        }
    }
    int32_t unit = 0;
    int32_t channel = 0;
    stream->track = 0;
    if (fields.size() < 3 || fields.size() > 4 || !ParseIntegerArgument(fields[0].c_str(), 0, 31, &unit) ||
        !ParseIntegerArgument(fields[1].c_str(), 1, 4, &channel) || !ParseCodecName(fields[2], &stream->codec) ||
        (fields.size() == 4 && !ParseIntegerArgument(fields[3].c_str(), 0, 3, &stream->track))) {
        return false;
    }
    stream->unit = static_cast<uint16_t>(unit);
    stream->channel = static_cast<uint16_t>(channel);
    return true;
}

// The wall-clock time as seconds since 1970 without a zone, from YYYY-MM-DDTHH:MM:SS.
bool ParseStart(const char* text, int64_t* seconds)
{
    tm fields{};
    char rest = 0;
    if (sscanf(text, "%4d-%2d-%2dT%2d:%2d:%2d%c", &fields.tm_year, &fields.tm_mon, &fields.tm_mday, &fields.tm_hour,
               &fields.tm_min, &fields.tm_sec, &rest) != 6 ||
        strlen(text) != 19) {
        return false;
    }
    const tm given = fields;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    const time_t counted = timegm(&fields);
    // timegm carries days beyond the month's end into the next; such a date is refused.
    if (given.tm_year < 2001 || given.tm_year > 2099 || fields.tm_mon + 1 != given.tm_mon ||
        fields.tm_mday != given.tm_mday || fields.tm_hour != given.tm_hour || fields.tm_min != given.tm_min ||
        fields.tm_sec != given.tm_sec) {
        return false;
    }
    *seconds = counted;
    return true;
}

bool EndsWithKvr(const std::string& path)
{
    return path.size() > 4 && strcasecmp(path.c_str() + path.size() - 4, ".kvr") == 0;
}

bool SameStream(const SynthAudioStream& a, const SynthAudioStream& b)
{
    return a.unit == b.unit && a.channel == b.channel && a.track == b.track;
}

// -1 when the options are complete, else the exit status.
int ParseSynthOptions(int argc, char** argv, SynthOptions* options)
{
    ParseStart(kDefaultStart, &options->startSeconds);
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(kSynthUsage, stdout);
            return 0;
        }
        bool good = true;
        if (strcmp(argv[i], "--audio") == 0) {
            SynthAudioStream stream;
            good = hasValue && ParseAudioStream(argv[++i], &stream);
            for (const SynthAudioStream& other : options->audio) {
                good = good && !SameStream(stream, other);
            }
            options->audio.push_back(stream);
        } else if (strcmp(argv[i], "--seconds") == 0) {
            good = hasValue && ParseIntegerArgument(argv[++i], 1, 3600, &options->seconds);
        } else if (strcmp(argv[i], "--start") == 0) {
            good = hasValue && ParseStart(argv[++i], &options->startSeconds);
        } else if (strcmp(argv[i], "--tone") == 0) {
            good = hasValue && ParseIntegerArgument(argv[++i], 1, 3999, &options->toneHz);
        } else if (strcmp(argv[i], "--force") == 0) {
            options->force = true;
        } else if (argv[i][0] == '-' || !options->mediaPath.empty() || !EndsWithKvr(argv[i])) {
            good = false;
        } else {
            options->mediaPath = argv[i];
        }
        if (!good) {
            fprintf(stderr, "kvrtool synth: bad argument '%s'\n%s", argv[i], kSynthUsage);
            return 2;
        }
    }
    if (options->mediaPath.empty() || options->audio.empty()) {
        fputs(kSynthUsage, stderr);
        return 2;
    }
    return -1;
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

}  // namespace

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
    for (const SynthAudioStream& stream : options.audio) {
        sources.push_back(std::make_unique<SynthAudioSource>(stream, options.toneHz, options.seconds));
    }
    RecordingWriter writer;
    if (writer.Create(options.mediaPath, indexPath) != 0) {
        const int error = errno;
        remove(options.mediaPath.c_str());
        fprintf(stderr, "kvrtool: %s: cannot be created: %s\n", options.mediaPath.c_str(), strerror(error));
        return 1;
    }
    const int64_t packets = WriteSynthPackets(writer, sources, options.startSeconds);
    if (writer.Close() != 0 || packets < 0) {
        fprintf(stderr, "kvrtool: %s: writing the recording failed\n", options.mediaPath.c_str());
        remove(options.mediaPath.c_str());
        remove(indexPath.c_str());
        return 1;
    }
    printf("wrote %s and %s: %lld packets, %zu audio stream%s of %d s\n", options.mediaPath.c_str(),
           indexPath.c_str(), static_cast<long long>(packets), options.audio.size(),
           options.audio.size() == 1 ? "" : "s", options.seconds);
    return 0;
}
