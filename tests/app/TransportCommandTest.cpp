// The commands of the main dialog's controls, driven through the real controls, watching the
// views and the playback thread.
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <chrono>
#include <thread>

#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "tests/app/PlayerFixture.h"
#include "tests/support/StreamCapture.h"
#include "ui/CCamera.h"

namespace {

constexpr const char kResumeRefused[] = "QelSmartControlThread::ResumeThread thread not started.";
constexpr const char kSuspendRefused[] = "QelSmartControlThread::SuspendThread thread not started.";

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

size_t Occurrences(const std::string& text, const std::string& line)
{
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        ++count;
    }
    return count;
}

// Counts a view's repaints.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

using TransportCommandTest = PlayerTest;

TEST_F(TransportCommandTest, BeforeAnythingIsOpenedOnlyPlayAndSeekAnswer)
{
    Start();
    StreamCapture errors(stderr);
    for (QPushButton* button : {dlg->m_btnReverse, dlg->m_btnStepBack, dlg->m_btnStepForward, dlg->m_btnPause}) {
        Click(button);
    }
    EXPECT_EQ(Occurrences(errors.Text(), "QelSmartControlThread"), 0u);
    EXPECT_TRUE(responder.warnings.empty());

    Click(dlg->m_btnPlay);
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"Invaild File"});

    QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Right);
    EXPECT_EQ(Occurrences(errors.Text(), kResumeRefused), 1u);
    EXPECT_EQ(Handler()->playMode.load(), kPlayNavigate);   // the seek waits for a run that never comes
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_EQ(dlg->m_bOpened, 0);
    EXPECT_EQ(responder.warnings.size(), 1u);
}

TEST_F(TransportCommandTest, PlayAfterStopReopensFromTheStartAtNormalSpeed)
{
    // Frames far apart: the first one stays on screen long enough to be seen.
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 6, .gapMs = 1500});
    StartPlaying(recording.media);
    QTest::keyClick(dlg->m_comboSpeed, Qt::Key_End);
    EXPECT_EQ(Handler()->speedIndex.load(), 5);
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Right); }));
    }
    EXPECT_EQ(Caption(0), recording.captions[3]);
    EXPECT_EQ(dlg->m_sliderPosition->value(), 3);

    Click(dlg->m_btnStop);
    EXPECT_EQ(dlg->m_bOpened, 0);
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_FALSE(FileIsOpen(recording.media));
    EXPECT_EQ(View(0)->feed.hasFrame.load(), 0);
    EXPECT_EQ(Caption(0), "");
    EXPECT_EQ(dlg->m_sliderPosition->value(), 3);
    EXPECT_EQ(dlg->m_sliderPosition->maximum(), recording.records);

    Click(dlg->m_btnPlay);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_EQ(Status(), kThreadRunning);
    EXPECT_EQ(Handler()->speedIndex.load(), 3);
    EXPECT_EQ(dlg->m_comboSpeed->currentIndex(), 4);   // the list still shows the old choice
    // The first two records go out at once, then the pacing holds the second for the gap: the
    // view shows the recording's second frame, not the one after record 3.
    ASSERT_TRUE(WaitUntil([&] { return View(0)->feed.hasFrame.load() != 0 && Handler()->readCount.load() >= 2; }));
    EXPECT_EQ(Caption(0), recording.captions[1]);
    EXPECT_EQ(Handler()->readCount.load(), 2);
    EXPECT_EQ(Handler()->playMode.load(), kPlayForward);
    EXPECT_TRUE(responder.warnings.empty());
}

struct HoldCase {
    const char* name;
    QPushButton* CKvrPlayerDlg::*button;
};

const HoldCase kHoldCases[] = {
    {"pause", &CKvrPlayerDlg::m_btnPause},
    {"step forward", &CKvrPlayerDlg::m_btnStepForward},
    {"step back", &CKvrPlayerDlg::m_btnStepBack},
};

TEST_F(TransportCommandTest, PlayWhilePausedOrSteppingResumesContinuousForwardPlay)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 300, .gapMs = 40});
    StartPlaying(recording.media);
    for (const HoldCase& c : kHoldCases) {
        ASSERT_TRUE(WaitUntil([&] { return Handler()->readCount.load() > 10; })) << c.name;
        ASSERT_TRUE(SettlesPaused([&] { Click(dlg.get()->*c.button); })) << c.name;
        const int64_t reads = Handler()->readCount.load();
        QTest::qWait(100);
        EXPECT_EQ(Handler()->readCount.load(), reads) << c.name;

        Click(dlg->m_btnPlay);
        EXPECT_EQ(Status(), kThreadRunning) << c.name;
        EXPECT_EQ(Handler()->stepMode.load(), 0) << c.name;
        EXPECT_EQ(Handler()->playMode.load(), kPlayForward) << c.name;
        const int32_t from = Handler()->currentIndex.load();
        EXPECT_TRUE(WaitUntil([&] { return Handler()->currentIndex.load() >= from + 3; })) << c.name;
    }
}

TEST_F(TransportCommandTest, StepForwardAtTheEndChangesNothing)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 5, .gapMs = 20});
    StartPlaying(recording.media);
    // At the end of the data the loop pauses itself.
    ASSERT_TRUE(WaitUntil([&] { return Handler()->readCount.load() == 5 && Control()->workerPauses.load() > 0; }));
    EXPECT_EQ(Caption(0), recording.captions[4]);
    const int64_t reads = Handler()->readCount.load();
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(SettlesPaused([&] { Click(dlg->m_btnStepForward); }));
        EXPECT_EQ(Handler()->readCount.load(), reads);
        EXPECT_EQ(Caption(0), recording.captions[4]);
    }
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_TRUE(responder.warnings.empty());
}

TEST_F(TransportCommandTest, SeekToTheMaximumPausesAtTheEndOfTheData)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 20, .gapMs = 100});
    StartPlaying(recording.media);
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_End); }));
    // The maximum stands one past the last record: the view shows the last picture.
    EXPECT_EQ(Handler()->seekIndex.load(), recording.records - 1);
    EXPECT_EQ(Caption(0), recording.captions.back());
    EXPECT_EQ(Handler()->playMode.load(), kPlaySeek);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_TRUE(responder.warnings.empty());
    // Still usable: a seek back shows the first frame.
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    EXPECT_EQ(Caption(0), recording.captions[0]);
}

TEST_F(TransportCommandTest, DraggingSeeksOncePerNotificationShowingTheFrameThere)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 40, .gapMs = 100});
    StartPlaying(recording.media);
    QSlider* slider = dlg->m_sliderPosition;
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(slider, Qt::Key_Home); }));
    ASSERT_EQ(Caption(0), recording.captions[0]);

    QSignalSpy actions(slider, &QSlider::actionTriggered);
    QSignalSpy releases(slider, &QSlider::sliderReleased);
    const int64_t readsBefore = Handler()->readCount.load();
    QPoint at = SliderHandleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_TRUE(slider->isSliderDown());
    int seen = 0;
    for (int step = 0; step < 5; ++step) {
        at += QPoint(12, 0);
        ASSERT_TRUE(SettlesPaused([&] {
            QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(slider, &move);
        }));
        ASSERT_EQ(actions.count(), ++seen);
        const int pos = slider->sliderPosition();
        EXPECT_EQ(Handler()->seekIndex.load(), pos);
        EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(pos)]) << "position " << pos;
        // The key frame shown, then the instant's record, read last so play goes on from there.
        EXPECT_EQ(Handler()->readCount.load() - readsBefore, 2 * seen);
        EXPECT_FALSE(View(0)->dimmed.load());
    }
    const int last = slider->sliderPosition();
    EXPECT_GT(last, 5);
    const int64_t readsBeforeRelease = Handler()->readCount.load();
    ASSERT_TRUE(SettlesPaused([&] { QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, at); }));
    EXPECT_EQ(releases.count(), 1);
    EXPECT_GT(Handler()->readCount.load(), readsBeforeRelease) << "the release seeks once more, exactly";
    EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(last)]);
}

TEST_F(TransportCommandTest, OpenCancelledChangesNothing)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 200, .gapMs = 40});
    StartPlaying(recording.media);
    Click(dlg->m_btnOpen);
    ASSERT_EQ(responder.requests.size(), 1u);
    const FileDialogRequest& request = responder.requests[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.filter, "MyType Files (*.kvr)|*.KVR|");
    EXPECT_EQ(request.defaultExtension, "kvr");
    EXPECT_EQ(request.initialName, "*.kvr");
    EXPECT_TRUE(request.mustExist);
    EXPECT_TRUE(request.matchCaseInsensitive);
    EXPECT_EQ(dlg->m_strMediaPath, recording.media);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_EQ(Status(), kThreadRunning);
    const int32_t from = Handler()->currentIndex.load();
    EXPECT_TRUE(WaitUntil([&] { return Handler()->currentIndex.load() >= from + 3; }));
}

TEST_F(TransportCommandTest, OpenDuringPlaybackReplacesTheRecordingAtTheCurrentSpeed)
{
    const PlayerRecording first = WritePlayerRecording(dir, "first", {.channels = 1, .frames = 200, .gapMs = 40});
    const PlayerRecording second = WritePlayerRecording(dir, "second", {.channels = 4, .frames = 100, .gapMs = 40});
    StartPlaying(first.media);
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 1);
    QTest::keyClick(dlg->m_comboSpeed, Qt::Key_Down);   // "Fast"
    EXPECT_EQ(Handler()->speedIndex.load(), 4);

    responder.answer = second.media;
    Click(dlg->m_btnOpen);
    EXPECT_EQ(dlg->m_strMediaPath, second.media);
    EXPECT_EQ(dlg->m_strIndexPath, second.index);
    EXPECT_FALSE(FileIsOpen(first.media));
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 4);
    EXPECT_EQ(dlg->m_sliderPosition->maximum(), second.records);
    EXPECT_EQ(Status(), kThreadRunning);
    EXPECT_EQ(Handler()->speedIndex.load(), 4);
    EXPECT_TRUE(WaitUntil([&] {
        for (int32_t i = 0; i < 4; ++i) {
            if (View(i)->feed.hasFrame.load() == 0) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_TRUE(responder.warnings.empty());
}

TEST_F(TransportCommandTest, FailingOpenKeepsOpenedUntilStop)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 200, .gapMs = 40});
    StartPlaying(recording.media);
    responder.answer = dir.File("missing.kvr");
    Click(dlg->m_btnOpen);
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"Invaild File"});
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_FALSE(FileIsOpen(recording.media));

    StreamCapture errors(stderr);
    Click(dlg->m_btnReverse);
    Click(dlg->m_btnStepForward);
    Click(dlg->m_btnPlay);
    Click(dlg->m_btnPause);
    EXPECT_EQ(Occurrences(errors.Text(), kResumeRefused), 3u);
    EXPECT_EQ(Occurrences(errors.Text(), kSuspendRefused), 1u);
    EXPECT_EQ(Status(), kThreadStopped);

    Click(dlg->m_btnStop);
    EXPECT_EQ(dlg->m_bOpened, 0);
    Click(dlg->m_btnReverse);
    Click(dlg->m_btnPause);
    EXPECT_EQ(Occurrences(errors.Text(), "QelSmartControlThread"), 4u);
    EXPECT_EQ(responder.warnings.size(), 1u);
}

TEST_F(TransportCommandTest, SpeedListSetsTheSpeedIndex)
{
    Start();
    QTest::keyClick(dlg->m_comboSpeed, Qt::Key_Home);
    for (int32_t position = 0; position < 5; ++position) {
        EXPECT_EQ(dlg->m_comboSpeed->currentIndex(), position);
        EXPECT_EQ(Handler()->speedIndex.load(), position + 1);
        QTest::keyClick(dlg->m_comboSpeed, Qt::Key_Down);
    }
}

TEST_F(TransportCommandTest, VolumeSliderSetsTheDeviceVolume)
{
    Start();
    AudioOut& volume = dlg->m_wndCameraWindow.audio.volumeAudio;
    QTest::keyClick(dlg->m_sliderVolume, Qt::Key_Home);
    EXPECT_EQ(volume.GetVolume(), 0);
    QTest::keyClick(dlg->m_sliderVolume, Qt::Key_PageUp);
    EXPECT_EQ(volume.GetVolume(), dlg->m_sliderVolume->value());
    EXPECT_GT(volume.GetVolume(), 0);
}

TEST_F(TransportCommandTest, MuteBeforeAnyAudioTogglesOnlyTheButton)
{
    Start();
    GridAudio& audio = dlg->m_wndCameraWindow.audio;
    Click(dlg->m_btnMute);
    EXPECT_EQ(dlg->m_bMute, 1);
    EXPECT_EQ(dlg->m_btnMute->icon().cacheKey(), dlg->m_hIconSoundOff.cacheKey());
    EXPECT_EQ(audio.primaryMuted.load(), 0);
    EXPECT_EQ(audio.secondaryMuted.load(), 0);
    Click(dlg->m_btnMute);
    EXPECT_EQ(dlg->m_bMute, 0);
    EXPECT_EQ(dlg->m_btnMute->icon().cacheKey(), dlg->m_hIconSoundOn.cacheKey());
}

TEST_F(TransportCommandTest, MuteWithOpenOutputsSetsBothFlags)
{
    const PlayerRecording recording =
        WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 200, .gapMs = 40, .audio = true});
    StartPlaying(recording.media);
    GridAudio& audio = dlg->m_wndCameraWindow.audio;
    ASSERT_TRUE(WaitUntil([&] {
        return audio.primaryAudio != nullptr && audio.secondaryAudio != nullptr && audio.primaryAudio->HasWindow() &&
               audio.secondaryAudio->HasWindow();
    }));
    Click(dlg->m_btnMute);
    EXPECT_EQ(audio.primaryMuted.load(), 1);
    EXPECT_EQ(audio.secondaryMuted.load(), 1);
    Click(dlg->m_btnMute);
    EXPECT_EQ(audio.primaryMuted.load(), 0);
    EXPECT_EQ(audio.secondaryMuted.load(), 0);
}

TEST_F(TransportCommandTest, OriginalSizeToggledTwiceRepaintsTheViewsEachTime)
{
    Start();
    PaintCounter counter;
    View(0)->installEventFilter(&counter);
    QTest::qWait(50);
    for (const int32_t expected : {0, 1}) {
        const int paints = counter.paints;
        Click(dlg->m_checkOriginalSize);
        EXPECT_EQ(dlg->m_bOriginalSize, expected);
        EXPECT_EQ(dlg->m_checkOriginalSize->isChecked(), expected != 0);
        EXPECT_EQ(dlg->m_wndCameraWindow.naturalSize.load(), expected);
        EXPECT_TRUE(WaitUntil([&] { return counter.paints > paints; }));
    }
    View(0)->removeEventFilter(&counter);
}

TEST_F(TransportCommandTest, SnapShotAsksForSelectionThenSavesTheSelectedViewAndPlaysOn)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 300, .gapMs = 40});
    StartPlaying(recording.media);
    Click(dlg->m_btnSnapShot);
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"select camera"});
    EXPECT_TRUE(responder.requests.empty());

    QTest::mouseClick(View(0), Qt::LeftButton);
    responder.answer = dir.File("shot.jpg");
    Click(dlg->m_btnSnapShot);
    ASSERT_EQ(responder.requests.size(), 1u);
    EXPECT_TRUE(responder.requests[0].save);
    EXPECT_EQ(responder.requests[0].defaultExtension, "jpg");
    FILE* file = fopen(responder.answer.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char start[2] = {};
    EXPECT_EQ(fread(start, 1, 2, file), 2u);
    fclose(file);
    EXPECT_EQ(start[0], 0xFF);   // a JPEG stream
    EXPECT_EQ(start[1], 0xD8);
    // Held while the user chose the file, playing again afterwards.
    EXPECT_EQ(Status(), kThreadRunning);
    const int32_t from = Handler()->currentIndex.load();
    EXPECT_TRUE(WaitUntil([&] { return Handler()->currentIndex.load() >= from + 3; }));
    EXPECT_EQ(responder.warnings.size(), 1u);
}

}  // namespace

// The playback thread never waits on the window: with the user-interface thread held up for two
// seconds, Fastest plays on to the end, and the slider catches up once the thread runs again.
TEST_F(TransportCommandTest, ABlockedWindowDoesNotStopPlayback)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 2, .frames = 60, .gapMs = 40});
    StartPlaying(recording.media);
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    QTest::keyClick(dlg->m_comboSpeed, Qt::Key_End);   // "Fastest"
    QTest::mouseClick(dlg->m_btnPlay, Qt::LeftButton);
    // Held up as a modal dialog or a slow paint would hold it; the position reports pile up.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_GE(Handler()->readCount.load(), recording.records);
    EXPECT_TRUE(WaitUntil([&] { return dlg->m_sliderPosition->value() == recording.records - 1; }))
        << dlg->m_sliderPosition->value();
}
