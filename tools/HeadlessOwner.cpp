#include "tools/HeadlessOwner.h"

#include "Tav/TavPacketUtil.h"
#include "playback/DecodePool.h"
#include "video/FrameDecoder.h"

int32_t HeadlessOwner::CreateViews(int32_t count)
{
    if (count > 0) {
        views.clear();
        viewsReady = true;
        for (int32_t i = 0; i < count; ++i) {
            views.push_back(std::make_unique<CountingView>());
            CountingView& view = *views.back();
            if (decode && (view.video.Create() != 0 || (pool != nullptr && view.AllocateQueue() != 0))) {
                viewsReady = false;
            }
            view.pool = pool;
        }
    }
    return static_cast<int32_t>(views.size());
}

ChannelHandler HeadlessOwner::ViewHandler(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= views.size()) {
        return ChannelHandler{nullptr, nullptr};
    }
    return ChannelHandler{views[static_cast<size_t>(index)].get(), &HeadlessOwner::OnPacket};
}

void HeadlessOwner::OnPacket(void* context, int32_t, const uint8_t* packet, uint32_t length)
{
    auto* view = static_cast<CountingView*>(context);
    if (TavIsAudio(packet)) {
        ++view->counts.audioPackets;
        return;
    }
    ++view->counts.videoPackets;
    if (!view->video.Ready() || !TavIsVideo(packet)) {
        return;
    }
    if (view->pool != nullptr) {
        view->pool->Submit(view, packet, length);
    } else {
        view->DecodeQueued(packet, length);
    }
}

void CountingView::DecodeQueued(const uint8_t* packet, uint32_t length)
{
    bool captionChanged = false;
    const int32_t result = video.TakeVideo(packet, length, FeedSettings{}, &captionChanged);
    if (result == kFeedPacketDropped) {
        ++counts.dropped;
    } else if (result < 0) {
        ++counts.failed;
    } else {
        ++counts.decoded;
    }
}
