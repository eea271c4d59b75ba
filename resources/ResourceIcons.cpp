// Icons from the scalable pictures compiled into this library. Each is rendered once per size it
// is used at, and again at twice that size so that it stays sharp on high-density screens.
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>
#include <iterator>

#include "resources/ResourceIds.h"

namespace {

struct IconEntry {
    int id;
    const char* path;
    int size;   // loaded size in pixels
};

constexpr IconEntry kIcons[] = {
    {kIconStop, ":/kvr/icons/stop.svg", 16},
    {kIconReverse, ":/kvr/icons/reverse.svg", 16},
    {kIconStepBack, ":/kvr/icons/step-back.svg", 16},
    {kIconOpen, ":/kvr/icons/eject.svg", 16},
    {kIconPause, ":/kvr/icons/pause.svg", 16},
    {kIconPlay, ":/kvr/icons/play.svg", 16},
    {kIconStepForward, ":/kvr/icons/step-forward.svg", 16},
    {kIconSoundOn, ":/kvr/icons/sound-on.svg", 24},
    {kIconSoundOff, ":/kvr/icons/sound-off.svg", 24},
    {kIconSnapshot, ":/kvr/icons/snapshot.svg", 32},
};

// The window manager and the task bar ask for the application icon at many sizes.
constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr const char* kAppIconPath = ":/kvr/icons/app.svg";

void AddRendering(QIcon* icon, QSvgRenderer* renderer, int pixels)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer->render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    icon->addPixmap(pixmap);
}

QIcon RenderIcon(const char* path, const int* sizes, int count, bool doubled)
{
    QSvgRenderer renderer(QString::fromLatin1(path));
    if (!renderer.isValid()) {
        return QIcon();
    }
    QIcon icon;
    for (int i = 0; i < count; ++i) {
        AddRendering(&icon, &renderer, sizes[i]);
        if (doubled) {
            AddRendering(&icon, &renderer, sizes[i] * 2);
        }
    }
    return icon;
}

}  // namespace

QIcon LoadResourceIcon(int id)
{
    if (id == kIconApp) {
        return RenderIcon(kAppIconPath, kAppIconSizes, static_cast<int>(std::size(kAppIconSizes)), false);
    }
    for (const IconEntry& entry : kIcons) {
        if (entry.id == id) {
            return RenderIcon(entry.path, &entry.size, 1, true);
        }
    }
    return QIcon();
}
