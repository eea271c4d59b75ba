#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "tests/video/VideoFixtures.h"
#include "video/CameraFeed.h"
#include "video/ComposerLayout.h"
#include "video/EventRecord.h"
#include "video/FrameDecoder.h"
#include "video/JpegEncoder.h"
#include "video/LogComposer.h"

namespace {

// Gives "<item bit>" for every item and remembers how much event data it was shown.
class RecordingComposer : public LogComposer {
public:
    RecordingComposer()
    {
        const int32_t count = 3;
        const uint32_t mask = 0x5;   // items 0 and 2
        memcpy(layout.bytes + kComposerItemCountOffset, &count, 4);
        memcpy(layout.bytes + kComposerItemMaskOffset, &mask, 4);
    }
    const uint8_t* GetLayout() override { return layout.bytes; }
    int32_t ComposeText(const uint8_t*, int32_t dataLength, uint32_t itemBit, char* buffer, int32_t bufferSize) override
    {
        lengths.push_back(dataLength);
        snprintf(buffer, static_cast<size_t>(bufferSize), "%u", itemBit);
        return 1;
    }
    ComposerLayout layout;
    std::vector<int32_t> lengths;
};

// Option 8 of `length` bytes in all, with the event head the views look at.
PacketOptionSpec EventOption(uint8_t length, uint8_t flags = 0x87, uint8_t source = 0, int32_t time = 1268000000)
{
    PacketOptionSpec option;
    option.kind = 8;
    option.data.assign(length - 2u, 0);
    auto at = [&](size_t offset) -> uint8_t& { return option.data[offset - 2]; };
    if (length >= 10) {
        for (int i = 0; i < 4; ++i) {
            at(6 + i) = static_cast<uint8_t>(static_cast<uint32_t>(time) >> (8 * i));
        }
    }
    if (length > 13) {
        at(13) = flags;
    }
    if (length > 20) {
        at(20) = source;
    }
    return option;
}

class CameraFeedTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(feed.Create(), 0); }

    int32_t Take(const std::vector<uint8_t>& packet)
    {
        bool captionChanged = false;
        return feed.TakeVideo(packet.data(), static_cast<uint32_t>(packet.size()), settings, &captionChanged);
    }

    CameraFeed feed;
    FeedSettings settings;
};

}  // namespace

TEST_F(CameraFeedTest, SequenceGapsWaitForTheNextKeyFrame)
{
    const auto stream = StreamPacketsOf(kVideoCodecMpeg4, 64, 48, 10, 5);
    struct Case {
        std::vector<uint8_t> sequences;
        std::vector<bool> decoded;
    };
    const Case cases[] = {
        {{3, 4, 5, 0, 1}, {false, false, false, true, true}},
        {{0, 1, 3, 4, 0}, {true, true, false, false, true}},
    };
    for (const Case& c : cases) {
        CameraFeed fresh;
        ASSERT_EQ(fresh.Create(), 0);
        for (size_t i = 0; i < c.sequences.size(); ++i) {
            // Key frames where the sequence says so, so every accepted packet really decodes.
            std::vector<uint8_t> packet = stream[c.sequences[i] == 0 ? 0 : c.sequences[i]];
            packet[1] = c.sequences[i];
            bool captionChanged = false;
            const int32_t result = fresh.TakeVideo(packet.data(), static_cast<uint32_t>(packet.size()), settings,
                                                   &captionChanged);
            EXPECT_EQ(result != kFeedPacketDropped, c.decoded[i]) << "packet " << i;
        }
    }
}

TEST_F(CameraFeedTest, JpegPacketsAreNeverDroppedBySequence)
{
    PacketSpec spec;
    spec.sequence = 7;
    EXPECT_EQ(Take(JpegPacketWith(spec, 64, 48)), kDecodeOk);
    EXPECT_EQ(feed.frame.width, 64u);
}

TEST_F(CameraFeedTest, ARejectedDecodeStillUpdatesCaptionAndHasFrame)
{
    PacketSpec spec;
    spec.time = 1267798029;   // 2010-03-05 14:07:09 UTC
    spec.hundredths = 35;
    std::vector<uint8_t> packet = JpegPacketWith(spec, 64, 48);
    packet.resize(packet.size() / 2);   // the picture is cut short
    const uint32_t total = static_cast<uint32_t>(packet.size());
    packet[48] = static_cast<uint8_t>(total >> 24);
    packet[49] = static_cast<uint8_t>(total >> 16);
    packet[50] = static_cast<uint8_t>(total >> 8);
    packet[51] = static_cast<uint8_t>(total);
    bool captionChanged = false;
    EXPECT_EQ(feed.TakeVideo(packet.data(), total, settings, &captionChanged), kDecodeRejected);
    EXPECT_TRUE(captionChanged);
    EXPECT_EQ(feed.Caption(), "Mar 05,2010 14:07:09.350");
    EXPECT_EQ(feed.hasFrame.load(), 1);
}

TEST(CaptionText, FormatsTheUtcDateOrTheHeaderFields)
{
    struct Case {
        uint32_t time;
        uint16_t year;
        uint8_t month;
        bool formatted;
        const char* caption;
    };
    const Case cases[] = {
        {1267798029, 2009, 1, true, "Mar 05,2010 14:07:09.350"},   // 2010: UTC date of `time`
        {1279000000, 2009, 1, true, "JUL 13,2010 05:46:40.350"},
        {0, 2009, 7, true, "JUL 02,2009 03:04:05.350"},           // before 2001: header fields
        {978307199, 2000, 12, true, "Dec 02,2000 03:04:05.350"},  // 2000-12-31 23:59:59 UTC
        {0xF0000000u, 2037, 2, true, "Feb 02,2037 03:04:05.350"}, // no date: header fields
        {0, 2009, 0, false, ""},
        {0, 2009, 13, false, ""},
    };
    for (const Case& c : cases) {
        PacketSpec spec;
        spec.time = c.time;
        spec.year = c.year;
        spec.month = c.month;
        spec.day = 2;
        spec.hour = 3;
        spec.minute = 4;
        spec.second = 5;
        spec.hundredths = 35;
        const std::vector<uint8_t> packet = BuildPacket(spec);
        char caption[kCaptionCapacity] = "unchanged";
        EXPECT_EQ(FormatPacketCaption(packet.data(), caption, sizeof caption), c.formatted) << c.time;
        EXPECT_STREQ(caption, c.formatted ? c.caption : "unchanged") << c.time;
    }
}

TEST_F(CameraFeedTest, SpecialSizesAreAdjustedAfterDecoding)
{
    struct Case {
        uint32_t width, height;
        uint16_t extraMask;
        uint32_t shownWidth, shownHeight;
    };
    const Case cases[] = {
        {704, 240, 0, 704, 480}, {352, 144, 0, 176, 144}, {352, 240, 0, 352, 240}, {704, 480, 0x8000, 704, 480},
    };
    for (const Case& c : cases) {
        PacketSpec spec;
        spec.extraMaskBits = c.extraMask;
        ASSERT_EQ(Take(JpegPacketWith(spec, c.width, c.height)), kDecodeOk);
        EXPECT_EQ(feed.frame.width, c.shownWidth) << c.width << "x" << c.height;
        EXPECT_EQ(feed.frame.height, c.shownHeight) << c.width << "x" << c.height;
    }
}

TEST_F(CameraFeedTest, OverlayTextIsComposedOnlyFromAcceptedEventsInsideTheOption)
{
    RecordingComposer composer;
    settings.composer = &composer;
    settings.composerLayout = &composer.layout;
    struct Case {
        const char* what;
        PacketOptionSpec option;
        bool composed;
    };
    const Case cases[] = {
        {"accepted", EventOption(40), true},
        {"head only", EventOption(22), true},
        {"flag bit missing", EventOption(40, 0x86), false},
        {"other source", EventOption(40, 0x87, 1), false},
        {"source 32 is source 0", EventOption(40, 0x87, 32), true},
        {"time past 2038", EventOption(40, 0x87, 0, -5), false},
        {"shorter than its head", EventOption(21), false},
    };
    for (const Case& c : cases) {
        feed.overlayText = "before";
        composer.lengths.clear();
        PacketSpec spec;
        spec.options = {c.option};
        ASSERT_EQ(Take(JpegPacketWith(spec, 64, 48)), kDecodeOk) << c.what;
        EXPECT_EQ(feed.OverlayText(), c.composed ? "1 4 " : "before") << c.what;
        if (c.composed) {
            // The composer sees exactly the option's bytes behind its head, never more.
            const int32_t dataLength = static_cast<int32_t>(c.option.data.size()) + 2 - kEventHeadSize;
            EXPECT_EQ(composer.lengths, (std::vector<int32_t>{dataLength, dataLength})) << c.what;
        }
    }
}

TEST_F(CameraFeedTest, ResetClearsWhatWasDrawnAndKeepsTheSequence)
{
    const auto stream = StreamPacketsOf(kVideoCodecMpeg4, 352, 240, 2, 5);
    ASSERT_EQ(Take(stream[0]), kDecodeOk);
    ASSERT_EQ(Take(stream[1]), kDecodeOk);
    feed.overlayText = "event";
    const size_t drawn = static_cast<size_t>(feed.frame.width) * feed.frame.height * 3;
    feed.Reset();
    EXPECT_EQ(feed.hasFrame.load(), 0);
    EXPECT_EQ(feed.Caption(), "");
    EXPECT_EQ(feed.OverlayText(), "");
    EXPECT_EQ(feed.lastSequence, 1);
    const std::vector<uint8_t> zeros(drawn, 0);
    EXPECT_EQ(memcmp(feed.frame.pixels, zeros.data(), drawn), 0);
}

TEST(CaptionText, ReadsTheTimeBackFromACaption)
{
    EXPECT_EQ(CaptionWallClock("Mar 05,2010 14:07:09.350"), 126779802935);
    EXPECT_EQ(CaptionWallClock("JUL 13,2010 05:46:40.000"), 127900000000);
    for (const char* wrong : {"", "Jul 13,2010 05:46:40.000", "Feb 30,2010 00:00:00.000", "Mar 05,2010 24:00:00.000",
                              "not a caption"}) {
        EXPECT_EQ(CaptionWallClock(wrong), -1) << wrong;
    }
}

// The picture at the size the view draws it is the frame, upright, averaged over the blocks each
// shown pixel covers, at the place painting uses. Converted from the frame (JPEG), it is within the
// conversion's rounding; converted from the stream decoder's own planes, its colours are resampled
// once instead of twice, so only colour edges differ, by little.
TEST_F(CameraFeedTest, EachPictureIsAlsoConvertedUprightToTheSizeItIsDrawnAt)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> packet;
        bool naturalSize;
        uint32_t areaWidth, areaHeight;
        uint32_t shownWidth, shownHeight;
    };
    const Case cases[] = {
        {"JPEG, stored bottom row first, stretched", JpegPacketOf(64, 48, 3), false, 16, 12, 16, 12},
        {"H.264 stretched", StreamPacketsOf(kVideoCodecH264, 64, 48, 1, 1)[0], false, 32, 24, 32, 24},
        {"MPEG-4 at its natural size, never enlarged", StreamPacketsOf(kVideoCodecMpeg4, 64, 48, 1, 1)[0], true, 200,
         100, 64, 48},
        {"JPEG at its natural size, kept in proportion", JpegPacketOf(64, 48, 5), true, 32, 40, 32, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.naturalSize = c.naturalSize;
        settings.areaWidth = c.areaWidth;
        settings.areaHeight = c.areaHeight;
        ASSERT_EQ(Take(c.packet), kDecodeOk);
        ASSERT_TRUE(feed.shownReady);
        ASSERT_EQ(feed.shown.width, c.shownWidth);
        ASSERT_EQ(feed.shown.height, c.shownHeight);
        const uint32_t fw = feed.frame.width;
        const uint32_t fh = feed.frame.height;
        const bool bottomUp = feed.frame.codec == kVideoCodecJpeg;
        const uint32_t bw = fw / c.shownWidth;
        const uint32_t bh = fh / c.shownHeight;
        int32_t worst = 0;
        double squares = 0;
        for (uint32_t y = 0; y < c.shownHeight; ++y) {
            for (uint32_t x = 0; x < c.shownWidth; ++x) {
                for (uint32_t k = 0; k < 3; ++k) {
                    uint32_t sum = 0;
                    for (uint32_t sy = y * bh; sy < (y + 1) * bh; ++sy) {
                        const uint32_t row = bottomUp ? fh - 1 - sy : sy;
                        for (uint32_t sx = x * bw; sx < (x + 1) * bw; ++sx) {
                            sum += feed.frame.pixels[(row * fw + sx) * 3 + k];
                        }
                    }
                    const int32_t expected = static_cast<int32_t>((sum + bw * bh / 2) / (bw * bh));
                    const int32_t got = feed.shown.pixels[(y * c.shownWidth + x) * 3 + k];
                    worst = std::max(worst, std::abs(got - expected));
                    squares += static_cast<double>(got - expected) * (got - expected);
                }
            }
        }
        if (feed.frame.codec == kVideoCodecJpeg) {
            EXPECT_LE(worst, 2);
        } else {
            const double mse = squares / (c.shownWidth * c.shownHeight * 3);
            EXPECT_GE(mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse), 35.0);
        }
    }
    // Until the view has painted once, it has no size: nothing is converted.
    CameraFeed unpainted;
    ASSERT_EQ(unpainted.Create(), 0);
    bool captionChanged = false;
    const std::vector<uint8_t> packet = JpegPacketOf(64, 48, 1);
    unpainted.TakeVideo(packet.data(), static_cast<uint32_t>(packet.size()), FeedSettings{}, &captionChanged);
    EXPECT_FALSE(unpainted.shownReady);
}
