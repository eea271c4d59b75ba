#include "export/ExportPlan.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Tav/TavPacketUtil.h"
#include "export/PacketClock.h"

namespace {

// Index records and packet headers read straight from the files, without whole packets.
class RecordingPeek {
public:
    ~RecordingPeek()
    {
        if (media >= 0) {
            close(media);
        }
    }

    // 0, or -1 with errno set.
    int32_t Open(const std::string& mediaPath, const std::string& indexPath)
    {
        media = open(mediaPath.c_str(), O_RDONLY | O_CLOEXEC);
        const int index = open(indexPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (media < 0 || index < 0) {
            const int error = errno;
            if (index >= 0) {
                close(index);
            }
            errno = error;
            return -1;
        }
        const off_t size = lseek(index, 0, SEEK_END);
        records.resize(size > 0 ? static_cast<size_t>(size) / kIndexRecordSize : 0);
        const size_t bytes = records.size() * kIndexRecordSize;
        const ssize_t got = bytes == 0 ? 0 : pread(index, records.data(), bytes, 0);
        close(index);
        if (got < 0 || static_cast<size_t>(got) != bytes) {
            return -1;
        }
        return 0;
    }

    // The 60-byte header of record `position`'s packet; false when it cannot be read.
    bool Header(int32_t position, uint8_t (&header)[kTavHeaderSize]) const
    {
        const uint32_t offset = IndexRecordOffset(records[static_cast<size_t>(position)]);
        return pread(media, header, sizeof header, offset) == static_cast<ssize_t>(sizeof header);
    }

    std::vector<IndexRecord> records;

private:
    int media = -1;
};

bool IsChannelVideoRecord(const IndexRecord& record, int32_t channel)
{
    return IndexRecordChannelNumber(record) == channel && IndexKindStopsForward(record.kind) &&
           IndexKindIsVideo(record.kind);
}

bool IsChannelAudioRecord(const IndexRecord& record, int32_t channel)
{
    return IndexRecordChannelNumber(record) == channel && IndexKindStopsForward(record.kind) &&
           IndexKindIsAudio(record.kind);
}

// A key frame of the channel's video at that record, judged from its header.
bool IsChannelKeyFrame(const RecordingPeek& peek, int32_t position, int32_t channel, uint8_t* type)
{
    uint8_t header[kTavHeaderSize];
    if (!IsChannelVideoRecord(peek.records[static_cast<size_t>(position)], channel) || !peek.Header(position, header) ||
        !TavIsVideo(header) || TavGetChannelNumber(header) != channel || !IsKeyFramePacket(header)) {
        return false;
    }
    *type = header[0];
    return true;
}

std::string Record(int32_t position)
{
    return "record " + std::to_string(position);
}

}  // namespace

bool IsKeyFramePacket(const uint8_t* packet)
{
    return TavIsJpeg(packet) || TavGetSequence(packet) == 0;
}

int32_t PlanExport(const std::string& mediaPath, const std::string& indexPath, const ExportRequest& request,
                   ExportPlan* plan, std::string* message)
{
    *plan = ExportPlan{};
    RecordingPeek peek;
    if (peek.Open(mediaPath, indexPath) != 0) {
        *message = indexPath + ": cannot be read: " + strerror(errno);
        return kExportRecordingUnusable;
    }
    const auto count = static_cast<int32_t>(peek.records.size());
    const int32_t channel = request.channel;
    const std::string channelText = "channel " + std::to_string(channel);
    bool anyRecord = false;
    bool anyVideo = false;
    for (const IndexRecord& record : peek.records) {
        anyRecord = anyRecord || IndexRecordChannelNumber(record) == channel;
        anyVideo = anyVideo || IsChannelVideoRecord(record, channel);
    }
    if (!anyRecord) {
        *message = "the recording has no " + channelText;
        return kExportNoVideo;
    }
    if (!anyVideo) {
        *message = channelText + " has no video records";
        return kExportNoVideo;
    }
    for (const int32_t bound : {request.fromRecord, request.toRecord}) {
        if (bound >= count) {
            *message = Record(bound) + " does not exist: the index holds " + std::to_string(count) + " records";
            return kExportBadRequest;
        }
    }

    // The first record asked for, then its end.
    plan->requestedFirst = request.fromRecord >= 0 ? request.fromRecord : 0;
    if (request.fromTime != kExportNoTime) {
        plan->requestedFirst = -1;
        uint8_t header[kTavHeaderSize];
        for (int32_t position = 0; position < count && plan->requestedFirst < 0; ++position) {
            if (IsChannelVideoRecord(peek.records[static_cast<size_t>(position)], channel) &&
                peek.Header(position, header) && PacketWallClock(header) >= request.fromTime) {
                plan->requestedFirst = position;
            }
        }
        if (plan->requestedFirst < 0) {
            *message = channelText + " has no video at or after " + FormatWallClock(request.fromTime);
            return kExportNoVideo;
        }
    }
    plan->last = request.toRecord >= 0 ? request.toRecord : count - 1;
    if (plan->last < plan->requestedFirst) {
        *message = "the range ends at " + Record(plan->last) + ", before it begins at " + Record(plan->requestedFirst);
        return kExportBadRequest;
    }

    // The key frame at or before the start; failing that, the first one after it.
    plan->first = -1;
    for (int32_t position = plan->requestedFirst; position >= 0 && plan->first < 0; --position) {
        if (IsChannelKeyFrame(peek, position, channel, &plan->videoType)) {
            plan->first = position;
        }
    }
    const bool fromStart = request.fromTime == kExportNoTime && request.fromRecord == kExportNoRecord;
    if (plan->first >= 0) {
        if (fromStart) {
            plan->startRule = "the export begins at the channel's first key frame, " + Record(plan->first);
        } else if (plan->first == plan->requestedFirst) {
            plan->startRule = "the range begins with a key frame at " + Record(plan->first);
        } else {
            plan->startRule = "the range begins at " + Record(plan->requestedFirst) +
                              "; the export begins at the key frame at or before it, " + Record(plan->first);
        }
    } else {
        for (int32_t position = plan->requestedFirst; position <= plan->last && plan->first < 0; ++position) {
            if (IsChannelKeyFrame(peek, position, channel, &plan->videoType)) {
                plan->first = position;
            }
        }
        if (plan->first < 0) {
            *message = channelText + " has no key frame from " + Record(plan->requestedFirst) + " to " + Record(plan->last);
            return kExportNoVideo;
        }
        plan->startRule = fromStart ? "the export begins at the channel's first key frame, " + Record(plan->first)
                                    : "the range begins at " + Record(plan->requestedFirst) +
                                          ", with no key frame at or before it; the export begins at the first key "
                                          "frame after it, " + Record(plan->first);
    }

    uint8_t header[kTavHeaderSize];
    for (int32_t position = plan->first; position <= plan->last && plan->audioCodec < 0; ++position) {
        if (IsChannelAudioRecord(peek.records[static_cast<size_t>(position)], channel) && peek.Header(position, header) &&
            TavIsAudio(header) && TavGetChannelNumber(header) == channel && TavGetAudioTrack(header) == 0) {
            plan->audioCodec = TavGetCodec(header);
        }
    }
    return kExportOk;
}
