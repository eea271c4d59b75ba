#include "tests/app/DialogCommand.h"

#include <iterator>

namespace {

struct KindInfo {
    DialogCommandKind kind;
    const char* name;
    int weight;   // how often a stress run draws it, relative to the others
};

// Stops come often enough that a run of N commands holds many start and stop cycles, and the
// playback commands in between find the thread in every state.
const KindInfo kKinds[] = {
    {DialogCommandKind::kOpenButton, "open-button", 6},
    {DialogCommandKind::kOpenKey, "open-key", 3},
    {DialogCommandKind::kPlayButton, "play-button", 7},
    {DialogCommandKind::kPauseButton, "pause-button", 5},
    {DialogCommandKind::kReverseButton, "reverse-button", 2},
    {DialogCommandKind::kStepForwardButton, "step-forward-button", 3},
    {DialogCommandKind::kStepBackButton, "step-back-button", 3},
    {DialogCommandKind::kPlayPauseKey, "play-pause-key", 4},
    {DialogCommandKind::kStepForwardKey, "step-forward-key", 2},
    {DialogCommandKind::kStepBackKey, "step-back-key", 2},
    {DialogCommandKind::kExactForwardKey, "exact-forward-key", 3},
    {DialogCommandKind::kExactBackKey, "exact-back-key", 3},
    {DialogCommandKind::kSpeedKey, "speed-key", 3},
    {DialogCommandKind::kSpeedList, "speed-list", 2},
    {DialogCommandKind::kSeekKey, "seek-key", 5},
    {DialogCommandKind::kSeekDrag, "seek-drag", 3},
    {DialogCommandKind::kGoToTimeKey, "go-to-time-key", 3},
    {DialogCommandKind::kSelectView, "select-view", 2},
    {DialogCommandKind::kMuteKey, "mute-key", 1},
    {DialogCommandKind::kStopButton, "stop-button", 8},
    {DialogCommandKind::kCloseDialog, "close-dialog", 2},
};

const char* const kSeekKeyNames[] = {"Home", "End", "Left", "Right", "PageUp", "PageDown"};

const KindInfo& InfoOf(DialogCommandKind kind)
{
    for (const KindInfo& info : kKinds) {
        if (info.kind == kind) {
            return info;
        }
    }
    return kKinds[0];
}

}  // namespace

const char* NameOf(DialogCommandKind kind)
{
    return InfoOf(kind).name;
}

bool StopsPlayback(DialogCommandKind kind)
{
    return kind == DialogCommandKind::kOpenButton || kind == DialogCommandKind::kOpenKey ||
           kind == DialogCommandKind::kStopButton || kind == DialogCommandKind::kCloseDialog;
}

std::string Describe(const DialogCommand& command)
{
    std::string text = NameOf(command.kind);
    switch (command.kind) {
    case DialogCommandKind::kSeekKey:
        if (command.arg >= 0 && command.arg < static_cast<int32_t>(std::size(kSeekKeyNames))) {
            return text + "(" + kSeekKeyNames[command.arg] + ")";
        }
        break;
    case DialogCommandKind::kOpenButton:
    case DialogCommandKind::kOpenKey:
    case DialogCommandKind::kSpeedKey:
    case DialogCommandKind::kSpeedList:
    case DialogCommandKind::kSeekDrag:
    case DialogCommandKind::kGoToTimeKey:
    case DialogCommandKind::kSelectView:
        break;
    default:
        return text;
    }
    return text + "(" + std::to_string(command.arg) + ")";
}

DialogCommand DialogCommandSource::Next()
{
    int total = 0;
    for (const KindInfo& info : kKinds) {
        total += info.weight;
    }
    int pick = std::uniform_int_distribution<int>(0, total - 1)(random);
    DialogCommandKind kind = kKinds[0].kind;
    for (const KindInfo& info : kKinds) {
        if (pick < info.weight) {
            kind = info.kind;
            break;
        }
        pick -= info.weight;
    }
    DialogCommand command{kind, 0};
    switch (kind) {
    case DialogCommandKind::kOpenButton:
    case DialogCommandKind::kOpenKey:
        command.arg = nextRecording;
        nextRecording = 1 - nextRecording;
        break;
    case DialogCommandKind::kSpeedKey:
    case DialogCommandKind::kSpeedList:
        command.arg = std::uniform_int_distribution<int>(0, 1)(random) == 0 ? -1 : 1;
        break;
    case DialogCommandKind::kSeekKey:
        command.arg = std::uniform_int_distribution<int>(0, static_cast<int>(std::size(kSeekKeyNames)) - 1)(random);
        break;
    case DialogCommandKind::kSeekDrag:
        command.arg = std::uniform_int_distribution<int>(-120, 120)(random);
        break;
    case DialogCommandKind::kGoToTimeKey:
        command.arg = std::uniform_int_distribution<int>(0, 999)(random);
        break;
    case DialogCommandKind::kSelectView:
        command.arg = std::uniform_int_distribution<int>(0, 8)(random);
        break;
    default:
        break;
    }
    return command;
}

int32_t DialogCommandSource::Delay(int32_t maxMs)
{
    return std::uniform_int_distribution<int32_t>(0, maxMs)(random);
}
