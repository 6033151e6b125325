#include "tests/e2e/driver/Ui.h"

#include "tests/e2e/driver/Process.h"
#include "tests/e2e/driver/Wait.h"

namespace parlo::e2e {

namespace {

constexpr UINT kSendTimeoutMs = 2000;

struct TopLevelSearch {
  const std::string* className;
  const std::optional<std::string>* title;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (search->pid && pid != search->pid) return TRUE;
  if (ClassOf(hwnd) != *search->className) return TRUE;
  if (*search->title && TextOf(hwnd) != **search->title) return TRUE;
  search->found = hwnd;
  return FALSE;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(hwnd) != search->id) return TRUE;
  search->found = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectButtons(HWND hwnd, LPARAM param) {
  if (ClassOf(hwnd) == "Button") reinterpret_cast<std::vector<std::string>*>(param)->push_back(TextOf(hwnd));
  return TRUE;
}

void MouseButton(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

void KeyTransition(BYTE vk, DWORD flags) {
  UINT scan = MapVirtualKeyA(vk, 0);
  keybd_event(vk, static_cast<BYTE>(scan & 0xFF), flags, 0);
}

}  // namespace

HWND FindTopLevel(const std::string& className, const std::optional<std::string>& title, DWORD pid) {
  TopLevelSearch search{&className, &title, pid, nullptr};
  EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopLevel(const std::string& className, const std::optional<std::string>& title, DWORD pid,
                     int timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(className, title, pid)) != nullptr; }, timeoutMs, 20);
  return found;
}

HWND FindControl(HWND parent, int id) {
  ControlSearch search{id, nullptr};
  if (parent) EnumChildWindows(parent, &MatchControl, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForControl(HWND parent, int id, int timeoutMs) {
  HWND found = nullptr;
  if (!WaitUntil([&] { return (found = FindControl(parent, id)) != nullptr; }, timeoutMs, 20)) {
    throw DriverError("no control with id " + std::to_string(id) + " in window \"" + TextOf(parent) + "\"");
  }
  return found;
}

std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  int n = GetClassNameA(hwnd, name, sizeof name);
  return std::string(name, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
    return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &got)) {
    return {};
  }
  text.resize(got < length ? got : length);
  return text;
}

RECT WindowRectOf(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

RECT ClientRectOf(HWND hwnd) {
  RECT rect = {};
  GetClientRect(hwnd, &rect);
  return rect;
}

RECT ClientRectOnScreen(HWND hwnd) {
  RECT rect = ClientRectOf(hwnd);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool IsTopmost(HWND hwnd) {
  return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool IsChecked(HWND button) {
  return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> items;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) length = 0;
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got =
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
    wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::string ansi;
    if (!wide.empty()) {
      int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
      ansi.resize(static_cast<size_t>(bytes));
      WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), bytes, nullptr,
                          nullptr);
    }
    items.push_back(ansi);
  }
  return items;
}

int ComboSelection(HWND combo) {
  return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

std::string MessageBoxWindow::Text() const {
  HWND label = GetDlgItem(hwnd_, 0xFFFF);
  return label ? TextOf(label) : std::string();
}

std::vector<std::string> MessageBoxWindow::ButtonTexts() const {
  std::vector<std::string> texts;
  EnumChildWindows(hwnd_, &CollectButtons, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool MessageBoxWindow::Answer(int id, int timeoutMs) const {
  HWND button = GetDlgItem(hwnd_, id);
  if (!button) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return WaitUntil([&] { return !IsWindow(hwnd_); }, timeoutMs);
}

std::optional<MessageBoxWindow> FindMessageBox(const std::string& caption, DWORD pid) {
  HWND box = FindTopLevel("#32770", caption, pid);
  if (!box) return std::nullopt;
  return MessageBoxWindow(box);
}

std::optional<MessageBoxWindow> WaitForMessageBox(const std::string& caption, DWORD pid, int timeoutMs) {
  HWND box = nullptr;
  // The box exists a moment before its text does; wait for both.
  WaitUntil(
      [&] {
        box = FindTopLevel("#32770", caption, pid);
        return box && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF);
      },
      timeoutMs, 20);
  if (!box) return std::nullopt;
  return MessageBoxWindow(box);
}

bool BringToFront(HWND hwnd, int timeoutMs) {
  // Wine may hand the activation back to another window a moment later (the owner of a dialog
  // that has just closed): ask again while waiting, until the window is in front.
  return WaitUntil(
      [&] {
        if (GetForegroundWindow() == hwnd) return true;
        SetForegroundWindow(hwnd);
        return GetForegroundWindow() == hwnd;
      },
      timeoutMs, 20);
}

POINT ScreenPointOf(HWND hwnd, int clientX, int clientY) {
  POINT point = {clientX, clientY};
  ClientToScreen(hwnd, &point);
  return point;
}

POINT CentreOf(HWND hwnd) {
  RECT client = ClientRectOf(hwnd);
  return ScreenPointOf(hwnd, (client.left + client.right) / 2, (client.top + client.bottom) / 2);
}

void MoveMouse(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  // The move is queued like any input; let it land before a button goes down.
  WaitUntil(
      [&] {
        POINT now;
        return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
      },
      500, 2);
}

void MouseDown(POINT screen) {
  MoveMouse(screen);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
}

void MouseUp(POINT screen) {
  MoveMouse(screen);
  MouseButton(MOUSEEVENTF_LEFTUP);
}

void ClickAt(POINT screen) {
  MouseDown(screen);
  MouseButton(MOUSEEVENTF_LEFTUP);
}

void Click(HWND control) {
  ClickAt(CentreOf(control));
}

void PostClick(HWND button) {
  PostMessageA(button, BM_CLICK, 0, 0);
}

bool SendClick(HWND button, int timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeoutMs), &result) != 0;
}

void KeyDown(BYTE vk) {
  KeyTransition(vk, vk == VK_MENU ? KEYEVENTF_EXTENDEDKEY : 0);
}

void KeyUp(BYTE vk) {
  KeyTransition(vk, KEYEVENTF_KEYUP | (vk == VK_MENU ? KEYEVENTF_EXTENDEDKEY : 0));
}

void PressKey(BYTE vk, Modifiers modifiers) {
  if (modifiers.alt) KeyDown(VK_MENU);
  if (modifiers.ctrl) KeyDown(VK_CONTROL);
  if (modifiers.shift) KeyDown(VK_SHIFT);
  KeyDown(vk);
  KeyUp(vk);
  if (modifiers.shift) KeyUp(VK_SHIFT);
  if (modifiers.ctrl) KeyUp(VK_CONTROL);
  if (modifiers.alt) KeyUp(VK_MENU);
}

void TypeText(const std::string& text) {
  for (char c : text) {
    SHORT key = VkKeyScanA(c);
    if (key == -1) throw DriverError(std::string("no key types '") + c + "'");
    Modifiers modifiers;
    modifiers.shift = (key & 0x100) != 0;
    modifiers.ctrl = (key & 0x200) != 0;
    modifiers.alt = (key & 0x400) != 0;
    PressKey(static_cast<BYTE>(key & 0xFF), modifiers);
  }
}

}  // namespace parlo::e2e
