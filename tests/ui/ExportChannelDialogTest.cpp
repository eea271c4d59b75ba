#include <QApplication>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>

#include "playback/QelSmartHandler.h"
#include "tests/support/RecordingFixture.h"
#include "tests/ui/ViewTestSupport.h"
#include "tests/video/VideoFixtures.h"
#include "ui/CameraContextMenu.h"
#include "ui/ExportChannelDialog.h"

namespace {

constexpr uint32_t kFirstTime = 1267798029;

// Two JPEG channels, one frame a second each, `frames` seconds long.
void WriteTwoChannels(const RecordingFiles& files, int frames, uint32_t width = 64, uint32_t height = 48)
{
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(files.media, files.index), 0);
    for (int f = 0; f < frames; ++f) {
        for (uint16_t channel = 1; channel <= 2; ++channel) {
            PacketSpec spec;
            spec.channel = channel;
            spec.time = kFirstTime + static_cast<uint32_t>(f);
            ASSERT_GE(writer.WritePacket(MakeJpegPacketSpec(spec, PayloadOf(JpegPacketWith(spec, width, height)))), 0);
        }
    }
    ASSERT_EQ(writer.Close(), 0);
}

int FilesIn(const std::string& directory)
{
    int count = 0;
    DIR* dir = opendir(directory.c_str());
    while (dirent* entry = readdir(dir)) {
        count += entry->d_name[0] != '.';
    }
    closedir(dir);
    return count;
}

class ExportChannelDialogTest : public testing::Test {
protected:
    void Open(int frames, uint32_t width = 64, uint32_t height = 48)
    {
        WriteTwoChannels(files, frames, width, height);
        dialog.mediaPath = files.media;
        MediaFileMng& manager = dialog.engine->smartHandler->mediaFileMng;
        manager.owner = &dialog.grid;
        ASSERT_EQ(manager.Open(files.media.c_str(), files.index.c_str()), 0);
    }

    int32_t RunExport(ExportChannelDialog& exporter)
    {
        QSignalSpy ended(&exporter, &ExportChannelDialog::finishedExport);
        if (!exporter.Start()) {
            return 1;
        }
        EXPECT_TRUE(ended.wait(20000));
        return exporter.LastCode();
    }

    RecordingFiles files;
    TempDir out;
    TestDialog dialog;
};

}  // namespace

TEST_F(ExportChannelDialogTest, MenuOffersExportOnlyForAViewWithAChannel)
{
    Open(3);
    ASSERT_EQ(dialog.grid.viewCount.load(), 4);
    for (int32_t index : {0, 1, 3}) {
        QMenu menu;
        FillCameraContextMenu(dialog.grid.View(index), &menu);
        ASSERT_EQ(menu.actions().size(), 4);   // the two commands, a separator, the about item
        EXPECT_EQ(menu.actions()[3]->text(), QStringLiteral("&About KvrPlayer..."));
        EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("Save snapshot…"));
        EXPECT_EQ(menu.actions()[1]->text(), QStringLiteral("Export channel…"));
        EXPECT_EQ(menu.actions()[1]->isEnabled(), index < 2) << index;
        EXPECT_EQ(ChannelOfView(dialog.grid.View(index)), index < 2 ? index : -1);
    }
}

TEST_F(ExportChannelDialogTest, ExportsTheWholeChannelOrARangeOfIt)
{
    Open(10);
    ExportChannelDialog exporter(files.media, 1, static_cast<int64_t>(kFirstTime + 3) * 100);
    exporter.outputPath->setText(QString::fromStdString(out.File("whole.mkv")));
    ASSERT_EQ(RunExport(exporter), kExportOk) << exporter.status->text().toStdString();
    EXPECT_EQ(exporter.LastResult().videoFrames, 10);
    EXPECT_TRUE(std::ifstream(out.File("whole.mkv")).good());
    EXPECT_TRUE(std::ifstream(out.File("whole.json")).good());
    EXPECT_NE(exporter.status->text().indexOf(QStringLiteral("Exported 10 frames")), -1);

    // From the caption's time (prefilled) to three seconds later.
    exporter.timeRange->setChecked(true);
    exporter.toTime->setDateTime(exporter.fromTime->dateTime().addSecs(3));
    exporter.outputPath->setText(QString::fromStdString(out.File("range.mkv")));
    ASSERT_EQ(RunExport(exporter), kExportOk) << exporter.status->text().toStdString();
    EXPECT_EQ(exporter.LastResult().videoFrames, 4);
    EXPECT_EQ(exporter.LastResult().firstTime, static_cast<int64_t>(kFirstTime + 3) * 100);
}

TEST_F(ExportChannelDialogTest, RefusalsAndCancelLeaveNothingBehind)
{
    Open(60, 704, 480);
    ExportChannelDialog exporter(files.media, 0, -1);
    EXPECT_FALSE(exporter.Start());   // no output chosen
    EXPECT_FALSE(exporter.status->text().isEmpty());

    // A typed name of a file that exists is never replaced.
    const std::string existing = out.File("existing.mkv");
    std::ofstream(existing) << "keep";
    exporter.outputPath->setText(QString::fromStdString(existing));
    EXPECT_EQ(RunExport(exporter), kExportOutputRefused);
    EXPECT_NE(exporter.status->text().indexOf(QStringLiteral("Export failed")), -1);
    EXPECT_EQ(FilesIn(out.Path()), 1);

    exporter.outputPath->setText(QString::fromStdString(out.File("cancelled.mkv")));
    QSignalSpy ended(&exporter, &ExportChannelDialog::finishedExport);
    ASSERT_TRUE(exporter.Start());
    QTest::mouseClick(exporter.cancelButton, Qt::LeftButton);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(exporter.LastCode(), kExportCanceled);
    EXPECT_EQ(FilesIn(out.Path()), 1);
}
