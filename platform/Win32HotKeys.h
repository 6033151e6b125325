#pragma once
#include <windows.h>

#include "core/settings/HotKey.h"

namespace parlo {

// Hot keys registered for one window; the system posts WM_HOTKEY to it.
class Win32HotKeys : public HotKeyPort {
 public:
  explicit Win32HotKeys(HWND window = nullptr) : window_(window) {}
  void SetWindow(HWND window) { window_ = window; }
  HWND Window() const { return window_; }

  bool Register(int id, unsigned modifiers, unsigned virtualKey) override;
  void Unregister(int id) override;

 private:
  HWND window_;
};

}  // namespace parlo
