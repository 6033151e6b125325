#pragma once
#include <windows.h>

#include <vector>

#include "core/screen/DpiScale.h"
#include "core/screen/ScreenPlacement.h"

namespace parlo {

// The dpi a window is shown at: its monitor's where the system knows per-window dpi (Windows 10
// 1607 and later), otherwise the screen's. For no window: the screen's.
int DpiOf(HWND window);
// The frame a window of this style has around its client area at the dpi.
FrameSize FrameSizeForDpi(DWORD style, DWORD exStyle, int dpi);
// The frame, and the height of the part above the client area (border and caption bar).
WindowFrame WindowFrameForDpi(DWORD style, DWORD exStyle, int dpi);
// AdjustWindowRectEx at the dpi.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// A system metric (SM_CXVSCROLL...) at the dpi.
int SystemMetricForDpi(int index, int dpi);

// Every monitor's work area with its dpi; the screen's dpi where the system has no per-monitor one.
std::vector<MonitorArea> MonitorAreas();

// The rectangle WM_DPICHANGED suggests, and the new dpi, taken from its parameters.
struct DpiChange {
  int dpi;
  RECT suggested;
};
DpiChange DpiChangeOf(WPARAM wParam, LPARAM lParam);

}  // namespace parlo
