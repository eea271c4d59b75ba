#include <QApplication>
#include <QEvent>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "Tav/TavPacketUtil.h"
#include "playback/QelSmartHandler.h"
#include "tests/ui/ViewTestSupport.h"
#include "tests/video/VideoFixtures.h"
#include "video/EventRecord.h"
#include "video/JpegEncoder.h"

namespace {

// A JPEG packet whose picture is cut short: the decoder rejects it.
std::vector<uint8_t> DamagedJpegPacket(PacketSpec spec)
{
    std::vector<uint8_t> packet = JpegPacketWith(spec, 64, 48);
    packet.resize(packet.size() / 2);
    const uint32_t total = static_cast<uint32_t>(packet.size());
    for (int i = 0; i < 4; ++i) {
        packet[48 + i] = static_cast<uint8_t>(total >> (24 - 8 * i));
    }
    return packet;
}

// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
    int paints = 0;
};

class CameraViewTest : public testing::Test {
protected:
    // One view filling a grid of the given size.
    CCamera* SingleView(int width, int height)
    {
        dialog.resize(width, height);
        dialog.grid.setGeometry(0, 0, width, height);
        dialog.grid.CreateViews(1);
        dialog.show();
        QApplication::processEvents();
        return dialog.grid.View(0);
    }

    TestDialog dialog;
};

}  // namespace

TEST_F(CameraViewTest, TitleBarColourShowsTheSelection)
{
    CCamera* view = SingleView(320, 240);
    EXPECT_EQ(PixelAt(Grab(view), 3, 10), QColor(142, 171, 255));
    dialog.grid.SelectView(0);
    EXPECT_EQ(PixelAt(Grab(view), 3, 10), QColor(105, 84, 207));
}

TEST_F(CameraViewTest, PictureIsPlacedByTheSizeRules)
{
    struct Case {
        bool natural;
        int viewWidth, viewHeight;
        uint32_t frameWidth, frameHeight;
        QRect drawn;
    };
    const Case cases[] = {
        {true, 800, 620, 352, 240, QRect(224, 200, 352, 240)},   // smaller than the area: centred
        {true, 500, 320, 704, 480, QRect(32, 20, 436, 300)},     // fitted with the smaller scale
        {false, 400, 320, 704, 480, QRect(0, 20, 400, 300)},     // stretched over the area
    };
    for (const Case& c : cases) {
        CCamera* view = SingleView(c.viewWidth, c.viewHeight);
        dialog.grid.SetOriginalSize(c.natural ? 1 : 0);
        TestDialog::Deliver(view, JpegPacketWith(PacketSpec{}, c.frameWidth, c.frameHeight));
        const QImage shown = Grab(view);
        EXPECT_EQ(view->imageRect, c.drawn);
        const QImage expected = ExpectedPicture(c.frameWidth, c.frameHeight, c.drawn.width(), c.drawn.height());
        // Upright and where the rules put it; the surrounding area keeps the background.
        EXPECT_LT(MeanDifference(shown.copy(c.drawn), expected), 6.0) << c.viewWidth;
        EXPECT_GT(MeanDifference(shown.copy(c.drawn), expected.mirrored(false, true)), 20.0) << c.viewWidth;
        if (c.drawn.top() > 21) {
            EXPECT_EQ(PixelAt(shown, c.drawn.center().x(), 21), view->palette().window().color());
        }
    }
}

TEST_F(CameraViewTest, StreamFramesOfAnyWidthAreDrawnUpright)
{
    CCamera* view = SingleView(500, 420);
    dialog.grid.SetOriginalSize(1);
    for (const VideoCodecId codec : {kVideoCodecMpeg4, kVideoCodecH264}) {
        const auto packets = StreamPacketsOf(codec, 350, 200, 1, 5);   // rows of 1050 bytes
        TestDialog::Deliver(view, packets[0]);
        const QImage shown = Grab(view);
        ASSERT_EQ(view->imageRect.size(), QSize(350, 200));
        EXPECT_LT(MeanDifference(shown.copy(view->imageRect), ExpectedPicture(350, 200, 350, 200)), 6.0) << codec;
    }
}

// Painting copies the picture its worker converted to the view's size, pixel for pixel; a view
// resized shows the frame scaled until the next picture comes at its new size.
TEST_F(CameraViewTest, PaintCopiesThePictureConvertedToTheViewsSize)
{
    CCamera* view = SingleView(300, 220);
    dialog.grid.SetOriginalSize(0);
    const auto packets = StreamPacketsOf(kVideoCodecH264, 704, 480, 2, 5);
    auto paintedIsShown = [&] {
        const QImage painted = Grab(view);
        const DecodedFrame& shown = view->feed.shown;
        EXPECT_TRUE(view->feed.shownReady);
        EXPECT_EQ(QSize(static_cast<int>(shown.width), static_cast<int>(shown.height)), view->imageRect.size());
        int32_t differing = 0;
        for (int y = 0; y < view->imageRect.height(); ++y) {
            for (int x = 0; x < view->imageRect.width(); ++x) {
                const uint8_t* bgr = shown.pixels + (static_cast<size_t>(y) * shown.width + x) * 3;
                const QColor pixel = PixelAt(painted, view->imageRect.left() + x, view->imageRect.top() + y);
                differing += pixel != QColor(bgr[2], bgr[1], bgr[0]) ? 1 : 0;
            }
        }
        return differing;
    };
    TestDialog::Deliver(view, packets[0]);
    EXPECT_EQ(paintedIsShown(), 0);

    dialog.grid.setGeometry(0, 0, 200, 160);
    const QImage resized = Grab(view);
    EXPECT_EQ(view->imageRect.size(), QSize(200, 140));
    EXPECT_NE(view->feed.shown.width, 200u) << "converted before the view knew its new size";
    EXPECT_LT(MeanDifference(resized.copy(view->imageRect), ExpectedPicture(704, 480, 200, 140)), 6.0);
    TestDialog::Deliver(view, packets[1]);
    EXPECT_EQ(paintedIsShown(), 0);
}

TEST_F(CameraViewTest, OverlayTextIsWhiteWithABlackShadow)
{
    CCamera* view = SingleView(400, 320);
    dialog.grid.SetOriginalSize(0);
    {
        std::lock_guard<std::recursive_mutex> guard(view->feed.lock);
        view->feed.overlayText = "ELT____";
    }
    const QImage shown = Grab(view);
    // Text starts at (5, 40) over the background (no picture yet). The shadow is the same text
    // drawn one pixel down and right first: wherever it shows fully black, the text above-left of
    // it is fully white.
    QRect white;
    int black = 0;
    int blackUnderText = 0;
    for (int y = 21; y < shown.height(); ++y) {
        for (int x = 1; x < shown.width(); ++x) {
            const QColor colour = PixelAt(shown, x, y);
            if (colour == QColor(Qt::white)) {
                white |= QRect(x, y, 1, 1);
            } else if (colour == QColor(Qt::black)) {
                ++black;
                blackUnderText += PixelAt(shown, x - 1, y - 1) == QColor(Qt::white);
            }
        }
    }
    ASSERT_FALSE(white.isEmpty());
    EXPECT_GE(white.left(), 5);
    EXPECT_GE(white.top(), 40);
    EXPECT_LT(white.top(), 50);
    EXPECT_GT(black, 10);
    EXPECT_EQ(blackUnderText, black);
    EXPECT_EQ(PixelAt(shown, 300, 200), view->palette().window().color());
}

TEST_F(CameraViewTest, CaptionReportsThePositionOnlyWhenItChanges)
{
    CCamera* view = SingleView(320, 240);
    dialog.engine->smartHandler->currentIndex = 17;
    PacketSpec spec;
    spec.time = 1267798029;
    spec.hundredths = 35;
    TestDialog::Deliver(view, JpegPacketWith(spec, 64, 48));
    EXPECT_EQ(view->feed.Caption(), "Mar 05,2010 14:07:09.350");
    QApplication::processEvents();
    EXPECT_EQ(dialog.positions, std::vector<uintptr_t>{17});

    spec.time = 0;
    spec.month = 13;
    TestDialog::Deliver(view, JpegPacketWith(spec, 64, 48));
    EXPECT_EQ(view->feed.Caption(), "Mar 05,2010 14:07:09.350");
    QApplication::processEvents();
    EXPECT_EQ(dialog.positions.size(), 1u);
}

TEST_F(CameraViewTest, ARejectedPictureIsNotRepainted)
{
    CCamera* view = SingleView(320, 240);
    Grab(view);
    PaintCounter counter(view);
    PacketSpec spec;
    spec.time = 1267798029;
    TestDialog::Deliver(view, DamagedJpegPacket(spec));
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(view->feed.hasFrame.load(), 1);
    EXPECT_EQ(view->feed.Caption(), "Mar 05,2010 14:07:09.000");

    TestDialog::Deliver(view, JpegPacketWith(spec, 64, 48));
    for (int i = 0; i < 50 && counter.paints == 0; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_GE(counter.paints, 1);
}

TEST_F(CameraViewTest, AudioIsRoutedOnlyFromTheSelectedOrOnlyView)
{
    PacketSpec audio;
    audio.type = 0x92;   // G.711
    audio.payload.assign(1024, 0xFF);
    const std::vector<uint8_t> packet = BuildPacket(audio);

    dialog.grid.CreateViews(4);
    TestDialog::Deliver(dialog.grid.View(1), packet);
    EXPECT_EQ(dialog.grid.audio.lastAudioCodec, -1);
    dialog.grid.SelectView(1);
    TestDialog::Deliver(dialog.grid.View(1), packet);
    EXPECT_EQ(dialog.grid.audio.lastAudioCodec, 2);

    dialog.grid.OnAudioClose();
    dialog.grid.audio.lastAudioCodec = -1;
    dialog.grid.CreateViews(1);
    dialog.grid.SelectView(3);
    TestDialog::Deliver(dialog.grid.View(0), packet);
    EXPECT_EQ(dialog.grid.audio.lastAudioCodec, 2);
}

TEST_F(CameraViewTest, PacketsFromThePlaybackThreadWhilePainting)
{
    CCamera* view = SingleView(400, 320);
    // Every packet carries an event, so the views compose while the overlays are reset.
    auto packets = StreamPacketsOf(kVideoCodecH264, 176, 144, 30, 10);
    EventSpec event;
    event.time = 1267798029;
    event.kind = kEventKindMotion;
    event.place = 2;
    std::vector<uint8_t> option;
    ASSERT_EQ(EncodeEventOption(event, &option), 0);
    for (auto& packet : packets) {
        PacketSpec spec;
        spec.type = packet[0];
        spec.sequence = packet[1];
        spec.options = {PacketOptionSpec{8, std::vector<uint8_t>(option.begin() + 2, option.end())}};
        spec.payload = PayloadOf(packet);
        packet = BuildPacket(spec);
    }
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        for (const auto& packet : packets) {
            TestDialog::Deliver(view, packet);
        }
        done = true;
    });
    // The user-interface thread keeps answering the position reports while it paints.
    while (!done) {
        view->repaint();
        dialog.grid.ResetOverlays();
        QApplication::processEvents();
    }
    feeder.join();
    QApplication::processEvents();
    // Reports are coalesced: never more than the packets, and the last one always arrives.
    EXPECT_GE(dialog.positions.size(), 1u);
    EXPECT_LE(dialog.positions.size(), packets.size());
    // The last reset may have come after the last packet; the next key frame composes again.
    TestDialog::Deliver(view, packets[20]);
    EXPECT_EQ(view->feed.OverlayText().rfind("MOTION Zone 2 ", 0), 0u) << view->feed.OverlayText();
    EXPECT_EQ(view->feed.frame.width, 176u);
    EXPECT_EQ(view->feed.hasFrame.load(), 1);
}

// The playback thread never waits on the window: while the user-interface thread is held up, every
// packet is delivered, and once it runs again the slider gets one report, the latest position.
TEST_F(CameraViewTest, ABlockedWindowNeitherStopsDeliveryNorQueuesReports)
{
    CCamera* view = SingleView(320, 240);
    std::vector<std::vector<uint8_t>> packets;
    for (int32_t i = 0; i < 30; ++i) {
        PacketSpec spec;
        spec.time = 1267798029 + static_cast<uint32_t>(i);   // a new caption every packet
        packets.push_back(JpegPacketWith(spec, 64, 48));
    }
    std::thread feeder([&] {
        for (size_t i = 0; i < packets.size(); ++i) {
            dialog.engine->smartHandler->currentIndex = static_cast<int32_t>(100 + i);
            TestDialog::Deliver(view, packets[i]);
        }
    });
    feeder.join();   // this thread handles no event meanwhile
    EXPECT_TRUE(dialog.positions.empty());
    QApplication::processEvents();
    EXPECT_EQ(dialog.positions, std::vector<uintptr_t>{129});
}
