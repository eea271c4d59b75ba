// Decoded pictures of one group of pictures of one view, by record number, so that stepping
// backwards inside the group costs a copy instead of decoding from the key frame again.
//
// Bounded by bytes, not by frames: a budget of 64 MiB holds a whole group of 50 D1 pictures
// (1.2 MiB each) and still ten 1080p ones, while 64 views could never together hold more than
// one budget, since only the view being stepped keeps its pictures (the playback handler drops
// the others). The memory is taken on the first picture kept and given back by Release.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "video/DecodedFrame.h"

constexpr size_t kGroupPictureBudget = 64u * 1024u * 1024u;

class GroupPictureCache {
public:
    explicit GroupPictureCache(size_t budgetBytes = kGroupPictureBudget) : budget(budgetBytes) {}

    // Keeps a copy of `frame` (its width x height x 3 bytes) as the picture of `record` of the group
    // whose key frame is `keyRecord`. Another group, or another picture size, first forgets what is
    // held. When the budget is full, the picture farthest from `targetRecord` gives way (possibly the
    // new one): the steps that follow need the pictures around the target. False when not kept.
    bool Put(int32_t keyRecord, int32_t record, int32_t targetRecord, const DecodedFrame& frame);
    // Copies the picture of `record` into `frame` (pixels, size, codec); false when not held.
    bool Take(int32_t record, DecodedFrame* frame) const;
    bool Holds(int32_t record) const;
    // Forgets every picture and frees the memory.
    void Release();

    int32_t KeyRecord() const { return keyRecord; }
    size_t BytesHeld() const;
    size_t Budget() const { return budget; }
    int32_t PicturesHeld() const;

private:
    struct Picture {
        int32_t record = -1;   // -1: the slot is free
        VideoCodecId codec = kVideoCodecNone;
        std::vector<uint8_t> pixels;
    };

    void Forget();

    size_t budget;
    int32_t keyRecord = -1;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Picture> pictures;
};
