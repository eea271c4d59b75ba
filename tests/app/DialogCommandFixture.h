// A main dialog driven by DialogCommands through its own buttons, keys and sliders, on two
// recordings with video and sound, so that starting playback really opens the sound device:
// recording 0 has one H.264 channel with G.711 sound; recording 1 has six MPEG-4 channels with
// G.723 sound (switching between them replaces the sound outputs) and, near its end, a record
// that cannot be read (the playback thread ends on its own there).
#pragma once

#include <cstdint>
#include <initializer_list>

#include "app/GoToTimeDialog.h"
#include "tests/app/DialogCommand.h"
#include "tests/app/PlayerFixture.h"

// Answers the go-to-time question with the time of a record of the recording shown.
class RecordTimeResponder : public GoToTimeResponder {
public:
    bool OnGoToTime(const std::string& caption, int64_t* hundredths) override;

    const PlayerRecording* recording = nullptr;   // null: the user cancels
    int32_t permille = 0;                         // how far through its records
};

class DialogCommandTest : public PlayerTest {
protected:
    DialogCommandTest();
    ~DialogCommandTest() override;
    void SetUp() override;

    // Shows a new dialog and makes it the active window, so its keys reach their commands.
    void Show();
    // Performs the command on the dialog; how long the dialog took over it, in milliseconds (for
    // closing: the close and the destruction, not the new dialog).
    int64_t Perform(const DialogCommand& command);
    // Performs the commands one after the other, with the event loop run for `pauseMs` after each.
    void PerformAll(std::initializer_list<DialogCommand> commands, int32_t pauseMs = 0);
    // Whether this process holds either recording open.
    bool RecordingOpen() const;

    PlayerRecording recordings[2];
    RecordTimeResponder times;
};
