// The decoded pictures an exact step keeps: within the budget whatever the group, the pictures
// nearest the target kept, a new group or picture layout starting afresh, and a picture taken
// back converted exactly as decoding converts it.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <vector>

#include "video/GroupPictureCache.h"

namespace {

constexpr int kWidth = 8;
constexpr int kHeight = 4;

// A 4:2:0 picture whose brightness tells `value`, in planes of the decoder's kind.
class TestPicture {
public:
    explicit TestPicture(uint8_t value, int width = kWidth, int height = kHeight)
        : luma(static_cast<size_t>(width * height), static_cast<uint8_t>(16 + value * 10)),
          blue(static_cast<size_t>(width * height / 4), 128),
          red(static_cast<size_t>(width * height / 4), 128)
    {
        picture.data[0] = luma.data();
        picture.data[1] = blue.data();
        picture.data[2] = red.data();
        picture.linesize[0] = width;
        picture.linesize[1] = width / 2;
        picture.linesize[2] = width / 2;
        picture.width = width;
        picture.height = height;
        picture.format = AV_PIX_FMT_YUV420P;
    }
    size_t Bytes() const { return luma.size() + blue.size() + red.size(); }
    std::vector<uint8_t> luma;
    std::vector<uint8_t> blue;
    std::vector<uint8_t> red;
    PlanarPicture picture;
};

// The frame decoding would have given for `picture`.
std::vector<uint8_t> Converted(const PlanarPicture& picture)
{
    std::vector<uint8_t> pixels(kFramePixelCapacity);
    DecodedFrame frame;
    frame.pixels = pixels.data();
    SwsContext* scaler = nullptr;
    EXPECT_EQ(ConvertPlanarPicture(&scaler, picture, &frame), 0);
    FreeScaler(scaler);
    pixels.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    return pixels;
}

bool HoldsPictureOf(GroupPictureCache& cache, int32_t record, uint8_t value)
{
    std::vector<uint8_t> pixels(kFramePixelCapacity);
    DecodedFrame frame;
    frame.pixels = pixels.data();
    if (!cache.Take(record, &frame)) {
        return false;
    }
    EXPECT_EQ(frame.width, static_cast<uint32_t>(kWidth));
    EXPECT_EQ(frame.codec, kVideoCodecH264);
    pixels.resize(static_cast<size_t>(frame.width) * frame.height * 3);
    return pixels == Converted(TestPicture(value).picture);
}

}  // namespace

TEST(GroupPictureCacheTest, KeepsThePicturesNearestTheTargetWithinItsBudget)
{
    const size_t bytes = TestPicture(0).Bytes();
    GroupPictureCache cache(4 * bytes);
    // Decoding from key frame 0 to target 9: the four before the target stay.
    for (int32_t record = 0; record <= 9; ++record) {
        cache.Put(0, record, 9, TestPicture(static_cast<uint8_t>(record)).picture, kVideoCodecH264);
        EXPECT_LE(cache.BytesHeld(), cache.Budget());
    }
    EXPECT_EQ(cache.PicturesHeld(), 4);
    for (int32_t record = 6; record <= 9; ++record) {
        EXPECT_TRUE(HoldsPictureOf(cache, record, static_cast<uint8_t>(record))) << record;
    }
    EXPECT_FALSE(cache.Holds(5));

    // Decoding again from the key frame towards 5: the window moves to the pictures around it.
    for (int32_t record = 0; record <= 5; ++record) {
        cache.Put(0, record, 5, TestPicture(static_cast<uint8_t>(record)).picture, kVideoCodecH264);
    }
    EXPECT_EQ(cache.PicturesHeld(), 4);
    for (const int32_t record : {4, 5, 6, 7}) {
        EXPECT_TRUE(HoldsPictureOf(cache, record, static_cast<uint8_t>(record))) << record;
    }
    EXPECT_LE(cache.BytesHeld(), cache.Budget());
}

TEST(GroupPictureCacheTest, AnotherGroupOrLayoutStartsAfreshAndReleaseFreesAll)
{
    const size_t bytes = TestPicture(0).Bytes();
    GroupPictureCache cache(8 * bytes);
    cache.Put(0, 1, 1, TestPicture(1).picture, kVideoCodecH264);
    cache.Put(12, 13, 13, TestPicture(13).picture, kVideoCodecH264);
    EXPECT_FALSE(cache.Holds(1));
    EXPECT_TRUE(HoldsPictureOf(cache, 13, 13));
    EXPECT_EQ(cache.KeyRecord(), 12);

    cache.Put(12, 14, 14, TestPicture(14, kWidth * 2, kHeight).picture, kVideoCodecH264);
    EXPECT_FALSE(cache.Holds(13));
    EXPECT_TRUE(cache.Holds(14));
    EXPECT_EQ(cache.BytesHeld(), 2 * bytes);

    // A picture larger than the whole budget is never kept, nor one without planes.
    EXPECT_FALSE(cache.Put(12, 15, 15, TestPicture(15, kWidth * 4, kHeight * 4).picture, kVideoCodecH264));
    EXPECT_FALSE(cache.Put(12, 16, 16, PlanarPicture{}, kVideoCodecH264));

    cache.Release();
    EXPECT_EQ(cache.BytesHeld(), 0u);
    EXPECT_FALSE(cache.Holds(14));
    std::vector<uint8_t> pixels(kFramePixelCapacity);
    DecodedFrame frame;
    frame.pixels = pixels.data();
    EXPECT_FALSE(cache.Take(14, &frame));
}
