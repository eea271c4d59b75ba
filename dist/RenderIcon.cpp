// Build-time helper: renders the application's scalable icon as a square PNG of one size, for the
// fixed-size folders of the icon theme, so that no rendered picture has to be kept in the tree.
// usage: kvr-render-icon IN.svg OUT.png PIXELS
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fputs("usage: kvr-render-icon IN.svg OUT.png PIXELS\n", stderr);
        return 2;
    }
    const int pixels = atoi(argv[3]);
    if (pixels < 1 || pixels > 1024) {
        fprintf(stderr, "kvr-render-icon: size %s is not 1 to 1024\n", argv[3]);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        fprintf(stderr, "kvr-render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        fprintf(stderr, "kvr-render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
