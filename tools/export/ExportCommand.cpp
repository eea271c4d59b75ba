// kvrtool export: one channel of a recording, or a stretch of it, copied without re-encoding
// into a Matroska or MP4 file, with its chain-of-custody sidecar.
#include <cstdio>
#include <cstring>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "Tav/TavPacketUtil.h"
#include "export/ChannelExport.h"
#include "export/JsonWriter.h"
#include "export/PacketClock.h"
#include "tools/CommandLine.h"
#include "tools/Commands.h"

namespace {

const char kExportUsage[] =
    "usage: kvrtool export RECORDING.kvr --channel N [--from TIME | --from-record R]\n"
    "                      [--to TIME | --to-record R] [--audio] --out FILE.mkv|FILE.mp4\n"
    "                      [--force] [--json]\n"
    "\n"
    "Copies the video packets of channel N (unit x 4 + channel - 1, as 'kvrtool info' lists\n"
    "them) into a Matroska (.mkv) or MP4 (.mp4) file as they are recorded, never decoding and\n"
    "coding them again: H.264 and MPEG-4 into either, JPEG pictures into Matroska. Every frame\n"
    "keeps its own time from its packet header (to the hundredth of a second), so uneven frame\n"
    "rates and gaps stay as recorded; the file's creation time is the first frame's time.\n"
    "\n"
    "  --from TIME       begin with the first frame dated at or after TIME, given as the\n"
    "                    caption shows it, YYYY-MM-DDTHH:MM:SS[.hh] (UTC)\n"
    "  --from-record R   begin at index record R (counted from 0)\n"
    "  --to TIME         end with the last packet dated at or before TIME\n"
    "  --to-record R     end with index record R\n"
    "                    The export begins at the channel's key frame at or before the start\n"
    "                    (the first one after it when there is none), so that it decodes.\n"
    "  --audio           add the channel's audio track 0: G.711 as recorded in Matroska; G.723\n"
    "                    and IMA ADPCM decoded to 16-bit PCM; in MP4, which takes neither\n"
    "                    mu-law nor plain PCM, the 16-bit samples coded losslessly (ALAC);\n"
    "                    always one channel at 8000 samples per second\n"
    "  --out FILE        the file to write, never in the recording's folder; FILE.json, its\n"
    "                    sidecar, records the sizes and SHA-256 of both files of the recording\n"
    "                    and of the export, the range, the counts and any damaged packets\n"
    "  --force           replace an existing FILE and FILE.json\n"
    "  --json            print the result as JSON\n"
    "\n"
    "Both files are written under temporary names and put in place only once complete: a\n"
    "failed export leaves nothing behind. Damaged packets of the channel in the range are left\n"
    "out, counted and listed. Exit status 1 when nothing could be exported.\n";

struct ExportOptions {
    ExportRequest request;
    bool json = false;
};

int TakeTime(const char* value, int64_t* time)
{
    return value != nullptr && ParseWallClock(value, time) ? 2 : kOptionWrongValue;
}

// -1 when the options are complete, else the exit status.
int ParseExportOptions(int argc, char** argv, ExportOptions* options)
{
    ExportRequest& request = options->request;
    const int walked = WalkArguments(argc, argv, "export", kExportUsage, &request.mediaPath,
                                     [options, &request](const char* name, const char* value) {
        if (strcmp(name, "--channel") == 0) {
            return TakeInteger(value, 0, INT32_MAX, &request.channel);
        }
        if (strcmp(name, "--from") == 0) {
            return TakeTime(value, &request.fromTime);
        }
        if (strcmp(name, "--to") == 0) {
            return TakeTime(value, &request.toTime);
        }
        if (strcmp(name, "--from-record") == 0) {
            return TakeInteger(value, 0, INT32_MAX, &request.fromRecord);
        }
        if (strcmp(name, "--to-record") == 0) {
            return TakeInteger(value, 0, INT32_MAX, &request.toRecord);
        }
        if (strcmp(name, "--out") == 0) {
            return TakeText(value, &request.outPath);
        }
        bool* flag = strcmp(name, "--audio") == 0   ? &request.audio
                     : strcmp(name, "--force") == 0 ? &request.force
                     : strcmp(name, "--json") == 0  ? &options->json
                                                    : nullptr;
        if (flag == nullptr) {
            return kOptionUnknown;
        }
        *flag = true;
        return 1;
    });
    if (walked >= 0) {
        return walked;
    }
    if (request.mediaPath.empty() || request.outPath.empty() || request.channel < 0) {
        fputs(kExportUsage, stderr);
        return 2;
    }
    const char* both = request.fromTime != kExportNoTime && request.fromRecord != kExportNoRecord ? "--from and --from-record"
                       : request.toTime != kExportNoTime && request.toRecord != kExportNoRecord  ? "--to and --to-record"
                                                                                                 : nullptr;
    if (both != nullptr) {
        fprintf(stderr, "kvrtool export: %s cannot be given together\n", both);
        return 2;
    }
    return -1;
}

void PrintJson(const ExportResult& result)
{
    JsonWriter json;
    json.BeginObject();
    json.Field("out", result.outPath);
    json.Field("sidecar", result.sidecarPath);
    json.Field("container", result.container);
    json.Field("videoCodec", result.videoCodec);
    json.Field("requestedFirstRecord", result.requestedFirstRecord);
    json.Field("firstRecord", result.firstRecord);
    json.Field("lastRecord", result.lastRecord);
    json.Field("startRule", result.startRule);
    json.Field("firstTime", FormatWallClock(result.firstTime));
    json.Field("lastTime", FormatWallClock(result.lastTime));
    json.Field("videoFrames", result.videoFrames);
    json.Field("retimedFrames", result.retimedFrames);
    json.Field("audioFormat", result.audioFormat);
    json.Field("audioPackets", result.audioPackets);
    json.Field("audioSamples", result.audioSamples);
    json.Key("damagedRecords");
    json.BeginArray();
    for (const DamagedPacket& damaged : result.damaged) {
        json.Int(damaged.record);
    }
    json.EndArray();
    json.Field("size", result.outputBytes);
    json.Field("sha256", result.outputSha256);
    json.EndObject();
    printf("%s\n", json.Text().c_str());
}

}  // namespace

int CheckExportArguments(int argc, char** argv)
{
    ExportOptions options;
    return ParseExportOptions(argc, argv, &options);
}

int RunExportCommand(int argc, char** argv)
{
    ExportOptions options;
    const int parsed = ParseExportOptions(argc, argv, &options);
    if (parsed >= 0) {
        return parsed;
    }
    TavSetReportStream(stderr);   // standard output tells what was written, and nothing else
    av_log_set_level(AV_LOG_ERROR);
    options.request.toolName = "kvrtool";
    options.request.toolVersion = KVRTOOL_VERSION;
    ExportResult result;
    const int32_t code = ExportChannel(options.request, nullptr, nullptr, &result);
    if (code != kExportOk) {
        const std::string hint = code == kExportOutputRefused && result.message.ends_with("already exists")
                                     ? "; --force replaces it"
                                     : "";
        fprintf(stderr, "kvrtool: %s: %s%s\n", options.request.mediaPath.c_str(), result.message.c_str(), hint.c_str());
        return 1;
    }
    for (const DamagedPacket& damaged : result.damaged) {
        fprintf(stderr, "kvrtool: warning: %s: record %d left out: %s\n", options.request.mediaPath.c_str(),
                damaged.record, damaged.reason.c_str());
    }
    if (result.retimedFrames > 0) {
        fprintf(stderr, "kvrtool: warning: %lld frames dated no later than the frame before them were placed 1 ms after it\n",
                static_cast<long long>(result.retimedFrames));
    }
    if (options.json) {
        PrintJson(result);
        return 0;
    }
    printf("wrote %s: channel %d, %lld %s frames, records %d to %d, %s to %s", result.outPath.c_str(),
           options.request.channel, static_cast<long long>(result.videoFrames), result.videoCodec.c_str(),
           result.firstRecord, result.lastRecord, FormatWallClock(result.firstTime).c_str(),
           FormatWallClock(result.lastTime).c_str());
    if (options.request.audio) {
        printf(", %lld audio samples (%s)", static_cast<long long>(result.audioSamples), result.audioFormat.c_str());
    }
    printf(", %zu damaged packets left out\n%s\nsidecar %s\n", result.damaged.size(), result.startRule.c_str(),
           result.sidecarPath.c_str());
    return 0;
}
