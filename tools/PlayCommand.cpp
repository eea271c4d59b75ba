// kvrtool play: plays a recording on the real playback engine without a window and counts
// what each channel's handler was given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Tav/TavPacketUtil.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartHandler.h"
#include "tools/Commands.h"
#include "tools/HeadlessOwner.h"
#include "tools/HeadlessPlayback.h"
#include "tools/JsonWriter.h"
#include "tools/ToolRecording.h"

namespace {

const char kPlayUsage[] =
    "usage: kvrtool play RECORDING.kvr [--speed 1-5] [--backward] [--json]\n"
    "\n"
    "Plays the recording as the player does, paced by the packets' own times, with a counting\n"
    "handler for each channel instead of a window, until playback pauses at the end. Prints,\n"
    "per channel number, the video and audio packets delivered, then the records read, the\n"
    "time it took and whether reading failed.\n"
    "\n"
    "  --speed N    1 (slowest) to 5 (no waiting); 3, the player's own, by default. Audio\n"
    "               packets are delivered only at speed 3, forwards.\n"
    "  --backward   play from the end back to the start (the recording is first read\n"
    "               through forwards, uncounted, as the player would have reached its end)\n"
    "  --json       print one JSON object instead of text\n"
    "\n"
    "Exit status 1 when the recording cannot be opened or reading it failed part way.\n";

struct PlayArguments {
    std::string mediaPath;
    int32_t speedIndex = 3;
    bool backward = false;
    bool asJson = false;
};

// 0 to run, or the exit status.
int ParseArguments(int argc, char** argv, PlayArguments* arguments)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0) {
            fputs(kPlayUsage, stdout);
            return -1;
        }
        if (strcmp(argument, "--json") == 0) {
            arguments->asJson = true;
        } else if (strcmp(argument, "--backward") == 0) {
            arguments->backward = true;
        } else if (strcmp(argument, "--speed") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long speed = strtol(argv[++i], &end, 10);
            if (*end != '\0' || speed < 1 || speed > 5) {
                fprintf(stderr, "kvrtool play: --speed takes 1 to 5, not '%s'\n", argv[i]);
                return 2;
            }
            arguments->speedIndex = static_cast<int32_t>(speed);
        } else if (argument[0] == '-' || !arguments->mediaPath.empty()) {
            fprintf(stderr, "kvrtool play: unexpected argument '%s'\n%s", argument, kPlayUsage);
            return 2;
        } else {
            arguments->mediaPath = argument;
        }
    }
    if (arguments->mediaPath.empty()) {
        fputs(kPlayUsage, stderr);
        return 2;
    }
    return 0;
}

void ClearViewCounts(void* context)
{
    for (CountingView& view : static_cast<HeadlessOwner*>(context)->views) {
        view = CountingView{};
    }
}

void PrintReport(const MediaFileMng& manager, const HeadlessOwner& owner, const HeadlessPlayResult& result,
                 bool asJson)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("channels");
    json.BeginArray();
    if (!asJson) {
        printf("channel   video packets   audio packets\n");
    }
    for (int32_t i = 0; i < manager.channelCount && static_cast<size_t>(i) < owner.views.size(); ++i) {
        const CountingView& view = owner.views[static_cast<size_t>(i)];
        if (asJson) {
            json.BeginObject();
            json.Field("number", manager.channels[i]);
            json.Field("videoPackets", view.videoPackets);
            json.Field("audioPackets", view.audioPackets);
            json.EndObject();
        } else {
            printf("%7d   %13lld   %13lld\n", manager.channels[i], static_cast<long long>(view.videoPackets),
                   static_cast<long long>(view.audioPackets));
        }
    }
    json.EndArray();
    json.Field("records", result.records);
    json.Field("wallMs", result.wallMs);
    json.Field("readFailure", result.readFailure);
    json.EndObject();
    if (asJson) {
        printf("%s\n", json.Text().c_str());
        return;
    }
    printf("records read   %lld\n", static_cast<long long>(result.records));
    printf("wall time      %lld ms\n", static_cast<long long>(result.wallMs));
    printf("read failure   %s\n", result.readFailure ? "yes (\"Fail to read media file\")" : "no");
}

}  // namespace

int RunPlayCommand(int argc, char** argv)
{
    PlayArguments arguments;
    const int parsed = ParseArguments(argc, argv, &arguments);
    if (parsed != 0) {
        return parsed < 0 ? 0 : parsed;
    }
    if (arguments.asJson) {
        TavSetReportStream(stderr);   // standard output carries the document alone
    }

    PlaybackEngine* engine = CreatePlaybackEngine();
    if (engine == nullptr || engine->controlThread == nullptr || engine->lcid2Callback == nullptr ||
        engine->smartHandler == nullptr || engine->smartHandler->packetBuffer == nullptr) {
        fputs("kvrtool play: not enough memory for the playback engine\n", stderr);
        DestroyPlaybackEngine(engine);
        return 1;
    }
    HeadlessOwner owner(engine->lcid2Callback);
    HeadlessPlayResult result;
    ConnectPlaybackEngine(engine, &owner, &HeadlessPlayEnd, &result);

    MediaFileMng& manager = engine->smartHandler->mediaFileMng;
    int status = 1;
    if (OpenRecordingForTool(manager, arguments.mediaPath) == 0) {
        // The loop closes the files as it ends; the channel list stays for the report.
        PlayHeadless(engine, arguments.speedIndex, arguments.backward, &ClearViewCounts, &owner, &result);
        PrintReport(manager, owner, result, arguments.asJson);
        status = result.readFailure ? 1 : 0;
    }
    DestroyPlaybackEngine(engine);
    return status;
}
