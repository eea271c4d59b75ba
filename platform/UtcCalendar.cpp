#include "platform/UtcCalendar.h"

#include <ctime>

int64_t CalendarSeconds(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second)
{
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59 ||
        hour < 0 || minute < 0 || second < 0) {
        return -1;
    }
    tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const time_t seconds = timegm(&fields);
    // timegm carries a day beyond the month's end into the next month.
    if (seconds < 0 || fields.tm_mday != day || fields.tm_mon != month - 1) {
        return -1;
    }
    return seconds;
}
