// One user command on the main dialog, as a stress run draws it and a regression test spells it:
// what is done (a button, a key, a slider move, a view click, closing the dialog) and its one
// argument (which recording, key, view or distance).
#pragma once

#include <cstdint>
#include <random>
#include <string>

enum class DialogCommandKind {
    kOpenButton,        // arg: the recording the file dialog answers with
    kOpenKey,           // Ctrl+O; arg: the recording
    kPlayButton,
    kPauseButton,
    kReverseButton,
    kStepForwardButton,
    kStepBackButton,
    kPlayPauseKey,      // Space
    kStepForwardKey,    // Right
    kStepBackKey,       // Left
    kExactForwardKey,   // .
    kExactBackKey,      // ,
    kSpeedKey,          // arg: 1 faster (+), -1 slower (-)
    kSpeedList,         // arg: 1 the next entry down, -1 up
    kSeekKey,           // arg: index into the slider keys (Home, End, Left, Right, PageUp, PageDown)
    kSeekDrag,          // arg: how far the handle is dragged, in pixels
    kGoToTimeKey,       // Ctrl+G; arg: the time asked for, as thousandths of the way through the records
    kSelectView,        // arg: the view clicked (ignored beyond the views shown)
    kMuteKey,           // M
    kStopButton,
    kCloseDialog,       // Escape, the dialog destroyed and a new one shown
};

struct DialogCommand {
    DialogCommandKind kind;
    int32_t arg = 0;
};

// Whether the command stops the playback thread: Stop, Open and closing the dialog.
bool StopsPlayback(DialogCommandKind kind);
// "open-button", "seek-key": the kind's name.
const char* NameOf(DialogCommandKind kind);
// "open-button(1)", "seek-key(End)": how a log names the command.
std::string Describe(const DialogCommand& command);

// Commands at random from one seed, in the same order for the same seed; the opens alternate
// between the two recordings.
class DialogCommandSource {
public:
    explicit DialogCommandSource(uint64_t seed) : random(seed) {}

    DialogCommand Next();
    // A pause of 0..maxMs milliseconds to follow a command.
    int32_t Delay(int32_t maxMs);

private:
    std::mt19937_64 random;
    int32_t nextRecording = 0;
};
