// The main dialog: start-up with and without a recording, the layout, position reports, read
// failures, the about box and every way of closing it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/DialogFont.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "resources/ResourceIds.h"
#include "tests/app/PlayerFixture.h"
#include "ui/CCamera.h"

namespace {

QWidget* ControlById(CKvrPlayerDlg* dlg, int32_t id)
{
    return dlg->findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

using MainDialogTest = PlayerTest;

TEST_F(MainDialogTest, StartsWithoutArgumentsWithFourEmptyViews)
{
    Start();
    EXPECT_EQ(dlg->windowTitle(), "KVR Player");
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 4);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(View(i)->feed.hasFrame.load(), 0);
    }
    EXPECT_EQ(dlg->m_comboSpeed->count(), 5);
    EXPECT_EQ(dlg->m_comboSpeed->currentText(), "Normal");
    EXPECT_TRUE(dlg->m_checkOriginalSize->isChecked());
    EXPECT_EQ(dlg->m_bOriginalSize, 1);
    EXPECT_EQ(dlg->m_btnMute->icon().cacheKey(), dlg->m_hIconSoundOn.cacheKey());
    EXPECT_EQ(dlg->m_sliderVolume->minimum(), 0);
    EXPECT_EQ(dlg->m_sliderVolume->maximum(), 65535);
    EXPECT_EQ(dlg->m_sliderVolume->value(), dlg->m_wndCameraWindow.audio.volumeAudio.GetVolume());
    EXPECT_EQ(dlg->m_sliderPosition->minimum(), 0);
    EXPECT_EQ(dlg->m_sliderPosition->maximum(), 100);
    EXPECT_EQ(dlg->m_sliderPosition->value(), 0);
    EXPECT_EQ(dlg->m_bOpened, 0);
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_TRUE(debugOutput.Texts().empty());
    EXPECT_TRUE(responder.warnings.empty());
}

TEST_F(MainDialogTest, FirstDisplayShowsTheTemplateConvertedWithTheDialogFont)
{
    Start();
    const DialogBaseUnits base = DialogBaseUnitsOf(dlg->font());
    ASSERT_GT(base.x, 0);
    ASSERT_GT(base.y, 0);
    EXPECT_EQ(dlg->width(), ScaleDialogUnits(484, base.x, 4));
    EXPECT_EQ(dlg->height(), ScaleDialogUnits(362, base.y, 8));
    const DialogTemplate& dialog = MainDialogTemplate();
    for (int32_t i = 0; i < dialog.controlCount; ++i) {
        const TemplateControl& control = dialog.controls[i];
        QWidget* widget = ControlById(dlg.get(), control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        const QRect expected = TemplateRectToPixels(control.rect, base);
        EXPECT_EQ(widget->pos(), expected.topLeft()) << control.id;
        EXPECT_EQ(widget->width(), expected.width()) << control.id;
        if (qobject_cast<QComboBox*>(widget) == nullptr) {
            EXPECT_EQ(widget->height(), expected.height()) << control.id;
        }
    }
    // The grid alone follows the pixel rule from the start.
    EXPECT_EQ(dlg->m_wndCameraWindow.geometry(), QRect(5, 5, dlg->width() - 10, dlg->height() - 90));
}

struct Placement {
    int32_t id;
    int x;
    int fromBottom;
    int width;
    int height;
};

const Placement kPixelTable[] = {
    {IDC_SLIDER_POSITION, 20, 80, 241, 30},   {IDC_BUTTON_REVERSE, 20, 45, 35, 35},
    {IDC_BUTTON_STEP_BACK, 65, 45, 35, 35},   {IDC_BUTTON_PAUSE, 110, 45, 35, 35},
    {IDC_BUTTON_STEP_FORWARD, 155, 45, 35, 35}, {IDC_BUTTON_PLAY, 200, 45, 35, 35},
    {IDC_BUTTON_STOP, 245, 45, 35, 35},       {IDC_COMBO_SPEED, 290, 40, 74, -1},
    {IDC_BUTTON_SNAPSHOT, 390, 80, 40, 40},   {IDC_BUTTON_MUTE, 480, 80, 25, 25},
    {IDC_SLIDER_VOLUME, 508, 80, 90, 30},     {IDC_CHECK_ORIGINAL_SIZE, 480, 40, 90, 20},
    {IDC_BUTTON_OPEN, 570, 45, 35, 35},
};

TEST_F(MainDialogTest, ResizeMovesEveryControlByThePixelTable)
{
    Start();
    // A roomy size, then one that leaves the grid no area: the controls keep their offsets
    // from the bottom edge either way.
    for (const QSize size : {QSize(900, 700), QSize(640, 60)}) {
        dlg->resize(size);
        QWidget* open = ControlById(dlg.get(), IDC_BUTTON_OPEN);
        ASSERT_TRUE(WaitUntil([&] { return dlg->size() == size && open->x() == 570; }))
            << size.width() << "x" << size.height();
        const int H = size.height();
        EXPECT_EQ(dlg->m_wndCameraWindow.geometry(), QRect(5, 5, size.width() - 10, std::max(0, H - 90)));
        for (const Placement& placement : kPixelTable) {
            QWidget* widget = ControlById(dlg.get(), placement.id);
            EXPECT_EQ(widget->pos(), QPoint(placement.x, H - placement.fromBottom)) << placement.id;
            EXPECT_EQ(widget->width(), placement.width) << placement.id;
            // The speed list's height includes its dropped list; closed, it keeps its own.
            const int height = placement.height < 0 ? widget->sizeHint().height() : placement.height;
            EXPECT_EQ(widget->height(), height) << placement.id;
        }
    }
}

TEST_F(MainDialogTest, StartsPlayingTheCommandLineRecording)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "two", {.channels = 2, .frames = 60, .gapMs = 50});
    Start(recording.media);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_EQ(dlg->m_strIndexPath, recording.index);
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 4);   // two channels: a 2 x 2 grid
    EXPECT_EQ(dlg->m_sliderPosition->maximum(), recording.records);
    EXPECT_EQ(Status(), kThreadRunning);
    EXPECT_EQ(debugOutput.Texts(), std::vector<std::string>{recording.media});
    // Each channel reaches its own view, and the position reports move the slider.
    EXPECT_TRUE(WaitUntil([&] { return View(0)->feed.hasFrame.load() != 0 && View(1)->feed.hasFrame.load() != 0; }));
    EXPECT_EQ(View(2)->feed.hasFrame.load(), 0);
    EXPECT_TRUE(WaitUntil([&] { return dlg->m_sliderPosition->value() > 4; }));
    // Moving the slider from the code is no scroll: playback goes on forwards, unseeking.
    EXPECT_EQ(Handler()->playMode.load(), kPlayForward);
    EXPECT_EQ(Handler()->stepMode.load(), 0);
    EXPECT_EQ(Handler()->seekIndex.load(), 0);
    EXPECT_EQ(Status(), kThreadRunning);
    EXPECT_TRUE(responder.warnings.empty());
}

TEST_F(MainDialogTest, QuotedCommandLinePathIsAnInvalidFile)
{
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {});
    Start("\"" + recording.media + "\"");
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"Invaild File"});
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 0);
    EXPECT_EQ(dlg->m_bOpened, 0);
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_EQ(dlg->m_sliderPosition->maximum(), 100);
}

TEST_F(MainDialogTest, ReadFailureInTheMiddleShowsItsMessageOnce)
{
    const PlayerRecording recording =
        WritePlayerRecording(dir, "bad", {.channels = 1, .frames = 8, .gapMs = 20, .badRecordAt = 4});
    Start(recording.media);
    ASSERT_TRUE(WaitUntil([&] { return !responder.warnings.empty(); }));
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"Fail to read media file"});
    EXPECT_EQ(dlg->m_bOpened, 0);
    EXPECT_EQ(Status(), kThreadStopped);
    EXPECT_EQ(Caption(0), recording.captions[3]);
    QTest::qWait(200);
    EXPECT_EQ(responder.warnings.size(), 1u);
}

TEST_F(MainDialogTest, AboutBoxOpensFromF1AndTheContextMenu)
{
    Start();
    QString title;
    const auto closeAbout = [&title] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            if (auto* ok = modal->findChild<QPushButton*>(QString::number(IDOK))) {
                ok->click();
            }
        }
    };
    QTimer::singleShot(0, closeAbout);
    QTest::keyClick(dlg.get(), Qt::Key_F1);
    EXPECT_EQ(title, "About KvrPlayer");

    title.clear();
    // The context menu offers the about item; choosing it opens the same box.
    QTimer::singleShot(0, [&] {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTimer::singleShot(0, closeAbout);
        QTest::keyClick(menu, Qt::Key_A);   // the item's mnemonic
    });
    // A right click on a camera view gives the view's menu, which offers the about item too.
    const QPoint inside = View(0)->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, View(0)->mapToGlobal(inside));
    QApplication::sendEvent(View(0), &event);
    EXPECT_EQ(title, "About KvrPlayer");
    EXPECT_TRUE(dlg->isVisible());
}

enum class OpenState { kPlaying, kPaused, kNothingOpen };
enum class CloseWay { kCloseBox, kEscape, kEnterOnSlider, kDestroyed };

struct CloseCase {
    OpenState state;
    CloseWay way;
};

std::string CloseCaseName(const testing::TestParamInfo<CloseCase>& info)
{
    const char* const states[] = {"Playing", "Paused", "NothingOpen"};
    const char* const ways[] = {"CloseBox", "Escape", "EnterOnSlider", "Destroyed"};
    return std::string(states[static_cast<int>(info.param.state)]) + ways[static_cast<int>(info.param.way)];
}

class MainDialogCloseTest : public PlayerTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(MainDialogCloseTest, EndsThePlaybackThreadBeforeTheWindowsGo)
{
    const CloseCase c = GetParam();
    const PlayerRecording recording = WritePlayerRecording(dir, "rec", {.channels = 1, .frames = 100, .gapMs = 100});
    if (c.state == OpenState::kNothingOpen) {
        Start();
    } else {
        StartPlaying(recording.media);
    }
    if (c.state == OpenState::kPaused) {
        ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnPause, Qt::LeftButton); }));
    }
    EXPECT_EQ(FileIsOpen(recording.media), c.state != OpenState::kNothingOpen);
    switch (c.way) {
    case CloseWay::kCloseBox:
        EXPECT_TRUE(dlg->close());
        break;
    case CloseWay::kEscape:
        QTest::keyClick(dlg.get(), Qt::Key_Escape);
        break;
    case CloseWay::kEnterOnSlider:
        dlg->m_sliderPosition->setFocus();
        QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Return);
        break;
    case CloseWay::kDestroyed:
        dlg.reset();
        break;
    }
    if (dlg) {
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), c.way == CloseWay::kEnterOnSlider ? QDialog::Accepted : QDialog::Rejected);
        // Engine gone: its thread was stopped and awaited, and the registry cleared.
        EXPECT_EQ(dlg->Engine(), nullptr);
        EXPECT_EQ(dlg->m_wndCameraWindow.View(0), nullptr);
    }
    // The playback loop closed the recording as it ended.
    EXPECT_FALSE(FileIsOpen(recording.media));
    EXPECT_FALSE(FileIsOpen(recording.index));
    EXPECT_TRUE(responder.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(, MainDialogCloseTest,
                         testing::Values(CloseCase{OpenState::kPlaying, CloseWay::kCloseBox},
                                         CloseCase{OpenState::kPlaying, CloseWay::kEscape},
                                         CloseCase{OpenState::kPlaying, CloseWay::kEnterOnSlider},
                                         CloseCase{OpenState::kPlaying, CloseWay::kDestroyed},
                                         CloseCase{OpenState::kPaused, CloseWay::kCloseBox},
                                         CloseCase{OpenState::kPaused, CloseWay::kEscape},
                                         CloseCase{OpenState::kNothingOpen, CloseWay::kCloseBox},
                                         CloseCase{OpenState::kNothingOpen, CloseWay::kEnterOnSlider}),
                         CloseCaseName);

TEST_F(MainDialogTest, EnterOnAButtonClicksItAndKeepsTheDialog)
{
    Start();
    QSignalSpy clicked(dlg->m_btnReverse, &QPushButton::clicked);
    dlg->m_btnReverse->setFocus();
    QTest::keyClick(dlg->m_btnReverse, Qt::Key_Return);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_NE(dlg->Engine(), nullptr);
}

}  // namespace
