// A main dialog under test: recordings written by the test, a responder in place of the message
// boxes and file dialogs, and waits on what the playback thread does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/CKvrPlayerDlg.h"
#include "platform/DebugOutput.h"
#include "tests/support/TempDir.h"
#include "ui/Dialogs.h"
#include "video/VideoCodecId.h"

class QPoint;
class QSlider;
class QelSmartControlThread;
class QelSmartHandler;

// Frames of one or more JPEG channels (unit 0, channels 1, 2, ...), frame after frame, one
// record each; record r is frame r / channels of channel r % channels + 1.
struct PlayerRecordingSpec {
    int32_t channels = 1;
    int32_t frames = 10;
    int32_t gapMs = 40;          // time between the frames of a channel
    int32_t badRecordAt = -1;    // an index record here points past the end of the media file
    bool audio = false;          // an audio packet of channel 1 after every frame
    uint8_t audioType = 0x92;    // its type byte: 0x92 G.711, 0x91 G.723
    // JPEG pictures, or an MPEG-4 or H.264 stream with a key frame every keyInterval pictures.
    VideoCodecId codec = kVideoCodecJpeg;
    uint32_t keyInterval = 12;
};

struct PlayerRecording {
    std::string media;
    std::string index;
    int32_t records = 0;
    std::vector<std::string> captions;   // the caption each record's frame gives its view; "" for others
};

// Writes NAME.kvr and NAME.idx in `dir`; fails the test when writing fails.
PlayerRecording WritePlayerRecording(const TempDir& dir, const std::string& name, const PlayerRecordingSpec& spec);

// One channel of a recording whose channels differ: its codec, the time between its pictures, its
// key frame interval, and a stretch of time without pictures (none when gapFromMs < 0).
struct MixedChannelSpec {
    VideoCodecId codec = kVideoCodecJpeg;
    int32_t intervalMs = 40;
    uint32_t keyInterval = 12;
    int32_t gapFromMs = -1;
    int32_t gapToMs = -1;
};

struct MixedRecording : PlayerRecording {
    std::vector<int32_t> channels;   // of each record, 1, 2, ... in the order of the specs
    std::vector<int32_t> atMs;       // time of each record from the start
};

// Channels 1, 2, ... of `lengthMs`, records in time order (channel order within one time).
MixedRecording WriteMixedRecording(const TempDir& dir, const std::string& name,
                                   const std::vector<MixedChannelSpec>& channels, int32_t lengthMs);

// Whether this process holds `path` open.
bool FileIsOpen(const std::string& path);

// Where a press grabs the slider's handle.
QPoint SliderHandleCentre(QSlider* slider);

// Runs the event loop until `predicate` holds; false after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs = 10000);

class RecordingResponder : public DialogResponder {
public:
    void OnWarning(const std::string& text) override { warnings.push_back(text); }
    bool OnFileDialog(const FileDialogRequest& request, std::string* path) override
    {
        requests.push_back(request);
        if (answer.empty()) {
            return false;
        }
        *path = answer;
        return true;
    }

    std::vector<std::string> warnings;
    std::vector<FileDialogRequest> requests;
    std::string answer;   // "": the user cancels
};

class DebugCapture : public DebugOutputSink {
public:
    void Write(const char* text) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        texts.push_back(text);
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return texts;
    }

private:
    std::mutex mutex;
    std::vector<std::string> texts;
};

class PlayerTest : public testing::Test {
protected:
    PlayerTest();
    ~PlayerTest() override;

    // Creates and shows the dialog; with a path, as if the path had been the command line.
    void Start(const std::string& commandLine = std::string());
    // Start with a recording, once its playback thread has read the first packet.
    void StartPlaying(const std::string& mediaPath);

    QelSmartControlThread* Control() const;
    QelSmartHandler* Handler() const;
    int32_t Status() const;
    CCamera* View(int32_t index) const;
    std::string Caption(int32_t view) const;

    // Runs `action` and waits until the playback thread has finished what it started and sits
    // paused (single steps, seeks, the end of the data). False when it did not within the time.
    bool SettlesPaused(const std::function<void()>& action);

    TempDir dir;
    RecordingResponder responder;
    DebugCapture debugOutput;
    std::unique_ptr<CKvrPlayerDlg> dlg;
};
