// The font of the program's dialogs and the pixel geometry of their templates. The templates ask
// for "MS Shell Dlg" at 8 points; where that face is missing, the system's sans face at 8 points
// stands in, and the geometry follows whichever face is used.
#pragma once

#include <QFont>
#include <QRect>

#include "app/DialogTemplate.h"

QFont DialogTemplateFont();
DialogBaseUnits DialogBaseUnitsOf(const QFont& font);
QRect TemplateRectToPixels(const DialogUnitRect& rect, const DialogBaseUnits& base);
