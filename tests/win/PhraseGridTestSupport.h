#pragma once
// Shared by the grid's in-process tests: a message pump, a plain host window, and reading pixels.
#include <windows.h>

#include <functional>

namespace parlo::testing_support {

// Dispatches whatever is queued (a WM_QUIT left by a destroyed main window is dropped).
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000) {
  ULONGLONG start = GetTickCount64();
  for (;;) {
    Pump();
    if (done()) return true;
    if (GetTickCount64() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// A visible top-level window to hold a control under test.
class HostWindow {
 public:
  HostWindow(int width, int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ParloGridTestHost";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);  // fails harmlessly when already registered
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, "ParloGridTestHost", "grid test",
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 10, 10, width, height, nullptr,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~HostWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A 32-bit bitmap selected into a memory DC, for painting into and reading back.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  RECT Area() const { return RECT{0, 0, width_, height_}; }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The update region's bounds, or an empty rectangle when nothing is waiting to be painted.
inline RECT PendingUpdate(HWND hwnd) {
  RECT rc{0, 0, 0, 0};
  if (!GetUpdateRect(hwnd, &rc, FALSE)) return RECT{0, 0, 0, 0};
  return rc;
}

inline LPARAM Point(int x, int y) {
  return static_cast<LPARAM>(static_cast<DWORD>(static_cast<WORD>(static_cast<short>(x))) |
                             (static_cast<DWORD>(static_cast<WORD>(static_cast<short>(y))) << 16));
}

// Sets (or clears) a modifier in this thread's keyboard state, as GetKeyState sees it.
inline void HoldKey(int vk, bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[vk] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

}  // namespace parlo::testing_support
