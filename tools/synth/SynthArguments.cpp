#include "tools/synth/SynthArguments.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "audio/AudioCodecId.h"
#include "tools/ToolArguments.h"
#include "video/DecodedFrame.h"

namespace {

struct CodecName {
    const char* name;
    int32_t codec;
};

constexpr CodecName kAudioCodecs[] = {{"g711", kAudioCodecG711}, {"g723", kAudioCodecG723}, {"ima", kAudioCodecIma}};
constexpr CodecName kVideoCodecs[] = {{"jpeg", kVideoCodecJpeg}, {"mpeg4", kVideoCodecMpeg4}, {"h264", kVideoCodecH264}};
constexpr int64_t kSmallestSide = 16;
constexpr int64_t kLargestSide = 4096;

template <size_t Count>
bool ParseCodecName(const std::string& name, const CodecName (&names)[Count], int32_t* codec)
{
    for (const CodecName& entry : names) {
        if (strcasecmp(name.c_str(), entry.name) == 0) {
            *codec = entry.codec;
            return true;
        }
    }
    return false;
}

std::vector<std::string> SplitFields(const char* text, char separator)
{
    std::vector<std::string> fields(1);
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == separator) {
            fields.emplace_back();
        } else {
            fields.back() += *c;
        }
    }
    return fields;
}

// The unit and channel from the first two fields of U:C:...
bool ParseUnitChannel(const std::vector<std::string>& fields, uint16_t* unit, uint16_t* channel)
{
    int32_t parsedUnit = 0;
    int32_t parsedChannel = 0;
    if (fields.size() < 2 || !ParseIntegerArgument(fields[0].c_str(), 0, 31, &parsedUnit) ||
        !ParseIntegerArgument(fields[1].c_str(), 1, 4, &parsedChannel)) {
        return false;
    }
    *unit = static_cast<uint16_t>(parsedUnit);
    *channel = static_cast<uint16_t>(parsedChannel);
    return true;
}

}  // namespace

bool ParseAudioStream(const char* text, SynthAudioStream* stream)
{
    const std::vector<std::string> fields = SplitFields(text, ':');
    stream->track = 0;
    return (fields.size() == 3 || fields.size() == 4) && ParseUnitChannel(fields, &stream->unit, &stream->channel) &&
           ParseCodecName(fields[2], kAudioCodecs, &stream->codec) &&
           (fields.size() == 3 || ParseIntegerArgument(fields[3].c_str(), 0, 3, &stream->track));
}

bool ParseVideoStream(const char* text, SynthVideoStream* stream)
{
    const std::vector<std::string> fields = SplitFields(text, ':');
    return fields.size() == 3 && ParseUnitChannel(fields, &stream->unit, &stream->channel) &&
           ParseCodecName(fields[2], kVideoCodecs, &stream->codec);
}

bool ParseFrameSize(const char* text, uint32_t* width, uint32_t* height)
{
    const std::vector<std::string> fields = SplitFields(text, 'x');
    int32_t w = 0;
    int32_t h = 0;
    if (fields.size() != 2 || !ParseIntegerArgument(fields[0].c_str(), kSmallestSide, kLargestSide, &w) ||
        !ParseIntegerArgument(fields[1].c_str(), kSmallestSide, kLargestSide, &h) || !FrameSizeFits(w, h)) {
        return false;
    }
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
    return true;
}

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
