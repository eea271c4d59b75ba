#include "tools/frame/RecordFrame.h"

#include <vector>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "recording/MediaFileMng.h"
#include "video/CameraFeed.h"

namespace {

bool IsKeyFrame(const uint8_t* packet)
{
    return TavIsJpeg(packet) || TavGetSequence(packet) == 0;
}

}  // namespace

int32_t DecodeRecordFrame(MediaFileMng& manager, int32_t recordNumber, CameraFeed* view, RecordFrameInfo* info)
{
    *info = RecordFrameInfo{};
    info->records = manager.RecordCount();
    if (recordNumber < 0 || recordNumber >= info->records) {
        return kRecordFrameBeyondEnd;
    }
    std::vector<uint8_t> packet(kMediaReadCapacity);
    const int32_t read = manager.ReadAt(recordNumber, packet.data());
    info->kind = manager.record.kind;
    if (!IndexKindIsVideo(info->kind)) {
        return kRecordFrameNotVideo;
    }
    if (read <= 0) {
        info->failedRecord = recordNumber;
        return kRecordFrameUnreadable;
    }
    info->type = packet[0];
    info->channelNumber = TavGetChannelNumber(packet.data());
    if (!TavIsVideo(packet.data())) {
        return kRecordFrameNotVideo;
    }

    // Back to the channel's last key frame, then forwards through the channel's video.
    std::vector<int32_t> feed;
    for (int32_t position = recordNumber; position >= 0 && info->keyRecord < 0; --position) {
        const int32_t length = manager.ReadAt(position, packet.data());
        if (!IndexKindIsVideo(manager.record.kind) || length == 0) {
            continue;
        }
        if (length < 0) {
            // Another channel's damaged packet is no concern of this one's view.
            if (IndexRecordChannelNumber(manager.record) != info->channelNumber) {
                continue;
            }
            info->failedRecord = position;
            return kRecordFrameUnreadable;
        }
        if (!TavIsVideo(packet.data()) || TavGetChannelNumber(packet.data()) != info->channelNumber) {
            continue;
        }
        feed.push_back(position);
        if (IsKeyFrame(packet.data())) {
            info->keyRecord = position;
        }
    }
    if (info->keyRecord < 0) {
        return kRecordFrameNoKeyFrame;
    }
    for (auto position = feed.rbegin(); position != feed.rend(); ++position) {
        const int32_t length = manager.ReadAt(*position, packet.data());
        if (length <= 0) {
            info->failedRecord = *position;
            return kRecordFrameUnreadable;
        }
        bool captionChanged = false;
        info->decodeResult = view->TakeVideo(packet.data(), static_cast<uint32_t>(length), FeedSettings{}, &captionChanged);
    }
    if (info->decodeResult == kFeedPacketDropped) {
        return kRecordFrameDropped;
    }
    if (info->decodeResult < 0 || view->frame.width == 0 || view->frame.height == 0) {
        return kRecordFrameNotDecoded;
    }
    return kRecordFrameOk;
}
