// The media file manager's owner for kvrtool: views without a window, each of which counts
// the packets delivered to it, and the registry they are registered in.
#pragma once

#include <cstdint>
#include <vector>

#include "recording/MediaFileOwner.h"

class QelSmartLcid2Callback;

struct CountingView {
    int64_t videoPackets = 0;
    int64_t audioPackets = 0;
};

class HeadlessOwner : public MediaFileOwner {
public:
    explicit HeadlessOwner(QelSmartLcid2Callback* registry) : registry(registry) {}

    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return registry; }

    // Views are made by CreateViews, during the scan, and live as long as the owner.
    std::vector<CountingView> views;

private:
    static void OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    QelSmartLcid2Callback* registry;
};
