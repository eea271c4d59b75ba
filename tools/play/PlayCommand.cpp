// kvrtool play: plays a recording on the real playback engine without a window and counts
// what each channel's handler was given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "Tav/TavPacketUtil.h"
#include "playback/DecodePool.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartHandler.h"
#include "tools/Commands.h"
#include "tools/HeadlessOwner.h"
#include "tools/play/HeadlessPlayback.h"
#include "export/JsonWriter.h"
#include "tools/ToolRecording.h"

namespace {

const char kPlayUsage[] =
    "usage: kvrtool play RECORDING.kvr [--speed 1-5] [--backward] [--decode [--threads N]] [--json]\n"
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
    "  --decode     each channel decodes its video packets as the player's view does (the\n"
    "               frame-sequence check, then the channel's own decoder, then the view's\n"
    "               size adjustments); the report adds per channel the frames decoded, the\n"
    "               packets the decoder refused, those the sequence check dropped, and the\n"
    "               width and height of the last frame as the view would show it. Channels\n"
    "               decode at the same time on a pool of workers, each channel's packets in\n"
    "               order, as in the player\n"
    "  --threads N  the pool's workers, 1 to 64; by default as many as the machine has cores\n"
    "               (or KVR_DECODE_THREADS)\n"
    "  --json       print one JSON object instead of text\n"
    "\n"
    "Exit status 1 when the recording cannot be opened or reading it failed part way.\n";

struct PlayArguments {
    std::string mediaPath;
    int32_t speedIndex = 3;
    bool backward = false;
    bool decode = false;
    bool asJson = false;
    int32_t threads = 0;   // 0: the pool's own count
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
        } else if (strcmp(argument, "--decode") == 0) {
            arguments->decode = true;
        } else if (strcmp(argument, "--speed") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long speed = strtol(argv[++i], &end, 10);
            if (*end != '\0' || speed < 1 || speed > 5) {
                fprintf(stderr, "kvrtool play: --speed takes 1 to 5, not '%s'\n", argv[i]);
                return 2;
            }
            arguments->speedIndex = static_cast<int32_t>(speed);
        } else if (strcmp(argument, "--threads") == 0 && i + 1 < argc) {
            char* end = nullptr;
            const long threads = strtol(argv[++i], &end, 10);
            if (*end != '\0' || threads < 1 || threads > kMaxDecodeThreads) {
                fprintf(stderr, "kvrtool play: --threads takes 1 to %d, not '%s'\n", kMaxDecodeThreads, argv[i]);
                return 2;
            }
            arguments->threads = static_cast<int32_t>(threads);
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
    // The decoders keep their state, as a view's do when the player turns round.
    for (const std::unique_ptr<CountingView>& view : static_cast<HeadlessOwner*>(context)->views) {
        view->counts = ViewCounts{};
    }
}

void PrintChannelJson(JsonWriter& json, int32_t number, const CountingView& view, bool decode)
{
    json.BeginObject();
    json.Field("number", number);
    json.Field("videoPackets", view.counts.videoPackets);
    json.Field("audioPackets", view.counts.audioPackets);
    if (decode) {
        json.Field("decoded", view.counts.decoded);
        json.Field("failed", view.counts.failed);
        json.Field("dropped", view.counts.dropped);
        json.Field("width", static_cast<int64_t>(view.video.frame.width));
        json.Field("height", static_cast<int64_t>(view.video.frame.height));
    }
    json.EndObject();
}

void PrintChannelText(int32_t number, const CountingView& view, bool decode)
{
    printf("%7d   %13lld   %13lld", number, static_cast<long long>(view.counts.videoPackets),
           static_cast<long long>(view.counts.audioPackets));
    if (decode) {
        char size[32];
        snprintf(size, sizeof size, "%u x %u", view.video.frame.width, view.video.frame.height);
        printf("   %7lld   %6lld   %7lld   %10s", static_cast<long long>(view.counts.decoded),
               static_cast<long long>(view.counts.failed), static_cast<long long>(view.counts.dropped), size);
    }
    printf("\n");
}

void PrintReport(const MediaFileMng& manager, const HeadlessOwner& owner, const HeadlessPlayResult& result,
                 const PlayArguments& arguments)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("channels");
    json.BeginArray();
    if (!arguments.asJson) {
        printf("channel   video packets   audio packets%s\n",
               arguments.decode ? "   decoded   failed   dropped   last frame" : "");
    }
    for (int32_t i = 0; i < manager.channelCount && static_cast<size_t>(i) < owner.views.size(); ++i) {
        const CountingView& view = *owner.views[static_cast<size_t>(i)];
        if (arguments.asJson) {
            PrintChannelJson(json, manager.channels[i], view, arguments.decode);
        } else {
            PrintChannelText(manager.channels[i], view, arguments.decode);
        }
    }
    json.EndArray();
    json.Field("records", result.records);
    json.Field("wallMs", result.wallMs);
    json.Field("readFailure", result.readFailure);
    json.EndObject();
    if (arguments.asJson) {
        printf("%s\n", json.Text().c_str());
        return;
    }
    printf("records read   %lld\n", static_cast<long long>(result.records));
    printf("wall time      %lld ms\n", static_cast<long long>(result.wallMs));
    printf("read failure   %s\n", result.readFailure ? "yes (\"Fail to read media file\")" : "no");
}

}  // namespace

int CheckPlayArguments(int argc, char** argv)
{
    PlayArguments arguments;
    const int parsed = ParseArguments(argc, argv, &arguments);
    return parsed == 0 ? -1 : (parsed < 0 ? 0 : parsed);
}

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
    if (arguments.threads > 0 && engine->decodePool != nullptr) {
        engine->decodePool->Start(arguments.threads);
    }
    HeadlessOwner owner(engine->lcid2Callback, arguments.decode, engine->decodePool);
    HeadlessPlayResult result;
    ConnectPlaybackEngine(engine, &owner, &HeadlessPlayEnd, &result);

    MediaFileMng& manager = engine->smartHandler->mediaFileMng;
    int status = 1;
    const bool opened = OpenRecordingForTool(manager, arguments.mediaPath) == 0;
    if (opened && !owner.ViewsReady()) {
        fputs("kvrtool play: not enough memory for a frame buffer and decoder per channel\n", stderr);
    } else if (opened) {
        // The loop closes the files as it ends; the channel list stays for the report.
        PlayHeadless(engine, arguments.speedIndex, arguments.backward, &ClearViewCounts, &owner, &result);
        PrintReport(manager, owner, result, arguments);
        status = result.readFailure ? 1 : 0;
    }
    DestroyPlaybackEngine(engine);
    return status;
}
