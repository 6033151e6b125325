#include "platform/Win32GamePort.h"

namespace parlo {

namespace {

constexpr DWORD kPollMs = 2;

// Polls until the condition holds, at most maxMs.
template <typename Condition>
bool PollUntil(Condition holds, int maxMs) {
  if (holds()) return true;
  if (maxMs <= 0) return false;
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    Sleep(kPollMs);
    if (holds()) return true;
    if (GetTickCount64() - start >= static_cast<ULONGLONG>(maxMs)) return false;
  }
}

BOOL CALLBACK AddTopLevelWindow(HWND window, LPARAM list) {
  TopLevelWindow entry;
  entry.handle = Win32GamePort::ToRef(window);
  char text[512];
  int length = GetClassNameA(window, text, sizeof text);
  entry.className.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
  // Another process's title is read from the system, without a message the window might not answer.
  length = GetWindowTextA(window, text, sizeof text);
  entry.title.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
  entry.visible = IsWindowVisible(window) != FALSE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  entry.processId = process;
  reinterpret_cast<std::vector<TopLevelWindow>*>(list)->push_back(std::move(entry));
  return TRUE;
}

}  // namespace

std::vector<TopLevelWindow> Win32GamePort::TopLevelWindows() {
  std::vector<TopLevelWindow> windows;
  EnumWindows(AddTopLevelWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::uint32_t Win32GamePort::OwnProcessId() {
  return GetCurrentProcessId();
}

PostResult Win32GamePort::PostImeChar(WindowRef w, unsigned code) {
  if (PostMessageA(ToHandle(w), WM_IME_CHAR, static_cast<WPARAM>(code), static_cast<LPARAM>(kImeCharLParam)))
    return PostResult::kQueued;
  return GetLastError() == ERROR_ACCESS_DENIED ? PostResult::kRefused : PostResult::kFailed;
}

bool Win32GamePort::IsVisible(WindowRef w) {
  return IsWindowVisible(ToHandle(w)) != FALSE;
}

void Win32GamePort::BringToFront(WindowRef w) {
  SetForegroundWindow(ToHandle(w));
}

bool Win32GamePort::WaitUntilForeground(WindowRef w, int maxMs) {
  HWND window = ToHandle(w);
  return PollUntil([window] { return GetForegroundWindow() == window; }, maxMs);
}

bool Win32GamePort::WaitUntilModifiersReleased(int maxMs) {
  return PollUntil(
      [] {
        for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN})
          if (GetAsyncKeyState(vk) & 0x8000) return false;
        return true;
      },
      maxMs);
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
