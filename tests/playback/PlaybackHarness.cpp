#include "tests/playback/PlaybackHarness.h"

#include <gtest/gtest.h>

#include "Tav/TavPacketUtil.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"

PlaybackHarness::PlaybackHarness(const std::vector<TestPacket>& packets) : engine(CreatePlaybackEngine())
{
    EXPECT_TRUE(WriteTestRecording(files, packets));
    ConnectPlaybackEngine(engine, this, &PlaybackHarness::OnEnd, this);
}

PlaybackHarness::~PlaybackHarness()
{
    DestroyPlaybackEngine(engine);
}

int32_t PlaybackHarness::CreateViews(int32_t count)
{
    viewIds.assign(static_cast<size_t>(count > 0 ? count : 0), 0);
    return count;
}

ChannelHandler PlaybackHarness::ViewHandler(int32_t)
{
    return ChannelHandler{this, &PlaybackHarness::OnPacket};
}

bool PlaybackHarness::Start(int32_t speedIndex)
{
    QelSmartHandler& handler = *engine->smartHandler;
    if (handler.mediaFileMng.Open(files.media.c_str(), files.index.c_str()) != 0) {
        return false;
    }
    handler.speedIndex = speedIndex;
    pausesBefore = engine->controlThread->workerPauses.load();
    return engine->controlThread->SetSmartHandler(&handler) == 0 && engine->controlThread->BeginThread() == 1;
}

bool PlaybackHarness::WaitForPause()
{
    return WaitForWorkerPause(*engine->controlThread, pausesBefore, 10000) == kWorkerPaused;
}

void PlaybackHarness::Resume(int32_t playMode, int32_t stepMode)
{
    QelSmartHandler& handler = *engine->smartHandler;
    handler.stepMode = stepMode;
    handler.playMode = playMode;
    pausesBefore = engine->controlThread->workerPauses.load();
    engine->controlThread->ResumeThread();
}

void PlaybackHarness::Seek(int32_t position)
{
    QelSmartHandler& handler = *engine->smartHandler;
    handler.seekIndex = position;
    handler.currentIndex = position;
    Resume(kPlaySeek, 1);
}

void PlaybackHarness::Stop()
{
    QelSmartControlThread& control = *engine->controlThread;
    if (control.Status() != kThreadStopped) {
        control.EndThread();
    }
    control.WaitThreadEnd();
}

std::vector<uint8_t> PlaybackHarness::Markers()
{
    std::vector<uint8_t> markers;
    for (const Delivery& delivery : Deliveries()) {
        markers.push_back(delivery.marker);
    }
    return markers;
}

std::vector<Delivery> PlaybackHarness::Deliveries()
{
    std::lock_guard<std::mutex> lock(mutex);
    return deliveries;
}

int32_t PlaybackHarness::EndNotifications()
{
    std::lock_guard<std::mutex> lock(mutex);
    return endNotifications;
}

void PlaybackHarness::OnPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length)
{
    auto* harness = static_cast<PlaybackHarness*>(context);
    EXPECT_EQ(message, kChannelPacketMessage);
    {
        std::lock_guard<std::mutex> lock(harness->mutex);
        harness->deliveries.push_back(Delivery{MarkerOf(packet), TavGetChannelNumber(packet), length});
    }
    if (harness->clock != nullptr) {
        harness->clock->Advance(harness->deliveryCostMs);
    }
}

void PlaybackHarness::OnEnd(void* context, int32_t message, const uint8_t* packet, uint32_t length)
{
    auto* harness = static_cast<PlaybackHarness*>(context);
    EXPECT_EQ(message, kChannelEndMessage);
    EXPECT_EQ(packet, nullptr);
    EXPECT_EQ(length, 0u);
    std::lock_guard<std::mutex> lock(harness->mutex);
    ++harness->endNotifications;
}
