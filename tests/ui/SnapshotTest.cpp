#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <regex>

#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "tests/support/RecordingFixture.h"
#include "tests/ui/ViewTestSupport.h"
#include "tests/video/VideoFixtures.h"
#include "ui/Dialogs.h"
#include "video/JpegEncoder.h"

namespace {

// Answers the dialogs in place of the user.
class Answers : public DialogResponder {
public:
    Answers() { SetDialogResponder(this); }
    ~Answers() override { SetDialogResponder(nullptr); }
    void OnWarning(const std::string& text) override { warnings.push_back(text); }
    bool OnFileDialog(const FileDialogRequest& request, std::string* path) override
    {
        requests.push_back(request);
        if (whileOpen) {
            whileOpen();
        }
        if (answer.empty()) {
            return false;
        }
        *path = answer;
        return true;
    }
    std::vector<std::string> warnings;
    std::vector<FileDialogRequest> requests;
    std::string answer;
    std::function<void()> whileOpen;
};

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class SnapshotTest : public testing::Test {
protected:
    void SetUp() override
    {
        dialog.resize(640, 480);
        dialog.grid.setGeometry(0, 0, 640, 480);
        dialog.grid.CreateViews(4);
        dialog.show();
        QApplication::processEvents();
    }

    CCamera* ShowPacket(int32_t index, const std::vector<uint8_t>& packet)
    {
        CCamera* view = dialog.grid.View(index);
        TestDialog::Deliver(view, packet);
        dialog.grid.SelectView(index);
        return view;
    }

    static std::vector<uint8_t> CaptionedJpegPacket(uint32_t width, uint32_t height)
    {
        PacketSpec spec;
        spec.time = 1267798029;
        return JpegPacketWith(spec, width, height);
    }

    TempDir dir;
    Answers answers;
    TestDialog dialog;
};

// The saved picture without the caption band, against the pattern it was made from.
double DifferenceBelowBand(const QImage& saved, uint32_t width, uint32_t height)
{
    const QImage expected = ExpectedPicture(width, height, static_cast<int>(width), static_cast<int>(height));
    const QRect below(0, 20, static_cast<int>(width), static_cast<int>(height) - 20);
    return MeanDifference(saved.convertToFormat(QImage::Format_RGB32).copy(below), expected.copy(below));
}

}  // namespace

TEST_F(SnapshotTest, JpegChannelGivesAJpegFileWhateverTheTypedName)
{
    ShowPacket(0, CaptionedJpegPacket(320, 240));
    answers.answer = dir.File("typed.bmp");
    EXPECT_EQ(dialog.grid.SnapshotSelected(), 0);
    ASSERT_EQ(answers.requests.size(), 1u);
    const FileDialogRequest& request = answers.requests[0];
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.filter, "JPEG Files (*.jpg)|*.jpg|");
    EXPECT_EQ(request.defaultExtension, "jpg");
    EXPECT_TRUE(std::regex_match(request.initialName, std::regex("[0-9]{8}_[0-9]{2}h[0-9]{2}m[0-9]{2}s_")))
        << request.initialName;
    EXPECT_EQ(dialog.grid.View(0)->snapshotPath, dir.File("typed.bmp"));

    const std::vector<uint8_t> bytes = ReadFile(dir.File("typed.bmp"));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    QImage saved;
    ASSERT_TRUE(saved.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "JPG"));
    ASSERT_EQ(saved.size(), QSize(320, 240));
    // Upright, with the caption's black band at the top left.
    EXPECT_LT(DifferenceBelowBand(saved, 320, 240), 8.0);
    EXPECT_LT(qGray(saved.pixel(1, 1)), 40);
    EXPECT_TRUE(answers.warnings.empty());
}

TEST_F(SnapshotTest, StreamChannelsGiveUprightBmpFiles)
{
    for (const VideoCodecId codec : {kVideoCodecMpeg4, kVideoCodecH264}) {
        const auto packets = StreamPacketsOf(codec, 350, 200, 1, 5);   // rows not a multiple of 4 bytes
        ShowPacket(1, packets[0]);
        answers.answer = dir.File("stream" + std::to_string(codec) + ".bmp");
        EXPECT_EQ(dialog.grid.SnapshotSelected(), 0);
        EXPECT_EQ(answers.requests.back().filter, "Bitmap Files (*.bmp)|*.bmp|");
        EXPECT_EQ(answers.requests.back().defaultExtension, "bmp");
        const std::vector<uint8_t> bytes = ReadFile(answers.answer);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[10], 54);
        QImage saved;
        ASSERT_TRUE(saved.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP")) << codec;
        ASSERT_EQ(saved.size(), QSize(350, 200));
        EXPECT_LT(DifferenceBelowBand(saved, 350, 200), 8.0) << codec;
    }
}

TEST_F(SnapshotTest, NothingToSaveSaysSelectCamera)
{
    // No selection.
    EXPECT_EQ(dialog.grid.SnapshotSelected(), -1);
    // A view without a channel.
    dialog.grid.SelectView(3);
    EXPECT_EQ(dialog.grid.SnapshotSelected(), -1);
    // After Stop every view is cleared.
    ShowPacket(0, CaptionedJpegPacket(64, 48));
    dialog.grid.ClearViews();
    EXPECT_EQ(dialog.grid.SnapshotSelected(), -1);
    EXPECT_EQ(answers.warnings, std::vector<std::string>(3, "select camera"));
    EXPECT_TRUE(answers.requests.empty());
}

TEST_F(SnapshotTest, FailuresAreToldAndLeaveNoFile)
{
    // A write into a folder that does not exist.
    ShowPacket(0, CaptionedJpegPacket(64, 48));
    answers.answer = dir.File("missing/shot.jpg");
    dialog.grid.SnapshotSelected();
    ASSERT_EQ(answers.warnings.size(), 1u);
    EXPECT_NE(answers.warnings[0].find(answers.answer), std::string::npos) << answers.warnings[0];

    // A picture whose JPEG would pass 512,000 bytes: told, and no file is made.
    CCamera* view = dialog.grid.View(0);
    {
        std::lock_guard<std::recursive_mutex> guard(view->feed.lock);
        view->feed.frame.width = 1600;
        view->feed.frame.height = 1200;
        uint32_t noise = 12345;
        for (size_t i = 0; i < 1600u * 1200u * 3u; ++i) {
            noise = noise * 1103515245u + 12345u;
            view->feed.frame.pixels[i] = static_cast<uint8_t>(noise >> 16);
        }
    }
    answers.answer = dir.File("noise.jpg");
    dialog.grid.SnapshotSelected();
    EXPECT_EQ(answers.warnings.size(), 2u);
    EXPECT_FALSE(std::ifstream(answers.answer).good());

    // A frame without size: an empty JPEG file, a bare header for BMP.
    for (const VideoCodecId codec : {kVideoCodecJpeg, kVideoCodecMpeg4}) {
        {
            std::lock_guard<std::recursive_mutex> guard(view->feed.lock);
            view->feed.frame.width = 0;
            view->feed.frame.codec = codec;
        }
        answers.answer = dir.File("empty" + std::to_string(codec));
        dialog.grid.SnapshotSelected();
        EXPECT_EQ(ReadFile(answers.answer).size(), codec == kVideoCodecJpeg ? 0u : 54u);
    }
}

TEST_F(SnapshotTest, PlaybackIsHeldWhileTheDialogIsOpen)
{
    RecordingFiles files;
    {
        RecordingWriter writer;
        ASSERT_EQ(writer.Create(files.media, files.index), 0);
        std::vector<uint8_t> jpeg;
        ASSERT_EQ(EncodeJpeg(PatternPicture(64, 48, 0).data(), 64, 48, 90, false, &jpeg), 0);
        for (int i = 0; i < 20; ++i) {
            ASSERT_GE(writer.WritePacket(MakeJpegPacketSpec(PacketSpec{}, jpeg)), 0);
        }
        ASSERT_EQ(writer.Close(), 0);
    }
    QelSmartHandler* handler = dialog.engine->smartHandler;
    QelSmartControlThread* control = dialog.engine->controlThread;
    handler->mediaFileMng.owner = &dialog.grid;
    handler->lcid2Callback = dialog.engine->lcid2Callback;
    ASSERT_EQ(handler->mediaFileMng.Open(files.media.c_str(), files.index.c_str()), 0);
    ASSERT_EQ(control->SetSmartHandler(handler), 0);
    auto waitForPause = [&](uint32_t pausesBefore) {
        while (WaitForWorkerPause(*control, pausesBefore, 10) == kWorkerStillBusy) {
            QApplication::processEvents();
        }
    };
    uint32_t pauses = control->workerPauses.load();
    ASSERT_EQ(control->BeginThread(), 1);
    waitForPause(pauses);
    // Back to record 5, then stepping forwards: one record per resume.
    handler->seekIndex = 5;
    handler->currentIndex = 5;
    handler->stepMode = 1;
    handler->playMode = 3;
    pauses = control->workerPauses.load();
    control->ResumeThread();
    waitForPause(pauses);
    handler->playMode = 1;
    dialog.opened = 1;
    dialog.grid.SelectView(0);
    ASSERT_EQ(dialog.grid.View(0)->feed.hasFrame.load(), 1);
    const int64_t readsBefore = handler->readCount.load();
    int32_t statusWhileOpen = 0;
    answers.whileOpen = [&] { statusWhileOpen = control->Status(); };
    pauses = control->workerPauses.load();
    dialog.grid.SnapshotSelected();   // cancelled
    EXPECT_EQ(statusWhileOpen, kThreadSuspended);
    // Released afterwards: exactly one more record, then the step pauses again.
    waitForPause(pauses);
    EXPECT_EQ(handler->readCount.load(), readsBefore + 1);
    control->EndThread();
    control->WaitThreadEnd();
}
