#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/StreamCapture.h"
#include "tests/support/TempDir.h"
#include "video/SnapshotBmp.h"
#include "video/SnapshotFile.h"
#include "video/SnapshotJpeg.h"
#include "video/SnapshotName.h"
#include "video/TestPattern.h"

namespace {

// Rows of a packed BGR picture in the other order.
std::vector<uint8_t> Flipped(const std::vector<uint8_t>& picture, uint32_t width, uint32_t height)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> flipped(picture.size());
    for (uint32_t y = 0; y < height; ++y) {
        std::copy_n(picture.begin() + (height - 1 - y) * rowBytes, rowBytes, flipped.begin() + y * rowBytes);
    }
    return flipped;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

// Decoded with TurboJPEG, packed BGR, top row first; empty when it does not decode.
std::vector<uint8_t> DecodeTopDown(const uint8_t* jpeg, size_t size, int* width, int* height)
{
    tjhandle handle = tjInitDecompress();
    int subsampling = 0;
    int colorspace = 0;
    std::vector<uint8_t> picture;
    if (tjDecompressHeader3(handle, jpeg, size, width, height, &subsampling, &colorspace) == 0) {
        picture.resize(static_cast<size_t>(*width) * *height * 3);
        if (tjDecompress2(handle, jpeg, size, picture.data(), *width, *width * 3, *height, TJPF_BGR, 0) != 0) {
            picture.clear();
        }
    }
    tjDestroy(handle);
    return picture;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Get16(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

}  // namespace

TEST(SnapshotJpeg, DecodesUprightToTheBottomUpImage)
{
    struct Case { uint32_t width; uint32_t height; };
    for (const Case c : {Case{352, 288}, Case{701, 37}}) {
        std::vector<uint8_t> upright(static_cast<size_t>(c.width) * c.height * 3);
        DrawTestPattern(upright.data(), c.width, c.height, 3, 1);
        const std::vector<uint8_t> bottomUp = Flipped(upright, c.width, c.height);
        std::vector<uint8_t> output(kSnapshotJpegCapacity);
        const int32_t n = EncodeJpeg(output.data(), bottomUp.data(), c.width, c.height);
        ASSERT_GT(n, 0) << c.width;

        int width = 0;
        int height = 0;
        const std::vector<uint8_t> decoded = DecodeTopDown(output.data(), static_cast<size_t>(n), &width, &height);
        ASSERT_FALSE(decoded.empty()) << c.width;
        EXPECT_EQ(width, static_cast<int>(c.width));
        EXPECT_EQ(height, static_cast<int>(c.height));
        EXPECT_GT(Psnr(decoded, upright), 28.0) << c.width;
        EXPECT_LT(Psnr(decoded, bottomUp), 20.0) << c.width;

        // Baseline with the library's defaults at quality 60 (4:2:0, the accurate DCT): the same
        // stream TurboJPEG makes of the upright picture with those settings.
        tjhandle handle = tjInitCompress();
        unsigned char* reference = nullptr;
        unsigned long referenceSize = 0;
        ASSERT_EQ(tjCompress2(handle, upright.data(), static_cast<int>(c.width), 0, static_cast<int>(c.height),
                              TJPF_BGR, &reference, &referenceSize, TJSAMP_420, 60, TJFLAG_ACCURATEDCT),
                  0);
        EXPECT_EQ(std::vector<uint8_t>(output.begin(), output.begin() + n),
                  std::vector<uint8_t>(reference, reference + referenceSize))
            << c.width;
        tjFree(reference);
        tjDestroy(handle);
    }
}

TEST(SnapshotJpeg, OutputBeyondTheAreaFailsSilently)
{
    const uint32_t width = 2048;
    const uint32_t height = 1536;
    std::vector<uint8_t> noise(static_cast<size_t>(width) * height * 3);
    std::mt19937 random(7);
    for (uint8_t& byte : noise) {
        byte = static_cast<uint8_t>(random());
    }
    std::vector<uint8_t> output(kSnapshotJpegCapacity);
    StreamCapture out(stdout);
    StreamCapture err(stderr);
    EXPECT_EQ(EncodeJpeg(output.data(), noise.data(), width, height), -1);
    EXPECT_EQ(out.Text(), "");
    EXPECT_EQ(err.Text(), "");

    // Nothing of the failed run lingers into the next one.
    std::vector<uint8_t> small(64 * 48 * 3, 0x80);
    EXPECT_GT(EncodeJpeg(output.data(), small.data(), 64, 48), 0);
}

TEST(SnapshotJpeg, NothingToCompressGivesZero)
{
    std::vector<uint8_t> output(kSnapshotJpegCapacity, 0xAA);
    std::vector<uint8_t> image(16 * 16 * 3, 0x10);
    EXPECT_EQ(EncodeJpeg(output.data(), nullptr, 16, 16), 0);
    EXPECT_EQ(EncodeJpeg(output.data(), image.data(), 0, 16), 0);
    EXPECT_EQ(EncodeJpeg(output.data(), image.data(), 16, 0), 0);
}

TEST(SnapshotBmp, HeaderAndPaddedRows)
{
    struct Case { uint32_t width; uint32_t stride; };
    for (const Case c : {Case{1, 4}, Case{2, 8}, Case{3, 12}, Case{4, 12}, Case{5, 16}}) {
        const uint32_t height = 3;
        std::vector<uint8_t> image(static_cast<size_t>(c.width) * height * 3);
        for (size_t i = 0; i < image.size(); ++i) {
            image[i] = static_cast<uint8_t>(i + 1);
        }
        const uint32_t fileSize = 54 + c.stride * height;
        ASSERT_EQ(BmpFileSize(c.width, height), fileSize);
        std::vector<uint8_t> file(fileSize + 8, 0xEE);
        ASSERT_EQ(BuildBmpFile(file.data(), fileSize, image.data(), c.width, height), static_cast<int32_t>(fileSize));

        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Get32(file, 2), fileSize);
        EXPECT_EQ(Get32(file, 6), 0u);
        EXPECT_EQ(Get32(file, 10), 54u);
        EXPECT_EQ(Get32(file, 14), 40u);
        EXPECT_EQ(Get32(file, 18), c.width);
        EXPECT_EQ(Get32(file, 22), height);
        EXPECT_EQ(Get16(file, 26), 1);
        EXPECT_EQ(Get16(file, 28), 24);
        EXPECT_EQ(Get32(file, 30), 0u);
        EXPECT_EQ(Get32(file, 34), c.stride * height);
        for (size_t at = 38; at < 54; ++at) {
            EXPECT_EQ(file[at], 0) << at;
        }
        const size_t rowBytes = c.width * 3;
        for (uint32_t y = 0; y < height; ++y) {
            const auto row = file.begin() + 54 + y * c.stride;
            EXPECT_TRUE(std::equal(row, row + rowBytes, image.begin() + y * rowBytes)) << c.width << " row " << y;
            EXPECT_TRUE(std::all_of(row + rowBytes, row + c.stride, [](uint8_t b) { return b == 0; })) << c.width;
        }
        EXPECT_EQ(file[fileSize], 0xEE) << "written past the file";
    }
}

TEST(SnapshotBmp, EdgeSizesAndCapacity)
{
    std::vector<uint8_t> image(8 * 8 * 3, 0x55);
    std::vector<uint8_t> file(1024, 0xEE);
    EXPECT_EQ(BuildBmpFile(file.data(), 1024, nullptr, 8, 8), 0);

    // A frame without size is a header alone.
    for (const auto& [width, height] : {std::pair{0u, 8u}, std::pair{8u, 0u}}) {
        ASSERT_EQ(BuildBmpFile(file.data(), 1024, image.data(), width, height), 54);
        EXPECT_EQ(Get32(file, 2), 54u);
        EXPECT_EQ(Get32(file, 34), 0u);
    }

    // One byte short of the file: refused without touching the area.
    std::fill(file.begin(), file.end(), 0xEE);
    EXPECT_EQ(BuildBmpFile(file.data(), 54 + 24 * 8 - 1, image.data(), 8, 8), -1);
    EXPECT_TRUE(std::all_of(file.begin(), file.end(), [](uint8_t b) { return b == 0xEE; }));
}

TEST(SnapshotName, ProposedNameFromLocalTimeAndTitle)
{
    std::tm when{};
    when.tm_year = 2010 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 14;
    when.tm_min = 7;
    when.tm_sec = 9;
    EXPECT_EQ(ProposeSnapshotName(when, ""), "20100305_14h07m09s_");
    EXPECT_EQ(ProposeSnapshotName(when, "Gate"), "20100305_14h07m09s_Gate");
}

TEST(SnapshotName, FormatFollowsTheCodec)
{
    const SnapshotFormat jpeg = SnapshotFormatFor(kVideoCodecJpeg);
    EXPECT_TRUE(jpeg.jpeg);
    EXPECT_STREQ(jpeg.extension, "jpg");
    EXPECT_STREQ(jpeg.filter, "JPEG Files (*.jpg)|*.jpg|");
    EXPECT_STREQ(jpeg.filterLabel, "JPEG Files (*.jpg)");
    EXPECT_STREQ(jpeg.filterPattern, "*.jpg");
    for (const VideoCodecId codec : {kVideoCodecMpeg4, kVideoCodecH264, kVideoCodecNone}) {
        const SnapshotFormat bmp = SnapshotFormatFor(codec);
        EXPECT_FALSE(bmp.jpeg) << codec;
        EXPECT_STREQ(bmp.extension, "bmp");
        EXPECT_STREQ(bmp.filter, "Bitmap Files (*.bmp)|*.bmp|");
        EXPECT_STREQ(bmp.filterLabel, "Bitmap Files (*.bmp)");
        EXPECT_STREQ(bmp.filterPattern, "*.bmp");
    }
}

TEST(SnapshotFile, WritesCreatesAndTruncates)
{
    TempDir dir;
    const std::string path = dir.File("shot.jpg");
    const std::vector<uint8_t> longer(1000, 0x11);
    ASSERT_EQ(WriteSnapshotFile(path, longer.data(), 1000), 0);
    EXPECT_EQ(ReadFile(path), longer);

    const std::vector<uint8_t> shorter = {1, 2, 3};
    ASSERT_EQ(WriteSnapshotFile(path, shorter.data(), 3), 0);
    EXPECT_EQ(ReadFile(path), shorter);

    ASSERT_EQ(WriteSnapshotFile(path, nullptr, 0), 0);
    EXPECT_TRUE(ReadFile(path).empty());
}

TEST(SnapshotFile, FailuresGiveTheFileErrorText)
{
    TempDir dir;
    const std::vector<uint8_t> data(100, 0x22);
    ASSERT_EQ(WriteSnapshotFile(dir.File("plain"), data.data(), 1), 0);
    struct Case { std::string path; std::string text; };
    const Case cases[] = {
        {dir.File("missing/shot.jpg"), dir.File("missing/shot.jpg") + " was not found."},
        {dir.Path(), "Access to " + dir.Path() + " was denied."},
        {"/sys/kvr-shot.bmp", "Access to /sys/kvr-shot.bmp was denied."},
        {dir.File("plain/shot.jpg"), dir.File("plain/shot.jpg") + " contains an invalid path."},
        {dir.File(std::string(300, 'n')), dir.File(std::string(300, 'n')) + " contains an invalid path."},
        // Created fine, but the write fails.
        {"/dev/full", "A disk full error occurred while writing /dev/full."},
    };
    for (const Case& c : cases) {
        const int32_t result = WriteSnapshotFile(c.path, data.data(), static_cast<uint32_t>(data.size()));
        ASSERT_LT(result, 0) << c.path;
        EXPECT_EQ(SnapshotFileErrorText(result, c.path), c.text);
    }
    EXPECT_EQ(SnapshotFileErrorText(-EIO, "x"), "An unexpected error occurred while accessing x.");
}
