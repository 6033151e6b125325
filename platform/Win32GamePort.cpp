#include "platform/Win32GamePort.h"

#include "platform/Win32Module.h"

namespace parlo {

namespace {

// What a failed post means for the line: only a refusal stops it.
PostResult PostOutcome(BOOL posted) {
  if (posted) return PostResult::kQueued;
  return GetLastError() == ERROR_ACCESS_DENIED ? PostResult::kRefused : PostResult::kFailed;
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

Win32GamePort::Win32GamePort()
    : renamedClients_(files_, ProcessImagePath, ProcessWorkingFolder, SystemLeadBytes()) {}

std::vector<TopLevelWindow> Win32GamePort::TopLevelWindows() {
  std::vector<TopLevelWindow> windows;
  EnumWindows(AddTopLevelWindow, reinterpret_cast<LPARAM>(&windows));
  renamedClients_.Mark(windows);
  return windows;
}

std::uint32_t Win32GamePort::OwnProcessId() {
  return GetCurrentProcessId();
}

PostResult Win32GamePort::PostImeChar(WindowRef w, unsigned code) {
  return PostOutcome(
      PostMessageA(ToHandle(w), WM_IME_CHAR, static_cast<WPARAM>(code), static_cast<LPARAM>(kImeCharLParam)));
}

PostResult Win32GamePort::PostChar(WindowRef w, unsigned code) {
  // The modern clients' windows are Unicode: the character goes in their own coding, and it goes
  // as WM_CHAR, which keeps its place among posted key messages (WM_IME_CHAR is turned into a
  // WM_CHAR posted again, behind whatever followed it).
  char bytes[2];
  int count = 0;
  if (code > 0xFF) bytes[count++] = static_cast<char>(code >> 8);
  bytes[count++] = static_cast<char>(code & 0xFF);
  wchar_t units[4];
  int length = MultiByteToWideChar(CP_ACP, 0, bytes, count, units, 4);
  if (length <= 0) return PostResult::kFailed;
  for (int i = 0; i < length; ++i) {
    PostResult result = PostOutcome(PostMessageW(ToHandle(w), WM_CHAR, static_cast<WPARAM>(units[i]), 1));
    if (result != PostResult::kQueued) return result;
  }
  return PostResult::kQueued;
}

PostResult Win32GamePort::PostKey(WindowRef w, unsigned vk, bool up) {
  const LPARAM lParam = static_cast<LPARAM>(KeyLParam(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), up));
  return PostOutcome(PostMessageW(ToHandle(w), up ? WM_KEYUP : WM_KEYDOWN, static_cast<WPARAM>(vk), lParam));
}

bool Win32GamePort::IsVisible(WindowRef w) {
  return IsWindowVisible(ToHandle(w)) != FALSE;
}

void Win32GamePort::BringToFront(WindowRef w) {
  SetForegroundWindow(ToHandle(w));
}

bool Win32GamePort::IsForeground(WindowRef w) {
  return GetForegroundWindow() == ToHandle(w);
}

bool Win32GamePort::ModifiersDown() {
  for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN})
    if (GetAsyncKeyState(vk) & 0x8000) return true;
  return false;
}

std::uint64_t Win32GamePort::NowMs() {
  return GetTickCount64();
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
