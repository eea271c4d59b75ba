#include "ui/CCamera.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "Tav/TavPacketUtil.h"
#include "platform/Clock.h"
#include "playback/DecodePool.h"
#include "playback/PlaybackEngine.h"
#include "playback/QelSmartControlThread.h"
#include "playback/QelSmartHandler.h"
#include "ui/CCameraWindow.h"
#include "ui/CameraContextMenu.h"
#include "ui/CameraWindowOwner.h"
#include "ui/Dialogs.h"
#include "ui/RouteAudioPacket.h"
#include "ui/SnapshotImage.h"
#include "ui/WindowMessage.h"
#include "video/FrameDecoder.h"
#include "video/PicturePlacement.h"
#include "video/SnapshotBmp.h"
#include "video/SnapshotFile.h"
#include "video/SnapshotJpeg.h"
#include "video/SnapshotName.h"

namespace {

// Alpha of the black laid over a dimmed picture: its content stays readable, plainly not current.
constexpr int kDimmedShade = 150;

QColor FromColourRef(uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

// A rectangle given by its edges, as the drawing rules state them.
QRect FromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// Bold sans of a 20-pixel cell height. "Arial" is asked for; where it is missing, font matching
// gives a metric-compatible sans.
QFont OverlayFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Bold);
    font.setPixelSize(20);
    const int cellHeight = QFontMetrics(font).height();
    if (cellHeight > 20) {
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(20.0 * 20.0 / cellHeight))));
    }
    return font;
}

}  // namespace

CCamera::CCamera(QWidget* parent) : QWidget(parent)
{
    overlay.font = OverlayFont();
    setAttribute(Qt::WA_OpaquePaintEvent);   // the paint covers every pixel: nothing is erased
    // A click gives the view the keyboard, so Enter on it reaches the dialog's single-view key.
    setFocusPolicy(Qt::ClickFocus);
    // Repaints asked for by the playback thread arrive as private messages to the view's own
    // thread; the message layer's lock orders what that thread wrote before asking.
    repaintWindow = new MessageWindow(
        [this](uint32_t, uintptr_t, intptr_t) -> intptr_t {
            repaintPending = false;
            update();
            return 0;
        },
        this);
    hide();
}

CCamera::~CCamera()
{
    DestroyViewWindow();
}

int32_t CCamera::CreateViewWindow(CCameraWindow* parentGrid)
{
    setParent(parentGrid);
    setObjectName(QStringLiteral("Camera"));
    hasWindow = true;
    // Without queue buffers the view decodes on the playback thread, as it is handed packets.
    AllocateQueue();
    const int32_t result = feed.Create();
    setGeometry(0, 0, 0, 0);
    show();
    return result;
}

void CCamera::DestroyViewWindow()
{
    if (!hasWindow) {
        return;
    }
    hide();
    hasWindow = false;
    if (DecodePool* pool = Pool()) {
        pool->Forget(this);
    }
    FreeQueue();
    feed.Destroy();
}

void CCamera::OnChannelPacket(void* context, int32_t, const uint8_t* packet, uint32_t length)
{
    auto* view = static_cast<CCamera*>(context);
    if (length == 0 || view == nullptr || packet == nullptr) {
        return;
    }
    if (TavIsVideo(packet)) {
        if (DecodePool* pool = view->Pool()) {
            pool->Submit(view, packet, length);
        } else {
            view->DecodeQueued(packet, length);
        }
    } else if (TavIsAudio(packet)) {
        view->OnAudioPacket(packet, length);
    }
}

FeedSettings CCamera::CurrentFeedSettings() const
{
    FeedSettings settings;
    if (grid != nullptr) {
        settings.naturalSize = grid->naturalSize.load() != 0;
        if (grid->composerReady) {
            settings.composer = &grid->composer;
            settings.composerLayout = &grid->composerLayout;
        }
    }
    settings.areaWidth = static_cast<uint32_t>(std::max(0, areaWidth.load()));
    settings.areaHeight = static_cast<uint32_t>(std::max(0, areaHeight.load()));
    settings.overlaySourceMask = overlaySourceMask;
    return settings;
}

DecodePool* CCamera::Pool() const
{
    return grid != nullptr && grid->dialog != nullptr ? DecodePoolOf(grid->dialog->Engine()) : nullptr;
}

void CCamera::DecodeQueued(const uint8_t* packet, uint32_t length)
{
    const FeedSettings settings = CurrentFeedSettings();
    bool captionChanged = false;
    const int32_t result = feed.TakeVideo(packet, length, settings, &captionChanged);
    if (result == kFeedPacketDropped || result == kFeedNoFrameBuffer) {
        return;
    }
    dimmed = false;
    if (captionChanged) {
        ReportPosition();
    }
    if (result != kDecodeRejected) {
        RequestRepaint();
    }
}

void CCamera::ReportPosition()
{
    if (grid == nullptr || grid->dialog == nullptr) {
        return;
    }
    PlaybackEngine* engine = grid->dialog->Engine();
    const int32_t index = engine != nullptr && engine->smartHandler != nullptr
                              ? engine->smartHandler->currentIndex.load()
                              : 0;
    grid->ReportPosition(index);
}

const Event* CCamera::PlaybackStop() const
{
    PlaybackEngine* engine = grid != nullptr && grid->dialog != nullptr ? grid->dialog->Engine() : nullptr;
    return engine != nullptr && engine->controlThread != nullptr ? &engine->controlThread->stopEvent : nullptr;
}

void CCamera::OnAudioPacket(const uint8_t* packet, uint32_t length)
{
    if (grid == nullptr || (selected.load() == 0 && grid->viewCount.load() != 1)) {
        return;
    }
    if (grid->audio.IsBacklogged()) {
        ClockSleepMs(kAudioBacklogSleepMs);
    }
    RouteAudioPacket(packet, length, grid->audio, PlaybackStop());
}

void CCamera::BeginStep()
{
    feed.BeginStep();
    stepReportPending = false;
}

void CCamera::EndStep()
{
    feed.EndStep();
    if (stepReportPending) {
        stepReportPending = false;
        ReportPosition();
    }
}

bool CCamera::ShowHeld(int32_t record, const uint8_t* packet, uint32_t length)
{
    bool captionChanged = false;
    if (!feed.StepShowHeld(record, packet, length, CurrentFeedSettings(), &captionChanged)) {
        return false;
    }
    stepReportPending = stepReportPending || captionChanged;
    RequestRepaint();
    return true;
}

int32_t CCamera::DecodeStep(int32_t keyRecord, int32_t record, int32_t targetRecord, const uint8_t* packet,
                            uint32_t length, bool keep)
{
    bool captionChanged = false;
    const int32_t result =
        feed.StepDecode(keyRecord, record, targetRecord, packet, length, CurrentFeedSettings(), &captionChanged, keep);
    if (record == targetRecord && result != kFeedNoFrameBuffer) {
        stepReportPending = stepReportPending || captionChanged;
        if (result != kDecodeRejected) {
            RequestRepaint();
        }
    }
    return result;
}

void CCamera::RequestRepaint()
{
    if (repaintPending.exchange(true)) {
        return;
    }
    // Widgets are touched only on their own thread; the message is dropped if the view is gone.
    if (!PostWindowMessage(repaintWindow->Handle(), WM_VIEW_REPAINT, 0, 0)) {
        repaintPending = false;
    }
}

void CCamera::ShowDimmed(bool dim)
{
    if (dimmed.exchange(dim) != dim) {
        RequestRepaint();
    }
}

void CCamera::Reset()
{
    dimmed = false;
    feed.Reset();
    if (hasWindow) {
        update();
    }
}

void CCamera::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    clientRect = QRect(0, 0, width(), height());
}

void CCamera::paintEvent(QPaintEvent*)
{
    // The widget's backing store is the off-screen surface: everything below reaches the screen
    // in one transfer when the paint ends.
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    std::lock_guard<std::recursive_mutex> guard(feed.lock);
    DrawFrame(painter);
    if (dimmed.load() && feed.hasFrame.load() != 0) {
        painter.fillRect(imageRect, QColor(0, 0, 0, kDimmedShade));
    }
    DrawTitleBar(painter);
    DrawOverlayText(painter);
}

void CCamera::DrawFrame(QPainter& painter)
{
    areaWidth = width();
    areaHeight = height() - kTitleBarHeight;
    const int fw = static_cast<int>(feed.frame.width);
    const int fh = static_cast<int>(feed.frame.height);
    const bool naturalSize = grid != nullptr && grid->naturalSize.load() != 0;
    const PicturePlace place = PlacePicture(areaWidth.load(), areaHeight.load(), kTitleBarHeight, fw, fh, naturalSize);
    const int x = place.x;
    const int y = place.y;
    const int dw = place.width;
    const int dh = place.height;
    imageRect = FromEdges(x, y, x + dw, y + dh);
    if (feed.hasFrame.load() == 0 || feed.frame.pixels == nullptr || fw <= 0 || fh <= 0 || dw <= 0 || dh <= 0 ||
        !FrameSizeFits(feed.frame.width, feed.frame.height)) {
        return;
    }
    const DecodedFrame& shown = feed.shown;
    if (feed.shownReady && static_cast<int>(shown.width) == dw && static_cast<int>(shown.height) == dh) {
        // Converted to this size where it was decoded: only copied here.
        const QImage picture(shown.pixels, dw, dh, static_cast<qsizetype>(dw) * 3, QImage::Format_BGR888);
        painter.drawImage(QPoint(x, y), picture);
        return;
    }
    // The view has just changed size (or the picture could not be converted): the frame is scaled
    // here until the next picture comes at the new size. Its own rows, packed at width x 3 bytes,
    // seen in place.
    const QImage picture(feed.frame.pixels, fw, fh, static_cast<qsizetype>(fw) * 3, QImage::Format_BGR888);
    const bool topDown = feed.frame.codec == kVideoCodecMpeg4 || feed.frame.codec == kVideoCodecH264;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, dw != fw || dh != fh);
    if (topDown) {
        painter.drawImage(QRect(x, y, dw, dh), picture);
    } else {
        // Bottom row first: drawn upside down into the same rectangle.
        painter.translate(x, y + dh);
        painter.scale(1.0, -1.0);
        painter.drawImage(QRect(0, 0, dw, dh), picture);
    }
    painter.restore();
}

void CCamera::DrawTitleBar(QPainter& painter)
{
    const int W = width();
    const QColor bar = FromColourRef(selected.load() != 0 ? kTitleBarSelectedColour : kTitleBarColour);
    painter.fillRect(QRect(0, 0, W, kTitleBarHeight), bar);
    painter.setFont(font());
    painter.setPen(Qt::white);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QString titleText = QString::fromStdString(title);
    painter.drawText(FromEdges(1, 1, std::min(W, 9 * static_cast<int>(titleText.size())), kTitleBarHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, titleText);
    const QString captionText = QString::fromLatin1(feed.caption);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(bar);
    painter.drawText(FromEdges(std::max(0, W - 8 * static_cast<int>(captionText.size())), 1, W - 1, kTitleBarHeight),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, captionText);
    painter.setBackgroundMode(Qt::TransparentMode);
}

void CCamera::DrawOverlayText(QPainter& painter)
{
    if (feed.overlayText.empty()) {
        return;
    }
    QRect area;
    if (imageRect.width() > 0) {
        int left = std::max(0, imageRect.left() + overlay.xOffset);
        int top = imageRect.top() + overlay.yOffset;
        int right = imageRect.left() + imageRect.width() - 1;
        int bottom = imageRect.top() + imageRect.height();
        top = std::max(top, clientRect.top());
        bottom = std::min(bottom, clientRect.top() + clientRect.height());
        right = std::min(right, clientRect.left() + clientRect.width());
        top = std::max(top, 30);
        area = FromEdges(left, top, right, bottom);
    } else {
        area = FromEdges(5, 70, clientRect.left() + clientRect.width() - 1, clientRect.top() + clientRect.height());
    }
    const QString text = QString::fromUtf8(feed.overlayText.data(), static_cast<qsizetype>(feed.overlayText.size()));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    painter.save();
    painter.setFont(overlay.font);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(Qt::black);
    painter.drawText(area.translated(1, 1), flags, text);
    painter.setPen(FromColourRef(overlay.textColour));
    painter.drawText(area, flags, text);
    painter.restore();
}

void CCamera::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && grid != nullptr) {
        grid->SelectView(viewIndex);
    }
    QWidget::mousePressEvent(event);
}

void CCamera::contextMenuEvent(QContextMenuEvent* event)
{
    if (!ShowCameraContextMenu(this, event->globalPos())) {
        event->ignore();   // the window's own menu
    }
}

void CCamera::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && grid != nullptr) {
        grid->ToggleSingleView(viewIndex);
    }
    QWidget::mouseDoubleClickEvent(event);
}

int32_t CCamera::Snapshot()
{
    // The name comes from the moment of the request, not from the frame.
    const std::string name = ProposeSnapshotName(time(nullptr), title);
    VideoCodecId codec = kVideoCodecNone;
    {
        std::lock_guard<std::recursive_mutex> guard(feed.lock);
        codec = feed.frame.codec;
    }
    const SnapshotFormat format = SnapshotFormatFor(codec);
    FileDialogRequest request;
    request.save = true;
    request.filter = format.filter;
    request.defaultExtension = format.extension;
    request.initialName = name;
    request.confirmOverwrite = true;
    std::string path;
    if (!ShowFileDialog(this, request, &path)) {
        return 0;
    }
    snapshotPath = path;
    SaveSnapshot();
    return 0;
}

int32_t CCamera::SaveSnapshot()
{
    // A copy taken under the lock: the playback thread may still be decoding into the frame
    // until it reaches its next wait.
    std::vector<uint8_t> pixels;
    uint32_t frameWidth = 0;
    uint32_t frameHeight = 0;
    VideoCodecId codec = kVideoCodecNone;
    std::string captionText;
    {
        std::lock_guard<std::recursive_mutex> guard(feed.lock);
        if (feed.frame.pixels != nullptr && FrameSizeFits(feed.frame.width, feed.frame.height)) {
            frameWidth = feed.frame.width;
            frameHeight = feed.frame.height;
            pixels.assign(feed.frame.pixels, feed.frame.pixels + static_cast<size_t>(frameWidth) * frameHeight * 3);
        }
        codec = feed.frame.codec;
        captionText = feed.caption;
    }
    std::vector<uint8_t> image;
    if (RenderSnapshotImage(pixels.data(), frameWidth, frameHeight, codec, captionText, &image) != 0) {
        ShowWarningMessage(this, "Not enough memory to save the snapshot to " + snapshotPath + ".");
        return 0;
    }
    // A frame without size still gives its file: empty for JPEG, a bare header for BMP.
    static const uint8_t kNoPixels[1] = {};
    const uint8_t* imageBytes = image.empty() ? kNoPixels : image.data();
    std::vector<uint8_t> file;
    int32_t length = 0;
    if (SnapshotFormatFor(codec).jpeg) {
        file.resize(kSnapshotJpegCapacity);
        length = EncodeJpeg(file.data(), image.empty() ? nullptr : imageBytes, frameWidth, frameHeight);
        if (length < 0) {
            // Nothing usable came out of the compressor: no file is made.
            ShowWarningMessage(this, "The snapshot could not be compressed into a JPEG picture of at most 512,000 "
                                     "bytes; nothing was saved to " + snapshotPath + ".");
            return 0;
        }
    } else {
        file.resize(static_cast<size_t>(BmpFileSize(frameWidth, frameHeight)));
        length = BuildBmpFile(file.data(), static_cast<uint32_t>(file.size()), imageBytes, frameWidth, frameHeight);
        length = std::max(length, 0);
    }
    const int32_t written = WriteSnapshotFile(snapshotPath, file.data(), static_cast<uint32_t>(length));
    if (written < 0) {
        ShowWarningMessage(this, SnapshotFileErrorText(written, snapshotPath));
    }
    return 0;
}
