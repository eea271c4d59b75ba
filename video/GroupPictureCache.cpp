#include "video/GroupPictureCache.h"

extern "C" {
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <cstdlib>
#include <cstring>

namespace {

int64_t Distance(int32_t record, int32_t target)
{
    return std::llabs(static_cast<int64_t>(record) - target);
}

}  // namespace

GroupPictureCache::~GroupPictureCache()
{
    Release();
}

void GroupPictureCache::Forget()
{
    for (Picture& picture : pictures) {
        picture.record = -1;
    }
}

bool GroupPictureCache::SameLayout(const PlanarPicture& picture) const
{
    if (picture.width != layout.width || picture.height != layout.height || picture.format != layout.format) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        if (picture.linesize[i] != layout.linesize[i]) {
            return false;
        }
    }
    return true;
}

bool GroupPictureCache::Put(int32_t key, int32_t record, int32_t targetRecord, const PlanarPicture& picture,
                            VideoCodecId codec)
{
    size_t sizes[4] = {};
    const size_t bytes = PlanarPictureBytes(picture, sizes);
    if (picture.data[0] == nullptr || bytes == 0 || bytes > budget ||
        !FrameSizeFits(static_cast<uint32_t>(picture.width), static_cast<uint32_t>(picture.height))) {
        return false;
    }
    if (!SameLayout(picture)) {
        // Every slot has the size of one picture, so the count of slots bounds the memory.
        Release();
        layout = picture;
        for (int i = 0; i < 4; ++i) {
            layout.data[i] = nullptr;
            planeBytes[i] = sizes[i];
        }
        pictureBytes = bytes;
    }
    if (key != keyRecord) {
        Forget();
        keyRecord = key;
    }
    Picture* slot = nullptr;
    for (Picture& held : pictures) {
        if (held.record == record || (slot == nullptr && held.record < 0)) {
            slot = &held;
        }
    }
    if (slot == nullptr && (pictures.size() + 1) * pictureBytes <= budget) {
        Picture fresh;
        fresh.bytes = static_cast<uint8_t*>(av_malloc(pictureBytes));
        if (fresh.bytes == nullptr) {
            return false;
        }
        pictures.push_back(fresh);
        slot = &pictures.back();
    }
    if (slot == nullptr) {
        Picture* farthest = nullptr;
        for (Picture& held : pictures) {
            if (farthest == nullptr || Distance(held.record, targetRecord) > Distance(farthest->record, targetRecord)) {
                farthest = &held;
            }
        }
        if (farthest == nullptr || Distance(record, targetRecord) >= Distance(farthest->record, targetRecord)) {
            return false;
        }
        slot = farthest;
    }
    slot->record = record;
    slot->codec = codec;
    uint8_t* at = slot->bytes;
    for (int i = 0; i < 4; ++i) {
        if (planeBytes[i] > 0 && picture.data[i] != nullptr) {
            memcpy(at, picture.data[i], planeBytes[i]);
        }
        at += planeBytes[i];
    }
    return true;
}

bool GroupPictureCache::Take(int32_t record, DecodedFrame* frame)
{
    if (record < 0 || frame == nullptr || frame->pixels == nullptr) {
        return false;
    }
    for (const Picture& held : pictures) {
        if (held.record != record) {
            continue;
        }
        PlanarPicture picture = layout;
        const uint8_t* at = held.bytes;
        for (int i = 0; i < 4; ++i) {
            picture.data[i] = planeBytes[i] > 0 ? at : nullptr;
            at += planeBytes[i];
        }
        if (ConvertPlanarPicture(&scaler, picture, frame) != 0) {
            return false;
        }
        frame->codec = held.codec;
        return true;
    }
    return false;
}

bool GroupPictureCache::Holds(int32_t record) const
{
    for (const Picture& held : pictures) {
        if (record >= 0 && held.record == record) {
            return true;
        }
    }
    return false;
}

void GroupPictureCache::Release()
{
    for (Picture& held : pictures) {
        av_free(held.bytes);
    }
    std::vector<Picture>().swap(pictures);
    sws_freeContext(scaler);
    scaler = nullptr;
    keyRecord = -1;
    layout = PlanarPicture{};
    for (size_t& size : planeBytes) {
        size = 0;
    }
    pictureBytes = 0;
}

int32_t GroupPictureCache::PicturesHeld() const
{
    int32_t held = 0;
    for (const Picture& picture : pictures) {
        held += picture.record >= 0 ? 1 : 0;
    }
    return held;
}
