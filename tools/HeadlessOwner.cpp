#include "tools/HeadlessOwner.h"

#include "Tav/TavPacketUtil.h"

int32_t HeadlessOwner::CreateViews(int32_t count)
{
    if (count > 0) {
        views.assign(static_cast<size_t>(count), CountingView{});
    }
    return static_cast<int32_t>(views.size());
}

ChannelHandler HeadlessOwner::ViewHandler(int32_t index)
{
    if (index < 0 || static_cast<size_t>(index) >= views.size()) {
        return ChannelHandler{nullptr, nullptr};
    }
    return ChannelHandler{&views[static_cast<size_t>(index)], &HeadlessOwner::OnPacket};
}

void HeadlessOwner::OnPacket(void* context, int32_t, const uint8_t* packet, uint32_t)
{
    auto* view = static_cast<CountingView*>(context);
    if (TavIsAudio(packet)) {
        ++view->audioPackets;
    } else {
        ++view->videoPackets;
    }
}
