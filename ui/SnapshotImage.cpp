#include "ui/SnapshotImage.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cstring>

int32_t RenderSnapshotImage(const uint8_t* pixels, uint32_t width, uint32_t height, VideoCodecId codec,
                            const std::string& caption, std::vector<uint8_t>* image)
{
    image->clear();
    if (width == 0 || height == 0) {
        return 0;
    }
    if (pixels == nullptr || width > INT32_MAX || height > INT32_MAX) {
        return -1;
    }
    // The surface keeps the frame's own pixel order, so the frame's rows copy straight in and
    // the picture reads straight out; rows are packed in the frame but aligned in the surface.
    QImage surface(static_cast<int>(width), static_cast<int>(height), QImage::Format_BGR888);
    if (surface.isNull()) {
        return -1;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const bool topDown = VideoCodecIsTopDown(codec);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t source = topDown ? y : height - 1 - y;
        std::memcpy(surface.scanLine(static_cast<int>(y)), pixels + source * rowBytes, rowBytes);
    }
    {
        QPainter painter(&surface);
        QFont font(QStringLiteral("MS Sans Serif"));
        font.setPointSize(8);
        font.setStyleHint(QFont::SansSerif);
        // A crisp caption in exactly the pen colour, as a bitmap font would draw it.
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 250));
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(QBrush(Qt::black));
        painter.drawText(QRect(0, 0, surface.width(), surface.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QString::fromStdString(caption));
    }
    image->resize(rowBytes * height);
    for (uint32_t y = 0; y < height; ++y) {
        std::memcpy(image->data() + y * rowBytes, surface.constScanLine(static_cast<int>(height - 1 - y)), rowBytes);
    }
    return 0;
}
