#include "recording/CaptionText.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "Tav/TavPacketUtil.h"
#include "platform/UtcCalendar.h"

namespace {

constexpr const char* kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "JUL", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A time is a date only while it fits the recorders' signed 32-bit seconds.
bool BreakIntoUtcDate(uint32_t time, struct tm* date)
{
    const int32_t seconds = static_cast<int32_t>(time);
    if (seconds < 0) {
        return false;
    }
    const time_t value = seconds;
    return gmtime_r(&value, date) != nullptr;
}

void Format(char* caption, size_t capacity, int32_t month, int32_t day, int32_t year, int32_t hour, int32_t minute,
            int32_t second, int32_t milliseconds)
{
    snprintf(caption, capacity, "%s %02d,%04d %02d:%02d:%02d.%03d", kMonthNames[month - 1], day, year, hour, minute,
             second, milliseconds);
}

}  // namespace

int64_t CaptionWallClock(const char* caption)
{
    char name[4] = {};
    int day = 0;
    int year = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
    if (caption == nullptr || sscanf(caption, "%3s %d,%d %d:%d:%d.%d", name, &day, &year, &hour, &minute, &second,
                                     &milliseconds) != 7) {
        return -1;
    }
    int month = 0;
    for (int m = 1; m <= 12; ++m) {
        if (strcmp(name, kMonthNames[m - 1]) == 0) {
            month = m;
        }
    }
    const int64_t seconds = CalendarSeconds(year, month, day, hour, minute, second);
    return seconds < 0 || milliseconds < 0 ? -1 : seconds * 100 + milliseconds / 10;
}

const char* CaptionMonthName(int32_t month)
{
    return month >= 1 && month <= 12 ? kMonthNames[month - 1] : nullptr;
}

bool FormatPacketCaption(const uint8_t* packet, char* caption, size_t capacity)
{
    if (packet == nullptr || caption == nullptr || capacity == 0) {
        return false;
    }
    PacketHeader header;
    memcpy(&header, packet, sizeof header);
    const int32_t milliseconds = header.hundredths * 10;
    struct tm date {};
    if (BreakIntoUtcDate(ntohl(header.time), &date) && date.tm_year + 1900 >= 2001) {
        Format(caption, capacity, date.tm_mon + 1, date.tm_mday, date.tm_year + 1900, date.tm_hour, date.tm_min,
               date.tm_sec, milliseconds);
        return true;
    }
    if (header.month < 1 || header.month > 12) {
        return false;
    }
    Format(caption, capacity, header.month, header.day, ntohs(header.year), header.hour, header.minute, header.second,
           milliseconds);
    return true;
}

int64_t PacketWallClock(const uint8_t* packet)
{
    PacketHeader header;
    memcpy(&header, packet, sizeof header);
    if (header.hundredths > 99) {
        return -1;
    }
    struct tm date {};
    if (BreakIntoUtcDate(ntohl(header.time), &date) && date.tm_year + 1900 >= 2001) {
        return int64_t{static_cast<int32_t>(ntohl(header.time))} * 100 + header.hundredths;
    }
    const int64_t seconds = CalendarSeconds(ntohs(header.year), header.month, header.day, header.hour, header.minute,
                                            header.second);
    return seconds < 0 ? -1 : seconds * 100 + header.hundredths;
}
