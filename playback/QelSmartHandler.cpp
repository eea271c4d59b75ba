#include "playback/QelSmartHandler.h"

#include <algorithm>
#include <functional>
#include <new>

#include "Tav/TavPacketUtil.h"
#include "platform/Clock.h"
#include "playback/DecodePool.h"
#include "playback/QelSmartControlThread.h"
#include "playback/StepView.h"
#include "recording/QelSmartLcid2Callback.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

bool IsKeyFrame(const uint8_t* packet)
{
    return TavIsJpeg(packet) || TavGetSequence(packet) == 0;
}

}  // namespace

QelSmartHandler::QelSmartHandler() : packetBuffer(new (std::nothrow) uint8_t[kPacketBufferSize]) {}

QelSmartHandler::~QelSmartHandler()
{
    mediaFileMng.Close();
    delete[] packetBuffer;
}

int32_t QelSmartHandler::Run(QelSmartControlThread* control)
{
    PaceClock clock;
    runningControl = control;
    frameTimeCache = FrameTimeCache{};
    currentIndex.store(0, kRelaxed);
    seekIndex.store(0, kRelaxed);
    playMode.store(kPlayForward, kRelaxed);
    stepMode.store(0, kRelaxed);
    readCount.store(0, kRelaxed);
    playingBehind.store(0, kRelaxed);
    std::fill(std::begin(shownRecords), std::end(shownRecords), -1);
    lastStepView = nullptr;
    {
        std::lock_guard<std::mutex> guard(navigationLock);
        navigationPending = false;
    }
    int32_t result = 0;
    int32_t deliveringMode = kPlayForward;   // the direction the queued pictures were read in

    if (packetBuffer == nullptr) {
        NotifyEnd();
    } else {
        while (!control->StopRequested()) {
            const int32_t mode = playMode.load(kRelaxed);
            if (mode != deliveringMode || mode == kPlaySeek) {
                DropQueuedPictures();   // turned or sought: what is queued is not to be shown
                deliveringMode = mode;
            }
            bool read = true;
            if (mode == kPlayForward) {
                result = mediaFileMng.ReadNext(packetBuffer);
            } else if (mode == kPlayBackward) {
                result = mediaFileMng.ReadPrevious(packetBuffer);
            } else if (mode == kPlaySeek) {
                result = mediaFileMng.ReadAt(seekIndex.load(kRelaxed), packetBuffer);
            } else if (mode == kPlayNavigate) {
                // Reads, delivers and sets the current index itself.
                read = false;
                result = Navigate(result);
            } else {
                read = false;   // no direction: nothing read, the last result stands
            }
            if (mode != kPlayNavigate) {
                currentIndex.store(mediaFileMng.recordNo, kRelaxed);
            }

            if (result > 0 && read) {
                // Only this thread writes the count: a plain store, not a locked add.
                readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
                Deliver(mode, speedIndex.load(kRelaxed));
            }
            if (result == kMediaNoMoreData) {
                control->SuspendThread();
            } else if (result < 0) {
                NotifyEnd();
                break;
            }
            if (mode == kPlayNavigate && playMode.load(kRelaxed) == kPlayNavigate) {
                std::lock_guard<std::mutex> guard(navigationLock);
                if (navigationPending) {
                    continue;   // a newer request came meanwhile: no pause in between
                }
            }

            const uint32_t pausesBefore = control->workerPauses.load(kRelaxed);
            control->WaitForRun(decodePool);
            if (control->workerPauses.load(kRelaxed) != pausesBefore || mode == kPlaySeek || mode == kPlayNavigate) {
                clock.anchored = false;   // paused, sought or stepped: the wall clock starts anew
            }
            if (stepMode.load(kRelaxed) != 0) {
                clock.anchored = false;
                control->SuspendThread();
            } else if (result > 0 && read && IndexKindIsVideo(mediaFileMng.record.kind) && !control->StopRequested()) {
                PaceFrame(clock, speedIndex.load(kRelaxed), playMode.load(kRelaxed) != kPlayForward);
            }
        }
    }
    DropQueuedPictures();
    mediaFileMng.Close();
    return 0;
}

void QelSmartHandler::DropQueuedPictures()
{
    if (decodePool != nullptr && decodePool->DropQueued() > 0) {
        // Some view was handed a picture it will not show: none is taken to show what it was handed.
        std::fill(std::begin(shownRecords), std::end(shownRecords), -1);
    }
}

void QelSmartHandler::Deliver(int32_t mode, int32_t speed)
{
    const uint8_t kind = mediaFileMng.record.kind;
    bool deliver = false;
    if (IndexKindIsVideo(kind)) {
        deliver = mode == kPlayForward || IsKeyFrame(packetBuffer);
    } else if (IndexKindIsAudio(kind)) {
        deliver = speed == 3 && mode == kPlayForward && stepMode.load(kRelaxed) == 0;
    }
    if (!deliver || lcid2Callback == nullptr) {
        return;
    }
    const int32_t channelNumber = TavGetChannelNumber(packetBuffer);
    const ChannelHandler handler = lcid2Callback->Lookup(channelNumber);
    if (handler.callback != nullptr) {
        if (IndexKindIsVideo(kind)) {
            const int32_t position = ChannelPosition(channelNumber);
            if (position >= 0) {
                // The record read, from the index cursor: behind it after a forward read or a seek,
                // in front of it after a backward one (the record counter is no record number
                // once a seek has set it).
                const int32_t cursor = static_cast<int32_t>(mediaFileMng.indexFile.Tell() / kIndexRecordSize);
                shownRecords[position] = mediaFileMng.readBackward != 0 ? cursor : cursor - 1;
            }
        }
        handler.callback(handler.context, kChannelPacketMessage, packetBuffer, TavGetTotalLength(packetBuffer));
    }
}

int32_t QelSmartHandler::ChannelPosition(int32_t channelNumber) const
{
    const int32_t* end = mediaFileMng.channels + mediaFileMng.channelCount;
    const int32_t* at = std::lower_bound(mediaFileMng.channels, end, channelNumber);
    return at != end && *at == channelNumber ? static_cast<int32_t>(at - mediaFileMng.channels) : -1;
}

void QelSmartHandler::RequestExactStep(int32_t viewIndex, int32_t direction)
{
    std::lock_guard<std::mutex> guard(navigationLock);
    navigation.viewIndex = std::max(viewIndex, 0);
    navigation.direction = direction < 0 ? -1 : 1;
    navigationPending = true;
    stepMode.store(1, kRelaxed);
    playMode.store(kPlayNavigate, kRelaxed);
}

void QelSmartHandler::RequestSyncSeek(int32_t position, int64_t instant, bool exact)
{
    std::lock_guard<std::mutex> guard(navigationLock);
    navigation.viewIndex = -1;
    navigation.direction = 0;
    navigation.position = position;
    navigation.instant = instant;
    navigation.exact = exact;
    navigationPending = true;
    stepMode.store(1, kRelaxed);
    playMode.store(kPlayNavigate, kRelaxed);
}

int32_t QelSmartHandler::Navigate(int32_t previousResult)
{
    NavigationRequest request;
    {
        std::lock_guard<std::mutex> guard(navigationLock);
        if (!navigationPending) {
            return previousResult;
        }
        request = navigation;
        navigationPending = false;
    }
    DropQueuedPictures();   // the views decode on this thread now
    const bool step = request.viewIndex >= 0;
    const int32_t result = step ? ExactStep(request) : SyncSeek(request);
    std::lock_guard<std::mutex> guard(navigationLock);
    if (!navigationPending) {
        // Paused as the matching single step leaves it, unless a command has changed the mode since.
        if (!step) {
            seekIndex.store(currentIndex.load(kRelaxed), kRelaxed);
        }
        int32_t expected = kPlayNavigate;
        const int32_t after = !step ? kPlaySeek : request.direction < 0 ? kPlayBackward : kPlayForward;
        playMode.compare_exchange_strong(expected, after);
    }
    return result;
}

int32_t QelSmartHandler::ExactStep(const NavigationRequest& request)
{
    StepView* view = stepViews != nullptr && request.viewIndex < mediaFileMng.channelCount
                         ? stepViews->StepViewAt(request.viewIndex)
                         : nullptr;
    if (view == nullptr) {
        return kMediaNoMoreData;
    }
    const int32_t channel = mediaFileMng.channels[request.viewIndex];
    int32_t origin = shownRecords[request.viewIndex];
    if (origin < 0) {
        origin = currentIndex.load(kRelaxed) - (request.direction < 0 ? 0 : 1);
    }
    int32_t target = -1;
    const int32_t found = FindChannelVideoRecord(mediaFileMng, origin, request.direction, channel, &target);
    if (found != 0) {
        return found;   // nothing further that way: the view stays as it is
    }
    // Set before the picture is shown: the view reports it as the position.
    currentIndex.store(target, kRelaxed);
    const int32_t result = ShowExactRecord(view, request.viewIndex, target, true);
    view->ShowDimmed(false);
    return result;
}

int32_t QelSmartHandler::ShowExactRecord(StepView* view, int32_t viewIndex, int32_t target, bool keep)
{
    // Only one view at a time keeps decoded pictures: the memory stays one budget in all.
    if (keep && lastStepView != nullptr && lastStepView != view) {
        lastStepView->DropHeld();
    }
    if (keep) {
        lastStepView = view;
    }
    const int32_t channel = mediaFileMng.channels[viewIndex];
    int32_t result = mediaFileMng.ReadAt(target, packetBuffer);
    if (result <= 0) {
        return result == kMediaNotStopped ? kMediaNoMoreData : result;
    }
    readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
    shownRecords[viewIndex] = target;
    view->BeginStep();
    if (view->ShowHeld(target, packetBuffer, static_cast<uint32_t>(result))) {
        view->EndStep();
        return result;
    }
    int32_t walked = CollectGroupRecords(mediaFileMng, target, channel, &group);
    if (walked == 0) {
        const int32_t key = group.records[0];
        // Steps that go on from the picture the decoder stands at decode only what lies between.
        const int32_t decoderAt = view->StepDecoderRecord(key);
        int32_t first = 0;
        for (int32_t i = 0; i + 1 < group.count; ++i) {
            if (group.records[i] == decoderAt) {
                first = i + 1;
            }
        }
        for (int32_t i = first; i + 1 < group.count && walked == 0; ++i) {
            if (mediaFileMng.mediaFile.Seek(group.offsets[i]) != 0) {
                walked = kMediaReadFailed;
                break;
            }
            const int32_t length = TavReadPacketFrom(mediaFileMng.mediaFile, packetBuffer, kPacketBufferSize);
            if (length <= 0) {
                walked = kMediaReadFailed;
                break;
            }
            readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
            view->DecodeStep(key, group.records[i], target, packetBuffer, static_cast<uint32_t>(length), keep);
        }
        // The target read last, so the recording stands where a seek to it would leave it.
        result = mediaFileMng.ReadAt(target, packetBuffer);
        if (walked == 0 && result > 0) {
            view->DecodeStep(key, target, target, packetBuffer, static_cast<uint32_t>(result), keep);
        }
    } else {
        // No key frame within reach: the picture stays, the position follows the step.
        result = mediaFileMng.ReadAt(target, packetBuffer);
    }
    view->EndStep();
    if (walked < 0 && walked != kMediaNoMoreData) {
        return walked;
    }
    return result;
}

bool QelSmartHandler::NavigationOvertaken()
{
    if (runningControl != nullptr && runningControl->StopRequested()) {
        return true;
    }
    std::lock_guard<std::mutex> guard(navigationLock);
    return navigationPending;
}

int32_t QelSmartHandler::LastRecordOfInstant(int32_t position, int64_t instant)
{
    const int32_t count = mediaFileMng.RecordCount();
    int32_t last = position;
    for (int32_t next = position + 1; next < count && next - position <= kSameInstantRecords; ++next) {
        int64_t time = -1;
        if (RecordWallClock(mediaFileMng, next, &time) != 0 || time < 0 || time > instant) {
            break;
        }
        last = next;
    }
    return last;
}

int32_t QelSmartHandler::SyncSeek(const NavigationRequest& request)
{
    const int32_t count = mediaFileMng.RecordCount();
    if (count <= 0) {
        return kMediaNoMoreData;
    }
    int32_t position = std::clamp(request.position, 0, count - 1);
    int64_t instant = request.instant;
    if (instant < 0 && RecordWallClock(mediaFileMng, position, &instant) != 0) {
        instant = -1;
    }
    if (instant >= 0) {
        position = LastRecordOfInstant(position, instant);
    }
    // Set before any picture is shown: the views report it as the position.
    currentIndex.store(position, kRelaxed);
    const int32_t channelCount = mediaFileMng.channelCount;
    int32_t walked = FindChannelsAtOrBefore(mediaFileMng, position, mediaFileMng.channels, channelCount, seekRecords);
    if (walked != 0) {
        return walked;
    }
    for (int32_t i = 0; i < channelCount; ++i) {
        if (NavigationOvertaken()) {
            return kMediaNoMoreData;
        }
        StepView* view = stepViews != nullptr ? stepViews->StepViewAt(i) : nullptr;
        int32_t shown = seekRecords[i];
        if (shown >= 0 && !request.exact &&
            CollectGroupRecords(mediaFileMng, shown, mediaFileMng.channels[i], &group) == 0) {
            shown = group.records[0];   // while dragging: the key frame of the group
        }
        int32_t result = shown >= 0 ? 1 : kMediaNoMoreData;
        if (shown >= 0 && shown == shownRecords[i]) {
            // The view shows that picture already (a drag within one group): nothing to decode.
        } else if (shown >= 0 && request.exact && view != nullptr) {
            // Pictures on the way are not kept: a step that follows decodes its group afresh, while
            // keeping them would take and give back the memory of a group for every view.
            result = ShowExactRecord(view, i, shown, false);
        } else if (shown >= 0) {
            // Delivered as a plain seek delivers a key frame.
            result = mediaFileMng.ReadAt(shown, packetBuffer);
            if (result > 0) {
                readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
                Deliver(kPlaySeek, speedIndex.load(kRelaxed));
            }
        }
        if (result < 0 && result != kMediaNoMoreData) {
            return result;
        }
        // The picture's own time, from its header.
        int64_t shownTime = -1;
        if (result <= 0 || RecordWallClock(mediaFileMng, shown, &shownTime) != 0) {
            shownTime = -1;
        }
        seekDimmed[i] = instant >= 0 && (shownTime < 0 || instant - shownTime > kSeekDimHundredths);
    }
    // Key frames decode on the pool, every view at once; each is dimmed or not once it shows.
    if (decodePool != nullptr) {
        decodePool->WaitIdle();
    }
    for (int32_t i = 0; i < channelCount; ++i) {
        if (StepView* view = stepViews != nullptr ? stepViews->StepViewAt(i) : nullptr) {
            view->ShowDimmed(seekDimmed[i]);
        }
    }
    // The instant's last record read last: play goes on from there on every view.
    const int32_t result = mediaFileMng.ReadAt(position, packetBuffer);
    if (result > 0) {
        readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
    }
    if (stepViews != nullptr) {
        stepViews->ShowPosition(position);
    }
    return result > 0 ? result : kMediaNoMoreData;
}

void QelSmartHandler::PaceFrame(PaceClock& clock, int32_t speed, bool backwards)
{
    // At speeds that never wait, neither the packet's time nor the clock is read: either would
    // cost as much as reading the packet.
    int32_t delay = 0;
    if (SpeedFactor(speed) < kNoWaitFactor) {
        const int32_t frameTime = PacketFrameTime(packetBuffer, &frameTimeCache);
        delay = PaceDelay(clock, speed, backwards, frameTime, static_cast<int32_t>(ClockNowMs()));
    } else {
        clock.anchored = false;
        clock.behind = false;
    }
    playingBehind.store(clock.behind ? 1 : 0, kRelaxed);
    if (delay > 0) {
        ClockSleepMs(static_cast<uint32_t>(delay));
    }
}

void QelSmartHandler::NotifyEnd()
{
    if (endCallback != nullptr) {
        endCallback(endContext, kChannelEndMessage, nullptr, 0);
    }
}
