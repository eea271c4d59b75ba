// The child window of the main dialog that holds the camera views: a square grid of n x n views
// for the recording's channels, one view alone over the whole grid after a double click, the
// selected view, the dialog's "Original Size" setting, the composer of event texts and the two
// audio outputs. It is also the media file manager's owner: it makes the views for the channels
// and gives each view's handler.
#pragma once

#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "playback/StepView.h"
#include "recording/MediaFileOwner.h"
#include "ui/CRuaOcxLogComposer.h"
#include "ui/GridAudio.h"
#include "video/ComposerLayout.h"

class CCamera;
class CameraWindowOwner;

constexpr int32_t kMaxViews = 64;
constexpr int32_t kMaxColumns = 8;
constexpr int32_t kCameraWindowControlId = 0xE900;

class CCameraWindow : public QWidget, public MediaFileOwner, public StepViews {
    Q_OBJECT

public:
    CCameraWindow();
    ~CCameraWindow() override;

    // Window creation under `parent`: the 64 views (no windows yet) and the composer. 0, or -1
    // when the views cannot be allocated.
    int32_t Create(QWidget* parent);
    // Window destruction: audio outputs closed, view windows destroyed, views deleted.
    void Destroy();

    // Makes n x n view windows for `count` channels (at most 64 views); returns viewCount, or 0
    // with nothing changed when count <= 0.
    int32_t CreateViews(int32_t count) override;
    ChannelHandler ViewHandler(int32_t index) override;
    QelSmartLcid2Callback* Registry() override;
    // The view of channel `index`, for exact steps on the playback thread.
    StepView* StepViewAt(int32_t index) override;
    void ShowPosition(int32_t record) override { ReportPosition(record); }

    void LayoutViews();
    int32_t SelectView(int32_t index);
    void SetOriginalSize(int32_t flag);
    void ClearViews();
    void ResetOverlays();
    // Saves the selected view's frame; -1 when there is nothing to save.
    int32_t SnapshotSelected();

    // WM_USER+9 and WM_USER+10.
    intptr_t OnAudioOpen(uintptr_t codecId) { return audio.OnAudioOpen(codecId); }
    intptr_t OnAudioClose() { return audio.OnAudioClose(); }

    // View `index` (0 to 63), or null before the grid window is created.
    CCamera* View(int32_t index) const;
    // Toggles single-view mode for a view's double click.
    void ToggleSingleView(int32_t index);

    std::atomic<int32_t> viewCount{0};
    int32_t columns = 0;
    std::atomic<int32_t> singleView{0};
    int16_t singleViewIndex = 0;
    int16_t selectedIndex = -1;
    std::atomic<int32_t> naturalSize{1};
    CameraWindowOwner* dialog = nullptr;
    CRuaOcxLogComposer composer;
    int32_t composerReady = 0;
    ComposerLayout composerLayout;
    // primaryAudio, secondaryAudio, volumeAudio, the mute flags and lastAudioCodec.
    GridAudio audio;

    // Playback thread: the views' position report. Posted to the owner only when none is pending,
    // so a busy user-interface thread never holds playback up and never falls behind a queue.
    void ReportPosition(int32_t record);
    // User-interface thread, on WM_USER+3: the latest record reported; the next report posts again.
    int32_t TakeReportedPosition();

protected:
    std::atomic<int32_t> reportedPosition{0};
    std::atomic<bool> positionReportPending{false};

    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceViews(int32_t width, int32_t height);
    void DestroyViewWindows();

    std::unique_ptr<std::array<std::unique_ptr<CCamera>, kMaxViews>> views;
};
