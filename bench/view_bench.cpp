// The camera view and grid on Qt's offscreen platform: the time of one paint of a D1 frame
// (stretched into a 400 x 300 area, and at its natural size), what the view's packet path adds
// to the decode itself, and the resident memory of 64 empty views and of the whole process after
// playing 16 D1 channels and clearing the views.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRecording.h"
#include "bench/BenchTiming.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "playback/WorkerPause.h"
#include "recording/RecordingWriter.h"
#include "ui/CCamera.h"
#include "ui/CCameraWindow.h"
#include "ui/CameraWindowOwner.h"
#include "ui/WindowMessage.h"
#include "video/DecodedFrame.h"
#include "video/FrameDecoder.h"
#include "video/StreamEncoder.h"
#include "video/TestPattern.h"

namespace {

constexpr uint32_t kD1Width = 704;
constexpr uint32_t kD1Height = 480;
constexpr int kPaints = 200;

// The main dialog's part for the views: it takes the position reports and holds the engine.
class BenchDialog : public CameraWindowOwner {
public:
    BenchDialog() : messages([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; })
    {
        engine = CreatePlaybackEngine();
        grid.Create(nullptr);
        grid.dialog = this;
    }
    ~BenchDialog() override
    {
        DestroyPlaybackEngine(engine);
        grid.Destroy();
    }
    const WindowHandle& OwnerWindow() const override { return messages.Handle(); }
    PlaybackEngine* Engine() const override { return engine; }
    int32_t IsOpened() const override { return 1; }

    MessageWindow messages;
    PlaybackEngine* engine = nullptr;
    CCameraWindow grid;
};

// H.264 D1 packets of the test pattern, a key frame every 25.
std::vector<PacketSpec> D1Packets(uint32_t count, uint32_t seed)
{
    StreamEncoder encoder;
    if (encoder.Open(kVideoCodecH264, kD1Width, kD1Height, 25, 25) != 0) {
        fprintf(stderr, "cannot open the H.264 encoder\n");
        exit(1);
    }
    std::vector<uint8_t> picture(kD1Width * kD1Height * 3);
    std::vector<PacketSpec> packets;
    uint8_t sequence = 0;
    for (uint32_t i = 0; i < count; ++i) {
        DrawTestPattern(picture.data(), kD1Width, kD1Height, i, seed);
        PacketSpec spec;
        spec.type = 0x45;
        spec.time = 1267798029 + i / 25;
        spec.hundredths = static_cast<uint8_t>(i % 25 * 4);
        bool key = false;
        encoder.Encode(picture.data(), &spec.payload, &key);
        sequence = key ? 0 : static_cast<uint8_t>(sequence + 1);
        spec.sequence = sequence;
        packets.push_back(spec);
    }
    return packets;
}

double PaintMilliseconds(CCamera* view)
{
    const double seconds = BestSeconds("paint", [&] {
        for (int i = 0; i < kPaints; ++i) {
            view->repaint();
        }
        return true;
    });
    return seconds / kPaints * 1000.0;
}

void BenchPaint(const std::vector<std::vector<uint8_t>>& packets)
{
    BenchDialog dialog;
    dialog.grid.CreateViews(1);
    dialog.grid.show();
    CCamera* view = dialog.grid.View(0);
    CCamera::OnChannelPacket(view, 1026, packets[0].data(), static_cast<uint32_t>(packets[0].size()));
    dialog.grid.SetOriginalSize(0);
    dialog.grid.resize(400, 320);
    QApplication::processEvents();
    printf("paint, D1 stretched into 400 x 300: %.3f ms\n", PaintMilliseconds(view));
    dialog.grid.SetOriginalSize(1);
    dialog.grid.resize(800, 620);
    QApplication::processEvents();
    printf("paint, D1 at natural size:          %.3f ms\n", PaintMilliseconds(view));
}

void BenchPacketPath(const std::vector<std::vector<uint8_t>>& packets)
{
    FrameDecoder* decoder = CreateFrameDecoder();
    DecodedFrame frame;
    AllocateFramePixels(&frame);
    const double bare = BestSeconds("decode", [&] {
        for (const auto& packet : packets) {
            DecodeVideoPacket(packet.data(), static_cast<uint32_t>(packet.size()), decoder, &frame);
        }
        return true;
    });
    DestroyFrameDecoder(decoder);
    FreeFramePixels(&frame);

    BenchDialog dialog;
    dialog.grid.CreateViews(1);
    CCamera* view = dialog.grid.View(0);
    const double viewed = BestSeconds("view", [&] {
        for (const auto& packet : packets) {
            CCamera::OnChannelPacket(view, 1026, packet.data(), static_cast<uint32_t>(packet.size()));
        }
        QApplication::processEvents();
        return true;
    });
    printf("packet path, %zu D1 H.264 packets: decode %.1f ms, through the view %.1f ms (+%.1f %%)\n",
           packets.size(), bare * 1000, viewed * 1000, (viewed / bare - 1) * 100);
}

void BenchMemory(const std::string& directory, const std::vector<PacketSpec>& specs)
{
    BenchDialog dialog;
    dialog.grid.resize(1280, 960);
    dialog.grid.show();
    const long before = ResidentKilobytes();
    dialog.grid.CreateViews(64);
    QApplication::processEvents();
    printf("64 empty views: %.1f MB resident more than none\n", (ResidentKilobytes() - before) / 1024.0);

    // 16 D1 channels, each the same stream, played to the end at the fastest speed.
    const std::string media = directory + "/views16.kvr";
    const std::string index = directory + "/views16.idx";
    RecordingWriter writer;
    writer.Create(media, index);
    for (const PacketSpec& stream : specs) {
        for (uint16_t channel = 0; channel < 16; ++channel) {
            PacketSpec spec = stream;
            spec.unit = static_cast<uint16_t>(channel / 4);
            spec.channel = static_cast<uint16_t>(channel % 4 + 1);
            writer.WritePacket(spec);
        }
    }
    writer.Close();
    QelSmartHandler* handler = dialog.engine->smartHandler;
    QelSmartControlThread* control = dialog.engine->controlThread;
    ConnectPlaybackEngine(dialog.engine, &dialog.grid, nullptr, nullptr);
    if (handler->mediaFileMng.Open(media.c_str(), index.c_str()) != 0) {
        fprintf(stderr, "cannot open %s\n", media.c_str());
        exit(1);
    }
    handler->speedIndex = 5;
    const uint32_t pauses = control->workerPauses.load();
    control->SetSmartHandler(handler);
    control->BeginThread();
    while (WaitForWorkerPause(*control, pauses, 5) == kWorkerStillBusy) {
        QApplication::processEvents();
    }
    QApplication::processEvents();
    printf("16 D1 channels played: %.1f MB resident (whole process)\n", ResidentKilobytes() / 1024.0);
    control->EndThread();
    control->WaitThreadEnd();
    dialog.grid.ClearViews();
    QApplication::processEvents();
    printf("  after ClearViews:    %.1f MB resident (whole process)\n", ResidentKilobytes() / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string directory = BenchDirectory(argc, argv);
    QApplication app(argc, argv);
    const std::vector<PacketSpec> specs = D1Packets(50, 1);
    std::vector<std::vector<uint8_t>> packets;
    for (const PacketSpec& spec : specs) {
        packets.push_back(BuildPacket(spec));
    }
    BenchMemory(directory, specs);
    BenchPaint(packets);
    BenchPacketPath(packets);
    return 0;
}
