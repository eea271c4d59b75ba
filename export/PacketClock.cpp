#include "export/PacketClock.h"

#include <arpa/inet.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/UtcCalendar.h"

namespace {

bool BreakDown(int64_t hundredths, tm* fields)
{
    if (hundredths < 0) {
        return false;
    }
    const time_t seconds = static_cast<time_t>(hundredths / 100);
    return gmtime_r(&seconds, fields) != nullptr;
}

}  // namespace

std::string FormatWallClock(int64_t hundredths)
{
    tm fields{};
    if (!BreakDown(hundredths, &fields)) {
        return "";
    }
    char text[96];
    snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%02dZ", fields.tm_year + 1900, fields.tm_mon + 1,
             fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec, static_cast<int>(hundredths % 100));
    return text;
}

std::string FormatWallClockMicros(int64_t hundredths)
{
    const std::string text = FormatWallClock(hundredths);
    return text.empty() ? text : text.substr(0, text.size() - 1) + "0000Z";
}

bool ParseWallClock(const char* text, int64_t* hundredths)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    if (strlen(text) < 19 || sscanf(text, "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second,
                                    &used) != 6 || used != 19) {
        return false;
    }
    // Digits everywhere but at the separators; sscanf alone would take signs and spaces.
    const char kShape[] = "dddd-dd-ddTdd:dd:dd";
    for (int at = 0; at < 19; ++at) {
        const bool digit = isdigit(static_cast<unsigned char>(text[at])) != 0;
        if (kShape[at] == 'd' ? !digit : text[at] != kShape[at]) {
            return false;
        }
    }
    const char* rest = text + 19;
    int32_t fraction = 0;
    if (*rest == '.') {
        const bool one = isdigit(static_cast<unsigned char>(rest[1]));
        const bool two = one && isdigit(static_cast<unsigned char>(rest[2]));
        if (!one) {
            return false;
        }
        fraction = two ? (rest[1] - '0') * 10 + (rest[2] - '0') : (rest[1] - '0') * 10;
        rest += two ? 3 : 2;
    }
    if (*rest == 'Z') {
        ++rest;
    }
    const int64_t seconds = CalendarSeconds(year, month, day, hour, minute, second);
    if (*rest != '\0' || seconds < 0) {
        return false;
    }
    *hundredths = seconds * 100 + fraction;
    return true;
}
