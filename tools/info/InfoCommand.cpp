// kvrtool info: what a recording holds, channel by channel.
#include <cstdio>
#include <cstring>
#include <string>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexPath.h"
#include "recording/MediaFileMng.h"
#include "tools/Commands.h"
#include "export/JsonWriter.h"
#include "tools/ReadOnlyRecording.h"
#include "tools/RecordingSummary.h"

namespace {

const char kInfoUsage[] =
    "usage: kvrtool info RECORDING.kvr [--json]\n"
    "\n"
    "Opens the recording and the index beside it (same path, extension idx) and prints the\n"
    "number of index records, the sizes of both files, and for each channel number in ascending\n"
    "order its unit and channel, its video and audio record counts, the packet codecs seen and the\n"
    "dates and times of its first and last packets; then the number of records of each index kind.\n"
    "\n"
    "  --json   print one JSON object instead of text\n";

std::string Joined(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text.empty() ? "-" : text;
}

void PrintJson(const RecordingSummary& summary)
{
    JsonWriter json;
    json.BeginObject();
    json.Field("records", summary.records);
    json.Field("mediaSize", summary.mediaSize);
    json.Field("indexSize", summary.indexSize);
    json.Field("unreadablePackets", summary.unreadablePackets);
    json.Key("channels");
    json.BeginArray();
    for (const ChannelSummary& channel : summary.channels) {
        json.BeginObject();
        json.Field("number", channel.number);
        json.Field("unit", channel.unit);
        json.Field("channel", channel.channel);
        json.Field("videoRecords", channel.videoRecords);
        json.Field("audioRecords", channel.audioRecords);
        json.Key("codecs");
        json.BeginArray();
        for (const std::string& codec : channel.codecs) {
            json.String(codec);
        }
        json.EndArray();
        json.Field("first", channel.firstDate);
        json.Field("last", channel.lastDate);
        json.EndObject();
    }
    json.EndArray();
    json.Key("kinds");
    json.BeginObject();
    for (const auto& [kind, count] : summary.kinds) {
        json.Field(DescribeIndexKind(kind), count);
    }
    json.EndObject();
    json.EndObject();
    printf("%s\n", json.Text().c_str());
}

void PrintText(const RecordingSummary& summary, const std::string& mediaPath, const std::string& indexPath)
{
    printf("media file   %s (%lld bytes)\n", mediaPath.c_str(), static_cast<long long>(summary.mediaSize));
    printf("index file   %s (%lld bytes)\n", indexPath.c_str(), static_cast<long long>(summary.indexSize));
    printf("records      %lld\n", static_cast<long long>(summary.records));
    if (summary.indexSize % 20 != 0) {
        printf("             (index ends with a piece of %lld bytes)\n", static_cast<long long>(summary.indexSize % 20));
    }
    if (summary.unreadablePackets != 0) {
        printf("unreadable   %lld packet headers\n", static_cast<long long>(summary.unreadablePackets));
    }
    printf("channels     %zu\n", summary.channels.size());
    for (const ChannelSummary& channel : summary.channels) {
        printf("  %4d  unit %d channel %d  video %lld  audio %lld  codecs %s\n", channel.number, channel.unit,
               channel.channel, static_cast<long long>(channel.videoRecords),
               static_cast<long long>(channel.audioRecords), Joined(channel.codecs).c_str());
        if (!channel.firstDate.empty()) {
            printf("        first %s  last %s\n", channel.firstDate.c_str(), channel.lastDate.c_str());
        }
    }
    printf("kinds\n");
    for (const auto& [kind, count] : summary.kinds) {
        printf("  %s  %lld\n", DescribeIndexKind(kind).c_str(), static_cast<long long>(count));
    }
}

// -1 when the arguments are complete, else the exit status.
int ParseInfoArguments(int argc, char** argv, std::string* mediaPath, bool* asJson)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) {
            fputs(kInfoUsage, stdout);
            return 0;
        }
        if (strcmp(argv[i], "--json") == 0) {
            *asJson = true;
        } else if (argv[i][0] == '-' || !mediaPath->empty()) {
            fprintf(stderr, "kvrtool info: unexpected argument '%s'\n%s", argv[i], kInfoUsage);
            return 2;
        } else {
            *mediaPath = argv[i];
        }
    }
    if (mediaPath->empty()) {
        fputs(kInfoUsage, stderr);
        return 2;
    }
    return -1;
}

}  // namespace

int CheckInfoArguments(int argc, char** argv)
{
    std::string mediaPath;
    bool asJson = false;
    return ParseInfoArguments(argc, argv, &mediaPath, &asJson);
}

int RunInfoCommand(int argc, char** argv)
{
    std::string mediaPath;
    bool asJson = false;
    const int parsed = ParseInfoArguments(argc, argv, &mediaPath, &asJson);
    if (parsed >= 0) {
        return parsed;
    }
    if (asJson) {
        TavSetReportStream(stderr);   // standard output carries the document alone
    }

    ReadOnlyRecording recording;
    if (recording.Open(mediaPath) != 0) {
        return 1;
    }
    MediaFileMng& manager = recording.manager;
    const std::string indexPath = IndexPathFor(mediaPath);
    RecordingSummary summary;
    if (SummarizeRecording(manager, mediaPath, indexPath, &summary) != 0) {
        fprintf(stderr, "kvrtool: %s: cannot be read through\n", indexPath.c_str());
        return 1;
    }
    if (asJson) {
        PrintJson(summary);
    } else {
        PrintText(summary, mediaPath, indexPath);
    }
    return 0;
}
