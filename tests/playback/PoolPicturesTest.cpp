// Pictures decoded on the pool are those of one thread: every view's frames, in play forwards at
// the top speed, byte for byte whatever the number of workers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "playback/DecodePool.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "recording/MediaFileOwner.h"
#include "recording/QelSmartLcid2Callback.h"
#include "recording/RecordingWriter.h"
#include "tests/support/TempDir.h"
#include "tests/video/VideoFixtures.h"
#include "video/CameraFeed.h"
#include "video/JpegEncoder.h"

namespace {

constexpr int32_t kFrames = 15;

// A view without a window: the camera feed the player's views run, and every picture it showed.
class PictureLog : public DecodeQueue {
public:
    PictureLog() { feed.Create(); }
    void DecodeQueued(const uint8_t* packet, uint32_t length) override
    {
        bool captionChanged = false;
        const FeedSettings settings{false, 80, 60};
        if (feed.TakeVideo(packet, length, settings, &captionChanged) < 0) {
            return;
        }
        const DecodedFrame& frame = feed.frame;
        pictures.emplace_back(frame.pixels, frame.pixels + static_cast<size_t>(frame.width) * frame.height * 3);
        shown.emplace_back(feed.shown.pixels,
                           feed.shown.pixels + static_cast<size_t>(feed.shown.width) * feed.shown.height * 3);
    }
    CameraFeed feed;
    DecodePool* pool = nullptr;
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<std::vector<uint8_t>> shown;
};

class LogOwner : public MediaFileOwner {
public:
    explicit LogOwner(PlaybackEngine* engine) : engine(engine) {}
    int32_t CreateViews(int32_t count) override
    {
        views.clear();
        for (int32_t i = 0; i < count; ++i) {
            views.push_back(std::make_unique<PictureLog>());
            views.back()->AllocateQueue();
            views.back()->pool = engine->decodePool;
        }
        return count;
    }
    ChannelHandler ViewHandler(int32_t index) override
    {
        return ChannelHandler{views[static_cast<size_t>(index)].get(), &LogOwner::OnPacket};
    }
    QelSmartLcid2Callback* Registry() override { return engine->lcid2Callback; }

    static void OnPacket(void* context, int32_t, const uint8_t* packet, uint32_t length)
    {
        auto* view = static_cast<PictureLog*>(context);
        if (!TavIsVideo(packet)) {
            return;
        }
        if (view->pool != nullptr) {
            view->pool->Submit(view, packet, length);
        } else {
            view->DecodeQueued(packet, length);
        }
    }

    PlaybackEngine* engine;
    std::vector<std::unique_ptr<PictureLog>> views;
};

// Nine channels: JPEG, MPEG-4 and H.264 in turn, two picture sizes, a key frame every 5 pictures.
void WriteNineChannels(const std::string& media, const std::string& index)
{
    RecordingWriter writer;
    ASSERT_EQ(writer.Create(media, index), 0);
    std::vector<std::vector<std::vector<uint8_t>>> streams;
    for (uint16_t channel = 1; channel <= 9; ++channel) {
        const uint32_t width = channel % 2 == 0 ? 96 : 64;
        const uint32_t height = channel % 2 == 0 ? 64 : 48;
        const VideoCodecId codec = channel % 3 == 1 ? kVideoCodecJpeg : channel % 3 == 2 ? kVideoCodecMpeg4 : kVideoCodecH264;
        std::vector<std::vector<uint8_t>> packets;
        if (codec == kVideoCodecJpeg) {
            for (int32_t frame = 0; frame < kFrames; ++frame) {
                const std::vector<uint8_t> picture = PatternPicture(width, height, static_cast<uint32_t>(frame), channel);
                std::vector<uint8_t> jpeg;
                EncodeJpeg(picture.data(), width, height, 80, false, &jpeg);
                packets.push_back(jpeg);
            }
        } else {
            packets = StreamPacketsOf(codec, width, height, kFrames, 5);
        }
        streams.push_back(packets);
    }
    for (int32_t frame = 0; frame < kFrames; ++frame) {
        for (uint16_t channel = 1; channel <= 9; ++channel) {
            // Channels 1 to 4 of units 0, 1 and 2.
            PacketSpec spec;
            spec.unit = static_cast<uint16_t>((channel - 1) / 4);
            spec.channel = static_cast<uint16_t>((channel - 1) % 4 + 1);
            spec.second = static_cast<uint8_t>(frame / 10);
            spec.hundredths = static_cast<uint8_t>(frame % 10 * 10);
            const std::vector<uint8_t>& coded = streams[channel - 1][static_cast<size_t>(frame)];
            if (channel % 3 == 1) {
                spec = MakeJpegPacketSpec(spec, coded);
            } else {
                spec.type = coded[0];
                spec.sequence = coded[1];
                spec.payload = PayloadOf(coded);
            }
            ASSERT_GE(writer.WritePacket(spec, 0x00), 0);
        }
    }
    ASSERT_EQ(writer.Close(), 0);
}

// Every view's pictures and display-size pictures after playing the whole recording at the top
// speed on `workers` workers (0: on the playback thread).
std::vector<std::unique_ptr<PictureLog>> PlayWith(int32_t workers, const std::string& media, const std::string& index)
{
    PlaybackEngine* engine = CreatePlaybackEngine();
    if (workers > 0) {
        engine->decodePool->Start(workers);
    } else {
        delete engine->decodePool;
        engine->decodePool = nullptr;
        engine->smartHandler->decodePool = nullptr;
    }
    LogOwner owner(engine);
    ConnectPlaybackEngine(engine, &owner, nullptr, nullptr);
    QelSmartHandler& handler = *engine->smartHandler;
    EXPECT_EQ(handler.mediaFileMng.Open(media.c_str(), index.c_str()), 0);
    handler.speedIndex = 5;
    QelSmartControlThread& control = *engine->controlThread;
    const uint32_t pauses = control.workerPauses.load();
    control.SetSmartHandler(&handler);
    control.BeginThread();
    EXPECT_EQ(WaitForWorkerPause(control, pauses, 20000), kWorkerPaused);
    control.EndThread();
    control.WaitThreadEnd();
    DestroyPlaybackEngine(engine);
    return std::move(owner.views);
}

}  // namespace

TEST(PoolPicturesTest, EveryPictureIsTheSameOnAnyNumberOfWorkers)
{
    TempDir dir;
    const std::string media = dir.File("nine.kvr");
    const std::string index = dir.File("nine.idx");
    WriteNineChannels(media, index);
    const auto reference = PlayWith(0, media, index);
    ASSERT_EQ(reference.size(), 9u);
    for (const auto& view : reference) {
        ASSERT_EQ(view->pictures.size(), static_cast<size_t>(kFrames));
    }
    for (const int32_t workers : {1, 2, 4}) {
        const auto views = PlayWith(workers, media, index);
        ASSERT_EQ(views.size(), reference.size());
        for (size_t v = 0; v < views.size(); ++v) {
            ASSERT_EQ(views[v]->pictures.size(), reference[v]->pictures.size()) << workers << " workers, view " << v;
            for (size_t p = 0; p < views[v]->pictures.size(); ++p) {
                EXPECT_TRUE(views[v]->pictures[p] == reference[v]->pictures[p])
                    << workers << " workers, view " << v << ", picture " << p;
                EXPECT_TRUE(views[v]->shown[p] == reference[v]->shown[p])
                    << workers << " workers, view " << v << ", display-size picture " << p;
            }
        }
    }
}
