#include "forms/Dpi.h"

namespace parlo {

namespace {

// Looked up at run time: Windows 7 and 8.1 have none of these and still start the program.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : kLayoutDpi;
}

}  // namespace

int DpiOf(HWND window) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (window && getDpiForWindow) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return ScreenDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  static const auto adjust = User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  if (adjust && adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

FrameSize FrameSizeForDpi(DWORD style, DWORD exStyle, int dpi) {
  RECT rc{0, 0, 0, 0};
  AdjustWindowRectForDpi(rc, style, exStyle, dpi);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

WindowFrame WindowFrameForDpi(DWORD style, DWORD exStyle, int dpi) {
  RECT rc{0, 0, 0, 0};
  AdjustWindowRectForDpi(rc, style, exStyle, dpi);
  return {{rc.right - rc.left, rc.bottom - rc.top}, -rc.top};
}

namespace {

struct MonitorList {
  std::vector<MonitorArea> areas;
  GetDpiForMonitorFunction dpiOf = nullptr;
  int screenDpi = kLayoutDpi;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) {
  auto* list = reinterpret_cast<MonitorList*>(found);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  MonitorArea area{{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom},
                   list->screenDpi};
  UINT x = 0, y = 0;
  if (list->dpiOf && list->dpiOf(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y) == S_OK && y > 0)
    area.dpi = static_cast<int>(y);
  list->areas.push_back(area);
  return TRUE;
}

}  // namespace

std::vector<MonitorArea> MonitorAreas() {
  MonitorList list;
  list.screenDpi = ScreenDpi();
  // With one monitor its dpi is the screen's; the library that knows more is loaded only for more.
  HMODULE shcore = nullptr;
  if (GetSystemMetrics(SM_CMONITORS) > 1) {
    shcore = LoadLibraryA("shcore.dll");
    if (shcore)
      list.dpiOf = reinterpret_cast<GetDpiForMonitorFunction>(
          reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
  }
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  if (shcore) FreeLibrary(shcore);
  return list.areas;
}

int SystemMetricForDpi(int index, int dpi) {
  static const auto metric = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  return metric ? metric(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

DpiChange DpiChangeOf(WPARAM wParam, LPARAM lParam) {
  DpiChange change{HIWORD(wParam), RECT{}};
  if (lParam) change.suggested = *reinterpret_cast<const RECT*>(lParam);
  if (change.dpi <= 0) change.dpi = kLayoutDpi;
  return change;
}

}  // namespace parlo
