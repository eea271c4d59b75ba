#include "tests/hardening/SweepViews.h"

#include <cstring>

#include "Tav/TavPacketUtil.h"
#include "recording/IndexRecord.h"
#include "video/DecodedFrame.h"
#include "video/EventRecord.h"
#include "video/FrameDecoder.h"

namespace {

// Room the feed keeps for the overlay: 32 items of at most 128 bytes with their spaces.
constexpr size_t kMostOverlayBytes = 32 * kComposerTextCapacity;

bool IsFeedResult(int32_t result)
{
    return result == kFeedPacketDropped || result == kFeedNoFrameBuffer || result == kDecodeOk ||
           result == kDecodeJpegCreateFailed || result == kDecodeNotVideo || result == kDecodeRejected;
}

// An event record whose flags ask for it to be drawn (the text it leaves stays until the next).
bool CarriesShownEvent(const uint8_t* packet)
{
    PacketOptions options{};
    return TavParseOptions(packet, &options) && options.option8 != nullptr && options.option8Length >= kEventHeadSize &&
           (options.option8[kEventFlagsOffset] & kEventFlagsShown) == kEventFlagsShown;
}

}  // namespace

SweepViews::SweepViews(std::vector<std::string>* problems) : problems(problems)
{
    memcpy(layout.bytes, composer.GetLayout(), kComposerLayoutSize);
}

void SweepViews::Problem(const std::string& text)
{
    problems->push_back(text);
}

int32_t SweepViews::CreateViews(int32_t count)
{
    if (count <= 0) {
        return 0;
    }
    const int32_t wanted = count < kSweepMaxViews ? count : kSweepMaxViews;
    while (ViewCount() < wanted) {
        auto view = std::make_unique<View>();
        view->owner = this;
        if (view->feed.Create() != 0) {
            Problem("a view's feed could not be made");
            break;
        }
        views.push_back(std::move(view));
    }
    // As the grid does when it is laid out again: each view starts black, its sequence kept.
    for (auto& view : views) {
        view->feed.Reset();
    }
    return ViewCount();
}

ChannelHandler SweepViews::ViewHandler(int32_t index)
{
    if (index < 0 || index >= ViewCount()) {
        Problem("the manager asked for view " + std::to_string(index) + " of " + std::to_string(ViewCount()));
        return ChannelHandler{nullptr, nullptr};
    }
    return ChannelHandler{views[static_cast<size_t>(index)].get(), &SweepViews::OnPacket};
}

FeedSettings SweepViews::Settings() const
{
    FeedSettings settings;
    settings.areaWidth = 320;
    settings.areaHeight = 240;
    settings.composer = const_cast<BuiltInLogComposer*>(&composer);
    settings.composerLayout = &layout;
    return settings;
}

void SweepViews::Deliver(uint8_t kind, const uint8_t* packet)
{
    if (!IndexKindIsVideo(kind) && !IndexKindIsAudio(kind)) {
        return;
    }
    const ChannelHandler handler = registry.Lookup(TavGetChannelNumber(packet));
    if (handler.callback != nullptr) {
        handler.callback(handler.context, kChannelPacketMessage, packet, TavGetTotalLength(packet));
    }
}

void SweepViews::OnPacket(void* context, int32_t, const uint8_t* packet, uint32_t length)
{
    auto* view = static_cast<View*>(context);
    if (length == 0 || view == nullptr || packet == nullptr) {
        return;
    }
    if (TavIsVideo(packet)) {
        view->owner->TakeVideo(*view, packet, length);
    } else if (TavIsAudio(packet)) {
        view->owner->audio.Route(packet, length);
    }
}

void SweepViews::CheckFeedState(View& view, const char* where)
{
    const DecodedFrame& frame = view.feed.frame;
    if (!FrameSizeFits(frame.width, frame.height)) {
        Problem(std::string(where) + ": the frame claims " + std::to_string(frame.width) + "x" +
                std::to_string(frame.height) + ", beyond its buffer");
    }
    if (memchr(view.feed.caption, 0, sizeof view.feed.caption) == nullptr) {
        Problem(std::string(where) + ": the caption is not terminated");
    }
    if (view.feed.overlayText.size() > kMostOverlayBytes) {
        Problem(std::string(where) + ": the overlay text is " + std::to_string(view.feed.overlayText.size()) +
                " bytes");
    }
}

void SweepViews::TakeVideo(View& view, const uint8_t* packet, uint32_t length)
{
    bool captionChanged = false;
    const int32_t result = view.feed.TakeVideo(packet, length, Settings(), &captionChanged);
    ++video.taken;
    if (!IsFeedResult(result)) {
        Problem("TakeVideo gave " + std::to_string(result));
    }
    video.decoded += result == kDecodeOk;
    video.rejected += result == kDecodeRejected || result == kDecodeJpegCreateFailed;
    video.dropped += result == kFeedPacketDropped;
    video.notVideo += result == kDecodeNotVideo;
    video.composed += result == kDecodeOk && CarriesShownEvent(packet) && !view.feed.overlayText.empty();
    CheckFeedState(view, "TakeVideo");
}

bool SweepViews::StepShowHeld(int32_t index, int32_t record, const uint8_t* packet, uint32_t length)
{
    View& view = *views[static_cast<size_t>(index)];
    bool captionChanged = false;
    const bool shown = view.feed.StepShowHeld(record, packet, length, Settings(), &captionChanged);
    CheckFeedState(view, "StepShowHeld");
    return shown;
}

void SweepViews::StepDecode(int32_t index, int32_t key, int32_t record, int32_t target, const uint8_t* packet,
                            uint32_t length)
{
    View& view = *views[static_cast<size_t>(index)];
    bool captionChanged = false;
    const int32_t result = view.feed.StepDecode(key, record, target, packet, length, Settings(), &captionChanged);
    ++video.stepDecodes;
    if (!IsFeedResult(result) || result == kFeedPacketDropped) {
        Problem("StepDecode gave " + std::to_string(result));
    }
    CheckFeedState(view, "StepDecode");
}

int32_t SweepViews::StepDecoderRecord(int32_t index, int32_t key)
{
    return views[static_cast<size_t>(index)]->feed.StepDecoderRecord(key);
}
