// Decoded pictures of one group of pictures of one view, by record number, so that stepping
// backwards inside the group costs one conversion instead of decoding from the key frame again.
//
// The pictures are kept as the stream decoder gave them, in its own planes (YUV 4:2:0 is half the
// bytes of the view's BGR frame), and only the picture shown is converted, through the same
// conversion decoding uses, so it is byte for byte the picture decoding gave. Bounded by bytes,
// not by frames: a budget of 64 MiB holds a whole group of 50 D1 pictures (0.5 MiB each) and still
// twenty 1080p ones, while 64 views could never together hold more than one budget, since only the
// view being stepped keeps its pictures (the playback handler drops the others). The memory is
// taken on the first picture kept and given back by Release.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "video/DecodedFrame.h"
#include "video/PlanarPicture.h"

constexpr size_t kGroupPictureBudget = 64u * 1024u * 1024u;

class GroupPictureCache {
public:
    explicit GroupPictureCache(size_t budgetBytes = kGroupPictureBudget) : budget(budgetBytes) {}
    ~GroupPictureCache();
    GroupPictureCache(const GroupPictureCache&) = delete;
    GroupPictureCache& operator=(const GroupPictureCache&) = delete;

    // Keeps a copy of `picture` as the picture of `record` of the group whose key frame is
    // `keyRecord`. Another group, or another layout of the planes (size or format), first forgets
    // what is held. When the budget is full, the picture farthest from `targetRecord` gives way
    // (possibly the new one): the steps that follow need the pictures around the target. False
    // when not kept.
    bool Put(int32_t keyRecord, int32_t record, int32_t targetRecord, const PlanarPicture& picture,
             VideoCodecId codec);
    // Converts the picture of `record` into `frame` (pixels, size, codec); false when it is not
    // held or cannot be converted.
    bool Take(int32_t record, DecodedFrame* frame);
    bool Holds(int32_t record) const;
    // Forgets every picture and frees the memory.
    void Release();

    int32_t KeyRecord() const { return keyRecord; }
    size_t BytesHeld() const { return pictures.size() * pictureBytes; }
    size_t Budget() const { return budget; }
    int32_t PicturesHeld() const;

private:
    struct Picture {
        int32_t record = -1;   // -1: the slot is free
        VideoCodecId codec = kVideoCodecNone;
        uint8_t* bytes = nullptr;   // the planes one after another, each with the decoder's line size
    };

    void Forget();
    bool SameLayout(const PlanarPicture& picture) const;

    size_t budget;
    int32_t keyRecord = -1;
    PlanarPicture layout;   // the planes' sizes and format; no data
    size_t planeBytes[4] = {};
    size_t pictureBytes = 0;
    std::vector<Picture> pictures;
    SwsContext* scaler = nullptr;
};
