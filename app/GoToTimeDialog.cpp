#include "app/GoToTimeDialog.h"

#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "recording/CaptionText.h"

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
    dialog.setWindowTitle(QStringLiteral("Go to Time"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Date and time (as the captions show it):"), &dialog));
    auto* edit = new QDateTimeEdit(&dialog);
    // Captions show UTC; so does the field.
    edit->setTimeSpec(Qt::UTC);
    edit->setDisplayFormat(QStringLiteral("MMM dd,yyyy HH:mm:ss.zzz"));
    edit->setCalendarPopup(true);
    const int64_t shown = CaptionWallClock(caption.c_str());
    edit->setDateTime(shown >= 0 ? QDateTime::fromMSecsSinceEpoch(shown * 10, Qt::UTC)
                                 : QDateTime::currentDateTimeUtc());
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    *hundredths = edit->dateTime().toMSecsSinceEpoch() / 10;
    return true;
}
