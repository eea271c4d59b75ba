// The decoded pictures an exact step keeps: within the budget whatever the group, the pictures
// nearest the target kept, and a new group or picture size starting afresh.
#include <gtest/gtest.h>

#include <vector>

#include "video/GroupPictureCache.h"

namespace {

constexpr uint32_t kWidth = 8;
constexpr uint32_t kHeight = 4;
constexpr size_t kBytes = kWidth * kHeight * 3;

// A picture whose bytes all equal `value`, in a buffer of the frame's real capacity.
class TestPicture {
public:
    explicit TestPicture(uint8_t value, uint32_t width = kWidth, uint32_t height = kHeight)
        : pixels(kFramePixelCapacity, value)
    {
        frame.pixels = pixels.data();
        frame.width = width;
        frame.height = height;
        frame.codec = kVideoCodecH264;
    }
    std::vector<uint8_t> pixels;
    DecodedFrame frame;
};

uint8_t HeldValue(const GroupPictureCache& cache, int32_t record)
{
    TestPicture out(0);
    out.frame.width = 0;
    EXPECT_TRUE(cache.Take(record, &out.frame));
    EXPECT_EQ(out.frame.width, kWidth);
    EXPECT_EQ(out.frame.codec, kVideoCodecH264);
    return out.pixels[kBytes - 1];
}

TEST(GroupPictureCacheTest, KeepsThePicturesNearestTheTargetWithinItsBudget)
{
    GroupPictureCache cache(4 * kBytes);
    // Decoding from key frame 0 to target 9: the four before the target stay.
    for (int32_t record = 0; record <= 9; ++record) {
        cache.Put(0, record, 9, TestPicture(static_cast<uint8_t>(record)).frame);
        EXPECT_LE(cache.BytesHeld(), cache.Budget());
    }
    EXPECT_EQ(cache.PicturesHeld(), 4);
    for (int32_t record = 6; record <= 9; ++record) {
        EXPECT_EQ(HeldValue(cache, record), record);
    }
    EXPECT_FALSE(cache.Holds(5));

    // Decoding again from the key frame towards 5: the window moves to the pictures around it.
    for (int32_t record = 0; record <= 5; ++record) {
        cache.Put(0, record, 5, TestPicture(static_cast<uint8_t>(record)).frame);
    }
    EXPECT_EQ(cache.PicturesHeld(), 4);
    for (const int32_t record : {4, 5, 6, 7}) {
        EXPECT_TRUE(cache.Holds(record)) << record;
    }
    EXPECT_LE(cache.BytesHeld(), cache.Budget());
}

TEST(GroupPictureCacheTest, AnotherGroupOrSizeStartsAfreshAndReleaseFreesAll)
{
    GroupPictureCache cache(8 * kBytes);
    cache.Put(0, 1, 1, TestPicture(1).frame);
    cache.Put(12, 13, 13, TestPicture(13).frame);
    EXPECT_FALSE(cache.Holds(1));
    EXPECT_EQ(HeldValue(cache, 13), 13);
    EXPECT_EQ(cache.KeyRecord(), 12);

    cache.Put(12, 14, 14, TestPicture(14, kWidth * 2, kHeight).frame);
    EXPECT_FALSE(cache.Holds(13));
    EXPECT_TRUE(cache.Holds(14));
    EXPECT_EQ(cache.BytesHeld(), 2 * kBytes);

    // A picture larger than the whole budget is never kept.
    EXPECT_FALSE(cache.Put(12, 15, 15, TestPicture(15, kWidth * 3, kHeight * 3).frame));

    cache.Release();
    EXPECT_EQ(cache.BytesHeld(), 0u);
    EXPECT_FALSE(cache.Holds(14));
    TestPicture out(0);
    EXPECT_FALSE(cache.Take(14, &out.frame));
}

}  // namespace
