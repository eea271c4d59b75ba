// The snapshot's proposed file name and its file format, extension and filter by codec.
#pragma once

#include <ctime>
#include <string>

#include "video/VideoCodecId.h"

// What the save dialog offers for a frame of one codec and what format the file gets.
struct SnapshotFormat {
    bool jpeg = false;                   // JPEG file; otherwise BMP
    const char* extension = nullptr;     // default extension, without the dot
    const char* filter = nullptr;        // the one filter entry, label and pattern each ended by '|'
    const char* filterLabel = nullptr;   // the filter's label alone, e.g. for a Qt file dialog
    const char* filterPattern = nullptr;
};

// JPEG for JPEG frames; every other codec gives BMP. The typed extension never changes this.
SnapshotFormat SnapshotFormatFor(VideoCodecId codec);

// "YYYYMMDD_HHhMMmSSs_" followed by `title`, from a broken-down local time.
std::string ProposeSnapshotName(const std::tm& localTime, const std::string& title);
// The same from a moment, in the local time zone.
std::string ProposeSnapshotName(std::time_t when, const std::string& title);
