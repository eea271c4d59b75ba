// Wall-clock times of packets (PacketWallClock: hundredths of a second since 1970, UTC, as the
// camera caption shows them) written and read as text.
#pragma once

#include <cstdint>
#include <string>

#include "recording/CaptionText.h"

// "2026-01-02T03:04:05.12Z".
std::string FormatWallClock(int64_t hundredths);
// The creation-time form the containers take: "2026-01-02T03:04:05.120000Z".
std::string FormatWallClockMicros(int64_t hundredths);
// "YYYY-MM-DDTHH:MM:SS" with an optional ".h" or ".hh" and an optional "Z"; false for
// anything else or a date that does not exist.
bool ParseWallClock(const char* text, int64_t* hundredths);
