// The main dialog, the program's only top-level window: the camera grid, the transport controls,
// the position and volume sliders, the speed list and the snapshot button. It owns the grid and
// the playback engine, opens recordings, follows the playback thread's position reports and read
// failures, and stops the playback thread before its windows go, however the dialog is closed.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QSize>
#include <cstdint>
#include <string>

#include "app/DialogTemplate.h"
#include "ui/CCameraWindow.h"
#include "ui/CameraWindowOwner.h"
#include "ui/WindowHandle.h"

class MessageWindow;
class QAction;
class QCheckBox;
class QComboBox;
class QPushButton;
class QSlider;
struct PlaybackEngine;

// WM_USER+4: the playback thread could not read the recording.
constexpr uint32_t WM_READ_FAILURE = WM_USER + 4;
// The about box's command, as the window menu's item sends it.
constexpr uint32_t IDM_ABOUTBOX = 0x0010;

class CKvrPlayerDlg : public QDialog, public CameraWindowOwner {
    Q_OBJECT

public:
    explicit CKvrPlayerDlg(QWidget* parent = nullptr);
    ~CKvrPlayerDlg() override;

    // The dialog's window creation: the grid's window and the engine, the first size
    // notification, the template's controls and OnInitDialog (which may open the command-line
    // recording). 0, or -1 when the grid's window cannot be made; nothing is shown either way.
    int32_t Create();
    // Create, then the modal run; -1 at once when creation fails.
    int DoModal();

    void OpenRecording(const std::string& path);

    // CameraWindowOwner.
    const WindowHandle& OwnerWindow() const override { return m_hWnd; }
    PlaybackEngine* Engine() const override { return m_pPlaybackEngine; }
    int32_t IsOpened() const override { return m_bOpened; }
    std::string MediaPath() const override { return m_strMediaPath; }
    void ShowAbout() override { OnSysCommand(IDM_ABOUTBOX); }

    // Commands of the controls.
    void OnButtonOpen();
    void OnButtonStop();
    void OnButtonReverse();
    void OnButtonPlay();
    void OnButtonStepBack();
    void OnButtonStepForward();
    void OnButtonPause();
    void OnHScroll(QSlider* slider);
    void OnSelchangeSpeed();
    void OnButtonMute();
    void OnCheckOriginalSize();
    void OnButtonSnapShot();
    void OnSysCommand(uint32_t command);

    // Commands beside the buttons (keys, drops).
    // The selected view's (or the only view's) picture just before (-1) or after (1) the one shown,
    // decoded on the playback thread.
    void OnExactStep(int32_t direction);
    // Asks for a date and time and brings every view to its last key frame at or before it.
    void OnGoToTime();
    // Every view to its last key frame at or before `hundredths` (UTC hundredths since 1970).
    void GoToTime(int64_t hundredths);
    void OnTogglePlay();
    void OnSpeedStep(int32_t step);
    void OnToggleSingleView();
    void OnToggleFullScreen();
    // The wall-clock caption of the record at slider position `position`; "" when there is none.
    std::string PositionToolTip(int32_t position) const;
    // The view the view commands act on: the selected one, or the only one; -1 when none.
    int32_t CommandViewIndex() const;

    // Messages from the playback thread.
    intptr_t OnPositionUpdate(uintptr_t wParam, intptr_t lParam);
    // The speed list's tooltip says so while playback runs behind the speed asked.
    void ShowPlayingBehind();
    intptr_t OnReadFailure(uintptr_t wParam, intptr_t lParam);
    // The playback handler's end notification: posts WM_USER+4 with `packet` as wParam.
    static void OnPlaybackEnd(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    // The dialog-unit conversion of this dialog's font.
    const DialogBaseUnits& BaseUnits() const { return m_baseUnits; }

    QIcon m_hIcon;
    CCameraWindow m_wndCameraWindow;
    PlaybackEngine* m_pPlaybackEngine = nullptr;
    std::string m_strIndexPath;
    std::string m_strMediaPath;
    int32_t m_bCommandLineFile = 0;
    QSlider* m_sliderPosition = nullptr;
    QComboBox* m_comboSpeed = nullptr;
    QPushButton* m_btnReverse = nullptr;
    QPushButton* m_btnStepBack = nullptr;
    QPushButton* m_btnPause = nullptr;
    QPushButton* m_btnStepForward = nullptr;
    QPushButton* m_btnPlay = nullptr;
    QPushButton* m_btnStop = nullptr;
    QPushButton* m_btnOpen = nullptr;
    QIcon m_hIconStop;
    QIcon m_hIconReverse;
    QIcon m_hIconStepBack;
    QIcon m_hIconOpen;
    QIcon m_hIconPause;
    QIcon m_hIconPlay;
    QIcon m_hIconStepForward;
    QIcon m_hIconSoundOn;
    QIcon m_hIconSoundOff;
    QIcon m_hIconSnapShot;
    int32_t m_bMute = 0;
    int32_t m_bOpened = 0;
    QPushButton* m_btnMute = nullptr;
    QSlider* m_sliderVolume = nullptr;
    QCheckBox* m_checkOriginalSize = nullptr;
    int32_t m_bOriginalSize = 1;
    QPushButton* m_btnSnapShot = nullptr;

public slots:
    // Every way the dialog ends (close box, Escape, Enter, accept, reject) comes through here, so
    // the playback thread is stopped before the dialog's windows go.
    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int32_t OnCreate();
    void OnSize(int width, int height);
    void CreateTemplateControls();
    void DoDataExchange(bool saveAndValidate);
    void OnInitDialog();
    void OnClose();
    void DestroyWindow();
    void PostNcDestroy();
    void StopPlaybackThread();
    // Key bindings, tooltips, drops and the slider's time tooltip.
    void SetUpNavigation();
    void ShowPositionToolTip(const QPoint& globalPos);
    // Open, slider range and thread start shared by OpenRecording and the reopen of Play.
    int32_t StartPlayback();
    intptr_t WindowProc(uint32_t code, uintptr_t wParam, intptr_t lParam);

    DialogBaseUnits m_baseUnits{0, 0};
    MessageWindow* m_pMessageWindow = nullptr;
    WindowHandle m_hWnd;
    QAction* m_pAboutAction = nullptr;
    QSize m_laidOutSize;
    bool m_bCreated = false;
    bool m_bDestroyed = false;
};
