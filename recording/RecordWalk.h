// Walks over the index of an open recording by record number, for the exact steps of the playback
// thread: the neighbouring video record of one channel, and the records of the group of pictures
// that leads from a key frame to a given record. The manager's read positions are left anywhere:
// the caller reads the record it ends at with ReadAt.
#pragma once

#include <cstdint>

class MediaFileMng;

// Longest group of pictures an exact step decodes through.
constexpr int32_t kMaxGroupRecords = 1024;
// How far back a synchronised seek looks for each channel's last picture, in records.
constexpr int32_t kSyncSearchRecords = 1 << 16;

struct GroupRecords {
    int32_t count = 0;                        // key frame first, the target last
    int32_t records[kMaxGroupRecords] = {};
    uint32_t offsets[kMaxGroupRecords] = {};
};

// The nearest video record of `channelNumber` after `from` (direction 1) or before it (-1), `from`
// itself excluded, into `found`. 0; kMediaNoMoreData when there is none; kMediaIndexFailed.
int32_t FindChannelVideoRecord(MediaFileMng& manager, int32_t from, int32_t direction, int32_t channelNumber,
                               int32_t* found);

// The time record `position`'s caption shows (UTC hundredths since 1970) into `hundredths`, from
// its index record and packet header alone; -1 when the header gives none. 0, kMediaIndexFailed
// or kMediaReadFailed.
int32_t RecordWallClock(MediaFileMng& manager, int32_t position, int64_t* hundredths);

// For each of `count` channel numbers, the last video record at or before `position` into
// `records`; -1 for a channel with none within kSyncSearchRecords. One walk back over the index
// for all of them. 0, or kMediaIndexFailed.
int32_t FindChannelsAtOrBefore(MediaFileMng& manager, int32_t position, const int32_t* channelNumbers, int32_t count,
                               int32_t* records);

// The video records of `channelNumber` from the key frame at or before `target` up to `target`.
// 0; kMediaNoMoreData when no key frame lies within kMaxGroupRecords of the channel's pictures;
// kMediaIndexFailed or kMediaReadFailed.
int32_t CollectGroupRecords(MediaFileMng& manager, int32_t target, int32_t channelNumber, GroupRecords* group);
