#include "tests/ui/ViewTestSupport.h"

#include <QApplication>
#include <cstdlib>

#include "playback/DecodePool.h"
#include "tests/video/VideoFixtures.h"

TestDialog::TestDialog()
{
    messages = std::make_unique<MessageWindow>([this](uint32_t code, uintptr_t, intptr_t) -> intptr_t {
        if (code == WM_POSITION_UPDATE) {
            positions.push_back(static_cast<uintptr_t>(grid.TakeReportedPosition()));
        }
        return 0;
    });
    engine = CreatePlaybackEngine();
    grid.Create(this);
    grid.dialog = this;
}

TestDialog::~TestDialog()
{
    // As the dialog does: the views no longer find the engine once it is gone.
    PlaybackEngine* gone = engine;
    engine = nullptr;
    DestroyPlaybackEngine(gone);
    grid.Destroy();
}

void TestDialog::Deliver(CCamera* view, const std::vector<uint8_t>& packet)
{
    CCamera::OnChannelPacket(view, 1026, packet.data(), static_cast<uint32_t>(packet.size()));
    // Video decodes on the engine's pool: the delivery is over once its picture is.
    CameraWindowOwner* owner = view->grid != nullptr ? view->grid->dialog : nullptr;
    if (DecodePool* pool = owner != nullptr ? DecodePoolOf(owner->Engine()) : nullptr) {
        pool->WaitIdle();
    }
}

QImage Grab(QWidget* widget)
{
    QApplication::processEvents();
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor PixelAt(const QImage& image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

QImage ExpectedPicture(uint32_t frameWidth, uint32_t frameHeight, int width, int height)
{
    const std::vector<uint8_t> pattern = PatternPicture(frameWidth, frameHeight, 0);
    const QImage picture(pattern.data(), static_cast<int>(frameWidth), static_cast<int>(frameHeight),
                         static_cast<qsizetype>(frameWidth) * 3, QImage::Format_BGR888);
    return picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull()) {
        return 255;
    }
    double total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            total += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return total / (3.0 * a.width() * a.height());
}
