// What the video tests of kvrtool share: the records of a recording as the reader returns
// them, BMP files read back, and the picture a view should show for a frame of the pattern.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/DecodedFrame.h"

struct ReadRecord {
    uint8_t kind = 0;
    int32_t channelNumber = 0;     // from the index record
    std::vector<uint8_t> packet;   // empty when the reader does not stop at the record
};

// Every record of the pair through ReadAt, in index order.
std::vector<ReadRecord> ReadAllRecords(const std::string& mediaPath, const std::string& indexPath);
// Positions of the video packets of one channel, in order: entry k is frame k.
std::vector<int32_t> VideoRecordsOf(const std::vector<ReadRecord>& records, int32_t channelNumber);

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgr;   // packed, top row first
};

// A 24-bit BMP as an upright picture; width 0 when the file is no such BMP.
Picture ReadBmp(const std::string& path);
// The frame in the order it is seen, top row first.
Picture UprightPicture(const DecodedFrame& frame);

// Pattern frame `index` of channel `seed` as a view shows it stretched when it was coded by
// `codec` (which decides the row order the view adjusts in), optionally as stacked fields.
Picture ShownPattern(VideoCodecId codec, uint32_t width, uint32_t height, uint32_t index, uint32_t seed,
                     bool fieldStacked);

// Peak signal-to-noise ratio in dB of two pictures of one size; 0 when the sizes differ.
double PicturePsnr(const Picture& a, const Picture& b);
