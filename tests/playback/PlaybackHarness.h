// A real playback engine over a recording the test writes, with views that record every
// packet delivered to them, and the steps of the player's commands.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "playback/PlaybackEngine.h"
#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"
#include "tests/support/DrivenClock.h"
#include "tests/support/RecordingFixture.h"
#include "tests/support/TimedPackets.h"

struct Delivery {
    uint8_t marker;
    int32_t channelNumber;
    uint32_t length;
};

class PlaybackHarness : public MediaFileOwner {
public:
    explicit PlaybackHarness(const std::vector<TestPacket>& packets);
    ~PlaybackHarness() override;

    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override { return engine->lcid2Callback; }

    // Opens the recording and starts the worker; false when either fails.
    bool Start(int32_t speedIndex = 5);
    // Waits until the worker has finished the pass begun by the last Start or Resume and sits
    // paused; false when it ended or is still busy after ten seconds.
    bool WaitForPause();
    // A command: writes the settings, then resumes the worker.
    void Resume(int32_t playMode, int32_t stepMode);
    void Seek(int32_t position);
    // Stops the worker as the player does, and waits for it.
    void Stop();

    std::vector<uint8_t> Markers();
    std::vector<Delivery> Deliveries();
    int32_t EndNotifications();

    RecordingFiles files;
    PlaybackEngine* engine = nullptr;
    // When set, each delivery takes deliveryCostMs on this clock, as decoding would.
    DrivenClock* clock = nullptr;
    uint32_t deliveryCostMs = 0;

private:
    static void OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);
    static void OnEnd(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    std::vector<int32_t> viewIds;
    uint32_t pausesBefore = 0;
    std::mutex mutex;
    std::vector<Delivery> deliveries;
    int32_t endNotifications = 0;
};
