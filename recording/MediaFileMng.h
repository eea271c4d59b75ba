// Opens a recording pair (media file and index), lists its channels, registers a view's
// handler for each, and reads packets forwards, backwards and at an index position. It walks
// the index, never the media file: every packet is found by its record's offset.
#pragma once

#include <cstdint>
#include "recording/FileReader.h"
#include "recording/IndexRecord.h"

class MediaFileOwner;

// Result codes of the manager's operations. A positive result is the length of a packet read.
constexpr int32_t kMediaNotStopped = 0;        // ReadAt: the record is not one a read stops at
constexpr int32_t kMediaScanFailed = -1;       // ScanIndex: a file is closed, or no channel
constexpr int32_t kMediaNoMoreData = -100;     // nothing further in the direction of reading
constexpr int32_t kMediaOpenFailed = -101;
constexpr int32_t kMediaReadFailed = -102;     // media cannot be positioned or read there
constexpr int32_t kMediaIndexFailed = -103;    // index cannot be positioned or read

constexpr int32_t kMaxChannels = 128;
constexpr uint32_t kMediaReadCapacity = 512000;

class MediaFileMng {
public:
    MediaFileMng() = default;
    virtual ~MediaFileMng();
    MediaFileMng(const MediaFileMng&) = delete;
    MediaFileMng& operator=(const MediaFileMng&) = delete;

    int32_t Open(const char* mediaPath, const char* indexPath);
    int32_t ScanIndex();
    int32_t ReadNext(uint8_t* buffer);
    int32_t ReadPrevious(uint8_t* buffer);
    int32_t ReadAt(int32_t position, uint8_t* buffer);
    void Close();

    // Number of whole records, the range of index positions.
    int32_t RecordCount() const { return indexSize / kIndexRecordSize; }

    MediaFileOwner* owner = nullptr;
    int32_t readBackward = 0;
    FileReader mediaFile;
    FileReader indexFile;
    int32_t mediaSize = 0;
    int32_t indexSize = 0;
    int32_t mediaPos = 0;
    int32_t recordNo = 0;
    int32_t channels[kMaxChannels] = {};
    int32_t channelCount = 0;
    IndexRecord record = {};

private:
    int32_t ReadPacketAtRecord(uint8_t* buffer);
    size_t ReadIndexRecord();
    void AddChannel(int32_t channelNumber);
    void RegisterViews();
};
