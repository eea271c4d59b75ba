#include "tests/app/PlayerFixture.h"

#include <QCoreApplication>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <algorithm>
#include <limits.h>
#include <stdlib.h>

#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "recording/CaptionText.h"
#include "recording/RecordingWriter.h"
#include "tests/app/ProcessCounts.h"
#include "tests/video/VideoFixtures.h"
#include "ui/CCamera.h"
#include "video/JpegEncoder.h"

namespace {

constexpr uint32_t kFrameWidth = 64;
constexpr uint32_t kFrameHeight = 48;

PacketSpec TimedSpec(uint16_t channel, int32_t atMs)
{
    PacketSpec spec;
    spec.unit = 0;
    spec.channel = channel;
    spec.year = 2026;
    spec.month = 3;
    spec.day = 4;
    spec.hour = static_cast<uint8_t>(5 + atMs / 3600000);
    spec.minute = static_cast<uint8_t>(atMs / 60000 % 60);
    spec.second = static_cast<uint8_t>(atMs / 1000 % 60);
    spec.hundredths = static_cast<uint8_t>(atMs / 10 % 100);
    return spec;
}

}  // namespace

PlayerRecording WritePlayerRecording(const TempDir& dir, const std::string& name, const PlayerRecordingSpec& spec)
{
    PlayerRecording recording;
    recording.media = dir.File(name + ".kvr");
    recording.index = dir.File(name + ".idx");
    RecordingWriter writer;
    EXPECT_EQ(writer.Create(recording.media, recording.index), 0);
    const bool stream = spec.codec != kVideoCodecJpeg;
    const std::vector<std::vector<uint8_t>> streamPackets =
        stream ? StreamPacketsOf(spec.codec, kFrameWidth, kFrameHeight, static_cast<uint32_t>(spec.frames),
                                 spec.keyInterval)
               : std::vector<std::vector<uint8_t>>();
    for (int32_t frame = 0; frame < spec.frames; ++frame) {
        std::vector<uint8_t> jpeg;
        if (!stream) {
            const std::vector<uint8_t> picture =
                PatternPicture(kFrameWidth, kFrameHeight, static_cast<uint32_t>(frame));
            EXPECT_EQ(EncodeJpeg(picture.data(), kFrameWidth, kFrameHeight, 80, false, &jpeg), 0);
        }
        for (int32_t channel = 1; channel <= spec.channels; ++channel) {
            if (recording.records == spec.badRecordAt) {
                EXPECT_EQ(writer.WriteIndexRecord(MakeIndexRecord(0, 1, 0x00, 0x7FFFFF00)), 0);
                recording.captions.emplace_back();
                ++recording.records;
            }
            PacketSpec packet = TimedSpec(static_cast<uint16_t>(channel), frame * spec.gapMs);
            if (stream) {
                const std::vector<uint8_t>& coded = streamPackets[static_cast<size_t>(frame)];
                packet.type = coded[0];
                packet.sequence = coded[1];
                packet.payload = PayloadOf(coded);
            } else {
                packet = MakeJpegPacketSpec(packet, jpeg);
            }
            EXPECT_GE(writer.WritePacket(packet, 0x00), 0);
            char caption[kCaptionCapacity] = {};
            FormatPacketCaption(BuildPacket(packet).data(), caption, sizeof caption);
            recording.captions.emplace_back(caption);
            ++recording.records;
            if (spec.audio && channel == 1) {
                PacketSpec sound = TimedSpec(1, frame * spec.gapMs);
                sound.type = spec.audioType;
                sound.payload.assign(1024, 0xFF);
                EXPECT_GE(writer.WritePacket(sound, 0x12), 0);
                recording.captions.emplace_back();
                ++recording.records;
            }
        }
    }
    EXPECT_EQ(writer.Close(), 0);
    return recording;
}

MixedRecording WriteMixedRecording(const TempDir& dir, const std::string& name,
                                   const std::vector<MixedChannelSpec>& channels, int32_t lengthMs)
{
    struct Picture {
        int32_t atMs;
        int32_t channel;
        PacketSpec packet;
    };
    std::vector<Picture> pictures;
    for (size_t c = 0; c < channels.size(); ++c) {
        const MixedChannelSpec& spec = channels[c];
        std::vector<int32_t> times;
        for (int32_t at = 0; at < lengthMs; at += spec.intervalMs) {
            if (spec.gapFromMs < 0 || at < spec.gapFromMs || at >= spec.gapToMs) {
                times.push_back(at);
            }
        }
        const auto channel = static_cast<uint16_t>(c + 1);
        const bool stream = spec.codec != kVideoCodecJpeg;
        const std::vector<std::vector<uint8_t>> coded =
            stream ? StreamPacketsOf(spec.codec, kFrameWidth, kFrameHeight, static_cast<uint32_t>(times.size()),
                                     spec.keyInterval)
                   : std::vector<std::vector<uint8_t>>();
        for (size_t i = 0; i < times.size(); ++i) {
            PacketSpec packet = TimedSpec(channel, times[i]);
            if (stream) {
                packet.type = coded[i][0];
                packet.sequence = coded[i][1];
                packet.payload = PayloadOf(coded[i]);
            } else {
                std::vector<uint8_t> jpeg;
                const std::vector<uint8_t> picture =
                    PatternPicture(kFrameWidth, kFrameHeight, static_cast<uint32_t>(i), channel);
                EXPECT_EQ(EncodeJpeg(picture.data(), kFrameWidth, kFrameHeight, 80, false, &jpeg), 0);
                packet = MakeJpegPacketSpec(packet, jpeg);
            }
            pictures.push_back({times[i], channel, packet});
        }
    }
    std::stable_sort(pictures.begin(), pictures.end(), [](const Picture& a, const Picture& b) {
        return a.atMs != b.atMs ? a.atMs < b.atMs : a.channel < b.channel;
    });

    MixedRecording recording;
    recording.media = dir.File(name + ".kvr");
    recording.index = dir.File(name + ".idx");
    RecordingWriter writer;
    EXPECT_EQ(writer.Create(recording.media, recording.index), 0);
    for (const Picture& picture : pictures) {
        EXPECT_GE(writer.WritePacket(picture.packet, 0x00), 0);
        char caption[kCaptionCapacity] = {};
        FormatPacketCaption(BuildPacket(picture.packet).data(), caption, sizeof caption);
        recording.captions.emplace_back(caption);
        recording.channels.push_back(picture.channel);
        recording.atMs.push_back(picture.atMs);
        ++recording.records;
    }
    EXPECT_EQ(writer.Close(), 0);
    return recording;
}

bool FileIsOpen(const std::string& path)
{
    char wanted[PATH_MAX];
    if (realpath(path.c_str(), wanted) == nullptr) {
        return false;
    }
    for (const auto& [fd, target] : ProcessDescriptors()) {
        if (target == wanted) {
            return true;
        }
    }
    return false;
}

QPoint SliderHandleCentre(QSlider* slider)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.state |= QStyle::State_Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.subControls = QStyle::SC_None;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider).center();
}

bool WaitUntil(const std::function<bool()>& predicate, int timeoutMs)
{
    return QTest::qWaitFor(predicate, timeoutMs);
}

PlayerTest::PlayerTest()
{
    SetDialogResponder(&responder);
    DebugOutputSetSink(&debugOutput);
}

PlayerTest::~PlayerTest()
{
    dlg.reset();
    DebugOutputSetSink(nullptr);
    SetDialogResponder(nullptr);
}

void PlayerTest::Start(const std::string& commandLine)
{
    dlg = std::make_unique<CKvrPlayerDlg>();
    if (!commandLine.empty()) {
        dlg->m_strMediaPath = commandLine;
        dlg->m_bCommandLineFile = 1;
    }
    ASSERT_EQ(dlg->Create(), 0);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
}

void PlayerTest::StartPlaying(const std::string& mediaPath)
{
    Start(mediaPath);
    // A run resets the settings as it begins: commands tested on it wait for it to have begun.
    ASSERT_TRUE(WaitUntil([&] { return Handler() != nullptr && Handler()->readCount.load() > 0; }));
}

QelSmartControlThread* PlayerTest::Control() const
{
    return dlg->Engine() != nullptr ? dlg->Engine()->controlThread : nullptr;
}

QelSmartHandler* PlayerTest::Handler() const
{
    return dlg->Engine() != nullptr ? dlg->Engine()->smartHandler : nullptr;
}

int32_t PlayerTest::Status() const
{
    return Control() != nullptr ? Control()->Status() : kThreadStopped;
}

CCamera* PlayerTest::View(int32_t index) const
{
    return dlg->m_wndCameraWindow.View(index);
}

std::string PlayerTest::Caption(int32_t view) const
{
    CCamera* camera = View(view);
    return camera != nullptr ? camera->feed.Caption() : std::string();
}

bool PlayerTest::SettlesPaused(const std::function<void()>& action)
{
    QelSmartControlThread* control = Control();
    const uint32_t pauses = control->workerPauses.load();
    action();
    // Only a wait counts, so a worker that is counted again has stopped after the action. (The
    // status alone can say running: a resume marks it so after waking the worker, which may
    // already have paused itself again.) Its position report, posted before it paused, is
    // handled before this returns.
    if (!WaitUntil([&] { return control->workerPauses.load() > pauses; })) {
        return false;
    }
    QCoreApplication::processEvents();
    return true;
}
