#include "app/DialogFont.h"

#include <QFontMetrics>
#include <QString>

QFont DialogTemplateFont()
{
    QFont font(QStringLiteral("MS Shell Dlg"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogBaseUnits DialogBaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int letters = metrics.horizontalAdvance(alphabet);
    return BaseUnitsFromLetters(letters, metrics.height());
}

QRect TemplateRectToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base)
{
    const PixelRect pixels = DialogRectToPixels(rect, base);
    return QRect(pixels.x, pixels.y, pixels.width, pixels.height);
}
