// The "go to time" question: a small dialog with a date and time field, prefilled with a view's
// caption, behind a seam that tests answer in its place (as the message boxes have theirs).
#pragma once

#include <cstdint>
#include <string>

class QWidget;

class GoToTimeResponder {
public:
    virtual ~GoToTimeResponder() = default;
    // `caption` is the prefilled caption; true with the chosen time (UTC hundredths of a second
    // since 1970), false when the user cancels.
    virtual bool OnGoToTime(const std::string& caption, int64_t* hundredths) = 0;
};

// Installs the responder that answers in place of the dialog; null shows the dialog again.
void SetGoToTimeResponder(GoToTimeResponder* responder);

// Asks for a date and time, prefilled with `caption` (or now, when it is no caption). True with
// the answer in `hundredths`; false when cancelled.
bool AskGoToTime(QWidget* parent, const std::string& caption, int64_t* hundredths);
