#include "recording/TypedTime.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include "platform/UtcCalendar.h"
#include "recording/CaptionText.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Reads the text from left to right; every step either takes what it expects or fails.
class Cursor {
public:
    explicit Cursor(const char* text) : at(text) {}

    bool Digits(int32_t fewest, int32_t most, int32_t* value)
    {
        int32_t taken = 0;
        int32_t number = 0;
        while (taken < most && std::isdigit(static_cast<unsigned char>(at[taken])) != 0) {
            number = number * 10 + (at[taken] - '0');
            ++taken;
        }
        if (taken < fewest || std::isdigit(static_cast<unsigned char>(at[taken])) != 0) {
            return false;
        }
        at += taken;
        *value = number;
        return true;
    }
    // One digit, whatever follows it.
    bool Digit(int32_t* value)
    {
        if (std::isdigit(static_cast<unsigned char>(*at)) == 0) {
            return false;
        }
        *value = *at++ - '0';
        return true;
    }
    bool Char(char wanted)
    {
        if (*at != wanted) {
            return false;
        }
        ++at;
        return true;
    }
    bool OneOf(const char* wanted)
    {
        return *at != '\0' && std::strchr(wanted, *at) != nullptr && Char(*at);
    }
    // Three letters of a month name, any case: its number.
    bool Month(int32_t* month)
    {
        for (int32_t m = 1; m <= 12; ++m) {
            const char* name = CaptionMonthName(m);
            if (strncasecmp(at, name, 3) == 0) {
                at += 3;
                *month = m;
                return true;
            }
        }
        return false;
    }
    bool AtEnd() const { return *at == '\0'; }
    char Peek() const { return *at; }

private:
    const char* at;
};

struct Fields {
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t hundredths = 0;
};

// HH:MM:SS with an optional fraction of one to three digits.
bool ReadTimeOfDay(Cursor& cursor, Fields* fields)
{
    if (!cursor.Digits(1, 2, &fields->hour) || !cursor.Char(':') || !cursor.Digits(2, 2, &fields->minute) ||
        !cursor.Char(':') || !cursor.Digits(2, 2, &fields->second)) {
        return false;
    }
    if (cursor.Char('.')) {
        int32_t digits = 0;
        int32_t value = 0;
        int32_t digit = 0;
        while (digits < 3 && cursor.Digit(&digit)) {
            value = value * 10 + digit;
            ++digits;
        }
        if (digits == 0 || std::isdigit(static_cast<unsigned char>(cursor.Peek())) != 0) {
            return false;
        }
        for (int32_t d = digits; d < 3; ++d) {
            value *= 10;
        }
        fields->hundredths = value / 10;
    }
    return true;
}

bool ReadCaptionForm(const char* text, Fields* fields)
{
    Cursor cursor(text);
    return cursor.Month(&fields->month) && cursor.Char(' ') && cursor.Digits(1, 2, &fields->day) &&
           cursor.Char(',') && cursor.Digits(4, 4, &fields->year) && cursor.Char(' ') &&
           ReadTimeOfDay(cursor, fields) && cursor.AtEnd();
}

bool ReadIsoForm(const char* text, Fields* fields)
{
    Cursor cursor(text);
    if (!cursor.Digits(4, 4, &fields->year) || !cursor.Char('-') || !cursor.Digits(2, 2, &fields->month) ||
        !cursor.Char('-') || !cursor.Digits(2, 2, &fields->day) || !cursor.OneOf("T ") ||
        !ReadTimeOfDay(cursor, fields)) {
        return false;
    }
    cursor.Char('Z');
    return cursor.AtEnd();
}

bool ReadTimeOfDayForm(const char* text, Fields* fields)
{
    Cursor cursor(text);
    return ReadTimeOfDay(cursor, fields) && cursor.AtEnd();
}

}  // namespace

int32_t ParseTypedTime(const char* text, int64_t shownDay, int64_t* hundredths)
{
    if (text == nullptr || hundredths == nullptr) {
        return -1;
    }
    // Blanks around what was typed or pasted do not count.
    char trimmed[96];
    while (std::isspace(static_cast<unsigned char>(*text)) != 0) {
        ++text;
    }
    size_t length = std::strlen(text);
    while (length > 0 && std::isspace(static_cast<unsigned char>(text[length - 1])) != 0) {
        --length;
    }
    if (length == 0 || length >= sizeof trimmed) {
        return -1;
    }
    std::memcpy(trimmed, text, length);
    trimmed[length] = '\0';

    Fields fields;
    int64_t daySeconds = -1;
    if (ReadCaptionForm(trimmed, &fields) || ReadIsoForm(trimmed, &fields)) {
        daySeconds = CalendarSeconds(fields.year, fields.month, fields.day, 0, 0, 0);
    } else if (ReadTimeOfDayForm(trimmed, &fields) && shownDay >= 0) {
        daySeconds = shownDay / 100 / kSecondsPerDay * kSecondsPerDay;
    }
    if (daySeconds < 0 || fields.hour > 23 || fields.minute > 59 || fields.second > 59) {
        return -1;
    }
    *hundredths = (daySeconds + fields.hour * 3600 + fields.minute * 60 + fields.second) * 100 + fields.hundredths;
    return 0;
}
