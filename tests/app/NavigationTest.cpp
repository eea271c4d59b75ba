// Exact single steps, going to a time, the key bindings, the slider's time tooltip and dropped
// files, driven through the real dialog on recordings the tests write.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QHelpEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "app/GoToTimeDialog.h"
#include "playback/DecodePool.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/CaptionText.h"
#include "tests/app/PlayerFixture.h"
#include "ui/CCamera.h"

namespace {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const Picture&) const = default;
};

Picture Shown(CCamera* view)
{
    std::lock_guard<std::recursive_mutex> guard(view->feed.lock);
    const DecodedFrame& frame = view->feed.frame;
    Picture picture{frame.width, frame.height, {}};
    picture.bytes.assign(frame.pixels, frame.pixels + static_cast<size_t>(frame.width) * frame.height * 3);
    return picture;
}

class TimeResponder : public GoToTimeResponder {
public:
    bool OnGoToTime(const std::string& caption, int64_t* hundredths) override
    {
        captions.push_back(caption);
        *hundredths = answer;
        return answer >= 0;
    }
    std::vector<std::string> captions;
    int64_t answer = -1;   // -1: the user cancels
};

class NavigationTest : public PlayerTest {
protected:
    NavigationTest() { SetGoToTimeResponder(&times); }
    ~NavigationTest() override { SetGoToTimeResponder(nullptr); }

    void Activate()
    {
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    int64_t TimeOf(int32_t record) const
    {
        return CaptionWallClock(recording.captions[static_cast<size_t>(record)].c_str());
    }

    TimeResponder times;
    PlayerRecording recording;
};

struct StepCase {
    const char* name;
    VideoCodecId codec;
    uint32_t keyInterval;
    int32_t frames;
};

const StepCase kStepCases[] = {
    {"H.264, group of 12", kVideoCodecH264, 12, 30},
    {"H.264, group of 25", kVideoCodecH264, 25, 55},
    {"MPEG-4, group of 12", kVideoCodecMpeg4, 12, 30},
    {"MPEG-4, group of 25", kVideoCodecMpeg4, 25, 55},
    {"JPEG", kVideoCodecJpeg, 1, 16},
};

// The views decode on a pool of workers: steps and seeks show the same pictures on one, two or
// four of them.
class NavigationOnWorkersTest : public NavigationTest, public testing::WithParamInterface<int32_t> {
protected:
    NavigationOnWorkersTest() { setenv("KVR_DECODE_THREADS", std::to_string(GetParam()).c_str(), 1); }
    ~NavigationOnWorkersTest() override { unsetenv("KVR_DECODE_THREADS"); }
};

INSTANTIATE_TEST_SUITE_P(Workers, NavigationOnWorkersTest, testing::Values(1, 2, 4));

TEST_P(NavigationOnWorkersTest, ExactStepsShowExactlyThePicturesForwardPlayShowed)
{
    for (const StepCase& c : kStepCases) {
        SCOPED_TRACE(c.name);
        recording = WritePlayerRecording(dir, "steps", {.channels = 1, .frames = c.frames, .gapMs = 40,
                                                        .codec = c.codec, .keyInterval = c.keyInterval});
        StartPlaying(recording.media);
        ASSERT_EQ(DecodePoolOf(dlg->Engine())->Threads(), GetParam());
        // Forward, one record at a time from the first: what each record shows.
        ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
        std::vector<Picture> forward{Shown(View(0))};
        for (int32_t r = 1; r < c.frames; ++r) {
            ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnStepForward, Qt::LeftButton); }));
            ASSERT_EQ(Caption(0), recording.captions[static_cast<size_t>(r)]);
            forward.push_back(Shown(View(0)));
        }
        const bool stream = c.codec != kVideoCodecJpeg;

        // Back from the last record to the first, across every group boundary.
        for (int32_t r = c.frames - 2; r >= 0; --r) {
            const int64_t reads = Handler()->readCount.load();
            ASSERT_TRUE(SettlesPaused([&] { dlg->OnExactStep(-1); }));
            ASSERT_TRUE(Shown(View(0)) == forward[static_cast<size_t>(r)]) << "record " << r;
            EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(r)]);
            EXPECT_EQ(Handler()->currentIndex.load(), r);
            EXPECT_EQ(dlg->m_sliderPosition->value(), r);
            EXPECT_EQ(Handler()->stepMode.load(), 1);
            EXPECT_EQ(Handler()->playMode.load(), kPlayBackward);
            if (stream && (r + 1) % static_cast<int32_t>(c.keyInterval) != 0 && r != c.frames - 2) {
                // Inside a group after its first step: the target's packet is read, nothing decoded.
                EXPECT_EQ(Handler()->readCount.load() - reads, 1) << "record " << r;
            }
            EXPECT_LE(View(0)->feed.heldPictures.BytesHeld(), View(0)->feed.heldPictures.Budget());
        }
        // At the start of the recording it stays put.
        ASSERT_TRUE(SettlesPaused([&] { dlg->OnExactStep(-1); }));
        EXPECT_TRUE(Shown(View(0)) == forward[0]);
        EXPECT_EQ(Caption(0), recording.captions[0]);
        EXPECT_EQ(Handler()->currentIndex.load(), 0);

        // Forwards exactly into the second group, then on with the plain step.
        int32_t r = 1;
        for (; r <= static_cast<int32_t>(c.keyInterval) + 2 && r < c.frames - 1; ++r) {
            ASSERT_TRUE(SettlesPaused([&] { dlg->OnExactStep(1); }));
            ASSERT_TRUE(Shown(View(0)) == forward[static_cast<size_t>(r)]) << "record " << r;
            EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(r)]);
            EXPECT_EQ(Handler()->playMode.load(), kPlayForward);
        }
        ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnStepForward, Qt::LeftButton); }));
        EXPECT_TRUE(Shown(View(0)) == forward[static_cast<size_t>(r)]) << "record " << r;
        EXPECT_TRUE(responder.warnings.empty());
    }
}

TEST_F(NavigationTest, ExactStepsMoveOnlyTheSelectedView)
{
    recording = WritePlayerRecording(dir, "two", {.channels = 2, .frames = 30, .gapMs = 40,
                                                  .codec = kVideoCodecH264, .keyInterval = 12});
    StartPlaying(recording.media);
    // Home shows frame 0 of both channels (records 0 and 1, one instant) and stands on record 1.
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    for (int i = 0; i < 18; ++i) {
        ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnStepForward, Qt::LeftButton); }));
    }
    // Records 18 and 19 are frame 9 of channels 1 and 2; the last one read is record 19.
    ASSERT_EQ(Caption(1), recording.captions[19]);
    dlg->OnExactStep(-1);
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"select camera"});

    QTest::mouseClick(View(1), Qt::LeftButton);
    const Picture other = Shown(View(0));
    ASSERT_TRUE(SettlesPaused([&] { dlg->OnExactStep(-1); }));
    EXPECT_EQ(Caption(1), recording.captions[17]);
    EXPECT_EQ(Handler()->currentIndex.load(), 17);
    EXPECT_EQ(Caption(0), recording.captions[18]);
    EXPECT_TRUE(Shown(View(0)) == other);
    // Stepping the other view gives the first one's held pictures back.
    EXPECT_GT(View(1)->feed.heldPictures.BytesHeld(), 0u);
    QTest::mouseClick(View(0), Qt::LeftButton);
    ASSERT_TRUE(SettlesPaused([&] { dlg->OnExactStep(-1); }));
    EXPECT_EQ(Caption(0), recording.captions[16]);
    EXPECT_EQ(View(1)->feed.heldPictures.BytesHeld(), 0u);
}

TEST_F(NavigationTest, GoToTimeBringsEveryViewToItsPictureAtOrBefore)
{
    // Two channels; records 2f and 2f + 1 are frame f of channels 1 and 2, at the same time.
    recording = WritePlayerRecording(dir, "times", {.channels = 2, .frames = 40, .gapMs = 40,
                                                    .codec = kVideoCodecH264, .keyInterval = 12});
    StartPlaying(recording.media);
    QTest::mouseClick(View(1), Qt::LeftButton);
    struct TimeCase {
        const char* name;
        int64_t time;
        int32_t frame;   // the frame both views show, decoded from its key frame
        bool dimmed;     // more than 2 s before the time asked for
    };
    const TimeCase cases[] = {
        {"on a key frame", TimeOf(2 * 24), 24, false},
        {"inside a group", TimeOf(2 * 30 + 1), 30, false},
        {"just before a key frame", TimeOf(2 * 24) - 1, 23, false},
        {"before the first record: its start", TimeOf(0) - 6000, 0, false},
        {"after the last record", TimeOf(recording.records - 1) + 6000, 39, true},
        {"back inside a group", TimeOf(2 * 5), 5, false},
    };
    for (const TimeCase& c : cases) {
        SCOPED_TRACE(c.name);
        times.answer = c.time;
        const std::string shown = Caption(1);
        ASSERT_TRUE(SettlesPaused([&] { dlg->OnGoToTime(); }));
        EXPECT_EQ(times.captions.back(), shown);   // prefilled with the selected view's caption
        EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(2 * c.frame)]);
        EXPECT_EQ(Caption(1), recording.captions[static_cast<size_t>(2 * c.frame + 1)]);
        // Both frames are of the one instant: the seek stands on the later record.
        EXPECT_EQ(Handler()->currentIndex.load(), 2 * c.frame + 1);
        EXPECT_EQ(dlg->m_sliderPosition->value(), 2 * c.frame + 1);
        EXPECT_EQ(Handler()->playMode.load(), kPlaySeek);
        EXPECT_EQ(View(0)->dimmed.load(), c.dimmed);
        EXPECT_EQ(View(1)->dimmed.load(), c.dimmed);
    }
    // Play goes on from there with every view decoding.
    QTest::mouseClick(dlg->m_btnPlay, Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return Caption(0) == recording.captions[2 * 38]; }));
    // Cancelled: nothing moves.
    times.answer = -1;
    ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnPause, Qt::LeftButton); }));
    const int64_t reads = Handler()->readCount.load();
    dlg->OnGoToTime();
    QTest::qWait(50);
    EXPECT_EQ(Handler()->readCount.load(), reads);
}

TEST_F(NavigationTest, PositionTooltipShowsTheTimeOfTheRecordUnderTheThumb)
{
    recording = WritePlayerRecording(dir, "tip", {.channels = 1, .frames = 20, .gapMs = 1000});
    StartPlaying(recording.media);
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    for (const int32_t position : {0, 7, 19}) {
        EXPECT_EQ(dlg->PositionToolTip(position), recording.captions[static_cast<size_t>(position)]);
    }
    // The maximum stands one past the last record: its time is the last record's.
    EXPECT_EQ(dlg->PositionToolTip(recording.records), recording.captions.back());
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Right); }));
    }
    QSlider* slider = dlg->m_sliderPosition;
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), slider->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(slider, &hover);
    EXPECT_EQ(QToolTip::text().toStdString(), recording.captions[5]);
    QToolTip::hideText();
}

TEST_F(NavigationTest, EveryKeyReachesItsCommand)
{
    recording = WritePlayerRecording(dir, "keys", {.channels = 1, .frames = 300, .gapMs = 40,
                                                   .codec = kVideoCodecH264, .keyInterval = 12});
    StartPlaying(recording.media);
    Activate();
    QWidget* window = dlg.get();
    // Far enough in that every step below has records on both sides.
    ASSERT_TRUE(WaitUntil([&] { return Handler()->currentIndex.load() >= 30; }));

    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(window, Qt::Key_Space); }));
    EXPECT_EQ(Status(), kThreadSuspended);
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_EQ(Status(), kThreadRunning);
    EXPECT_EQ(Handler()->stepMode.load(), 0);

    struct StepKey {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int32_t playMode;      // the mode it leaves
        int32_t recordStep;    // how the current index moves for an exact step; 0: not exact
    };
    const StepKey steps[] = {
        {Qt::Key_Right, Qt::NoModifier, kPlayForward, 0},
        {Qt::Key_Left, Qt::NoModifier, kPlayBackward, 0},
        {Qt::Key_Comma, Qt::NoModifier, kPlayBackward, -1},
        {Qt::Key_Left, Qt::ShiftModifier, kPlayBackward, -1},
        {Qt::Key_Period, Qt::NoModifier, kPlayForward, 1},
        {Qt::Key_Right, Qt::ShiftModifier, kPlayForward, 1},
    };
    for (const StepKey& step : steps) {
        SCOPED_TRACE(QKeySequence(step.key | step.modifiers).toString().toStdString());
        const int32_t before = Handler()->currentIndex.load();
        ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(window, step.key, step.modifiers); }));
        EXPECT_EQ(Handler()->stepMode.load(), 1);
        EXPECT_EQ(Handler()->playMode.load(), step.playMode);
        if (step.recordStep != 0) {
            EXPECT_EQ(Handler()->currentIndex.load(), before + step.recordStep);
            EXPECT_EQ(Caption(0), recording.captions[static_cast<size_t>(before + step.recordStep)]);
        }
    }

    QTest::keyClick(window, Qt::Key_Plus);
    EXPECT_EQ(dlg->m_comboSpeed->currentIndex(), 3);
    EXPECT_EQ(Handler()->speedIndex.load(), 4);
    QTest::keyClick(window, Qt::Key_Minus);
    QTest::keyClick(window, Qt::Key_Minus);
    EXPECT_EQ(dlg->m_comboSpeed->currentIndex(), 1);
    EXPECT_EQ(Handler()->speedIndex.load(), 2);

    QTest::keyClick(window, Qt::Key_M);
    EXPECT_EQ(dlg->m_bMute, 1);

    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(responder.requests.size(), 1u);
    EXPECT_FALSE(responder.requests.back().save);
    QTest::keyClick(window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(responder.warnings, std::vector<std::string>{"select camera"});   // as the SnapShot button
    QTest::keyClick(window, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(times.captions.size(), 1u);

    QTest::mouseClick(View(0), Qt::LeftButton);
    QTest::keyClick(View(0), Qt::Key_Return);
    EXPECT_EQ(dlg->m_wndCameraWindow.singleView.load(), 1);
    QTest::keyClick(View(0), Qt::Key_Return);
    EXPECT_EQ(dlg->m_wndCameraWindow.singleView.load(), 0);
    EXPECT_TRUE(dlg->isVisible());

    QTest::keyClick(window, Qt::Key_F11);
    EXPECT_TRUE(WaitUntil([&] { return dlg->isFullScreen(); }));
    QTest::keyClick(window, Qt::Key_F11);
    EXPECT_TRUE(WaitUntil([&] { return !dlg->isFullScreen(); }));

    // The focused slider keeps its arrows: a seek, not a step.
    dlg->m_sliderPosition->setFocus();
    const int position = dlg->m_sliderPosition->value();
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Right); }));
    EXPECT_EQ(Handler()->playMode.load(), kPlaySeek);
    EXPECT_EQ(Handler()->seekIndex.load(), position + 1);

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Status(), kThreadStopped);
}

TEST_F(NavigationTest, EveryButtonNamesItsCommandAndKey)
{
    Start();
    for (QPushButton* button : {dlg->m_btnReverse, dlg->m_btnStepBack, dlg->m_btnPause, dlg->m_btnStepForward,
                                dlg->m_btnPlay, dlg->m_btnStop, dlg->m_btnOpen, dlg->m_btnMute, dlg->m_btnSnapShot}) {
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->accessibleName().toStdString();
    }
    EXPECT_TRUE(dlg->m_btnStepBack->toolTip().contains(QStringLiteral("Shift+Left")));
    EXPECT_TRUE(dlg->m_btnOpen->toolTip().contains(QStringLiteral("Ctrl+O")));
}

void Drop(QWidget* window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: a drop sent alone, without a drag before it, is not routed.
    static_cast<QObject*>(window)->event(&drop);
}

TEST_F(NavigationTest, DroppingARecordingOpensItAndAnythingElseIsRefused)
{
    const PlayerRecording first = WritePlayerRecording(dir, "first", {.channels = 1, .frames = 100, .gapMs = 40});
    const PlayerRecording second = WritePlayerRecording(dir, "second", {.channels = 4, .frames = 50, .gapMs = 40});
    Start();
    Drop(dlg.get(), {QUrl::fromLocalFile(QString::fromStdString(first.media))});
    EXPECT_EQ(dlg->m_strMediaPath, first.media);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 1);

    // The index file opens its recording too.
    Drop(dlg.get(), {QUrl::fromLocalFile(QString::fromStdString(second.index))});
    EXPECT_EQ(dlg->m_strMediaPath, second.media);
    EXPECT_EQ(dlg->m_wndCameraWindow.viewCount.load(), 4);
    EXPECT_FALSE(FileIsOpen(first.media));
    EXPECT_TRUE(responder.warnings.empty());

    const QList<QUrl> refused[] = {
        {QUrl::fromLocalFile(QString::fromStdString(dir.File("notes.txt")))},
        {QUrl(QStringLiteral("https://example.invalid/a.kvr"))},
        {QUrl::fromLocalFile(QString::fromStdString(first.media)),
         QUrl::fromLocalFile(QString::fromStdString(second.media))},
    };
    for (const QList<QUrl>& urls : refused) {
        Drop(dlg.get(), urls);
    }
    ASSERT_EQ(responder.warnings.size(), 3u);
    EXPECT_EQ(dlg->m_bOpened, 1);
    EXPECT_NE(responder.warnings[0].find(".kvr"), std::string::npos);
    EXPECT_EQ(dlg->m_strMediaPath, second.media);
    EXPECT_EQ(Status(), kThreadRunning);
}

}  // namespace

namespace {

// What a synchronised seek to record `position` must show: for each channel, the last record of
// that channel at or before the instant (records just after `position` of the same time count),
// and whether that picture lies more than 2 s before it (-1: the channel has none).
struct SeekExpectation {
    int32_t instantRecord;
    std::vector<int32_t> shown;
    std::vector<bool> dimmed;
};

SeekExpectation ExpectedSeek(const MixedRecording& recording, int32_t position, int32_t channels)
{
    SeekExpectation expected{position, std::vector<int32_t>(static_cast<size_t>(channels), -1), {}};
    const int32_t instant = recording.atMs[static_cast<size_t>(position)];
    while (expected.instantRecord + 1 < recording.records &&
           recording.atMs[static_cast<size_t>(expected.instantRecord + 1)] <= instant) {
        ++expected.instantRecord;
    }
    for (int32_t r = 0; r <= expected.instantRecord; ++r) {
        expected.shown[static_cast<size_t>(recording.channels[static_cast<size_t>(r)] - 1)] = r;
    }
    for (const int32_t record : expected.shown) {
        expected.dimmed.push_back(record < 0 || instant - recording.atMs[static_cast<size_t>(record)] > 2000);
    }
    return expected;
}

}  // namespace

// Every seek brings every view to one instant: after a slider release or go to time, each view
// shows exactly what forward play showed for its channel's last record at or before it, across
// codecs and frame rates; a channel in a gap is dimmed; play goes on from there on every view.
TEST_P(NavigationOnWorkersTest, SeeksShowEveryCameraAtTheSameInstant)
{
    const std::vector<MixedChannelSpec> channels = {
        {.codec = kVideoCodecH264, .intervalMs = 40, .keyInterval = 12},
        {.codec = kVideoCodecMpeg4, .intervalMs = 120, .keyInterval = 10},
        {.codec = kVideoCodecJpeg, .intervalMs = 200, .keyInterval = 1, .gapFromMs = 1200, .gapToMs = 4600},
    };
    const MixedRecording mixed = WriteMixedRecording(dir, "mixed", channels, 6000);
    const auto count = static_cast<int32_t>(channels.size());
    StartPlaying(mixed.media);
    ASSERT_EQ(DecodePoolOf(dlg->Engine())->Threads(), GetParam());
    // Forward, one record at a time: what each record's view shows. Home stands on the three
    // pictures of time 0 at once.
    std::vector<Picture> forward(static_cast<size_t>(mixed.records));
    ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
    for (int32_t r = 0; r < count; ++r) {
        forward[static_cast<size_t>(r)] = Shown(View(r));
    }
    for (int32_t r = count; r < mixed.records; ++r) {
        ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnStepForward, Qt::LeftButton); }));
        const int32_t view = mixed.channels[static_cast<size_t>(r)] - 1;
        ASSERT_EQ(Caption(view), mixed.captions[static_cast<size_t>(r)]) << "record " << r;
        forward[static_cast<size_t>(r)] = Shown(View(view));
    }

    auto check = [&](const SeekExpectation& expected, const char* how) {
        for (int32_t view = 0; view < count; ++view) {
            const int32_t record = expected.shown[static_cast<size_t>(view)];
            SCOPED_TRACE(std::string(how) + ", view " + std::to_string(view) + ", record " + std::to_string(record));
            EXPECT_TRUE(Shown(View(view)) == forward[static_cast<size_t>(record)]);
            EXPECT_EQ(Caption(view), mixed.captions[static_cast<size_t>(record)]);
            EXPECT_EQ(View(view)->dimmed.load(), expected.dimmed[static_cast<size_t>(view)]);
        }
        EXPECT_EQ(Handler()->currentIndex.load(), expected.instantRecord);
        EXPECT_EQ(dlg->m_sliderPosition->value(), expected.instantRecord);
    };

    // Records inside groups of every stream, on a key frame, in the JPEG channel's gap, the end.
    const int32_t lastRecord = mixed.records - 1;
    bool sawDimmed = false;
    for (const int32_t position : {57, 8, 121, 33, lastRecord, 90, 140}) {
        SCOPED_TRACE("position " + std::to_string(position));
        const SeekExpectation expected = ExpectedSeek(mixed, position, count);
        sawDimmed = sawDimmed || expected.dimmed[2];
        // The slider let go at the record; then again: the views show the instant already, and
        // only the instant's record is read so that play goes on from there.
        auto release = [&] {
            const QSignalBlocker blocker(dlg->m_sliderPosition);
            dlg->m_sliderPosition->setValue(position);
            dlg->OnHScroll(dlg->m_sliderPosition);
        };
        ASSERT_TRUE(SettlesPaused(release));
        check(expected, "slider");
        const int64_t reads = Handler()->readCount.load();
        ASSERT_TRUE(SettlesPaused(release));
        EXPECT_EQ(Handler()->readCount.load() - reads, 1);
        check(expected, "slider again");
        // Go to the record's time from elsewhere.
        ASSERT_TRUE(SettlesPaused([&] { QTest::keyClick(dlg->m_sliderPosition, Qt::Key_Home); }));
        times.answer = CaptionWallClock(mixed.captions[static_cast<size_t>(position)].c_str());
        ASSERT_TRUE(SettlesPaused([&] { dlg->OnGoToTime(); }));
        check(expected, "go to time");
        // Play goes on from the instant, every decoder in step: the next record shows as forward play showed it.
        if (expected.instantRecord < lastRecord) {
            const int32_t next = expected.instantRecord + 1;
            ASSERT_TRUE(SettlesPaused([&] { QTest::mouseClick(dlg->m_btnStepForward, Qt::LeftButton); }));
            const int32_t view = mixed.channels[static_cast<size_t>(next)] - 1;
            EXPECT_TRUE(Shown(View(view)) == forward[static_cast<size_t>(next)]) << "after the seek, record " << next;
            EXPECT_FALSE(View(view)->dimmed.load());
        }
    }
    EXPECT_TRUE(sawDimmed) << "no position fell in the JPEG channel's gap";
}

namespace {

// Types each text into the real go-to-time dialog in turn and presses OK; what the dialog showed
// after each refused text goes into `messages`.
bool TypeIntoGoToTime(const std::string& caption, const std::vector<QString>& typed, int64_t* hundredths,
                      std::vector<QString>* messages)
{
    QTimer::singleShot(0, [&] {
        QWidget* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QStringLiteral("GoToTime") && widget->isVisible()) {
                dialog = widget;
            }
        }
        ASSERT_NE(dialog, nullptr);
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("GoToTimeText"));
        auto* message = dialog->findChild<QLabel*>(QStringLiteral("GoToTimeMessage"));
        QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        EXPECT_EQ(edit->text().toStdString(), caption);
        for (const QString& text : typed) {
            edit->setText(text);
            ok->click();
            if (dialog->isVisible()) {
                messages->push_back(message->isVisible() ? message->text() : QString());
            }
        }
        if (dialog->isVisible()) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    return AskGoToTime(nullptr, caption, hundredths);
}

}  // namespace

TEST(GoToTimeDialog, TakesWhatPeopleTypeAndStaysOpenWithAMessageOnAnythingElse)
{
    const std::string caption = "Mar 05,2010 14:07:09.350";
    const int64_t at = CaptionWallClock("Mar 05,2010 14:07:40.000");
    for (const QString& text : {QStringLiteral("Mar 05,2010 14:07:40.000"), QStringLiteral("2010-03-05 14:07:40"),
                                QStringLiteral("2010-03-05T14:07:40.000"), QStringLiteral(" 14:07:40 ")}) {
        int64_t hundredths = -1;
        std::vector<QString> messages;
        EXPECT_TRUE(TypeIntoGoToTime(caption, {text}, &hundredths, &messages)) << text.toStdString();
        EXPECT_EQ(hundredths, at) << text.toStdString();
        EXPECT_TRUE(messages.empty());
    }
    // A bad text keeps the dialog open with its message; the next good one is taken.
    int64_t hundredths = -1;
    std::vector<QString> messages;
    EXPECT_TRUE(TypeIntoGoToTime(caption, {QStringLiteral("yesterday noon"), QStringLiteral("14:07:40")}, &hundredths,
                                 &messages));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("\"yesterday noon\" cannot be read as a time")))
        << messages[0].toStdString();
    EXPECT_EQ(hundredths, at);
    // Refused, then cancelled: no answer.
    messages.clear();
    hundredths = -1;
    EXPECT_FALSE(TypeIntoGoToTime(caption, {QStringLiteral("25:00:00")}, &hundredths, &messages));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(hundredths, -1);
}
