#include "recording/RecordTimes.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Tav/TavPacketUtil.h"
#include "recording/CaptionText.h"
#include "recording/IndexRecord.h"
#include "recording/MediaFileMng.h"

namespace {

constexpr int32_t kNoTime = -1;
// A probe whose packet gives no time looks this far ahead for one that does.
constexpr int32_t kProbeSpread = 16;
constexpr int32_t kWalkBlockRecords = 1024;

bool ReadFully(int fd, void* destination, size_t count, off_t offset)
{
    auto* bytes = static_cast<uint8_t*>(destination);
    while (count > 0) {
        const ssize_t got = pread(fd, bytes, count, offset);
        if (got <= 0) {
            return false;
        }
        bytes += got;
        count -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

}  // namespace

RecordTimes::~RecordTimes()
{
    Close();
}

int32_t RecordTimes::Open(const char* mediaPath, const char* indexPath)
{
    Close();
    if (mediaPath == nullptr || indexPath == nullptr) {
        return kMediaOpenFailed;
    }
    mediaFd = open(mediaPath, O_RDONLY | O_CLOEXEC);
    indexFd = open(indexPath, O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (mediaFd < 0 || indexFd < 0 || fstat(indexFd, &status) != 0) {
        Close();
        return kMediaOpenFailed;
    }
    recordCount = static_cast<int32_t>(std::min<int64_t>(status.st_size, INT32_MAX) / kIndexRecordSize);
    return 0;
}

void RecordTimes::Close()
{
    if (mediaFd >= 0) {
        close(mediaFd);
    }
    if (indexFd >= 0) {
        close(indexFd);
    }
    mediaFd = -1;
    indexFd = -1;
    recordCount = 0;
}

int32_t RecordTimes::ReadRecord(int32_t position, uint8_t* record)
{
    if (position < 0 || position >= recordCount ||
        !ReadFully(indexFd, record, kIndexRecordSize, static_cast<off_t>(position) * kIndexRecordSize)) {
        return kMediaIndexFailed;
    }
    return 0;
}

int32_t RecordTimes::ReadHeader(int32_t position, uint8_t* header, int32_t* channelNumber, bool* video)
{
    IndexRecord record;
    if (ReadRecord(position, reinterpret_cast<uint8_t*>(&record)) != 0) {
        return kMediaIndexFailed;
    }
    if (channelNumber != nullptr) {
        *channelNumber = IndexRecordChannelNumber(record);
    }
    if (video != nullptr) {
        *video = IndexKindIsVideo(record.kind);
    }
    const uint32_t offset = IndexRecordOffset(record);
    if (offset > static_cast<uint32_t>(INT32_MAX) || !ReadFully(mediaFd, header, sizeof(PacketHeader), offset)) {
        return kMediaReadFailed;
    }
    return 0;
}

int32_t RecordTimes::RecordCaption(int32_t position, char* caption, uint32_t capacity)
{
    uint8_t header[sizeof(PacketHeader)];
    const int32_t result = ReadHeader(position, header, nullptr, nullptr);
    if (result != 0) {
        return result;
    }
    return FormatPacketCaption(header, caption, capacity) ? 0 : kNoTime;
}

int32_t RecordTimes::RecordTime(int32_t position, int64_t* hundredths)
{
    char caption[kCaptionCapacity] = {};
    const int32_t result = RecordCaption(position, caption, sizeof caption);
    if (result != 0) {
        return result;
    }
    // The caption's own reading of the header, so the time found is the time the user sees.
    *hundredths = CaptionWallClock(caption);
    return *hundredths < 0 ? kNoTime : 0;
}

int32_t RecordTimes::FindRecordAtOrBefore(int64_t hundredths, int32_t* position)
{
    // Invariant: every record up to lo is taken as at or before the time, every one from hi on as
    // after it; lo = -1 and hi = recordCount stand for the two ends.
    int32_t lo = -1;
    int32_t hi = recordCount;
    int32_t readable = 0;
    while (hi - lo > 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        // A record without a time is judged by the next one that has one, within the range.
        int32_t probe = mid;
        int64_t time = 0;
        int32_t result = RecordTime(probe, &time);
        while (result == kNoTime && probe + 1 < hi && probe - mid < kProbeSpread) {
            result = RecordTime(++probe, &time);
        }
        if (result == kMediaIndexFailed || result == kMediaReadFailed) {
            return result;
        }
        if (result != 0) {
            hi = mid;   // nothing to judge by up there: keep to the records below
            continue;
        }
        ++readable;
        if (time <= hundredths) {
            lo = probe;
        } else {
            hi = mid;
        }
    }
    if (readable == 0 && recordCount > 0) {
        return kNoTime;
    }
    *position = lo;
    return 0;
}

int32_t RecordTimes::WalkForKeys(int32_t from, int32_t direction, const int32_t* channels, int32_t count,
                                 int32_t* keys, int32_t* unresolved)
{
    IndexRecord block[kWalkBlockRecords];
    int32_t walked = 0;
    int32_t position = from;
    while (*unresolved > 0 && walked < kKeySearchRecords && position >= 0 && position < recordCount) {
        // One read per block of records, walking in either direction.
        const int32_t first = direction > 0 ? position : std::max(0, position - kWalkBlockRecords + 1);
        const int32_t last = direction > 0 ? std::min(recordCount - 1, position + kWalkBlockRecords - 1) : position;
        const int32_t inBlock = last - first + 1;
        if (!ReadFully(indexFd, block, static_cast<size_t>(inBlock) * kIndexRecordSize,
                       static_cast<off_t>(first) * kIndexRecordSize)) {
            return kMediaIndexFailed;
        }
        for (int32_t i = 0; i < inBlock && *unresolved > 0 && walked < kKeySearchRecords; ++i, ++walked) {
            const int32_t at = direction > 0 ? first + i : last - i;
            const IndexRecord& record = block[at - first];
            if (!IndexKindIsVideo(record.kind)) {
                continue;
            }
            const int32_t channel = IndexRecordChannelNumber(record);
            const int32_t* slot = std::lower_bound(channels, channels + count, channel);
            if (slot == channels + count || *slot != channel || keys[slot - channels] >= 0) {
                continue;
            }
            uint8_t header[sizeof(PacketHeader)];
            const uint32_t offset = IndexRecordOffset(record);
            if (offset > static_cast<uint32_t>(INT32_MAX) || !ReadFully(mediaFd, header, sizeof header, offset)) {
                return kMediaReadFailed;
            }
            if (TavIsJpeg(header) || TavGetSequence(header) == 0) {
                keys[slot - channels] = at;
                --*unresolved;
            }
        }
        position = direction > 0 ? last + 1 : first - 1;
    }
    return 0;
}

int32_t RecordTimes::KeyRecordsAt(int32_t position, const int32_t* channels, int32_t count, int32_t* keys)
{
    std::fill(keys, keys + count, -1);
    int32_t unresolved = count;
    int32_t result = WalkForKeys(std::min(position, recordCount - 1), -1, channels, count, keys, &unresolved);
    if (result == 0 && unresolved > 0) {
        result = WalkForKeys(std::max(position + 1, 0), 1, channels, count, keys, &unresolved);
    }
    return result;
}
