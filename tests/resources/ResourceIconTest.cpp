// The icons load from the resources compiled into the program, at their sizes and sharp at
// twice those sizes.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "resources/ResourceIds.h"

namespace {

struct IconCase {
    int id;
    int size;
};

const IconCase kButtonIcons[] = {
    {kIconStop, 16},    {kIconReverse, 16},     {kIconStepBack, 16}, {kIconOpen, 16},      {kIconPause, 16},
    {kIconPlay, 16},    {kIconStepForward, 16}, {kIconSoundOn, 24},  {kIconSoundOff, 24}, {kIconSnapshot, 32},
};

QImage Render(const QIcon& icon, int size, qreal ratio)
{
    return icon.pixmap(QSize(size, size), ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Share of pixels that are not fully transparent.
double Coverage(const QImage& image)
{
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            drawn += qAlpha(image.pixel(x, y)) != 0 ? 1 : 0;
        }
    }
    return static_cast<double>(drawn) / (image.width() * image.height());
}

// Largest difference in opacity between two pictures of one size.
int MaxAlphaDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            largest = std::max(largest, std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))));
        }
    }
    return largest;
}

}  // namespace

TEST(ResourceIconTest, EachIconLoadsAtItsSizeWithAPicture)
{
    for (const IconCase& c : kButtonIcons) {
        const QIcon icon = LoadResourceIcon(c.id);
        ASSERT_FALSE(icon.isNull()) << c.id;
        const QImage image = Render(icon, c.size, 1.0);
        ASSERT_EQ(image.size(), QSize(c.size, c.size)) << c.id;
        const double coverage = Coverage(image);
        EXPECT_GT(coverage, 0.15) << c.id;
        EXPECT_LT(coverage, 1.0) << c.id;   // a glyph, not a filled tile
    }
}

TEST(ResourceIconTest, ButtonIconsArePairwiseDifferent)
{
    std::vector<QImage> images;
    for (const IconCase& c : kButtonIcons) {
        images.push_back(Render(LoadResourceIcon(c.id), c.size, 1.0));
    }
    for (size_t i = 0; i < images.size(); ++i) {
        for (size_t k = i + 1; k < images.size(); ++k) {
            EXPECT_NE(images[i], images[k]) << kButtonIcons[i].id << " and " << kButtonIcons[k].id;
        }
    }
}

// At a device pixel ratio of 2 the icon has twice the pixels, drawn at that size rather than
// blown up from the small picture: a smooth enlargement blurs every edge, a blocky one shows
// steps on the slanted edges of the triangles.
TEST(ResourceIconTest, IconsAreSharpAtDoubleDensity)
{
    for (const IconCase& c : kButtonIcons) {
        const QIcon icon = LoadResourceIcon(c.id);
        const QPixmap pixmap = icon.pixmap(QSize(c.size, c.size), 2.0);
        ASSERT_EQ(pixmap.size(), QSize(c.size * 2, c.size * 2)) << c.id;
        EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 2.0) << c.id;
        const QImage smooth = Render(icon, c.size, 1.0).scaled(c.size * 2, c.size * 2, Qt::IgnoreAspectRatio,
                                                                Qt::SmoothTransformation);
        EXPECT_GT(MaxAlphaDifference(Render(icon, c.size, 2.0), smooth), 48) << c.id;
    }
    const QIcon play = LoadResourceIcon(kIconPlay);
    EXPECT_GT(MaxAlphaDifference(Render(play, 16, 2.0), Render(play, 16, 1.0).scaled(32, 32)), 48);
}

TEST(ResourceIconTest, ApplicationIconCoversSmallAndLargeSizes)
{
    const QIcon icon = LoadResourceIcon(kIconApp);
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
    for (int size : {16, 256}) {
        const QImage image = Render(icon, size, 1.0);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(Coverage(image), 0.5) << size;
    }
    EXPECT_NE(Render(icon, 32, 1.0), Render(LoadResourceIcon(kIconSnapshot), 32, 1.0));
}

TEST(ResourceIconTest, UnknownNumbersGiveNullIcons)
{
    for (int id : {0, 127, 136, 139, 141, kStringAbout}) {
        EXPECT_TRUE(LoadResourceIcon(id).isNull()) << id;
    }
}
