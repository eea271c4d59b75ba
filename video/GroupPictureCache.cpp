#include "video/GroupPictureCache.h"

#include <cstdlib>
#include <cstring>

namespace {

int64_t Distance(int32_t record, int32_t target)
{
    return std::llabs(static_cast<int64_t>(record) - target);
}

}  // namespace

void GroupPictureCache::Forget()
{
    for (Picture& picture : pictures) {
        picture.record = -1;
    }
}

bool GroupPictureCache::Put(int32_t key, int32_t record, int32_t targetRecord, const DecodedFrame& frame)
{
    if (frame.pixels == nullptr || frame.width == 0 || frame.height == 0 ||
        !FrameSizeFits(frame.width, frame.height)) {
        return false;
    }
    const size_t bytes = static_cast<size_t>(frame.width) * frame.height * 3;
    if (bytes > budget) {
        return false;
    }
    if (frame.width != width || frame.height != height) {
        // Every slot has the size of one picture, so the count of slots bounds the memory.
        Release();
        width = frame.width;
        height = frame.height;
    }
    if (key != keyRecord) {
        Forget();
        keyRecord = key;
    }
    Picture* slot = nullptr;
    for (Picture& picture : pictures) {
        if (picture.record == record || (slot == nullptr && picture.record < 0)) {
            slot = &picture;
        }
    }
    if (slot == nullptr && (pictures.size() + 1) * bytes <= budget) {
        pictures.emplace_back();
        slot = &pictures.back();
        slot->pixels.resize(bytes);
    }
    if (slot == nullptr) {
        Picture* farthest = nullptr;
        for (Picture& picture : pictures) {
            if (farthest == nullptr ||
                Distance(picture.record, targetRecord) > Distance(farthest->record, targetRecord)) {
                farthest = &picture;
            }
        }
        if (farthest == nullptr || Distance(record, targetRecord) >= Distance(farthest->record, targetRecord)) {
            return false;
        }
        slot = farthest;
    }
    slot->record = record;
    slot->codec = frame.codec;
    memcpy(slot->pixels.data(), frame.pixels, bytes);
    return true;
}

bool GroupPictureCache::Take(int32_t record, DecodedFrame* frame) const
{
    if (record < 0 || frame == nullptr || frame->pixels == nullptr) {
        return false;
    }
    for (const Picture& picture : pictures) {
        if (picture.record == record) {
            memcpy(frame->pixels, picture.pixels.data(), picture.pixels.size());
            frame->width = width;
            frame->height = height;
            frame->codec = picture.codec;
            return true;
        }
    }
    return false;
}

bool GroupPictureCache::Holds(int32_t record) const
{
    for (const Picture& picture : pictures) {
        if (record >= 0 && picture.record == record) {
            return true;
        }
    }
    return false;
}

void GroupPictureCache::Release()
{
    std::vector<Picture>().swap(pictures);
    keyRecord = -1;
    width = 0;
    height = 0;
}

size_t GroupPictureCache::BytesHeld() const
{
    size_t bytes = 0;
    for (const Picture& picture : pictures) {
        bytes += picture.pixels.capacity();
    }
    return bytes;
}

int32_t GroupPictureCache::PicturesHeld() const
{
    int32_t held = 0;
    for (const Picture& picture : pictures) {
        held += picture.record >= 0 ? 1 : 0;
    }
    return held;
}
