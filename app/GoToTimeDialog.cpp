#include "app/GoToTimeDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "recording/CaptionText.h"
#include "recording/TypedTime.h"

namespace {

GoToTimeResponder* installedResponder = nullptr;

}  // namespace

void SetGoToTimeResponder(GoToTimeResponder* responder)
{
    installedResponder = responder;
}

bool AskGoToTime(QWidget* parent, const std::string& caption, int64_t* hundredths)
{
    if (installedResponder != nullptr) {
        return installedResponder->OnGoToTime(caption, hundredths);
    }
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("GoToTime"));
    dialog.setWindowTitle(QStringLiteral("Go to Time"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Date and time (as the captions show it):"), &dialog));
    // A plain field: people type or paste the caption's text, an ISO date or a time of day.
    auto* edit = new QLineEdit(QString::fromStdString(caption), &dialog);
    edit->setObjectName(QStringLiteral("GoToTimeText"));
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("Mar 05,2010 14:07:40.000")) * 3 / 2);
    layout->addWidget(edit);
    auto* message = new QLabel(&dialog);
    message->setObjectName(QStringLiteral("GoToTimeMessage"));
    message->setWordWrap(true);
    message->hide();
    layout->addWidget(message);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    const int64_t shownDay = CaptionWallClock(caption.c_str());
    int64_t chosen = -1;
    // OK closes the dialog only on a time it can read; anything else is said in the dialog.
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (ParseTypedTime(edit->text().toUtf8().constData(), shownDay, &chosen) == 0) {
            dialog.accept();
            return;
        }
        message->setText(QStringLiteral("\"%1\" cannot be read as a time. %2")
                             .arg(edit->text().trimmed(), QString::fromLatin1(kTypedTimeForms)));
        message->show();
        edit->setFocus();
        edit->selectAll();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    *hundredths = chosen;
    return true;
}
