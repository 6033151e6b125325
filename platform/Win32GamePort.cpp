#include "platform/Win32GamePort.h"

namespace parlo {

namespace {
constexpr DWORD kForegroundPollMs = 2;
}

WindowRef Win32GamePort::FindGameWindow() {
  return ToRef(FindWindowA(kGameWindowClass, nullptr));
}

void Win32GamePort::PostImeChar(WindowRef w, unsigned code) {
  PostMessageA(ToHandle(w), WM_IME_CHAR, static_cast<WPARAM>(code), static_cast<LPARAM>(kImeCharLParam));
}

bool Win32GamePort::IsVisible(WindowRef w) {
  return IsWindowVisible(ToHandle(w)) != FALSE;
}

void Win32GamePort::BringToFront(WindowRef w) {
  SetForegroundWindow(ToHandle(w));
}

bool Win32GamePort::WaitUntilForeground(WindowRef w, int maxMs) {
  HWND window = ToHandle(w);
  if (GetForegroundWindow() == window) return true;
  if (maxMs <= 0) return false;
  ULONGLONG start = GetTickCount64();
  for (;;) {
    Sleep(kForegroundPollMs);
    if (GetForegroundWindow() == window) return true;
    if (GetTickCount64() - start >= static_cast<ULONGLONG>(maxMs)) return false;
  }
}

unsigned Win32GamePort::ScanCode(unsigned vk) {
  return MapVirtualKeyA(vk, 0);
}

void Win32GamePort::KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) {
  keybd_event(static_cast<BYTE>(vk), static_cast<BYTE>(scanLowByte), flags, 0);
}

LeadBytes SystemLeadBytes() {
  if (GetSystemMetrics(SM_DBCSENABLED) == 0) return LeadBytes();
  CPINFO info{};
  if (!GetCPInfo(CP_ACP, &info)) return LeadBytes();
  return LeadBytes::FromRangeList(info.LeadByte, MAX_LEADBYTES);
}

}  // namespace parlo
