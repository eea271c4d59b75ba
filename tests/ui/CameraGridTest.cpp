#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <cstring>

#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "recording/QelSmartLcid2Callback.h"
#include "tests/support/RecordingFixture.h"
#include "tests/ui/ViewTestSupport.h"
#include "tests/video/VideoFixtures.h"
#include "video/JpegEncoder.h"

namespace {

// Writes a recording of `channels` JPEG channels (units of four channels each), `frames`
// pictures each.
void WriteJpegRecording(const RecordingFiles& files, int32_t channels, int32_t frames)
{
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    std::vector<uint8_t> jpeg;
    ASSERT_EQ(EncodeJpeg(PatternPicture(64, 48, 0).data(), 64, 48, 90, false, &jpeg), 0);
    for (int32_t f = 0; f < frames; ++f) {
        for (int32_t c = 0; c < channels; ++c) {
            PacketSpec spec;
            spec.unit = static_cast<uint16_t>(c / 4);
            spec.channel = static_cast<uint16_t>(c % 4 + 1);
            spec.time = 1267798029 + static_cast<uint32_t>(f);
            ASSERT_GE(writer.WritePacket(MakeJpegPacketSpec(spec, jpeg)), 0);
        }
    }
    ASSERT_EQ(writer.Close(), 0);
}

class CameraGridTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog.resize(1001, 701);
        dialog.grid.setGeometry(0, 0, 1001, 701);
        dialog.show();
        QApplication::processEvents();
    }

    CCameraWindow& grid = dialog.grid;
    TestDialog dialog;
};

}  // namespace

TEST_F(CameraGridTest, ChannelCountGivesASquareGrid)
{
    struct Case {
        int32_t channels, columns;
    };
    for (const Case c : {Case{1, 1}, Case{2, 2}, Case{4, 2}, Case{5, 3}, Case{64, 8}, Case{70, 8}}) {
        EXPECT_EQ(grid.CreateViews(c.channels), c.columns * c.columns) << c.channels;
        EXPECT_EQ(grid.columns, c.columns);
        for (int32_t i = 0; i < kMaxViews; ++i) {
            EXPECT_EQ(grid.View(i)->HasWindow(), i < c.columns * c.columns) << c.channels << " view " << i;
        }
        EXPECT_EQ(grid.ViewHandler(c.columns * c.columns).context, nullptr);
    }
    EXPECT_EQ(grid.CreateViews(0), 0);
    EXPECT_EQ(grid.viewCount.load(), 64);
}

TEST_F(CameraGridTest, OpeningARecordingRegistersTheFirstViewsInChannelOrder)
{
    for (const int32_t channels : {5, 70}) {
        RecordingFiles files;
        WriteJpegRecording(files, channels, 1);
        dialog.engine->lcid2Callback->Clear();
        MediaFileMng& manager = dialog.engine->smartHandler->mediaFileMng;
        manager.owner = &grid;
        ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
        const int32_t shown = std::min(channels, kMaxViews);
        for (int32_t c = 0; c < channels; ++c) {
            const ChannelHandler handler = dialog.engine->lcid2Callback->Lookup(c);
            EXPECT_EQ(handler.context, c < shown ? grid.View(c) : nullptr) << channels << " channel " << c;
        }
        manager.Close();
    }
}

TEST_F(CameraGridTest, CellsLeaveTheRemainderUncovered)
{
    grid.CreateViews(9);
    EXPECT_EQ(grid.View(0)->geometry(), QRect(0, 0, 333, 233));
    EXPECT_EQ(grid.View(4)->geometry(), QRect(333, 233, 333, 233));
    EXPECT_EQ(grid.View(8)->geometry(), QRect(666, 466, 333, 233));
    // A resize places them again.
    grid.resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(grid.View(8)->geometry(), QRect(400, 266, 200, 133));
}

TEST_F(CameraGridTest, DoubleClickShowsOneViewAloneAndBack)
{
    grid.CreateViews(9);
    QTest::mouseDClick(grid.View(5), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(grid.View(5)->geometry(), QRect(0, 0, 1001, 701));
    for (const int32_t other : {0, 4, 8}) {
        EXPECT_EQ(grid.View(other)->geometry().size(), QSize(0, 0));
    }
    QTest::mouseDClick(grid.View(5), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(grid.View(5)->geometry(), QRect(666, 233, 333, 233));
    EXPECT_EQ(grid.View(0)->geometry(), QRect(0, 0, 333, 233));
}

TEST_F(CameraGridTest, ClickMovesTheSelection)
{
    grid.CreateViews(9);
    QTest::mouseClick(grid.View(2), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(PixelAt(Grab(grid.View(2)), 3, 10), QColor(105, 84, 207));
    QTest::mouseClick(grid.View(7), Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    EXPECT_EQ(grid.selectedIndex, 7);
    EXPECT_EQ(grid.View(2)->selected.load(), 0);
    EXPECT_EQ(PixelAt(Grab(grid.View(2)), 3, 10), QColor(142, 171, 255));
    EXPECT_EQ(PixelAt(Grab(grid.View(7)), 3, 10), QColor(105, 84, 207));
    // The selection stays across a new grid.
    grid.CreateViews(4);
    EXPECT_EQ(grid.selectedIndex, 7);
}

TEST_F(CameraGridTest, OriginalSizeRepaintsOnlyOnAChange)
{
    grid.CreateViews(1);
    Grab(grid.View(0));
    int paints = 0;
    struct Counter : QObject {
        int* paints;
        bool eventFilter(QObject*, QEvent* event) override
        {
            *paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    counter.paints = &paints;
    grid.View(0)->installEventFilter(&counter);
    grid.SetOriginalSize(1);
    QApplication::processEvents();
    EXPECT_EQ(paints, 0);
    grid.SetOriginalSize(0);
    QApplication::processEvents();
    EXPECT_EQ(paints, 1);
}

TEST_F(CameraGridTest, ACodecChangeReplacesBothAudioOutputs)
{
    grid.OnAudioOpen(2);
    AudioOut* primary = grid.audio.primaryAudio;
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(grid.audio.secondaryAudio, nullptr);
    grid.OnAudioOpen(9);
    EXPECT_NE(grid.audio.primaryAudio, nullptr);
    EXPECT_NE(grid.audio.secondaryAudio, nullptr);
    grid.OnAudioClose();
    EXPECT_EQ(grid.audio.primaryAudio, nullptr);
    EXPECT_EQ(grid.audio.secondaryAudio, nullptr);
}

TEST_F(CameraGridTest, ClearViewsAfterPlayingLeavesEveryViewEmpty)
{
    RecordingFiles files;
    WriteJpegRecording(files, 3, 5);
    QelSmartHandler* handler = dialog.engine->smartHandler;
    handler->mediaFileMng.owner = &grid;
    handler->lcid2Callback = dialog.engine->lcid2Callback;
    handler->speedIndex = 5;
    ASSERT_EQ(handler->mediaFileMng.Open(files.media.c_str(), files.index.c_str()), 0);
    QelSmartControlThread* control = dialog.engine->controlThread;
    const uint32_t pauses = control->workerPauses.load();
    ASSERT_EQ(control->SetSmartHandler(handler), 0);
    ASSERT_EQ(control->BeginThread(), 1);
    // The views report their positions to this thread while the worker plays to the end.
    while (WaitForWorkerPause(*control, pauses, 10) == kWorkerStillBusy) {
        QApplication::processEvents();
    }
    QApplication::processEvents();
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(grid.View(i)->feed.hasFrame.load(), 1);
    }
    EXPECT_FALSE(dialog.positions.empty());
    control->EndThread();
    control->WaitThreadEnd();

    grid.ClearViews();
    for (int32_t i = 0; i < 4; ++i) {
        CCamera* view = grid.View(i);
        EXPECT_EQ(view->feed.hasFrame.load(), 0);
        EXPECT_EQ(view->feed.Caption(), "");
        const size_t bytes = static_cast<size_t>(view->feed.frame.width) * view->feed.frame.height * 3;
        EXPECT_EQ(std::count(view->feed.frame.pixels, view->feed.frame.pixels + bytes, 0), static_cast<long>(bytes));
        const QImage shown = Grab(view);
        EXPECT_EQ(PixelAt(shown, shown.width() / 2, shown.height() / 2), view->palette().window().color());
    }
}
