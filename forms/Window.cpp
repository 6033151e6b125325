#include "forms/Window.h"

#include "forms/ExceptionBox.h"

#include <stdexcept>

namespace parlo {

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

Window::~Window() {
  if (hwnd_) {
    // The object dies first (an owner tearing down): unbind so no message reaches a dead object.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    DestroyWindow(hwnd);
  }
}

void Window::RegisterWindowClass(const char* className, UINT style, HBRUSH background, HICON icon) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(ModuleInstance(), className, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = StaticWndProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.hIcon = icon;
  wc.lpszClassName = className;
  RegisterClassExA(&wc);
}

HWND Window::CreateWindowObject(DWORD exStyle, const char* className, const char* caption, DWORD style, int x,
                                int y, int width, int height, HWND parent, HMENU menuOrId) {
  return CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menuOrId,
                         ModuleInstance(), this);
}

LRESULT Window::WndProc(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    self = static_cast<Window*>(create->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);

  LRESULT result = 0;
  try {
    result = self->WndProc(message, wParam, lParam);
  } catch (const std::exception& error) {
    ShowExceptionBox(error);
  } catch (...) {
    ShowExceptionBox(std::runtime_error("Unexpected error"));
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalDestroy();
  }
  return result;
}

}  // namespace parlo
