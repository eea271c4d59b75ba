// An exported file read back with libavformat, as any player would open it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/tools/VideoToolFixtures.h"

struct ExportedFile {
    bool opened = false;
    std::string format;                  // the demuxer's name
    std::string videoCodec;              // libavcodec's name: "h264", "mpeg4", "mjpeg"
    std::vector<int64_t> videoMs;        // every video packet's time in milliseconds
    std::vector<bool> videoKey;
    std::vector<std::vector<uint8_t>> videoPackets;
    std::vector<Picture> pictures;       // the video decoded with libavcodec, upright BGR
    std::string audioCodec;
    int32_t sampleRate = 0;
    int32_t audioChannels = 0;
    int64_t audioSamples = 0;            // decoded with libavcodec
    std::string creationTime;
};

// With `decodeVideo`, every video packet is decoded and converted as the player converts it.
ExportedFile ReadExportedFile(const std::string& path, bool decodeVideo);
