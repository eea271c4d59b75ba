// An owner for the media file manager without windows: it remembers what the scan asked of
// it, and each of its views is just its index, so tests can see which view got which channel.
#pragma once

#include <cstdint>
#include <vector>

#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"

class TestOwner : public MediaFileOwner {
public:
    int32_t CreateViews(int32_t count) override
    {
        requestedViews.push_back(count);
        const int32_t made = viewLimit >= 0 && count > viewLimit ? viewLimit : count;
        viewIds.assign(static_cast<size_t>(made > 0 ? made : 0), 0);
        for (size_t i = 0; i < viewIds.size(); ++i) {
            viewIds[i] = static_cast<int32_t>(i);
        }
        return static_cast<int32_t>(viewIds.size());
    }

    ChannelHandler ViewHandler(int32_t index) override
    {
        return ChannelHandler{&viewIds.at(static_cast<size_t>(index)), &TestOwner::OnPacket};
    }

    QelSmartLcid2Callback* Registry() override { return &registry; }

    // The view index registered for a channel number, or -1.
    int32_t ViewOf(int32_t channelNumber) const
    {
        const ChannelHandler handler = registry.Lookup(channelNumber);
        return handler.context == nullptr ? -1 : *static_cast<const int32_t*>(handler.context);
    }

    static void OnPacket(void*, int32_t, const uint8_t*, uint32_t) {}

    QelSmartLcid2Callback registry;
    std::vector<int32_t> requestedViews;   // the count of every CreateViews call
    std::vector<int32_t> viewIds;
    int32_t viewLimit = -1;                // most views CreateViews makes; -1: as many as asked
};
