// What `kvrtool info` tells about a recording: its channels with their records, codecs and
// dates, and how many records of each index kind it holds.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class MediaFileMng;

struct ChannelSummary {
    int32_t number = 0;
    int32_t unit = 0;            // of the first record of the channel
    int32_t channel = 0;
    int64_t videoRecords = 0;
    int64_t audioRecords = 0;
    std::set<std::string> codecs;
    std::string firstDate;       // of the first and last packet whose header could be read
    std::string lastDate;
};

struct RecordingSummary {
    int64_t records = 0;         // whole index records
    int64_t mediaSize = 0;
    int64_t indexSize = 0;
    int64_t unreadablePackets = 0;   // records whose packet header cannot be read
    std::vector<ChannelSummary> channels;   // ascending channel number
    std::map<int32_t, int64_t> kinds;       // index kind to record count
};

// The name of what a packet's type byte carries: "JPEG", "MPEG-4", "G.711", ...
std::string DescribePacketType(uint8_t type);
// An index kind as two hexadecimal digits: "0x12".
std::string DescribeIndexKind(int32_t kind);

// Walks the index of an opened recording and the packet header of every record.
// 0, or -1 when a file cannot be read again.
int32_t SummarizeRecording(const MediaFileMng& manager, const std::string& mediaPath,
                           const std::string& indexPath, RecordingSummary* summary);
