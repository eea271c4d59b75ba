// The media file manager's owner for kvrtool: views without a window, each of which counts
// the packets delivered to it and, when asked to, decodes its video as a camera view does (on
// the engine's decode pool, as the player's views do), and the registry they are registered in.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "playback/DecodeQueue.h"
#include "recording/MediaFileOwner.h"
#include "video/CameraFeed.h"

class DecodePool;
class QelSmartLcid2Callback;

struct ViewCounts {
    int64_t videoPackets = 0;
    int64_t audioPackets = 0;
    int64_t decoded = 0;   // video packets decoded (only when the view decodes)
    int64_t failed = 0;    // video packets the decoder refused
    int64_t dropped = 0;   // video packets the sequence check dropped before decoding
};

// The decode counts are written by the pool's workers: read them once the pool is idle. The
// playback loop leaves nothing queued when it ends, so a view may outlive the pool.
class CountingView : public DecodeQueue {
public:
    ViewCounts counts;
    CameraFeed video;   // made only for views that decode: the player's own packet path
    DecodePool* pool = nullptr;

    void DecodeQueued(const uint8_t* packet, uint32_t length) override;
};

class HeadlessOwner : public MediaFileOwner {
public:
    // With `decode`, each view gets its own frame buffer, decoder and queue when it is made, and
    // decodes on `pool` (null: on the playback thread).
    explicit HeadlessOwner(QelSmartLcid2Callback* registry, bool decode = false, DecodePool* pool = nullptr)
        : registry(registry), decode(decode), pool(pool)
    {
    }

    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return registry; }

    // False when a decoding view could not get its frame buffer or decoder.
    bool ViewsReady() const { return viewsReady; }

    // Views are made by CreateViews, during the scan, and live as long as the owner.
    std::vector<std::unique_ptr<CountingView>> views;

private:
    static void OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    QelSmartLcid2Callback* registry;
    bool decode;
    DecodePool* pool;
    bool viewsReady = true;
};
