// The menu a right click opens on a camera view: what can be taken out of that view's channel,
// a snapshot of its picture or an export of its coded packets.
#pragma once

#include <QPoint>
#include <cstdint>

class CCamera;
class QMenu;

// Shows the menu at `at` (screen coordinates) and runs the chosen command. Always true: a view
// always has its menu.
bool ShowCameraContextMenu(CCamera* view, const QPoint& at);
// Fills `menu` with the view's commands: "Save snapshot…" and "Export channel…" (the latter only
// enabled when the view shows a channel of a recording).
void FillCameraContextMenu(CCamera* view, QMenu* menu);
// The channel number shown by the view, or -1.
int32_t ChannelOfView(const CCamera* view);
