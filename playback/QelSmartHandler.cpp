#include "playback/QelSmartHandler.h"

#include <new>

#include "Tav/TavPacketUtil.h"
#include "platform/Clock.h"
#include "playback/QelSmartControlThread.h"
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
    frameTimeCache = FrameTimeCache{};
    currentIndex.store(0, kRelaxed);
    seekIndex.store(0, kRelaxed);
    playMode.store(kPlayForward, kRelaxed);
    stepMode.store(0, kRelaxed);
    readCount.store(0, kRelaxed);
    int32_t result = 0;

    if (packetBuffer == nullptr) {
        NotifyEnd();
    } else {
        while (!control->StopRequested()) {
            const int32_t mode = playMode.load(kRelaxed);
            bool read = true;
            if (mode == kPlayForward) {
                result = mediaFileMng.ReadNext(packetBuffer);
            } else if (mode == kPlayBackward) {
                result = mediaFileMng.ReadPrevious(packetBuffer);
            } else if (mode == kPlaySeek) {
                result = mediaFileMng.ReadAt(seekIndex.load(kRelaxed), packetBuffer);
            } else {
                read = false;   // no direction: nothing read, the last result stands
            }
            currentIndex.store(mediaFileMng.recordNo, kRelaxed);

            const int32_t deliverySpeed = speedIndex.load(kRelaxed);
            const double deliveryFactor = SpeedFactor(deliverySpeed, mediaFileMng.channelCount);
            if (result > 0 && read) {
                // Only this thread writes the count: a plain store, not a locked add.
                readCount.store(readCount.load(kRelaxed) + 1, kRelaxed);
                Deliver(mode, deliverySpeed, deliveryFactor < kNoWaitFactor, clock);
            }
            if (result == kMediaNoMoreData) {
                control->SuspendThread();
            } else if (result < 0) {
                NotifyEnd();
                break;
            }

            control->WaitForRun();
            if (stepMode.load(kRelaxed) != 0) {
                control->SuspendThread();
            } else if (result > 0 && IndexKindIsVideo(mediaFileMng.record.kind) && !control->StopRequested()) {
                const int32_t pacingSpeed = speedIndex.load(kRelaxed);
                const double factor = pacingSpeed == deliverySpeed
                                          ? deliveryFactor
                                          : SpeedFactor(pacingSpeed, mediaFileMng.channelCount);
                if (factor < kNoWaitFactor) {
                    // Without a tick from the delivery (the speed changed meanwhile) the
                    // delivery counts as instant.
                    clock.waitTick = readTickTaken ? static_cast<int32_t>(ClockNowMs()) : clock.readTick;
                }
                PaceFrame(clock, factor, playMode.load(kRelaxed) != kPlayForward);
            }
        }
    }
    mediaFileMng.Close();
    return 0;
}

void QelSmartHandler::Deliver(int32_t mode, int32_t speed, bool timed, PaceClock& clock)
{
    const uint8_t kind = mediaFileMng.record.kind;
    // At speeds that never wait (`timed` false) the delivery time is not needed, and reading
    // the clock would cost as much as reading the packet.
    readTickTaken = false;
    bool deliver = false;
    if (IndexKindIsVideo(kind)) {
        deliver = mode == kPlayForward || IsKeyFrame(packetBuffer);
    } else if (IndexKindIsAudio(kind)) {
        deliver = speed == 3 && mode == kPlayForward && stepMode.load(kRelaxed) == 0;
    }
    if (timed && (deliver || IndexKindIsVideo(kind))) {
        clock.readTick = static_cast<int32_t>(ClockNowMs());
        readTickTaken = true;
    }
    if (!deliver || lcid2Callback == nullptr) {
        return;
    }
    const ChannelHandler handler = lcid2Callback->Lookup(TavGetChannelNumber(packetBuffer));
    if (handler.callback != nullptr) {
        handler.callback(handler.context, kChannelPacketMessage, packetBuffer, TavGetTotalLength(packetBuffer));
    }
}

void QelSmartHandler::PaceFrame(PaceClock& clock, double factor, bool backwards)
{
    clock.frameTime = PacketFrameTime(packetBuffer, &frameTimeCache);
    const int32_t delay = factor < kNoWaitFactor ? ComputeDelay(factor, clock, backwards) : 0;
    if (delay > 0) {
        ClockSleepMs(static_cast<uint32_t>(delay));
    }
    clock.prevFrameTime = clock.frameTime;
}

void QelSmartHandler::NotifyEnd()
{
    if (endCallback != nullptr) {
        endCallback(endContext, kChannelEndMessage, nullptr, 0);
    }
}
