#pragma once
#include <windows.h>

namespace parlo {

// One C++ object per window. The static procedure binds the object at WM_NCCREATE (from the
// create parameter), lets messages that come before it go to the default procedure, and
// drops the binding at WM_NCDESTROY. An exception escaping a handler is shown in the
// exception box and the program goes on.
class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }

 protected:
  // Registers a window class routed to StaticWndProc; safe to call more than once.
  static void RegisterWindowClass(const char* className, UINT style, HBRUSH background, HICON icon);
  HWND CreateWindowObject(DWORD exStyle, const char* className, const char* caption, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menuOrId);

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
  // Runs after the window is gone; the object may no longer use its handle.
  virtual void OnFinalDestroy() {}

 private:
  static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

HINSTANCE ModuleInstance();

}  // namespace parlo
