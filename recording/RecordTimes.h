// The wall-clock times of a recording's records, for "go to time" and the position slider's
// tooltip. It opens the pair itself, read-only and apart from the playback thread's reads, and
// reads only index records and 60-byte packet headers at their offsets, never the whole file.
//
// A record's time is what its view's caption shows (UTC hundredths of a second since 1970).
// Records stand in file order and their times mostly, not strictly, increase: the search is a
// binary search that keeps a record at or before the time on its left and one after it on its
// right, so on a recording whose clock jumps back it lands on one crossing of the time (the
// first one the halving meets), always on a record at or before it, in log2(n) header reads.
#pragma once

#include <cstdint>

constexpr int32_t kTimeNoRecord = -1;   // position found when the time lies before every record
// How far the key-frame search walks from the position, in records, each way.
constexpr int32_t kKeySearchRecords = 1 << 16;

class RecordTimes {
public:
    RecordTimes() = default;
    ~RecordTimes();
    RecordTimes(const RecordTimes&) = delete;
    RecordTimes& operator=(const RecordTimes&) = delete;

    // 0, or kMediaOpenFailed.
    int32_t Open(const char* mediaPath, const char* indexPath);
    void Close();
    int32_t RecordCount() const { return recordCount; }

    // The time of record `position` into `hundredths`. 0; -1 when the packet's header gives no
    // date; kMediaIndexFailed or kMediaReadFailed.
    int32_t RecordTime(int32_t position, int64_t* hundredths);
    // The caption of record `position`'s packet into `caption` (kCaptionCapacity bytes). 0 or < 0.
    int32_t RecordCaption(int32_t position, char* caption, uint32_t capacity);

    // The last record at or before `hundredths` into `position` (kTimeNoRecord when the time lies
    // before the first record). 0, or < 0 when nothing could be read.
    int32_t FindRecordAtOrBefore(int64_t hundredths, int32_t* position);

    // For each of `count` channel numbers (sorted ascending), the last video key frame of that
    // channel at or before `position`, else its first one after it, into `keys`; -1 when none lies
    // within kKeySearchRecords. 0, or < 0 on a read failure.
    int32_t KeyRecordsAt(int32_t position, const int32_t* channels, int32_t count, int32_t* keys);

private:
    int32_t ReadRecord(int32_t position, uint8_t* record);
    int32_t ReadHeader(int32_t position, uint8_t* header, int32_t* channelNumber, bool* video);
    int32_t WalkForKeys(int32_t from, int32_t direction, const int32_t* channels, int32_t count, int32_t* keys,
                        int32_t* unresolved);

    int mediaFd = -1;
    int indexFd = -1;
    int32_t recordCount = 0;
};
