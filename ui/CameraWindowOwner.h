// What the camera grid and its views need of the window that owns them (the main dialog): where
// position reports go, the playback engine and whether a recording is open.
#pragma once

#include <cstdint>
#include <string>

#include "ui/WindowHandle.h"

struct PlaybackEngine;

// WM_USER+3: moves the position slider to the grid's latest reported record (wParam: the record
// when the report was posted). Posted, never waited for, and at most one at a time.
constexpr uint32_t WM_POSITION_UPDATE = WM_USER + 3;

class CameraWindowOwner {
public:
    virtual ~CameraWindowOwner() = default;
    // The window that receives WM_USER+3.
    virtual const WindowHandle& OwnerWindow() const = 0;
    // Null before the engine is made and after it is destroyed.
    virtual PlaybackEngine* Engine() const = 0;
    // 1 while a recording is open and its control thread has been started.
    virtual int32_t IsOpened() const = 0;
    // The media file of the recording the views show ("" when there is none).
    virtual std::string MediaPath() const { return std::string(); }
    // Shows the program's about box (offered on the views' own menu too).
    virtual void ShowAbout() {}
};
