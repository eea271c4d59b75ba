// The playback handler: the player settings the commands change, the recording being played,
// and the loop the playback thread runs. It reads one packet at a time into its one buffer,
// hands it to the handler of its channel, then waits while paused and sleeps as long as the
// packets' own timestamps and the speed ask.
#pragma once

#include <atomic>
#include <cstdint>

#include "playback/FrameTime.h"
#include "playback/PaceClock.h"
#include "recording/ChannelHandler.h"
#include "recording/MediaFileMng.h"

class QelSmartControlThread;
class QelSmartLcid2Callback;

constexpr int32_t kPlayForward = 1;
constexpr int32_t kPlayBackward = 2;
constexpr int32_t kPlaySeek = 3;
constexpr uint32_t kPacketBufferSize = kMediaReadCapacity;

class QelSmartHandler {
public:
    QelSmartHandler();
    ~QelSmartHandler();
    QelSmartHandler(const QelSmartHandler&) = delete;
    QelSmartHandler& operator=(const QelSmartHandler&) = delete;

    // The playback thread's loop; returns 0 when it has been stopped or reading has failed.
    int32_t Run(QelSmartControlThread* control);

    // Sleeps for the gap to the previous video packet after this one has been delivered, the
    // gap divided by the speed factor.
    void PaceFrame(PaceClock& clock, double factor, bool backwards);

    // The settings are written by the user-interface thread while the loop runs and read by
    // the loop where it uses them; each is a single 32-bit value, so no lock is needed.
    std::atomic<int32_t> stepMode{0};
    MediaFileMng mediaFileMng;
    QelSmartLcid2Callback* lcid2Callback = nullptr;
    std::atomic<int32_t> playMode{kPlayForward};
    std::atomic<int32_t> speedIndex{3};
    uint8_t* packetBuffer = nullptr;   // kPacketBufferSize bytes, for the handler's whole life
    std::atomic<int32_t> currentIndex{0};
    std::atomic<int32_t> seekIndex{0};
    ChannelCallback endCallback = nullptr;
    void* endContext = nullptr;

    // Packets read since the loop began, whether delivered or not.
    std::atomic<int64_t> readCount{0};

private:
    void Deliver(int32_t mode, int32_t speed, bool timed, PaceClock& clock);
    void NotifyEnd();

    FrameTimeCache frameTimeCache;
    bool readTickTaken = false;   // the clock was read when the current packet's delivery began
};
