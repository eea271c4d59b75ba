// Short command sequences that once made a stop slow, replayed exactly as the stress run found
// them, each on the recordings of the stress fixture.
#include <QTest>

#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "tests/app/DialogCommandFixture.h"

namespace {

using StartStopRegression = DialogCommandTest;

// Going to a time hands every view its key frame, each with a position report the playback
// thread waits for. A stop asked for at once used to wait out each report's time-out in turn
// (half a second per view, three seconds for six views) while the user-interface thread stood
// in the stop.
TEST_F(StartStopRegression, StopRightAfterGoingToATimeDoesNotWaitForEveryView)
{
    const DialogCommand stops[] = {
        {DialogCommandKind::kStopButton},
        {DialogCommandKind::kOpenButton, 0},
        {DialogCommandKind::kCloseDialog},
    };
    for (const DialogCommand& stop : stops) {
        SCOPED_TRACE(Describe(stop));
        Perform({DialogCommandKind::kOpenButton, 1});
        // Paused, so that the time asked for is the next thing the playback thread does.
        ASSERT_TRUE(WaitUntil([&] { return Handler()->readCount.load() > 0; }));
        ASSERT_TRUE(SettlesPaused([&] { Perform({DialogCommandKind::kPauseButton}); }));
        Perform({DialogCommandKind::kGoToTimeKey, 500});
        const int64_t ms = Perform(stop);
        // One report's wait at most, not one per view.
        EXPECT_LT(ms, 1000);
        EXPECT_FALSE(FileIsOpen(recordings[1].media));
    }
}

}  // namespace
