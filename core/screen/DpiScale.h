#pragma once
#include "core/settings/Settings.h"

namespace parlo {

// The dots per inch the layout tables and the settings file are written for.
constexpr int kLayoutDpi = 96;

// A layout number (a position, a size or a pixel font height at 96 dpi) in pixels at `dpi`:
// multiplied by dpi / 96, the exact half rounded away from zero, as MulDiv does. A dpi of 0 or
// less counts as 96.
int ScaleForDpi(int layoutPixels, int dpi);
// The other way: pixels at `dpi` back to layout numbers, with the same rounding. For every dpi of
// 96 and more it gives back the layout number ScaleForDpi started from.
int LayoutFromDpi(int pixels, int dpi);

// The part of a window around its client area (caption, borders), at one dpi.
struct FrameSize {
  int width = 0;
  int height = 0;
};

// Window bounds as the settings file keeps them (as at 96 dpi) to the window's bounds at `dpi`:
// the position scales, and so does the client area, while the frame is the system's frame at
// each dpi. So a window keeps its content whatever the scale.
WindowBounds BoundsForDpi(const WindowBounds& layout, FrameSize layoutFrame, FrameSize frame, int dpi);
WindowBounds LayoutBoundsFromDpi(const WindowBounds& bounds, FrameSize layoutFrame, FrameSize frame, int dpi);
// The same with the position scaled by `positionDpi` alone: the desktop's one scale, the same on
// every monitor, so that a window put back where it was on a monitor of another dpi lands there.
WindowBounds BoundsForDpi(const WindowBounds& layout, FrameSize layoutFrame, FrameSize frame, int dpi,
                          int positionDpi);
WindowBounds LayoutBoundsFromDpi(const WindowBounds& bounds, FrameSize layoutFrame, FrameSize frame, int dpi,
                                 int positionDpi);

}  // namespace parlo
