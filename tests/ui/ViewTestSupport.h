// A stand-in for the main dialog that owns a camera grid in the window tests: it receives the
// position reports and holds a real playback engine.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <vector>

#include "playback/PlaybackEngine.h"
#include "ui/CCamera.h"
#include "ui/CCameraWindow.h"
#include "ui/CameraWindowOwner.h"
#include "ui/WindowMessage.h"

class TestDialog : public QWidget, public CameraWindowOwner {
public:
    TestDialog();
    ~TestDialog() override;

    const WindowHandle& OwnerWindow() const override { return messages->Handle(); }
    PlaybackEngine* Engine() const override { return engine; }
    int32_t IsOpened() const override { return opened; }
    std::string MediaPath() const override { return mediaPath; }

    // Feeds a packet to a view as the playback loop would, from the calling thread.
    static void Deliver(CCamera* view, const std::vector<uint8_t>& packet);

    CCameraWindow grid;
    PlaybackEngine* engine = nullptr;
    int32_t opened = 0;
    std::string mediaPath;
    std::vector<uintptr_t> positions;   // the position each WM_USER+3 moved to
    std::unique_ptr<MessageWindow> messages;
};

// The view as a person would see it now.
QImage Grab(QWidget* widget);
// The colour at (x, y) of a grabbed picture.
QColor PixelAt(const QImage& image, int x, int y);
// The packet's frame as it should look, top row first, scaled smoothly to `width` x `height`.
QImage ExpectedPicture(uint32_t frameWidth, uint32_t frameHeight, int width, int height);
// Mean absolute difference per channel between two pictures of the same size.
double MeanDifference(const QImage& a, const QImage& b);
