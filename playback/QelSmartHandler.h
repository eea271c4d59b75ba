// The playback handler: the player settings the commands change, the recording being played,
// and the loop the playback thread runs. It reads one packet at a time into its one buffer,
// hands it to the handler of its channel, then waits while paused and sleeps as long as the
// packets' own timestamps and the speed ask.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "playback/FrameTime.h"
#include "playback/PaceClock.h"
#include "recording/ChannelHandler.h"
#include "recording/MediaFileMng.h"
#include "recording/RecordWalk.h"

class DecodePool;
class QelSmartControlThread;
class QelSmartLcid2Callback;
class StepView;
class StepViews;

constexpr int32_t kPlayForward = 1;
constexpr int32_t kPlayBackward = 2;
constexpr int32_t kPlaySeek = 3;
// A request handed over by the user-interface thread (an exact step, or a synchronised seek of
// every view); performed once, then the loop pauses as after a single step.
constexpr int32_t kPlayNavigate = 4;
// A view whose picture lies further than this before the instant a seek shows (hundredths of a
// second) is drawn dimmed, and so is one with no picture at or before it.
constexpr int64_t kSeekDimHundredths = 200;
// How many records after the seek's record a synchronised seek still takes as the same instant.
constexpr int32_t kSameInstantRecords = 256;
constexpr uint32_t kPacketBufferSize = kMediaReadCapacity;

class QelSmartHandler {
public:
    QelSmartHandler();
    ~QelSmartHandler();
    QelSmartHandler(const QelSmartHandler&) = delete;
    QelSmartHandler& operator=(const QelSmartHandler&) = delete;

    // The playback thread's loop; returns 0 when it has been stopped or reading has failed.
    int32_t Run(QelSmartControlThread* control);

    // After a video packet has been delivered, sleeps until its time is due on the wall clock
    // at `speed` (see PaceClock).
    void PaceFrame(PaceClock& clock, int32_t speed, bool backwards);

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
    // 1 while packets come later than the speed asks: decoding cannot keep up.
    std::atomic<int32_t> playingBehind{0};

    // The workers the views decode on (the engine's); null: the views decode as they are handed
    // packets. The loop drops what is queued wherever the pictures to come are no longer those
    // queued (a seek, a step, a turn, the end), and waits for them before it pauses.
    DecodePool* decodePool = nullptr;

    // Where exact steps find the views; set by the owner of the engine.
    StepViews* stepViews = nullptr;

    // User-interface thread: the picture of view `viewIndex`'s channel just before (direction -1) or
    // after (1) the one it shows, decoded from the key frame before it. Writes the request and the
    // step settings; the caller resumes the control thread.
    void RequestExactStep(int32_t viewIndex, int32_t direction);
    // User-interface thread: every view to one instant, that of record `position` (`instant`: the
    // time in caption hundredths, or -1 to take the record's own). Each view shows its channel's
    // last picture at or before the instant: exactly, decoded from its key frame, or (`exact`
    // false, while the slider is dragged) that picture's key frame. Views whose picture lies more
    // than kSeekDimHundredths before the instant, or that have none, are drawn dimmed. Playback
    // then stands paused at the instant; play goes on from there on every view.
    void RequestSyncSeek(int32_t position, int64_t instant, bool exact);

private:
    struct NavigationRequest {
        int32_t viewIndex = -1;      // exact step; -1: synchronised seek
        int32_t direction = 0;
        int32_t position = 0;        // the seek's record, instant and kind
        int64_t instant = -1;
        bool exact = false;
    };

    void Deliver(int32_t mode, int32_t speed);
    void DropQueuedPictures();
    void NotifyEnd();
    // The pending request, then the settings a spec step leaves; the read result, as a read gives it.
    int32_t Navigate(int32_t previousResult);
    int32_t ExactStep(const NavigationRequest& request);
    // Shows record `target` of the channel at `viewIndex` on `view`, decoded from its key frame;
    // with `keep`, the view keeps the pictures decoded on the way for the steps that follow.
    int32_t ShowExactRecord(StepView* view, int32_t viewIndex, int32_t target, bool keep);
    int32_t SyncSeek(const NavigationRequest& request);
    // A stop, or a newer request than the one being carried out: a seek over many views gives up
    // between two views rather than finish what nobody waits for.
    bool NavigationOvertaken();
    // The last record of the seek's instant: `position`, or a record just after it of the same time.
    int32_t LastRecordOfInstant(int32_t position, int64_t instant);
    int32_t ChannelPosition(int32_t channelNumber) const;

    // The request travels under this lock; the settings stay plain atomics.
    std::mutex navigationLock;
    NavigationRequest navigation;
    bool navigationPending = false;    // a request not yet taken by the loop
    // Playback thread: the record whose picture each channel's view was last handed (-1: none), by
    // position in the manager's sorted channel list; the group being decoded; the view last stepped.
    int32_t shownRecords[kMaxChannels] = {};
    int32_t seekRecords[kMaxChannels] = {};
    bool seekDimmed[kMaxChannels] = {};
    GroupRecords group;
    StepView* lastStepView = nullptr;

    FrameTimeCache frameTimeCache;
    QelSmartControlThread* runningControl = nullptr;   // the control thread running the loop
};
