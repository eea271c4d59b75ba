// The time of a packet in milliseconds, from the date and time in its header, as the pacing
// compares them: local calendar time, daylight saving decided by the system, wrapped to 32 bits.
#pragma once

#include <cstdint>

// Converting a date costs a calendar lookup; packets of the same minute share one (daylight
// saving and time zones never change inside a minute).
struct FrameTimeCache {
    bool valid = false;
    uint64_t minute = 0;        // year (2 bytes), month, day, hour and minute as in the header
    int64_t minuteStart = 0;    // seconds at second 0 of that minute
};

// (seconds * 100 + hundredths) * 10, wrapped to 32 bits. Dates the local calendar cannot
// convert (before 1970, after 2038, or fields it rejects) are counted on a plain calendar
// without time zone instead, so equal dates still give equal times.
int32_t PacketFrameTime(const uint8_t* packet, FrameTimeCache* cache);
