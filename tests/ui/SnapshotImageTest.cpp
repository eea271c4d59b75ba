#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/SnapshotImage.h"
#include "video/SnapshotBmp.h"
#include "video/TestPattern.h"

namespace {

std::vector<uint8_t> Flipped(const std::vector<uint8_t>& picture, uint32_t width, uint32_t height)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> flipped(picture.size());
    for (uint32_t y = 0; y < height; ++y) {
        std::copy_n(picture.begin() + (height - 1 - y) * rowBytes, rowBytes, flipped.begin() + y * rowBytes);
    }
    return flipped;
}

std::vector<uint8_t> Pattern(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3);
    DrawTestPattern(picture.data(), width, height, 5, 2);
    return picture;
}

}  // namespace

TEST(SnapshotImage, FramesComeOutBottomRowFirst)
{
    struct Case { VideoCodecId codec; uint32_t width; uint32_t height; };
    for (const Case c : {Case{kVideoCodecJpeg, 352, 288}, Case{kVideoCodecJpeg, 701, 9},
                         Case{kVideoCodecMpeg4, 701, 9}, Case{kVideoCodecH264, 176, 144}}) {
        const std::vector<uint8_t> upright = Pattern(c.width, c.height);
        const std::vector<uint8_t> frame = VideoCodecIsTopDown(c.codec) ? upright : Flipped(upright, c.width, c.height);
        std::vector<uint8_t> image;
        ASSERT_EQ(RenderSnapshotImage(frame.data(), c.width, c.height, c.codec, "", &image), 0);
        EXPECT_EQ(image, Flipped(upright, c.width, c.height)) << c.codec << " " << c.width;
    }
}

TEST(SnapshotImage, CaptionStandsInABlackBandAtTopLeft)
{
    const uint32_t width = 701;
    const uint32_t height = 120;
    const uint8_t grey[3] = {0x40, 0x80, 0xC0};
    std::vector<uint8_t> frame(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < frame.size(); ++i) {
        frame[i] = grey[i % 3];
    }
    std::vector<uint8_t> image;
    ASSERT_EQ(RenderSnapshotImage(frame.data(), width, height, kVideoCodecH264, "Mar 05,2010 14:07:09.350", &image), 0);
    ASSERT_EQ(image.size(), frame.size());

    // Every pixel the caption touched is black or the text colour, all of them in a band that
    // starts at the top-left corner; the rest of the frame is untouched.
    const std::vector<uint8_t> upright = Flipped(image, width, height);
    uint32_t black = 0;
    uint32_t text = 0;
    uint32_t right = 0;
    uint32_t bottom = 0;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t* p = &upright[(static_cast<size_t>(y) * width + x) * 3];
            if (std::equal(p, p + 3, grey)) {
                continue;
            }
            const bool isBlack = p[0] == 0 && p[1] == 0 && p[2] == 0;
            const bool isText = p[0] == 250 && p[1] == 255 && p[2] == 255;
            ASSERT_TRUE(isBlack || isText) << x << "," << y << ": " << int(p[0]) << " " << int(p[1]) << " "
                                           << int(p[2]);
            (isBlack ? black : text) += 1;
            right = std::max(right, x);
            bottom = std::max(bottom, y);
        }
    }
    EXPECT_EQ(upright[0], 0) << "the band starts at the corner";
    EXPECT_GT(text, 50u);
    EXPECT_GT(black, text);
    EXPECT_GT(right, 60u);
    EXPECT_LT(right, width / 2);
    EXPECT_GT(bottom, 6u);
    EXPECT_LT(bottom, 30u);
}

TEST(SnapshotImage, FrameWithoutSize)
{
    std::vector<uint8_t> image(10, 1);
    const uint8_t pixel[3] = {1, 2, 3};
    EXPECT_EQ(RenderSnapshotImage(pixel, 0, 1, kVideoCodecJpeg, "caption", &image), 0);
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(RenderSnapshotImage(pixel, 1, 0, kVideoCodecMpeg4, "caption", &image), 0);
    EXPECT_TRUE(image.empty());
    EXPECT_EQ(RenderSnapshotImage(nullptr, 4, 4, kVideoCodecJpeg, "caption", &image), -1);
}

// Another program's reader takes the BMP file as the picture, odd widths included.
TEST(SnapshotImage, BmpFileReadsBackUpright)
{
    for (const uint32_t width : {701u, 64u}) {
        const uint32_t height = 7;
        const std::vector<uint8_t> upright = Pattern(width, height);
        const std::vector<uint8_t> image = Flipped(upright, width, height);
        std::vector<uint8_t> file(BmpFileSize(width, height));
        ASSERT_EQ(BuildBmpFile(file.data(), static_cast<uint32_t>(file.size()), image.data(), width, height),
                  static_cast<int32_t>(file.size()));
        const QImage read = QImage::fromData(file.data(), static_cast<int>(file.size()), "BMP");
        ASSERT_FALSE(read.isNull()) << width;
        ASSERT_EQ(read.width(), static_cast<int>(width));
        ASSERT_EQ(read.height(), static_cast<int>(height));
        const QImage bgr = read.convertToFormat(QImage::Format_BGR888);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = bgr.constScanLine(static_cast<int>(y));
            ASSERT_TRUE(std::equal(row, row + width * 3, upright.begin() + y * width * 3)) << width << " row " << y;
        }
    }
}
