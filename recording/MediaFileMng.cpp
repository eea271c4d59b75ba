#include "recording/MediaFileMng.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "Tav/TavPacketUtil.h"
#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"

namespace {

// Opens one file of the pair and takes its size; -1 when it cannot be opened or its size is
// beyond 2^31 - 1 bytes, the largest a position of this format can reach.
int32_t OpenAndMeasure(FileReader& file, const char* path)
{
    if (file.Open(path) != 0) {
        return -1;
    }
    const int64_t size = file.Size();
    return size >= 0 && size <= INT32_MAX ? static_cast<int32_t>(size) : -1;
}

}  // namespace

MediaFileMng::~MediaFileMng()
{
    Close();
}

void MediaFileMng::Close()
{
    mediaFile.Close();
    indexFile.Close();
}

int32_t MediaFileMng::Open(const char* mediaPath, const char* indexPath)
{
    if (mediaPath == nullptr || indexPath == nullptr) {
        return kMediaOpenFailed;
    }
    Close();
    mediaSize = OpenAndMeasure(mediaFile, mediaPath);
    if (mediaSize < 0) {
        return kMediaOpenFailed;
    }
    indexSize = OpenAndMeasure(indexFile, indexPath);
    if (indexSize <= 0 || mediaSize == 0) {
        return kMediaOpenFailed;
    }
    readBackward = 0;
    mediaPos = 0;
    record = IndexRecord{};
    return ScanIndex() < 0 ? kMediaOpenFailed : 0;
}

void MediaFileMng::AddChannel(int32_t channelNumber)
{
    for (int32_t i = 0; i < channelCount; ++i) {
        if (channels[i] == channelNumber) {
            return;
        }
    }
    // Channels beyond the table's capacity are left out: the recording still opens, and their
    // packets find no handler.
    if (channelCount < kMaxChannels) {
        channels[channelCount++] = channelNumber;
    }
}

int32_t MediaFileMng::ScanIndex()
{
    if (!mediaFile.IsOpen() || !indexFile.IsOpen()) {
        return kMediaScanFailed;
    }
    channelCount = 0;
    QelSmartLcid2Callback* registry = owner != nullptr ? owner->Registry() : nullptr;
    if (registry != nullptr) {
        registry->Clear();
    }

    // The index is read in blocks of whole records. A trailing piece shorter than a record lands
    // over the bytes of the record before it, as a record-by-record read would leave it.
    constexpr int32_t kBlockRecords = 512;
    IndexRecord block[kBlockRecords];
    IndexRecord last{};
    int32_t lastChannel = INT32_MIN;
    int64_t consumed = 0;
    indexFile.Discard();
    indexFile.Seek(0);
    while (consumed < indexSize) {
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(sizeof block, indexSize - consumed));
        const int64_t got = indexFile.ReadUpTo(block, wanted);
        // A read that fails or meets an early end (the file shrank) ends the scan; the channels
        // found up to there stand.
        if (got <= 0) {
            break;
        }
        const size_t whole = static_cast<size_t>(got) / kIndexRecordSize;
        for (size_t i = 0; i < whole; ++i) {
            const int32_t channelNumber = IndexRecordChannelNumber(block[i]);
            if (channelNumber != lastChannel) {
                AddChannel(channelNumber);
                lastChannel = channelNumber;
            }
        }
        if (whole > 0) {
            last = block[whole - 1];
        }
        const size_t piece = static_cast<size_t>(got) % kIndexRecordSize;
        if (piece != 0) {
            memcpy(&last, &block[whole], piece);
            AddChannel(IndexRecordChannelNumber(last));
        }
        consumed += got;
        if (static_cast<size_t>(got) < wanted) {
            break;
        }
    }

    indexFile.Seek(0);
    if (channelCount == 0) {
        return kMediaScanFailed;
    }
    std::sort(channels, channels + channelCount);
    RegisterViews();
    recordNo = 0;
    return 0;
}

void MediaFileMng::RegisterViews()
{
    if (owner == nullptr) {
        return;
    }
    const int32_t views = owner->CreateViews(channelCount);
    QelSmartLcid2Callback* registry = owner->Registry();
    if (registry == nullptr) {
        return;
    }
    const int32_t registered = std::min(views, channelCount);
    for (int32_t i = 0; i < registered; ++i) {
        registry->Register(channels[i], owner->ViewHandler(i));
    }
}

size_t MediaFileMng::ReadIndexRecord()
{
    const int64_t got = indexFile.ReadUpTo(&record, kIndexRecordSize);
    const size_t whole = got > 0 ? static_cast<size_t>(got) : 0;
    if (whole < static_cast<size_t>(kIndexRecordSize)) {
        // What a short read left of the record is zero, not the previous record's bytes.
        memset(reinterpret_cast<uint8_t*>(&record) + whole, 0, static_cast<size_t>(kIndexRecordSize) - whole);
    }
    return whole;
}

int32_t MediaFileMng::ReadPacketAtRecord(uint8_t* buffer)
{
    const uint32_t offset = IndexRecordOffset(record);
    if (offset > static_cast<uint32_t>(INT32_MAX) || mediaFile.Seek(offset) != 0) {
        return kMediaReadFailed;
    }
    const int32_t length = TavReadPacketFrom(mediaFile, buffer, kMediaReadCapacity);
    return length > 0 ? length : kMediaReadFailed;
}

int32_t MediaFileMng::ReadNext(uint8_t* buffer)
{
    if (!indexFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    if (mediaFile.IsOpen()) {
        mediaPos = static_cast<int32_t>(mediaFile.Tell());
        if (mediaPos == mediaSize) {
            return kMediaNoMoreData;
        }
    }
    if (indexFile.Tell() == indexSize) {
        return kMediaNoMoreData;
    }
    for (;;) {
        if (readBackward != 0) {
            indexFile.Seek(indexFile.Tell() + kIndexRecordSize);
            // The cursor now stands behind the current record.
            readBackward = 0;
        }
        const int64_t recordStart = indexFile.Tell();
        if (ReadIndexRecord() < static_cast<size_t>(kIndexRecordSize)) {
            // A trailing piece is not a record: put the cursor back in front of it, so that
            // later reads in either direction stay on record boundaries.
            indexFile.Seek(recordStart);
            return kMediaNoMoreData;
        }
        ++recordNo;
        if (IndexKindStopsForward(record.kind)) {
            return ReadPacketAtRecord(buffer);
        }
        if (indexFile.Tell() == indexSize) {
            return kMediaNoMoreData;
        }
    }
}

int32_t MediaFileMng::ReadPrevious(uint8_t* buffer)
{
    if (!indexFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    if (mediaFile.IsOpen()) {
        mediaPos = static_cast<int32_t>(mediaFile.Tell());
        if (mediaPos == 0) {
            return kMediaNoMoreData;
        }
    }
    if (indexFile.Tell() == 0) {
        return kMediaNoMoreData;
    }
    for (;;) {
        int64_t step = -kIndexRecordSize;
        if (readBackward == 0) {
            if (indexFile.Tell() <= kIndexRecordSize) {
                return kMediaNoMoreData;
            }
            step = -2 * kIndexRecordSize;
        }
        const int64_t recordStart = indexFile.Tell() + step;
        if (indexFile.Seek(recordStart) != 0) {
            return kMediaIndexFailed;
        }
        if (ReadIndexRecord() != static_cast<size_t>(kIndexRecordSize)) {
            return kMediaIndexFailed;
        }
        indexFile.Seek(recordStart);
        --recordNo;
        readBackward = 1;
        if (IndexKindStopsBackward(record.kind)) {
            return ReadPacketAtRecord(buffer);
        }
        if (recordStart == 0) {
            return kMediaNoMoreData;
        }
    }
}

int32_t MediaFileMng::ReadAt(int32_t position, uint8_t* buffer)
{
    if (!indexFile.IsOpen()) {
        return kMediaIndexFailed;
    }
    if (position >= RecordCount()) {
        return kMediaNoMoreData;
    }
    if (indexFile.Seek(static_cast<int64_t>(position) * kIndexRecordSize) != 0 ||
        ReadIndexRecord() != static_cast<size_t>(kIndexRecordSize)) {
        return kMediaIndexFailed;
    }
    recordNo = position;
    readBackward = 0;
    if (!IndexKindStopsForward(record.kind)) {
        return kMediaNotStopped;
    }
    return ReadPacketAtRecord(buffer);
}
