#include "tests/app/DialogCommandFixture.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <chrono>

#include "recording/CaptionText.h"
#include "ui/CCamera.h"

namespace {

const Qt::Key kSeekKeys[] = {Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown};

void Click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Presses the handle, moves it `distance` pixels in a few moves and lets go: a seek for every
// move and one for the release.
void Drag(QSlider* slider, int32_t distance)
{
    QPoint at = SliderHandleCentre(slider);
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, at);
    for (int step = 0; step < 3; ++step) {
        at += QPoint(distance / 3, 0);
        QMouseEvent move(QEvent::MouseMove, at, slider->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace

bool RecordTimeResponder::OnGoToTime(const std::string&, int64_t* hundredths)
{
    if (recording == nullptr || recording->captions.empty()) {
        return false;
    }
    const size_t count = recording->captions.size();
    // The first record at or after the point that has a picture, and so a caption.
    for (size_t r = count * static_cast<size_t>(permille) / 1000; r < count; ++r) {
        const int64_t time = CaptionWallClock(recording->captions[r].c_str());
        if (time >= 0) {
            *hundredths = time;
            return true;
        }
    }
    return false;
}

DialogCommandTest::DialogCommandTest()
{
    SetGoToTimeResponder(&times);
}

DialogCommandTest::~DialogCommandTest()
{
    dlg.reset();
    SetGoToTimeResponder(nullptr);
}

void DialogCommandTest::SetUp()
{
    recordings[0] = WritePlayerRecording(dir, "one", {.channels = 1, .frames = 150, .gapMs = 40, .audio = true,
                                                      .codec = kVideoCodecH264, .keyInterval = 12});
    recordings[1] = WritePlayerRecording(dir, "six", {.channels = 6, .frames = 30, .gapMs = 100, .badRecordAt = 190,
                                                      .audio = true, .audioType = 0x91,
                                                      .codec = kVideoCodecMpeg4, .keyInterval = 8});
    Show();
}

void DialogCommandTest::Show()
{
    Start();
    if (HasFatalFailure()) {
        return;
    }
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
}

int64_t DialogCommandTest::Perform(const DialogCommand& command)
{
    QWidget* window = dlg.get();
    const auto start = std::chrono::steady_clock::now();
    switch (command.kind) {
    case DialogCommandKind::kOpenButton:
        responder.answer = recordings[command.arg & 1].media;
        Click(dlg->m_btnOpen);
        break;
    case DialogCommandKind::kOpenKey:
        responder.answer = recordings[command.arg & 1].media;
        QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
        break;
    case DialogCommandKind::kPlayButton:
        Click(dlg->m_btnPlay);
        break;
    case DialogCommandKind::kPauseButton:
        Click(dlg->m_btnPause);
        break;
    case DialogCommandKind::kReverseButton:
        Click(dlg->m_btnReverse);
        break;
    case DialogCommandKind::kStepForwardButton:
        Click(dlg->m_btnStepForward);
        break;
    case DialogCommandKind::kStepBackButton:
        Click(dlg->m_btnStepBack);
        break;
    case DialogCommandKind::kPlayPauseKey:
        QTest::keyClick(window, Qt::Key_Space);
        break;
    case DialogCommandKind::kStepForwardKey:
        QTest::keyClick(window, Qt::Key_Right);
        break;
    case DialogCommandKind::kStepBackKey:
        QTest::keyClick(window, Qt::Key_Left);
        break;
    case DialogCommandKind::kExactForwardKey:
        QTest::keyClick(window, Qt::Key_Period);
        break;
    case DialogCommandKind::kExactBackKey:
        QTest::keyClick(window, Qt::Key_Comma);
        break;
    case DialogCommandKind::kSpeedKey:
        QTest::keyClick(window, command.arg > 0 ? Qt::Key_Plus : Qt::Key_Minus);
        break;
    case DialogCommandKind::kSpeedList:
        QTest::keyClick(dlg->m_comboSpeed, command.arg > 0 ? Qt::Key_Down : Qt::Key_Up);
        break;
    case DialogCommandKind::kSeekKey:
        QTest::keyClick(dlg->m_sliderPosition, kSeekKeys[static_cast<size_t>(command.arg) % std::size(kSeekKeys)]);
        break;
    case DialogCommandKind::kSeekDrag:
        Drag(dlg->m_sliderPosition, command.arg);
        break;
    case DialogCommandKind::kGoToTimeKey:
        times.recording = nullptr;
        for (const PlayerRecording& recording : recordings) {
            if (recording.media == dlg->m_strMediaPath) {
                times.recording = &recording;
            }
        }
        times.permille = command.arg;
        QTest::keyClick(window, Qt::Key_G, Qt::ControlModifier);
        break;
    case DialogCommandKind::kSelectView:
        if (command.arg < dlg->m_wndCameraWindow.viewCount.load()) {
            Click(View(command.arg));
        }
        break;
    case DialogCommandKind::kMuteKey:
        QTest::keyClick(window, Qt::Key_M);
        break;
    case DialogCommandKind::kStopButton:
        Click(dlg->m_btnStop);
        break;
    case DialogCommandKind::kCloseDialog:
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(dlg->isVisible());
        dlg.reset();
        break;
    }
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (command.kind == DialogCommandKind::kCloseDialog) {
        Show();
    }
    return elapsed;
}

void DialogCommandTest::PerformAll(std::initializer_list<DialogCommand> commands, int32_t pauseMs)
{
    for (const DialogCommand& command : commands) {
        Perform(command);
        QTest::qWait(pauseMs);
    }
}

bool DialogCommandTest::RecordingOpen() const
{
    return FileIsOpen(recordings[0].media) || FileIsOpen(recordings[0].index) || FileIsOpen(recordings[1].media) ||
           FileIsOpen(recordings[1].index);
}
