#include "ui/CameraContextMenu.h"

#include <QMenu>

#include "playback/PlaybackEngine.h"
#include "playback/QelSmartHandler.h"
#include "recording/CaptionText.h"
#include "resources/ResourceIds.h"
#include "ui/CCamera.h"
#include "ui/CCameraWindow.h"
#include "ui/CameraWindowOwner.h"
#include "ui/ExportChannelDialog.h"

namespace {

const MediaFileMng* Recording(const CCamera* view)
{
    if (view->grid == nullptr || view->grid->dialog == nullptr) {
        return nullptr;
    }
    const PlaybackEngine* engine = view->grid->dialog->Engine();
    return engine != nullptr && engine->smartHandler != nullptr ? &engine->smartHandler->mediaFileMng : nullptr;
}

void SaveSnapshot(CCamera* view)
{
    view->grid->SelectView(view->viewIndex);
    view->grid->SnapshotSelected();
}

void ExportChannelOf(CCamera* view)
{
    const std::string caption = view->feed.Caption();
    ExportChannelDialog dialog(view->grid->dialog->MediaPath(), ChannelOfView(view), CaptionWallClock(caption.c_str()),
                               view->window());
    dialog.exec();
}

}  // namespace

int32_t ChannelOfView(const CCamera* view)
{
    // The scan registered view i for the i-th channel in ascending order; that list stays with
    // the recording until another one is opened.
    const MediaFileMng* recording = Recording(view);
    if (recording == nullptr || view->viewIndex < 0 || view->viewIndex >= recording->channelCount ||
        !view->HasWindow()) {
        return -1;
    }
    return recording->channels[view->viewIndex];
}

void FillCameraContextMenu(CCamera* view, QMenu* menu)
{
    QAction* snapshot = menu->addAction(QStringLiteral("Save snapshot…"));
    snapshot->setEnabled(view->grid != nullptr);
    QObject::connect(snapshot, &QAction::triggered, view, [view] { SaveSnapshot(view); });
    QAction* exportChannel = menu->addAction(QStringLiteral("Export channel…"));
    exportChannel->setEnabled(ChannelOfView(view) >= 0 && !view->grid->dialog->MediaPath().empty());
    QObject::connect(exportChannel, &QAction::triggered, view, [view] { ExportChannelOf(view); });
    // The window's own item stays within reach where the views cover the window.
    if (view->grid != nullptr && view->grid->dialog != nullptr) {
        menu->addSeparator();
        QAction* about = menu->addAction(QString::fromUtf8(LoadResourceString(kStringAbout)));
        CameraWindowOwner* owner = view->grid->dialog;
        QObject::connect(about, &QAction::triggered, view, [owner] { owner->ShowAbout(); });
    }
}

bool ShowCameraContextMenu(CCamera* view, const QPoint& at)
{
    QMenu menu(view);
    FillCameraContextMenu(view, &menu);
    menu.exec(at);
    return true;
}
