#include "video/SnapshotName.h"

#include <cstdio>

SnapshotFormat SnapshotFormatFor(VideoCodecId codec)
{
    SnapshotFormat format;
    if (codec == kVideoCodecJpeg) {
        format.jpeg = true;
        format.extension = "jpg";
        format.filter = "JPEG Files (*.jpg)|*.jpg|";
        format.filterLabel = "JPEG Files (*.jpg)";
        format.filterPattern = "*.jpg";
    } else {
        format.extension = "bmp";
        format.filter = "Bitmap Files (*.bmp)|*.bmp|";
        format.filterLabel = "Bitmap Files (*.bmp)";
        format.filterPattern = "*.bmp";
    }
    return format;
}

std::string ProposeSnapshotName(const std::tm& localTime, const std::string& title)
{
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04d%02d%02d_%02dh%02dm%02ds_", localTime.tm_year + 1900,
                  localTime.tm_mon + 1, localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return stamp + title;
}

std::string ProposeSnapshotName(std::time_t when, const std::string& title)
{
    std::tm localTime{};
    localtime_r(&when, &localTime);
    return ProposeSnapshotName(localTime, title);
}
