// kvrtool's command line: the usage, the version and the dispatch to each command.
#include <cstdio>
#include <cstring>

#include "tools/Commands.h"

namespace {

const char kUsage[] =
    "usage: kvrtool COMMAND [ARGS...]\n"
    "\n"
    "Commands for recordings (a media file NAME.kvr with its index NAME.idx beside it):\n"
    "  info RECORDING.kvr [--json]       channels, record counts, codecs and dates\n"
    "  play RECORDING.kvr [--speed 1-5] [--backward] [--decode [--threads N]] [--json]\n"
    "                                    plays the recording without a window and counts\n"
    "                                    the packets delivered to each channel (and the\n"
    "                                    frames its decoder makes of them)\n"
    "  frame RECORDING.kvr --record N --out FILE.bmp\n"
    "                                    decodes the picture of one video record as the\n"
    "                                    player would show it\n"
    "  sample OUT.kvr [--channels N] [--seconds S] [--fps F]\n"
    "                                    writes a sample recording\n"
    "  synth OUT.kvr [OPTIONS]           writes a recording with real coded video and audio\n"
    "  audio RECORDING.kvr --channel N [--track T] [--format device|mono] --out FILE.wav\n"
    "                                    decodes one channel's audio into a WAV file\n"
    "  export RECORDING.kvr --channel N [RANGE] [--audio] --out FILE.mkv|FILE.mp4\n"
    "                                    copies a channel's coded video, and its audio, into\n"
    "                                    a file any player opens, with a chain-of-custody\n"
    "                                    sidecar FILE.json\n"
    "\n"
    "'kvrtool COMMAND --help' describes one command; 'kvrtool --version' prints the version.\n"
    "Exit status: 0 success, 1 the recording cannot be used, 2 a wrong command line.\n";

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    int (*check)(int argc, char** argv);
};

const Command kCommands[] = {
    {"info", RunInfoCommand, CheckInfoArguments},
    {"play", RunPlayCommand, CheckPlayArguments},
    {"sample", RunSampleCommand, CheckSampleArguments},
    {"synth", RunSynthCommand, CheckSynthArguments},
    {"frame", RunFrameCommand, CheckFrameArguments},
    {"audio", RunAudioCommand, CheckAudioArguments},
    {"export", RunExportCommand, CheckExportArguments},
};

}  // namespace

int RunKvrtool(int argc, char** argv, ToolAction action)
{
    if (argc < 2) {
        fputs(kUsage, stderr);
        return 2;
    }
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "help") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("kvrtool %s\n", KVRTOOL_VERSION);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (strcmp(argv[1], command.name) == 0) {
            return action == ToolAction::kRun ? command.run(argc - 1, argv + 1) : command.check(argc - 1, argv + 1);
        }
    }
    fprintf(stderr, "kvrtool: unknown command '%s'\n\n%s", argv[1], kUsage);
    return 2;
}
