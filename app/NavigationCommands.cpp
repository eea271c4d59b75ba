// Commands beside the dialog's buttons: exact single steps, going to a time, the keyboard, the
// buttons' tooltips, the position slider's time tooltip and recordings dropped on the window.
// Like the buttons, they only write settings and wake the playback thread: every decode runs
// there.
#include <QComboBox>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <functional>
#include <initializer_list>

#include "app/CKvrPlayerDlg.h"
#include "app/GoToTimeDialog.h"
#include "app/SpeedList.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/CaptionText.h"
#include "recording/RecordTimes.h"
#include "ui/CCamera.h"
#include "ui/Dialogs.h"

namespace {

constexpr char kSelectCamera[] = "select camera";
constexpr char kDropRefused[] =
    "Only a recording can be dropped here: one .kvr media file, or the .idx index file beside it.";

// The media file of a dropped recording file; "" when it is none.
std::string DroppedMediaPath(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
        return std::string();
    }
    const std::string path = data->urls().front().toLocalFile().toStdString();
    if (path.size() < 4 || path[path.size() - 4] != '.') {
        return std::string();
    }
    std::string extension = path.substr(path.size() - 3);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "kvr") {
        return path;
    }
    if (extension == "idx") {
        // The media file beside it, in the letter case of the index's extension.
        const bool upper = path.back() == 'X';
        return path.substr(0, path.size() - 3) + (upper ? "KVR" : "kvr");
    }
    return std::string();
}

}  // namespace

void CKvrPlayerDlg::SetUpNavigation()
{
    if (QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine)) {
        handler->stepViews = &m_wndCameraWindow;
    }
    setAcceptDrops(true);

    const auto bind = [this](std::initializer_list<QKeySequence> keys, const std::function<void()>& command) {
        for (const QKeySequence& key : keys) {
            auto* shortcut = new QShortcut(key, this);
            shortcut->setContext(Qt::WindowShortcut);
            connect(shortcut, &QShortcut::activated, this, command);
        }
    };
    bind({QKeySequence(Qt::Key_Space)}, [this] { OnTogglePlay(); });
    bind({QKeySequence(Qt::Key_Left)}, [this] { OnButtonStepBack(); });
    bind({QKeySequence(Qt::Key_Right)}, [this] { OnButtonStepForward(); });
    bind({QKeySequence(Qt::Key_Comma), QKeySequence(Qt::SHIFT | Qt::Key_Left)}, [this] { OnExactStep(-1); });
    bind({QKeySequence(Qt::Key_Period), QKeySequence(Qt::SHIFT | Qt::Key_Right)}, [this] { OnExactStep(1); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { OnButtonOpen(); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { OnButtonSnapShot(); });
    bind({QKeySequence(Qt::CTRL | Qt::Key_G)}, [this] { OnGoToTime(); });
    bind({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal)}, [this] { OnSpeedStep(1); });
    bind({QKeySequence(Qt::Key_Minus)}, [this] { OnSpeedStep(-1); });
    bind({QKeySequence(Qt::Key_M)}, [this] { OnButtonMute(); });
    bind({QKeySequence(Qt::Key_F11)}, [this] { OnToggleFullScreen(); });

    const std::pair<QWidget*, const char*> tips[] = {
        {m_btnReverse, "Play backwards"},
        {m_btnStepBack, "Step back to the previous key frame (Left)\nExact step back: , or Shift+Left"},
        {m_btnPause, "Pause (Space: play or pause)"},
        {m_btnStepForward, "Step forward (Right)\nExact step forward: . or Shift+Right"},
        {m_btnPlay, "Play (Space: play or pause)"},
        {m_btnStop, "Stop"},
        {m_btnOpen, "Open a recording (Ctrl+O, or drop a .kvr file on the window)"},
        {m_btnSnapShot, "Save the selected view's picture (Ctrl+S)"},
        {m_btnMute, "Mute (M)"},
        {m_comboSpeed, "Speed (+ faster, - slower)"},
        {m_checkOriginalSize, "Show pictures at their own size"},
        {m_sliderVolume, "Volume"},
    };
    for (const auto& [control, tip] : tips) {
        if (control != nullptr) {
            control->setToolTip(QString::fromLatin1(tip));
        }
    }
    if (m_sliderPosition != nullptr) {
        m_sliderPosition->installEventFilter(this);
        connect(m_sliderPosition, &QSlider::sliderMoved, this, [this] { ShowPositionToolTip(QCursor::pos()); });
    }
}

bool CKvrPlayerDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_sliderPosition && m_sliderPosition != nullptr) {
        if (event->type() == QEvent::ToolTip) {
            ShowPositionToolTip(static_cast<QHelpEvent*>(event)->globalPos());
            return true;
        }
        if (event->type() == QEvent::ShortcutOverride) {
            // The focused slider keeps its arrow keys (a seek each), as without the key bindings.
            auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                event->accept();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

int32_t CKvrPlayerDlg::CommandViewIndex() const
{
    const int32_t views = m_wndCameraWindow.viewCount.load();
    const int32_t selected = m_wndCameraWindow.selectedIndex;
    if (selected >= 0 && selected < views) {
        return selected;
    }
    return views == 1 ? 0 : -1;
}

void CKvrPlayerDlg::OnExactStep(int32_t direction)
{
    QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine);
    if (m_bOpened == 0 || handler == nullptr) {
        return;
    }
    const int32_t view = CommandViewIndex();
    if (view < 0) {
        ShowWarningMessage(this, kSelectCamera);
        return;
    }
    handler->RequestExactStep(view, direction);
    m_pPlaybackEngine->controlThread->ResumeThread();
}

void CKvrPlayerDlg::OnGoToTime()
{
    if (m_bOpened == 0) {
        return;
    }
    const int32_t view = CommandViewIndex();
    CCamera* camera = view >= 0 ? m_wndCameraWindow.View(view) : nullptr;
    const std::string caption = camera != nullptr ? camera->feed.Caption() : std::string();
    int64_t hundredths = 0;
    if (AskGoToTime(this, caption, &hundredths)) {
        GoToTime(hundredths);
    }
}

void CKvrPlayerDlg::GoToTime(int64_t hundredths)
{
    QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine);
    if (m_bOpened == 0 || handler == nullptr) {
        return;
    }
    // Own read-only handles: the playback thread's reads are not disturbed.
    RecordTimes times;
    int32_t position = kTimeNoRecord;
    if (times.Open(m_strMediaPath.c_str(), m_strIndexPath.c_str()) != 0 ||
        times.FindRecordAtOrBefore(hundredths, &position) != 0) {
        return;
    }
    // A time before the recording goes to its start.
    if (position == kTimeNoRecord) {
        handler->RequestSyncSeek(0, -1, true);
    } else {
        handler->RequestSyncSeek(position, hundredths, true);
    }
    m_wndCameraWindow.ResetOverlays();
    m_pPlaybackEngine->controlThread->ResumeThread();
}

void CKvrPlayerDlg::OnTogglePlay()
{
    QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine);
    const bool playing = m_bOpened != 0 && handler != nullptr && m_pPlaybackEngine->controlThread != nullptr &&
                         m_pPlaybackEngine->controlThread->Status() == kThreadRunning && handler->stepMode.load() == 0;
    if (playing) {
        OnButtonPause();
    } else {
        OnButtonPlay();
    }
}

void CKvrPlayerDlg::OnSpeedStep(int32_t step)
{
    if (m_comboSpeed == nullptr) {
        return;
    }
    const int32_t position = std::clamp(m_comboSpeed->currentIndex() + step, 0, kSpeedListCount - 1);
    m_comboSpeed->setCurrentIndex(position);
    OnSelchangeSpeed();
}

void CKvrPlayerDlg::OnToggleSingleView()
{
    const int32_t selected = m_wndCameraWindow.selectedIndex;
    if (selected >= 0 && selected < m_wndCameraWindow.viewCount.load()) {
        m_wndCameraWindow.ToggleSingleView(selected);
    }
}

void CKvrPlayerDlg::OnToggleFullScreen()
{
    if (isFullScreen()) {
        showNormal();
    } else {
        showFullScreen();
    }
}

std::string CKvrPlayerDlg::PositionToolTip(int32_t position) const
{
    if (m_strMediaPath.empty()) {
        return std::string();
    }
    RecordTimes times;
    if (times.Open(m_strMediaPath.c_str(), m_strIndexPath.c_str()) != 0 || times.RecordCount() == 0) {
        return std::string();
    }
    // The slider's maximum stands one past the last record.
    const int32_t record = std::clamp(position, 0, times.RecordCount() - 1);
    char caption[kCaptionCapacity] = {};
    if (times.RecordCaption(record, caption, sizeof caption) != 0) {
        return std::string();
    }
    return caption;
}

void CKvrPlayerDlg::ShowPositionToolTip(const QPoint& globalPos)
{
    const std::string text = PositionToolTip(m_sliderPosition->sliderPosition());
    if (text.empty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPos, QString::fromStdString(text), m_sliderPosition);
}

void CKvrPlayerDlg::dragEnterEvent(QDragEnterEvent* event)
{
    // Anything with files is taken, so that a wrong drop can be told why it is refused.
    if (event->mimeData() != nullptr && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CKvrPlayerDlg::dropEvent(QDropEvent* event)
{
    const std::string media = DroppedMediaPath(event->mimeData());
    if (media.empty()) {
        event->ignore();
        ShowWarningMessage(this, kDropRefused);
        return;
    }
    event->acceptProposedAction();
    OpenRecording(media);
}
