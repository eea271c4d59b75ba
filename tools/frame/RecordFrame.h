// The picture of one index record as the player would show it: the channel's packets are fed
// to a fresh view from the key frame before the record up to the record itself.
#pragma once

#include <cstdint>

class MediaFileMng;
class CameraFeed;

constexpr int32_t kRecordFrameOk = 0;
constexpr int32_t kRecordFrameBeyondEnd = -1;    // no record of that number
constexpr int32_t kRecordFrameNotVideo = -2;     // not a video record, or its packet is no video
constexpr int32_t kRecordFrameUnreadable = -3;   // a packet needed cannot be read
constexpr int32_t kRecordFrameNoKeyFrame = -4;   // no key frame of the channel at or before it
constexpr int32_t kRecordFrameDropped = -5;      // the sequence check drops it: a gap since the key frame
constexpr int32_t kRecordFrameNotDecoded = -6;   // the decoder refused it or gave no picture

struct RecordFrameInfo {
    int32_t records = 0;          // records in the index
    uint8_t kind = 0;             // index kind of the record
    uint8_t type = 0;             // type byte of its packet
    int32_t channelNumber = -1;   // of its packet
    int32_t keyRecord = -1;       // where decoding started
    int32_t failedRecord = -1;    // the record that could not be read
    int32_t decodeResult = 0;     // what the decoder said of the record
};

// `view` must be freshly created. The manager is left positioned anywhere.
int32_t DecodeRecordFrame(MediaFileMng& manager, int32_t recordNumber, CameraFeed* view, RecordFrameInfo* info);
