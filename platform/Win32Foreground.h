#pragma once
#include <windows.h>

#include "core/game/Character.h"

namespace parlo {

// The system's foreground event, taken out of context: the system queues it to this thread,
// which wakes only when the front changes. Wine (8.0) never raises the foreground event (its
// focus and creation events do come); there a timer looks at the front four times a second
// instead, one cheap call each.
class Win32ForegroundWatch : public ForegroundPort {
 public:
  static constexpr UINT kWineLookMs = 250;

  Win32ForegroundWatch() = default;
  Win32ForegroundWatch(const Win32ForegroundWatch&) = delete;
  Win32ForegroundWatch& operator=(const Win32ForegroundWatch&) = delete;
  ~Win32ForegroundWatch() override { Stop(); }

  bool Watch(std::function<void(WindowRef)> changed) override;
  void Stop() override;

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                               DWORD thread, DWORD time);
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
  void Changed(HWND window);
  HWINEVENTHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  HWND last_ = nullptr;  // the window last reported
  std::function<void(WindowRef)> changed_;
};

}  // namespace parlo
