// UTC calendar dates as seconds since 1970, without the time zone of the machine.
#pragma once

#include <cstdint>

// Seconds of a UTC calendar date, or -1 when the fields name no such date (before 1970, a day
// past the month's end, a field out of its range).
int64_t CalendarSeconds(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute, int32_t second);
