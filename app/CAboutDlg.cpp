#include "app/CAboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "app/DialogFont.h"
#include "resources/ResourceIds.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    const DialogTemplate& dialog = AboutDialogTemplate();
    setObjectName(QString::number(dialog.id));
    setWindowTitle(QString::fromLatin1(dialog.caption));
    setFont(DialogTemplateFont());
    const DialogBaseUnits base = DialogBaseUnitsOf(font());
    setFixedSize(ScaleDialogUnits(dialog.width, base.x, 4), ScaleDialogUnits(dialog.height, base.y, 8));
    for (int32_t i = 0; i < dialog.controlCount; ++i) {
        const TemplateControl& control = dialog.controls[i];
        const QRect rect = TemplateRectToPixels(control.rect, base);
        QWidget* widget = nullptr;
        switch (control.kind) {
        case TemplateControlKind::kStaticIcon: {
            auto* label = new QLabel(this);
            // An icon control shows the icon at the system's icon size, whatever its template size.
            label->setPixmap(LoadResourceIcon(kIconApp).pixmap(32, 32));
            label->setGeometry(rect.x(), rect.y(), 32, 32);
            widget = label;
            break;
        }
        case TemplateControlKind::kStaticText: {
            auto* label = new QLabel(QString::fromLatin1(control.text) + QStringLiteral(KVR_VERSION), this);
            label->setTextFormat(Qt::PlainText);
            label->setGeometry(rect);
            widget = label;
            break;
        }
        case TemplateControlKind::kDefaultPushButton:
        case TemplateControlKind::kPushButton: {
            auto* button = new QPushButton(QString::fromLatin1(control.text), this);
            button->setGeometry(rect);
            button->setDefault(control.kind == TemplateControlKind::kDefaultPushButton);
            if (control.id == IDOK) {
                connect(button, &QPushButton::clicked, this, &QDialog::accept);
            }
            widget = button;
            break;
        }
        default:
            break;
        }
        if (widget != nullptr) {
            widget->setObjectName(QString::number(control.id));
        }
    }
}

int CAboutDlg::DoModal()
{
    return exec();
}
