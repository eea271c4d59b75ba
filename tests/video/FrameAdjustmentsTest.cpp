#include <gtest/gtest.h>

#include <vector>

#include "tests/video/VideoFixtures.h"
#include "video/FrameAdjustments.h"

namespace {

// Each row filled with its own number (and the byte position, so rows of equal number differ
// from shifted copies).
void NumberRows(DecodedFrame* frame)
{
    const size_t rowBytes = static_cast<size_t>(frame->width) * 3;
    for (uint32_t y = 0; y < frame->height; ++y) {
        for (size_t b = 0; b < rowBytes; ++b) {
            frame->pixels[y * rowBytes + b] = static_cast<uint8_t>((y * 7 + b) & 0xFF);
        }
    }
}

std::vector<uint8_t> Row(const DecodedFrame& frame, uint32_t y)
{
    const size_t rowBytes = static_cast<size_t>(frame.width) * 3;
    return std::vector<uint8_t>(frame.pixels + y * rowBytes, frame.pixels + (y + 1) * rowBytes);
}

}  // namespace

TEST(FrameAdjustments, WeaveFieldsInterleavesTheStackedFields)
{
    for (const uint32_t height : {480u, 576u}) {
        FrameHolder input;
        FrameHolder woven;
        for (DecodedFrame* frame : {&input.frame, &woven.frame}) {
            frame->width = 704;
            frame->height = height;
            NumberRows(frame);
        }
        WeaveFields(woven.frame.pixels, 704, height);
        for (uint32_t k = 0; k < height / 2; ++k) {
            ASSERT_EQ(Row(woven.frame, 2 * k), Row(input.frame, height / 2 + k)) << height << " row " << 2 * k;
            ASSERT_EQ(Row(woven.frame, 2 * k + 1), Row(input.frame, k)) << height << " row " << 2 * k + 1;
        }
        EXPECT_EQ(woven.frame.height, height);
    }
}

TEST(FrameAdjustments, WeaveFieldsLeavesOtherHeightsAlone)
{
    FrameHolder frame;
    frame.frame.width = 352;
    frame.frame.height = 288;
    NumberRows(&frame.frame);
    const std::vector<uint8_t> before = frame.Bytes();
    WeaveFields(frame.frame.pixels, 352, 288);
    EXPECT_EQ(frame.Bytes(), before);
}

TEST(FrameAdjustments, DoubleLinesInterpolatesBetweenRows)
{
    struct Case { uint32_t width; uint32_t height; };
    // 704 is the width it is made for; a 352-pixel field is doubled with its own rows.
    for (const Case c : {Case{704, 240}, Case{704, 288}, Case{352, 240}}) {
        FrameHolder input;
        FrameHolder doubled;
        for (DecodedFrame* frame : {&input.frame, &doubled.frame}) {
            frame->width = c.width;
            frame->height = c.height;
            NumberRows(frame);
        }
        DoubleLines(&doubled.frame);
        ASSERT_EQ(doubled.frame.height, c.height * 2);
        EXPECT_EQ(doubled.frame.width, c.width);
        EXPECT_EQ(Row(doubled.frame, 0), Row(input.frame, 0));
        EXPECT_EQ(Row(doubled.frame, 1), Row(input.frame, 0));
        for (uint32_t i = 1; i < c.height; ++i) {
            const std::vector<uint8_t> before = Row(input.frame, i - 1);
            const std::vector<uint8_t> current = Row(input.frame, i);
            std::vector<uint8_t> average(before.size());
            for (size_t b = 0; b < before.size(); ++b) {
                average[b] = static_cast<uint8_t>((before[b] + current[b]) / 2);
            }
            ASSERT_EQ(Row(doubled.frame, 2 * i), average) << c.width << " row " << 2 * i;
            ASSERT_EQ(Row(doubled.frame, 2 * i + 1), current) << c.width << " row " << 2 * i + 1;
        }
    }
}

TEST(FrameAdjustments, DoubleLinesRefusesAHeightThatWouldNotFit)
{
    FrameHolder frame;
    frame.frame.width = 2048;
    frame.frame.height = 1000;   // 2000 rows would run past the buffer
    NumberRows(&frame.frame);
    const std::vector<uint8_t> before = frame.Bytes();
    DoubleLines(&frame.frame);
    EXPECT_EQ(frame.frame.height, 1000u);
    EXPECT_EQ(frame.Bytes(), before);
}

TEST(FrameAdjustments, HalveWidthKeepsTheEvenColumns)
{
    FrameHolder input;
    FrameHolder halved;
    for (DecodedFrame* frame : {&input.frame, &halved.frame}) {
        frame->width = 352;
        frame->height = 144;
        NumberRows(frame);
    }
    HalveWidth(&halved.frame);
    ASSERT_EQ(halved.frame.width, 176u);
    ASSERT_EQ(halved.frame.height, 144u);
    for (uint32_t y = 0; y < 144; ++y) {
        for (uint32_t x = 0; x < 176; ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                ASSERT_EQ(halved.frame.pixels[(y * 176 + x) * 3 + c], input.frame.pixels[(y * 352 + 2 * x) * 3 + c]);
            }
        }
    }
}

TEST(FrameAdjustments, WhatAViewDoesToEachFrameSize)
{
    struct Case {
        const char* what;
        uint32_t width, height;
        uint16_t mask;
        bool naturalSize;
        uint32_t areaWidth, areaHeight;
        uint32_t shownWidth, shownHeight;
    };
    const Case cases[] = {
        {"CIF quarter rows", 352, 144, 0, false, 0, 0, 176, 144},
        {"352 x 112", 352, 112, 0, false, 0, 0, 176, 112},
        {"D1 field", 704, 240, 0, false, 0, 0, 704, 480},
        {"PAL field", 704, 288, 0, false, 0, 0, 704, 576},
        {"ordinary", 640, 480, 0, false, 0, 0, 640, 480},
        {"stacked fields, stretched", 704, 480, 0x8000, false, 2000, 2000, 704, 480},
        {"stacked fields, natural size in a larger area", 704, 480, 0x8000, true, 800, 600, 704, 480},
        {"stacked fields, natural size in a smaller area", 704, 576, 0x8000, true, 700, 600, 704, 576},
        {"stacked 704 x 576 halved is a PAL field, doubled once", 704, 576, 0x8000, false, 0, 0, 704, 576},
    };
    for (const Case& c : cases) {
        FrameHolder frame;
        frame.frame.width = c.width;
        frame.frame.height = c.height;
        NumberRows(&frame.frame);
        AdjustFrameForView(&frame.frame, c.mask, c.naturalSize, c.areaWidth, c.areaHeight);
        EXPECT_EQ(frame.frame.width, c.shownWidth) << c.what;
        EXPECT_EQ(frame.frame.height, c.shownHeight) << c.what;
    }
}

TEST(FrameAdjustments, StackedFieldsAreWovenOnlyAtNaturalSizeInALargerArea)
{
    FrameHolder input;
    FrameHolder woven;
    FrameHolder halved;
    for (DecodedFrame* frame : {&input.frame, &woven.frame, &halved.frame}) {
        frame->width = 704;
        frame->height = 480;
        NumberRows(frame);
    }
    AdjustFrameForView(&woven.frame, 0x8000, true, 800, 600);
    EXPECT_EQ(Row(woven.frame, 0), Row(input.frame, 240));
    EXPECT_EQ(Row(woven.frame, 1), Row(input.frame, 0));
    AdjustFrameForView(&halved.frame, 0x8000, false, 800, 600);
    EXPECT_EQ(Row(halved.frame, 0), Row(input.frame, 0));   // upper field kept, rows doubled
    EXPECT_EQ(Row(halved.frame, 479), Row(input.frame, 239));
}
