#include "playback/FrameTime.h"

#include <arpa/inet.h>

#include <cstddef>
#include <cstring>
#include <ctime>

#include "Tav/TavPacketUtil.h"

namespace {

constexpr int64_t kLastThirtyTwoBitSecond = 2147483647;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar; months outside 1..12
// carry into the year, so any field values give one answer.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    if (month < 1) {
        month += 12;
        year -= 1;
    }
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int64_t PlainCalendarMinuteStart(const PacketHeader& header, int32_t year)
{
    return DaysFromCivil(year, header.month, header.day) * 86400 + header.hour * 3600 + header.minute * 60;
}

// Seconds at second 0 of the header's minute.
int64_t LocalMinuteStart(const PacketHeader& header)
{
    const int32_t year = ntohs(header.year);
    if (year >= 1970 && year <= 2038) {
        struct tm fields = {};
        fields.tm_year = year - 1900;
        fields.tm_mon = header.month - 1;
        fields.tm_mday = header.day;
        fields.tm_hour = header.hour;
        fields.tm_min = header.minute;
        fields.tm_sec = 0;
        fields.tm_isdst = -1;
        const time_t converted = mktime(&fields);
        if (converted >= 0 && converted <= kLastThirtyTwoBitSecond) {
            return converted;
        }
    }
    return PlainCalendarMinuteStart(header, year);
}

}  // namespace

int32_t PacketFrameTime(const uint8_t* packet, FrameTimeCache* cache)
{
    // The six bytes from year to minute, read as one word, so the common case is one comparison.
    constexpr size_t kMinuteBytes = offsetof(PacketHeader, second) - offsetof(PacketHeader, year);
    uint64_t minute = 0;
    memcpy(&minute, packet + offsetof(PacketHeader, year), kMinuteBytes);
    int64_t minuteStart = 0;
    if (cache != nullptr && cache->valid && cache->minute == minute) {
        minuteStart = cache->minuteStart;
    } else {
        PacketHeader header;
        memcpy(&header, packet, sizeof header);
        minuteStart = LocalMinuteStart(header);
        if (cache != nullptr) {
            cache->minute = minute;
            cache->minuteStart = minuteStart;
            cache->valid = true;
        }
    }
    const int64_t seconds = minuteStart + packet[offsetof(PacketHeader, second)];
    const uint8_t hundredths = packet[offsetof(PacketHeader, hundredths)];
    const uint64_t milliseconds = (static_cast<uint64_t>(seconds) * 100 + hundredths) * 10;
    return static_cast<int32_t>(static_cast<uint32_t>(milliseconds));
}
