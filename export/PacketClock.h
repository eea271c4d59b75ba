// The wall-clock time of a packet, to the hundredth of a second, in UTC as the camera caption
// shows it: the header's `time` when it is a date from 2001 on, else its calendar fields.
#pragma once

#include <cstdint>
#include <string>

// Hundredths of a second since 1970-01-01 UTC, or -1 when the header holds no date.
int64_t PacketWallClock(const uint8_t* packet);
// "2026-01-02T03:04:05.12Z".
std::string FormatWallClock(int64_t hundredths);
// The creation-time form the containers take: "2026-01-02T03:04:05.120000Z".
std::string FormatWallClockMicros(int64_t hundredths);
// "YYYY-MM-DDTHH:MM:SS" with an optional ".h" or ".hh" and an optional "Z"; false for
// anything else or a date that does not exist.
bool ParseWallClock(const char* text, int64_t* hundredths);
