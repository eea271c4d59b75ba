#include "tools/RecordingSummary.h"

#include <cstddef>
#include <cstdio>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "recording/MediaFileMng.h"

namespace {

std::string DateOf(const uint8_t* header)
{
    const unsigned year = (header[offsetof(PacketHeader, year)] << 8) | header[offsetof(PacketHeader, year) + 1];
    char text[48];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%02u", year, header[offsetof(PacketHeader, month)],
             header[offsetof(PacketHeader, day)], header[offsetof(PacketHeader, hour)],
             header[offsetof(PacketHeader, minute)], header[offsetof(PacketHeader, second)],
             header[offsetof(PacketHeader, hundredths)]);
    return text;
}

class FileCloser {
public:
    explicit FileCloser(FILE* file) : file(file) {}
    ~FileCloser()
    {
        if (file != nullptr) {
            fclose(file);
        }
    }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;
    FILE* file;
};

}  // namespace

std::string DescribePacketType(uint8_t type)
{
    if (type == kTavJpegType) {
        return "JPEG";
    }
    const int kind = type >> 4;
    const int codec = type & 0x0F;
    if (kind == 4) {
        return codec == 4 ? "MPEG-4" : codec == 5 ? "H.264" : "video codec " + std::to_string(codec);
    }
    if (kind == 9) {
        return codec == 1 ? "G.723" : codec == 2 ? "G.711" : codec == 9 ? "IMA ADPCM" : "audio codec " + std::to_string(codec);
    }
    char text[16];
    snprintf(text, sizeof text, "type 0x%02X", type);
    return text;
}

std::string DescribeIndexKind(int32_t kind)
{
    char text[8];
    snprintf(text, sizeof text, "0x%02X", kind & 0xFF);
    return text;
}

int32_t SummarizeRecording(const MediaFileMng& manager, const std::string& mediaPath,
                           const std::string& indexPath, RecordingSummary* summary)
{
    *summary = RecordingSummary{};
    summary->mediaSize = manager.mediaSize;
    summary->indexSize = manager.indexSize;
    summary->records = manager.indexSize / kIndexRecordSize;

    std::map<int32_t, size_t> slotOf;
    for (int32_t i = 0; i < manager.channelCount; ++i) {
        ChannelSummary channel;
        channel.number = manager.channels[i];
        slotOf[channel.number] = summary->channels.size();
        summary->channels.push_back(channel);
    }

    FileCloser index(fopen(indexPath.c_str(), "rb"));
    FileCloser media(fopen(mediaPath.c_str(), "rb"));
    if (index.file == nullptr || media.file == nullptr) {
        return -1;
    }
    std::map<int32_t, bool> seen;
    IndexRecord record{};
    uint8_t header[kTavHeaderSize];
    for (int64_t i = 0; i < summary->records; ++i) {
        if (fread(&record, sizeof record, 1, index.file) != 1) {
            return -1;
        }
        ++summary->kinds[record.kind];
        const auto slot = slotOf.find(IndexRecordChannelNumber(record));
        if (slot == slotOf.end()) {
            continue;   // a channel beyond the manager's table
        }
        ChannelSummary& channel = summary->channels[slot->second];
        if (!seen[channel.number]) {
            seen[channel.number] = true;
            channel.unit = IndexRecordUnit(record);
            channel.channel = IndexRecordChannel(record);
        }
        if (IndexKindIsVideo(record.kind)) {
            ++channel.videoRecords;
        } else if (IndexKindIsAudio(record.kind)) {
            ++channel.audioRecords;
        }
        const uint32_t offset = IndexRecordOffset(record);
        if (offset > static_cast<uint32_t>(INT32_MAX) || fseeko(media.file, offset, SEEK_SET) != 0 ||
            TavReadHeader(media.file, header, sizeof header) <= 0) {
            clearerr(media.file);
            ++summary->unreadablePackets;
            continue;
        }
        channel.codecs.insert(DescribePacketType(header[0]));
        const std::string date = DateOf(header);
        if (channel.firstDate.empty()) {
            channel.firstDate = date;
        }
        channel.lastDate = date;
    }
    return 0;
}
