// The "go to time" question: a small dialog with a text field, prefilled with a view's caption,
// that takes what people type or paste (see TypedTime) and says so in the dialog when it cannot
// read it; behind a seam that tests answer in its place (as the message boxes have theirs).
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

// Asks for a date and time, prefilled with `caption`; a time of day alone is taken on the caption's
// day. True with the answer in `hundredths`; false when cancelled.
bool AskGoToTime(QWidget* parent, const std::string& caption, int64_t* hundredths);
