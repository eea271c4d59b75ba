// The commands of the main dialog's controls. Each writes the playback handler's settings first
// and calls the control thread last, so a woken playback thread finds them in place.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "app/CKvrPlayerDlg.h"
#include "app/SpeedList.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "resources/ResourceIds.h"
#include "ui/Dialogs.h"

namespace {

QelSmartControlThread* ControlOf(PlaybackEngine* engine)
{
    return engine != nullptr ? engine->controlThread : nullptr;
}

void SetPlay(QelSmartHandler* handler, int32_t stepMode, int32_t playMode)
{
    if (handler != nullptr) {
        handler->stepMode = stepMode;
        handler->playMode = playMode;
    }
}

void Resume(PlaybackEngine* engine)
{
    if (QelSmartControlThread* control = ControlOf(engine)) {
        control->ResumeThread();
    }
}

}  // namespace

void CKvrPlayerDlg::OnButtonOpen()
{
    FileDialogRequest request;
    request.filter = "MyType Files (*.kvr)|*.KVR|";
    request.defaultExtension = "kvr";
    request.initialName = "*.kvr";
    request.mustExist = true;
    // Recordings made elsewhere carry the extension in either case.
    request.matchCaseInsensitive = true;
    std::string path;
    if (ShowFileDialog(this, request, &path)) {
        OpenRecording(path);
    }
}

void CKvrPlayerDlg::OnButtonStop()
{
    // The playback thread closes the recording's files as it ends; paths, views, slider and
    // speed stay, so Play can open the same recording again.
    StopPlaybackThread();
    m_wndCameraWindow.ClearViews();
    m_bOpened = 0;
}

void CKvrPlayerDlg::OnButtonReverse()
{
    if (m_bOpened == 0) {
        return;
    }
    m_wndCameraWindow.ResetOverlays();
    SetPlay(HandlerOf(m_pPlaybackEngine), 0, kPlayBackward);
    Resume(m_pPlaybackEngine);
}

void CKvrPlayerDlg::OnButtonStepBack()
{
    if (m_bOpened == 0) {
        return;
    }
    m_wndCameraWindow.ResetOverlays();
    SetPlay(HandlerOf(m_pPlaybackEngine), 1, kPlayBackward);
    Resume(m_pPlaybackEngine);
}

void CKvrPlayerDlg::OnButtonStepForward()
{
    if (m_bOpened == 0) {
        return;
    }
    // Stepping on keeps the overlay text of the frame shown.
    SetPlay(HandlerOf(m_pPlaybackEngine), 1, kPlayForward);
    Resume(m_pPlaybackEngine);
}

void CKvrPlayerDlg::OnButtonPause()
{
    if (m_bOpened == 0) {
        return;
    }
    if (QelSmartControlThread* control = ControlOf(m_pPlaybackEngine)) {
        control->SuspendThread();
    }
}

void CKvrPlayerDlg::OnButtonPlay()
{
    QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine);
    if (m_bOpened == 1) {
        SetPlay(handler, 0, kPlayForward);
        Resume(m_pPlaybackEngine);
        return;
    }
    // Reopen the last recording from its start, at normal speed. The speed list keeps its
    // selection until the user picks again.
    StopPlaybackThread();
    if (m_strMediaPath.empty() || m_strIndexPath.empty()) {
        ShowWarningMessage(this, LoadResourceString(kStringInvalidFile));
        return;
    }
    SetPlay(handler, 0, kPlayForward);
    if (handler != nullptr) {
        handler->speedIndex = 3;
    }
    StartPlayback();
}

void CKvrPlayerDlg::OnHScroll(QSlider* slider)
{
    if (slider == nullptr) {
        return;
    }
    // During a drag the position is the thumb's, ahead of the value.
    const int pos = slider->sliderPosition();
    if (slider == m_sliderPosition) {
        // No test of m_bOpened: a stopped thread refuses the resume, and its next run starts
        // from its own settings. Every view moves to the instant: key frames while the thumb is
        // dragged (fast), the exact pictures once it is let go or moved by a key or click.
        if (QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine)) {
            handler->RequestSyncSeek(pos, -1, !slider->isSliderDown());
        }
        m_wndCameraWindow.ResetOverlays();
        Resume(m_pPlaybackEngine);
    } else if (slider == m_sliderVolume) {
        m_wndCameraWindow.audio.volumeAudio.SetVolume(static_cast<uint32_t>(pos));
    }
}

void CKvrPlayerDlg::OnSelchangeSpeed()
{
    // Read by the next pacing; no thread call.
    if (QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine)) {
        handler->speedIndex = SpeedIndexForSelection(m_comboSpeed->currentIndex());
    }
}

void CKvrPlayerDlg::OnButtonMute()
{
    if (m_bMute == 1) {
        m_btnMute->setIcon(m_hIconSoundOn);
        m_bMute = 0;
    } else {
        m_btnMute->setIcon(m_hIconSoundOff);
        m_bMute = 1;
    }
    // Only outputs that exist take the flag; sound that starts later plays unmuted.
    GridAudio& audio = m_wndCameraWindow.audio;
    const bool outputsReady = audio.primaryAudio != nullptr && audio.secondaryAudio != nullptr &&
                              audio.primaryAudio->HasWindow() && audio.secondaryAudio->HasWindow();
    if (outputsReady) {
        audio.primaryMuted = m_bMute;
    }
    if (outputsReady) {
        audio.secondaryMuted = m_bMute;
    }
}

void CKvrPlayerDlg::OnCheckOriginalSize()
{
    DoDataExchange(true);
    m_wndCameraWindow.SetOriginalSize(m_bOriginalSize != 0 ? 1 : 0);
}

void CKvrPlayerDlg::OnButtonSnapShot()
{
    m_wndCameraWindow.SnapshotSelected();
}
