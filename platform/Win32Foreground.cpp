#include "platform/Win32Foreground.h"

#include <vector>

namespace parlo {

namespace {

// The callbacks get only their hook or timer: the watch of each, on the thread that set it.
struct Registration {
  HWINEVENTHOOK hook;
  UINT_PTR timer;
  Win32ForegroundWatch* watch;
};
std::vector<Registration>& Registrations() {
  static std::vector<Registration> registrations;
  return registrations;
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

bool Win32ForegroundWatch::Watch(std::function<void(WindowRef)> changed) {
  Stop();
  hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnEvent, 0, 0,
                          WINEVENT_OUTOFCONTEXT);
  if (UnderWine()) timer_ = SetTimer(nullptr, 0, kWineLookMs, OnTimer);
  if (!hook_ && !timer_) return false;
  Registrations().push_back({hook_, timer_, this});
  last_ = GetForegroundWindow();
  changed_ = std::move(changed);
  return true;
}

void Win32ForegroundWatch::Stop() {
  if (hook_) UnhookWinEvent(hook_);
  if (timer_) KillTimer(nullptr, timer_);
  auto& registrations = Registrations();
  for (auto it = registrations.begin(); it != registrations.end(); ++it) {
    if (it->watch == this) {
      registrations.erase(it);
      break;
    }
  }
  hook_ = nullptr;
  timer_ = 0;
  changed_ = nullptr;
}

void Win32ForegroundWatch::Changed(HWND window) {
  if (!window || window == last_) return;
  last_ = window;
  // A copy: the handler may stop the watch.
  auto changed = changed_;
  if (changed) changed(reinterpret_cast<WindowRef>(window));
}

void CALLBACK Win32ForegroundWatch::OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                            LONG child, DWORD, DWORD) {
  if (event != EVENT_SYSTEM_FOREGROUND || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  for (const Registration& r : Registrations()) {
    if (r.hook == hook) {
      r.watch->Changed(window);
      return;
    }
  }
}

void CALLBACK Win32ForegroundWatch::OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  for (const Registration& r : Registrations()) {
    if (r.timer == timer) {
      r.watch->Changed(GetForegroundWindow());
      return;
    }
  }
}

}  // namespace parlo
