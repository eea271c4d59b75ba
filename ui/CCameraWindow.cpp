#include "ui/CCameraWindow.h"

#include <QPainter>
#include <QResizeEvent>
#include <cstring>
#include <new>

#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "ui/CCamera.h"
#include "ui/CameraWindowOwner.h"
#include "ui/Dialogs.h"

namespace {

// The smallest n with n x n >= count, at most 8.
int32_t ColumnsFor(int32_t count)
{
    int32_t n = 1;
    while (n * n < count && n < kMaxColumns) {
        ++n;
    }
    return n;
}

}  // namespace

CCameraWindow::CCameraWindow() : audio(this)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CCameraWindow::~CCameraWindow()
{
    Destroy();
}

int32_t CCameraWindow::Create(QWidget* parent)
{
    setParent(parent);
    setObjectName(QStringLiteral("Camera Window"));
    using ViewArray = std::array<std::unique_ptr<CCamera>, kMaxViews>;
    views.reset(new (std::nothrow) ViewArray);
    if (!views) {
        return -1;
    }
    for (auto& view : *views) {
        view.reset(new (std::nothrow) CCamera(this));
        if (!view) {
            views.reset();
            return -1;
        }
    }
    composerReady = composer.Create(this) ? 1 : 0;
    if (composerReady) {
        const uint8_t* layout = composer.GetLayout();
        if (layout != nullptr) {
            memcpy(composerLayout.bytes, layout, sizeof composerLayout.bytes);
        } else {
            composerReady = 0;
        }
    }
    show();
    return 0;
}

void CCameraWindow::Destroy()
{
    audio.OnAudioClose();
    DestroyViewWindows();
    views.reset();
}

CCamera* CCameraWindow::View(int32_t index) const
{
    if (!views || index < 0 || index >= kMaxViews) {
        return nullptr;
    }
    return (*views)[static_cast<size_t>(index)].get();
}

void CCameraWindow::DestroyViewWindows()
{
    for (int32_t i = 0; i < viewCount.load(); ++i) {
        if (CCamera* view = View(i)) {
            view->DestroyViewWindow();
        }
    }
}

int32_t CCameraWindow::CreateViews(int32_t count)
{
    if (count <= 0 || !views) {
        return 0;
    }
    // More channels than views: the grid shows the first 64, in channel order.
    const int32_t n = ColumnsFor(count);
    DestroyViewWindows();
    for (int32_t j = 0; j < n * n; ++j) {
        CCamera* view = View(j);
        view->CreateViewWindow(this);
        view->viewIndex = static_cast<int16_t>(j);
        view->feed.Reset();
        view->grid = this;
    }
    columns = n;
    viewCount = n * n;
    singleView = 0;
    LayoutViews();
    return viewCount.load();
}

StepView* CCameraWindow::StepViewAt(int32_t index)
{
    // The views are made while the playback thread is stopped, so the array stands still here.
    if (index < 0 || index >= viewCount.load()) {
        return nullptr;
    }
    return View(index);
}

ChannelHandler CCameraWindow::ViewHandler(int32_t index)
{
    if (index < 0 || index >= viewCount.load() || View(index) == nullptr) {
        return ChannelHandler{nullptr, nullptr};
    }
    return ChannelHandler{View(index), &CCamera::OnChannelPacket};
}

QelSmartLcid2Callback* CCameraWindow::Registry()
{
    PlaybackEngine* engine = dialog != nullptr ? dialog->Engine() : nullptr;
    return engine != nullptr ? engine->lcid2Callback : nullptr;
}

void CCameraWindow::LayoutViews()
{
    if (columns == 0) {
        return;
    }
    PlaceViews(width(), height());
}

void CCameraWindow::PlaceViews(int32_t gridWidth, int32_t gridHeight)
{
    const int32_t count = viewCount.load();
    if (singleView.load() != 0) {
        for (int32_t i = 0; i < count; ++i) {
            CCamera* view = View(i);
            if (view != nullptr && view->HasWindow()) {
                view->setGeometry(0, 0, 0, 0);
            }
        }
        CCamera* shown = View(singleViewIndex);
        if (shown != nullptr && shown->HasWindow()) {
            shown->setGeometry(0, 0, gridWidth, gridHeight);
            shown->update();
        }
        return;
    }
    if (columns == 0) {
        return;
    }
    const int32_t cellWidth = gridWidth / columns;
    const int32_t cellHeight = gridHeight / columns;
    int32_t x = 0;
    int32_t y = 0;
    for (int32_t i = 0; i < count; ++i) {
        CCamera* view = View(i);
        if (view == nullptr || !view->HasWindow()) {
            continue;
        }
        if (i != 0 && i % columns == 0) {
            x = 0;
            y += cellHeight;
        } else if (i % columns != 0) {
            x += cellWidth;
        }
        view->setGeometry(x, y, cellWidth, cellHeight);
        view->update();
    }
}

void CCameraWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceViews(event->size().width(), event->size().height());
}

void CCameraWindow::paintEvent(QPaintEvent*)
{
    // The strips no view covers show the dialog's background.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
}

int32_t CCameraWindow::SelectView(int32_t index)
{
    if (index < 0) {
        return 0;
    }
    if (CCamera* previous = View(selectedIndex)) {
        previous->selected = 0;
        if (previous->HasWindow()) {
            previous->update();
        }
    }
    if (CCamera* view = View(index)) {
        view->selected = 1;
        if (view->HasWindow()) {
            view->update();
        }
    }
    selectedIndex = static_cast<int16_t>(index);
    return 1;
}

void CCameraWindow::ToggleSingleView(int32_t index)
{
    if (singleView.load() != 0) {
        singleView = 0;
    } else {
        singleViewIndex = static_cast<int16_t>(index);
        singleView = 1;
    }
    LayoutViews();
}

void CCameraWindow::SetOriginalSize(int32_t flag)
{
    if (flag == naturalSize.load()) {
        return;
    }
    naturalSize = flag;
    for (int32_t i = 0; i < viewCount.load(); ++i) {
        if (CCamera* view = View(i); view != nullptr && view->HasWindow()) {
            view->update();
        }
    }
}

void CCameraWindow::ClearViews()
{
    for (int32_t i = 0; i < viewCount.load(); ++i) {
        if (CCamera* view = View(i)) {
            view->Reset();
        }
    }
}

void CCameraWindow::ResetOverlays()
{
    // Under each view's lock, so a composition in progress finishes first and is then cleared.
    for (int32_t i = 0; i < viewCount.load(); ++i) {
        if (CCamera* view = View(i)) {
            view->feed.ClearOverlay();
        }
    }
}

int32_t CCameraWindow::SnapshotSelected()
{
    CCamera* view = View(selectedIndex);
    if (view == nullptr || !view->HasWindow() || view->feed.hasFrame.load() == 0) {
        ShowWarningMessage(this, "select camera");
        return -1;
    }
    // The playback thread is held while the user picks the file, and runs again afterwards.
    PlaybackEngine* engine = dialog != nullptr ? dialog->Engine() : nullptr;
    QelSmartControlThread* control = engine != nullptr ? engine->controlThread : nullptr;
    const bool held = dialog != nullptr && dialog->IsOpened() == 1 && control != nullptr;
    if (held) {
        control->SuspendThread();
    }
    view->Snapshot();
    if (held) {
        control->ResumeThread();
    }
    return 0;
}

void CCameraWindow::ReportPosition(int32_t record)
{
    reportedPosition.store(record);
    if (dialog == nullptr || positionReportPending.exchange(true)) {
        return;
    }
    if (!PostWindowMessage(dialog->OwnerWindow(), WM_POSITION_UPDATE, static_cast<uintptr_t>(record), 0)) {
        positionReportPending = false;   // the owner's window is gone
    }
}

int32_t CCameraWindow::TakeReportedPosition()
{
    // Cleared before the read: a report made meanwhile posts again rather than being lost.
    positionReportPending = false;
    return reportedPosition.load();
}
