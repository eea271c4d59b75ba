// The date and time caption of a camera view, taken from a video packet's header: the packet's
// `time` as a UTC date when that date is in 2001 or later, else the header's own date fields.
#pragma once

#include <cstddef>
#include <cstdint>

// Long enough for any caption the format can give from the header's byte-sized fields.
constexpr size_t kCaptionCapacity = 64;

// Month names for months 1 to 12, as the recorders' own players show them.
const char* CaptionMonthName(int32_t month);

// Writes "Mar 05,2010 14:07:09.350" into `caption` (at most `capacity` bytes, terminated).
// False, with `caption` untouched, when the time is before 2001 (or cannot be a date) and the
// header's month is outside 1 to 12.
bool FormatPacketCaption(const uint8_t* packet, char* caption, size_t capacity);

// The wall-clock time of a packet as its caption shows it, in UTC hundredths of a second since
// 1970: the header's `time` when it is a date from 2001 on, else its calendar fields; -1 when the
// header holds no date.
int64_t PacketWallClock(const uint8_t* packet);

// The time a caption shows, in UTC hundredths of a second since 1970; -1 when it is not a
// caption of the form above.
int64_t CaptionWallClock(const char* caption);
