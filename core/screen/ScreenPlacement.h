#pragma once
#include <functional>
#include <vector>

#include "core/screen/DpiScale.h"
#include "core/settings/Settings.h"

namespace parlo {

// A rectangle on the desktop in pixels; right and bottom lie just outside it.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// One monitor as a window may use it: its work area (without the task bar) and its dpi.
struct MonitorArea {
  ScreenRect work;
  int dpi = kLayoutDpi;
};

// A window's frame at one dpi: its size around the client area, and the height of the part above
// the client area (top border and caption bar), by which the window is taken with the mouse.
struct WindowFrame {
  FrameSize size;
  int captionHeight = 0;
};

// Where a window opens so that the player can reach it. `bounds` are its pixels at `dpi`, the dpi
// it has now. When enough of its caption bar lies on some monitor's work area to take it with the
// mouse, the bounds stay exactly as they are. Otherwise the window goes onto the monitor nearest
// to it, with the size it has there (its client area scaled from `dpi` to that monitor's, in that
// monitor's frame), moved no further than it takes to lie wholly on that work area, or to start
// at its top left corner when it is larger. No monitors: the bounds as they are.
WindowBounds ReachableBounds(const WindowBounds& bounds, int dpi, const std::vector<MonitorArea>& monitors,
                             const std::function<WindowFrame(int dpi)>& frameAt);

}  // namespace parlo
