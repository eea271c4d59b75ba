// A date and time as people type or paste it into "go to time", read in the captions' time scale
// (UTC hundredths of a second since 1970):
//   the caption's own form      "Mar 05,2010 14:07:40.000"   (fraction optional)
//   ISO 8601                    "2010-03-05 14:07:40", "2010-03-05T14:07:40.250Z"
//   a time of day alone         "14:07:40", "14:07:40.5"      (on the day of the time shown)
// A fraction has one to three digits; what lies below a hundredth is dropped.
#pragma once

#include <cstdint>

// 0 with the time in `hundredths`; -1 for anything else. `shownDay` is any time of the day a time
// of day alone is taken on (-1: none, and such a text is refused).
int32_t ParseTypedTime(const char* text, int64_t shownDay, int64_t* hundredths);

// The forms taken, for a message to whoever typed something else.
constexpr const char* kTypedTimeForms =
    "Type a date and time as the captions show it (Mar 05,2010 14:07:40.000), as 2010-03-05 14:07:40, or a "
    "time of day (14:07:40) on the day shown.";
