// The window of one camera channel: the channel's pictures below a 20-pixel title bar with the
// frame's date and time, and the event text over the picture. The playback thread feeds it
// packets through OnChannelPacket, and its video is decoded on the engine's decode pool; the
// user-interface thread paints it and takes its clicks.
//
// The object outlives its window: the grid makes and destroys the window as the grid's shape
// changes, while the selection and the sequence state stay with the object.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <string>

#include "playback/DecodeQueue.h"
#include "playback/StepView.h"
#include "ui/WindowHandle.h"
#include "video/CameraFeed.h"

class CCameraWindow;
class DecodePool;
class MessageWindow;
class QPainter;

constexpr int32_t kCameraControlId = 1122;
constexpr int32_t kTitleBarHeight = 20;
constexpr uint32_t kTitleBarSelectedColour = 0xCF5469;   // 0x00BBGGRR
constexpr uint32_t kTitleBarColour = 0xFFAB8E;
constexpr uint32_t kAudioBacklogSleepMs = 20;
// The view's own message: repaint now (sent from the playback thread).
constexpr uint32_t WM_VIEW_REPAINT = WM_USER + 20;

// How the event text is drawn over the picture.
struct OverlayStyle {
    uint32_t textColour = 0xFFFFFF;
    int32_t backgroundColour = -1;   // none: transparent
    int32_t xOffset = 5;
    int32_t yOffset = 20;
    QFont font;
};

class CCamera : public QWidget, public StepView, public DecodeQueue {
    Q_OBJECT

public:
    explicit CCamera(QWidget* parent = nullptr);
    ~CCamera() override;

    // Window creation and destruction: the frame buffer, the decoder and the queue of packets
    // waiting for the decode pool live with the window.
    // Create gives 0, or -1 when the frame buffer could not be had (the view then stays empty).
    int32_t CreateViewWindow(CCameraWindow* parentGrid);
    void DestroyViewWindow();
    bool HasWindow() const { return hasWindow; }

    // The ChannelHandler callback: `context` is the view. Playback thread.
    static void OnChannelPacket(void* context, int32_t message, const uint8_t* packet, uint32_t length);

    // The grid's reset on stop: no picture, caption or overlay; repainted.
    void Reset();

    // Repaint request from any thread; requests made before the repaint coalesce.
    void RequestRepaint();

    // StepView: exact steps and synchronised seeks, on the playback thread.
    void BeginStep() override;
    void EndStep() override;
    bool ShowHeld(int32_t record, const uint8_t* packet, uint32_t length) override;
    int32_t DecodeStep(int32_t keyRecord, int32_t record, int32_t targetRecord, const uint8_t* packet,
                       uint32_t length, bool keep) override;
    int32_t StepDecoderRecord(int32_t keyRecord) override { return feed.StepDecoderRecord(keyRecord); }
    void DropHeld() override { feed.DropHeldPictures(); }
    void ShowDimmed(bool dimmed) override;

    // The SnapShot button on this view: proposes a name, asks for the path and saves. Returns 0.
    int32_t Snapshot();
    // Saves the frame with its caption at `snapshotPath`: JPEG for JPEG channels, else BMP.
    // Returns 0; failures are told to the user.
    int32_t SaveSnapshot();

    // The frame, caption and overlay state (the feed's lock guards them).
    CameraFeed feed;
    std::atomic<int32_t> areaWidth{0};    // set by painting, read by the playback thread
    std::atomic<int32_t> areaHeight{0};
    std::atomic<int32_t> selected{0};
    // The picture is not of the instant a seek shows: drawn dimmed until the next one comes.
    std::atomic<bool> dimmed{false};
    std::string snapshotPath;
    std::string title;
    int16_t viewIndex = 0;
    CCameraWindow* grid = nullptr;
    QRect imageRect;
    OverlayStyle overlay;
    uint32_t overlaySourceMask = 1;
    QRect clientRect;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // DecodeQueue: one video packet, on a worker of the pool.
    void DecodeQueued(const uint8_t* packet, uint32_t length) override;

private:
    DecodePool* Pool() const;
    void OnAudioPacket(const uint8_t* packet, uint32_t length);
    void ReportPosition();
    // Playback thread: the event its stop sets, which ends its waits for the user-interface
    // thread (the stop may be what that thread is doing); null without a playback thread.
    const Event* PlaybackStop() const;
    FeedSettings CurrentFeedSettings() const;
    void DrawFrame(QPainter& painter);
    void DrawTitleBar(QPainter& painter);
    void DrawOverlayText(QPainter& painter);

    bool hasWindow = false;
    std::atomic<bool> repaintPending{false};
    MessageWindow* repaintWindow = nullptr;   // a child of the view
    // A step's position report waits until the feed's lock is given back: painting needs it.
    bool stepReportPending = false;
};
