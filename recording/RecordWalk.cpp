#include "recording/RecordWalk.h"

#include <algorithm>
#include <climits>

#include "Tav/TavPacketUtil.h"
#include "recording/CaptionText.h"
#include "recording/MediaFileMng.h"

namespace {

int32_t ReadRecordAt(MediaFileMng& manager, int32_t position, IndexRecord* record)
{
    if (manager.indexFile.Seek(static_cast<int64_t>(position) * kIndexRecordSize) != 0 ||
        manager.indexFile.ReadUpTo(record, kIndexRecordSize) != kIndexRecordSize) {
        return kMediaIndexFailed;
    }
    return 0;
}

bool IsKeyFrameHeader(const uint8_t* header)
{
    return TavIsJpeg(header) || TavGetSequence(header) == 0;
}

int32_t ReadHeaderAt(MediaFileMng& manager, uint32_t offset, uint8_t* header)
{
    if (offset > static_cast<uint32_t>(INT32_MAX) || manager.mediaFile.Seek(offset) != 0 ||
        manager.mediaFile.Read(header, sizeof(PacketHeader)) != static_cast<int32_t>(sizeof(PacketHeader))) {
        return kMediaReadFailed;
    }
    return 0;
}

}  // namespace

int32_t RecordWallClock(MediaFileMng& manager, int32_t position, int64_t* hundredths)
{
    IndexRecord record;
    if (!manager.indexFile.IsOpen() || !manager.mediaFile.IsOpen() || ReadRecordAt(manager, position, &record) != 0) {
        return kMediaIndexFailed;
    }
    uint8_t header[sizeof(PacketHeader)];
    const int32_t result = ReadHeaderAt(manager, IndexRecordOffset(record), header);
    if (result != 0) {
        return result;
    }
    *hundredths = PacketWallClock(header);
    return 0;
}

int32_t FindChannelVideoRecord(MediaFileMng& manager, int32_t from, int32_t direction, int32_t channelNumber,
                               int32_t* found)
{
    if (!manager.indexFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    const int32_t count = manager.RecordCount();
    for (int32_t position = from + direction; position >= 0 && position < count; position += direction) {
        IndexRecord record;
        if (ReadRecordAt(manager, position, &record) != 0) {
            return kMediaIndexFailed;
        }
        if (IndexKindIsVideo(record.kind) && IndexRecordChannelNumber(record) == channelNumber) {
            *found = position;
            return 0;
        }
    }
    return kMediaNoMoreData;
}

int32_t FindChannelsAtOrBefore(MediaFileMng& manager, int32_t position, const int32_t* channelNumbers, int32_t count,
                               int32_t* records)
{
    std::fill(records, records + count, -1);
    if (!manager.indexFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    int32_t missing = count;
    const int32_t last = std::min(position, manager.RecordCount() - 1);
    for (int32_t at = last; at >= 0 && last - at < kSyncSearchRecords && missing > 0; --at) {
        IndexRecord record;
        if (ReadRecordAt(manager, at, &record) != 0) {
            return kMediaIndexFailed;
        }
        if (!IndexKindIsVideo(record.kind)) {
            continue;
        }
        const int32_t channel = IndexRecordChannelNumber(record);
        for (int32_t i = 0; i < count; ++i) {
            if (channelNumbers[i] == channel && records[i] < 0) {
                records[i] = at;
                --missing;
            }
        }
    }
    return 0;
}

int32_t CollectGroupRecords(MediaFileMng& manager, int32_t target, int32_t channelNumber, GroupRecords* group)
{
    group->count = 0;
    if (!manager.indexFile.IsOpen() || !manager.mediaFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    // Filled from the end, the target first, then moved to the front.
    int32_t filled = 0;
    for (int32_t position = std::min(target, manager.RecordCount() - 1); position >= 0; --position) {
        IndexRecord record;
        if (ReadRecordAt(manager, position, &record) != 0) {
            return kMediaIndexFailed;
        }
        if (!IndexKindIsVideo(record.kind) || IndexRecordChannelNumber(record) != channelNumber) {
            continue;
        }
        if (filled == kMaxGroupRecords) {
            return kMediaNoMoreData;
        }
        const uint32_t offset = IndexRecordOffset(record);
        uint8_t header[sizeof(PacketHeader)];
        if (ReadHeaderAt(manager, offset, header) != 0) {
            return kMediaReadFailed;
        }
        ++filled;
        group->records[kMaxGroupRecords - filled] = position;
        group->offsets[kMaxGroupRecords - filled] = offset;
        if (IsKeyFrameHeader(header)) {
            std::copy(group->records + kMaxGroupRecords - filled, group->records + kMaxGroupRecords, group->records);
            std::copy(group->offsets + kMaxGroupRecords - filled, group->offsets + kMaxGroupRecords, group->offsets);
            group->count = filled;
            return 0;
        }
    }
    return kMediaNoMoreData;
}
