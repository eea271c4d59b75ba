#include "app/CKvrPlayerDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "app/CAboutDlg.h"
#include "app/DialogFont.h"
#include "app/SpeedList.h"
#include "platform/DebugOutput.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartHandler.h"
#include "recording/QelSmartLcid2Callback.h"
#include "resources/ResourceIds.h"
#include "ui/Dialogs.h"
#include "ui/WindowMessage.h"

namespace {

// The trackbar's range until a recording gives it one.
constexpr int kTrackbarDefaultMax = 100;
constexpr int kVolumeMax = 65535;

QWidget* CreateControl(const TemplateControl& control, QWidget* parent)
{
    const QString text = QString::fromLatin1(control.text);
    switch (control.kind) {
    case TemplateControlKind::kPushButton:
    case TemplateControlKind::kDefaultPushButton:
        return new QPushButton(text, parent);
    case TemplateControlKind::kTrackbar: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setRange(0, kTrackbarDefaultMax);
        return slider;
    }
    case TemplateControlKind::kDropDownList:
        return new QComboBox(parent);
    case TemplateControlKind::kCheckBox:
        return new QCheckBox(text, parent);
    case TemplateControlKind::kStaticText:
    case TemplateControlKind::kStaticIcon:
        break;
    }
    return nullptr;
}

// A drop-down list's template height includes its dropped list; the closed box keeps its own.
QRect ControlRect(const QWidget* control, QRect rect)
{
    if (qobject_cast<const QComboBox*>(control) != nullptr) {
        rect.setHeight(control->sizeHint().height());
    }
    return rect;
}

// A button that shows an icon in place of its text keeps the text for assistive tools.
void SetButtonIcon(QPushButton* button, const QIcon& icon, int size)
{
    if (!button->text().isEmpty()) {
        button->setAccessibleName(button->text());
        button->setText(QString());
    }
    button->setIcon(icon);
    button->setIconSize(QSize(size, size));
}

}  // namespace

CKvrPlayerDlg::CKvrPlayerDlg(QWidget* parent) : QDialog(parent), m_hIcon(LoadResourceIcon(kIconApp)) {}

CKvrPlayerDlg::~CKvrPlayerDlg()
{
    // A dialog destroyed without having been closed still stops its playback thread first.
    OnClose();
    DestroyWindow();
}

int32_t CKvrPlayerDlg::Create()
{
    if (m_bCreated) {
        return 0;
    }
    const DialogTemplate& dialog = MainDialogTemplate();
    setObjectName(QString::number(dialog.id));
    setWindowTitle(QString::fromLatin1(dialog.caption));
    // A window of its own with a task-bar entry, resizable, with minimize and maximize boxes.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogTemplateFont());
    m_baseUnits = DialogBaseUnitsOf(font());
    resize(ScaleDialogUnits(dialog.width, m_baseUnits.x, 4), ScaleDialogUnits(dialog.height, m_baseUnits.y, 8));
    if (OnCreate() != 0) {
        OnClose();
        return -1;
    }
    m_bCreated = true;
    // The size notification of window creation comes before the controls exist: it places the
    // grid only, and the controls keep their template places until the first real resize.
    OnSize(width(), height());
    CreateTemplateControls();
    OnInitDialog();
    return 0;
}

int CKvrPlayerDlg::DoModal()
{
    if (Create() != 0) {
        return -1;
    }
    return exec();
}

int32_t CKvrPlayerDlg::OnCreate()
{
    // Made here, on the user-interface thread, which runs its handler.
    m_pMessageWindow = new MessageWindow(
        [this](uint32_t code, uintptr_t wParam, intptr_t lParam) { return WindowProc(code, wParam, lParam); }, this);
    m_hWnd = m_pMessageWindow->Handle();
    if (m_wndCameraWindow.Create(this) != 0) {
        return -1;
    }
    m_wndCameraWindow.setProperty("controlId", kCameraWindowControlId);
    m_wndCameraWindow.dialog = this;
    m_pPlaybackEngine = CreatePlaybackEngine();
    return 0;
}

void CKvrPlayerDlg::CreateTemplateControls()
{
    const DialogTemplate& dialog = MainDialogTemplate();
    for (int32_t i = 0; i < dialog.controlCount; ++i) {
        const TemplateControl& control = dialog.controls[i];
        QWidget* widget = CreateControl(control, this);
        if (widget == nullptr) {
            continue;
        }
        widget->setObjectName(QString::number(control.id));
        widget->setProperty("controlId", control.id);
        widget->setGeometry(ControlRect(widget, TemplateRectToPixels(control.rect, m_baseUnits)));
        widget->show();
    }
}

void CKvrPlayerDlg::DoDataExchange(bool saveAndValidate)
{
    if (m_sliderPosition == nullptr) {
        const auto control = [this]<typename T>(T** member, int32_t id) {
            *member = findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
        };
        control(&m_sliderPosition, IDC_SLIDER_POSITION);
        control(&m_comboSpeed, IDC_COMBO_SPEED);
        control(&m_btnReverse, IDC_BUTTON_REVERSE);
        control(&m_btnStepBack, IDC_BUTTON_STEP_BACK);
        control(&m_btnPause, IDC_BUTTON_PAUSE);
        control(&m_btnStepForward, IDC_BUTTON_STEP_FORWARD);
        control(&m_btnPlay, IDC_BUTTON_PLAY);
        control(&m_btnStop, IDC_BUTTON_STOP);
        control(&m_btnOpen, IDC_BUTTON_OPEN);
        control(&m_btnMute, IDC_BUTTON_MUTE);
        control(&m_sliderVolume, IDC_SLIDER_VOLUME);
        control(&m_checkOriginalSize, IDC_CHECK_ORIGINAL_SIZE);
        control(&m_btnSnapShot, IDC_BUTTON_SNAPSHOT);
    }
    if (m_checkOriginalSize != nullptr) {
        if (saveAndValidate) {
            m_bOriginalSize = m_checkOriginalSize->isChecked() ? 1 : 0;
        } else {
            m_checkOriginalSize->setChecked(m_bOriginalSize != 0);
        }
    }
}

void CKvrPlayerDlg::OnInitDialog()
{
    DoDataExchange(false);

    // The window manager owns the window menu, so the about item lives in the dialog's context
    // menu and on F1.
    const char* about = LoadResourceString(kStringAbout);
    if (about[0] != '\0') {
        m_pAboutAction = new QAction(QString::fromLatin1(about), this);
        m_pAboutAction->setShortcut(QKeySequence(Qt::Key_F1));
        m_pAboutAction->setShortcutContext(Qt::WindowShortcut);
        connect(m_pAboutAction, &QAction::triggered, this, [this] { OnSysCommand(IDM_ABOUTBOX); });
        addAction(m_pAboutAction);
    }

    setWindowIcon(m_hIcon);

    {
        const QSignalBlocker blocker(m_sliderVolume);
        m_sliderVolume->setRange(0, kVolumeMax);
        m_sliderVolume->setValue(m_wndCameraWindow.audio.volumeAudio.GetVolume());
    }

    {
        const QSignalBlocker blocker(m_comboSpeed);
        for (int32_t i = 0; i < kSpeedListCount; ++i) {
            m_comboSpeed->addItem(QString::fromLatin1(SpeedListText(i)));
        }
    }

    m_hIconStop = LoadResourceIcon(kIconStop);
    m_hIconReverse = LoadResourceIcon(kIconReverse);
    m_hIconStepBack = LoadResourceIcon(kIconStepBack);
    m_hIconOpen = LoadResourceIcon(kIconOpen);
    m_hIconPause = LoadResourceIcon(kIconPause);
    m_hIconPlay = LoadResourceIcon(kIconPlay);
    m_hIconStepForward = LoadResourceIcon(kIconStepForward);
    m_hIconSoundOn = LoadResourceIcon(kIconSoundOn);
    m_hIconSoundOff = LoadResourceIcon(kIconSoundOff);
    m_hIconSnapShot = LoadResourceIcon(kIconSnapshot);
    SetButtonIcon(m_btnReverse, m_hIconReverse, 16);
    SetButtonIcon(m_btnStepBack, m_hIconStepBack, 16);
    SetButtonIcon(m_btnPause, m_hIconPause, 16);
    SetButtonIcon(m_btnStepForward, m_hIconStepForward, 16);
    SetButtonIcon(m_btnPlay, m_hIconPlay, 16);
    SetButtonIcon(m_btnStop, m_hIconStop, 16);
    SetButtonIcon(m_btnOpen, m_hIconOpen, 16);
    SetButtonIcon(m_btnMute, m_hIconSoundOn, 24);
    SetButtonIcon(m_btnSnapShot, m_hIconSnapShot, 32);

    {
        const QSignalBlocker blocker(m_comboSpeed);
        m_comboSpeed->setCurrentIndex(kSpeedListNormal);
    }

    // The message map: only user actions reach the commands. Setting a control from the code
    // (the position reports above all) raises none of these signals.
    connect(m_btnOpen, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonOpen);
    connect(m_btnStop, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonStop);
    connect(m_btnReverse, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonReverse);
    connect(m_btnPlay, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonPlay);
    connect(m_btnStepBack, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonStepBack);
    connect(m_btnStepForward, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonStepForward);
    connect(m_btnPause, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonPause);
    for (QSlider* slider : {m_sliderPosition, m_sliderVolume}) {
        // Every step, page, jump and drag move, and the release that ends a drag.
        connect(slider, &QSlider::actionTriggered, this, [this, slider] { OnHScroll(slider); });
        connect(slider, &QSlider::sliderReleased, this, [this, slider] { OnHScroll(slider); });
    }
    connect(m_comboSpeed, &QComboBox::activated, this, &CKvrPlayerDlg::OnSelchangeSpeed);
    connect(m_btnMute, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonMute);
    connect(m_checkOriginalSize, &QCheckBox::clicked, this, &CKvrPlayerDlg::OnCheckOriginalSize);
    connect(m_btnSnapShot, &QPushButton::clicked, this, &CKvrPlayerDlg::OnButtonSnapShot);

    ConnectPlaybackEngine(m_pPlaybackEngine, &m_wndCameraWindow, &CKvrPlayerDlg::OnPlaybackEnd, this);
    SetUpNavigation();

    if (m_bCommandLineFile != 0 && !m_strMediaPath.empty()) {
        OpenRecording(m_strMediaPath);
        DebugOutputString(m_strMediaPath.c_str());
    } else {
        m_wndCameraWindow.CreateViews(4);
    }

    DoDataExchange(false);
}

void CKvrPlayerDlg::OnSize(int width, int height)
{
    m_laidOutSize = QSize(width, height);
    if (!m_bCreated) {
        return;
    }
    const int W = width;
    const int H = height;
    m_wndCameraWindow.setGeometry(5, 5, std::max(0, W - 10), std::max(0, H - 90));

    struct Placement {
        QWidget* control;
        int x;
        int y;
        int width;
        int height;
    };
    const Placement placements[] = {
        {m_sliderPosition, 20, H - 80, 241, 30},
        {m_btnReverse, 20, H - 45, 35, 35},
        {m_btnStepBack, 65, H - 45, 35, 35},
        {m_btnPause, 110, H - 45, 35, 35},
        {m_btnStepForward, 155, H - 45, 35, 35},
        {m_btnPlay, 200, H - 45, 35, 35},
        {m_btnStop, 245, H - 45, 35, 35},
        {m_comboSpeed, 290, H - 40, 74, 100},
        {m_btnSnapShot, 390, H - 80, 40, 40},
        {m_btnMute, 480, H - 80, 25, 25},
        {m_sliderVolume, 508, H - 80, 90, 30},
        {m_checkOriginalSize, 480, H - 40, 90, 20},
        {m_btnOpen, 570, H - 45, 35, 35},
    };
    for (const Placement& placement : placements) {
        if (placement.control == nullptr) {
            continue;   // not made yet
        }
        placement.control->setGeometry(
            ControlRect(placement.control, QRect(placement.x, placement.y, placement.width, placement.height)));
        placement.control->update();
    }
    update();
}

void CKvrPlayerDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Showing the window delivers the size it was created with, which has been laid out already.
    if (event->size() == m_laidOutSize) {
        return;
    }
    OnSize(event->size().width(), event->size().height());
}

void CKvrPlayerDlg::keyPressEvent(QKeyEvent* event)
{
    // A focused button takes Enter itself and clicks; Enter that reaches the dialog comes from a
    // control without a use for it and ends the dialog, as OK would. Escape ends it through
    // reject().
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        // On a selected view Enter shows it alone (and back) instead.
        const int32_t selected = m_wndCameraWindow.selectedIndex;
        if (selected >= 0 && selected < m_wndCameraWindow.viewCount.load()) {
            OnToggleSingleView();
            return;
        }
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CKvrPlayerDlg::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_pAboutAction == nullptr) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.addAction(m_pAboutAction);
    menu.exec(event->globalPos());
}

void CKvrPlayerDlg::OnSysCommand(uint32_t command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
    }
}

intptr_t CKvrPlayerDlg::WindowProc(uint32_t code, uintptr_t wParam, intptr_t lParam)
{
    switch (code) {
    case WM_POSITION_UPDATE:
        return OnPositionUpdate(wParam, lParam);
    case WM_READ_FAILURE:
        return OnReadFailure(wParam, lParam);
    default:
        return 0;
    }
}

intptr_t CKvrPlayerDlg::OnPositionUpdate(uintptr_t, intptr_t)
{
    const int32_t position = m_wndCameraWindow.TakeReportedPosition();
    if (m_sliderPosition != nullptr) {
        // Not a scroll: no seek follows.
        const QSignalBlocker blocker(m_sliderPosition);
        m_sliderPosition->setValue(static_cast<int>(position));
    }
    ShowPlayingBehind();
    return 0;
}

void CKvrPlayerDlg::ShowPlayingBehind()
{
    if (m_comboSpeed == nullptr) {
        return;
    }
    QelSmartHandler* handler = HandlerOf(m_pPlaybackEngine);
    const QString tip = handler != nullptr && handler->playingBehind.load() != 0
                            ? QStringLiteral("Playing behind: decoding cannot keep up with this speed")
                            : QString();
    if (m_comboSpeed->toolTip() != tip) {
        m_comboSpeed->setToolTip(tip);
    }
}

intptr_t CKvrPlayerDlg::OnReadFailure(uintptr_t, intptr_t)
{
    ShowWarningMessage(this, LoadResourceString(kStringReadFailed));
    m_bOpened = 0;
    return 0;
}

void CKvrPlayerDlg::OnPlaybackEnd(void* context, int32_t, const uint8_t* packet, uint32_t)
{
    auto* dialog = static_cast<CKvrPlayerDlg*>(context);
    if (dialog != nullptr) {
        PostWindowMessage(dialog->m_hWnd, WM_READ_FAILURE, reinterpret_cast<uintptr_t>(packet), 0);
    }
}

void CKvrPlayerDlg::done(int result)
{
    OnClose();
    QDialog::done(result);
    DestroyWindow();
}

void CKvrPlayerDlg::OnClose()
{
    PlaybackEngine* engine = m_pPlaybackEngine;
    if (engine == nullptr) {
        return;
    }
    StopPlaybackThread();
    if (engine->lcid2Callback != nullptr) {
        engine->lcid2Callback->Clear();
    }
    m_pPlaybackEngine = nullptr;
    DestroyPlaybackEngine(engine);
}

void CKvrPlayerDlg::DestroyWindow()
{
    if (m_bDestroyed) {
        return;
    }
    m_bDestroyed = true;
    m_wndCameraWindow.Destroy();
    // Messages still queued for the dialog are dropped with its message window.
    delete m_pMessageWindow;
    m_pMessageWindow = nullptr;
    PostNcDestroy();
}

void CKvrPlayerDlg::PostNcDestroy()
{
    for (QIcon* icon : {&m_hIconStop, &m_hIconReverse, &m_hIconStepBack, &m_hIconOpen, &m_hIconPause, &m_hIconPlay,
                        &m_hIconStepForward, &m_hIconSoundOn, &m_hIconSoundOff, &m_hIconSnapShot}) {
        *icon = QIcon();
    }
}
