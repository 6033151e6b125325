#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace parlo::e2e {

// ---- Finding windows and reading them (from outside, as a user's tools would) ----

// The top-level window of the class (and title, when given) belonging to the process (any
// process when pid is 0), or null.
HWND FindTopLevel(const std::string& className, const std::optional<std::string>& title, DWORD pid = 0);
HWND WaitForTopLevel(const std::string& className, const std::optional<std::string>& title, DWORD pid,
                     int timeoutMs);
// A descendant with the control id, searched through nested panels; null when there is none.
HWND FindControl(HWND parent, int id);
// Like FindControl, but waits for it to exist and throws DriverError when it never does.
HWND WaitForControl(HWND parent, int id, int timeoutMs = 5000);

std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);  // WM_GETTEXT, ANSI
RECT WindowRectOf(HWND hwnd);   // outer bounds on the screen
RECT ClientRectOf(HWND hwnd);   // client area, in client coordinates
RECT ClientRectOnScreen(HWND hwnd);
bool IsTopmost(HWND hwnd);
bool IsChecked(HWND button);  // BM_GETCHECK == BST_CHECKED
// Combo-box items read with the W messages (the A ones hand back UTF-16 across processes under
// Wine) and turned into the ANSI code page of this process.
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);

// ---- Message boxes ----

class MessageBoxWindow {
 public:
  explicit MessageBoxWindow(HWND hwnd) : hwnd_(hwnd) {}
  HWND Handle() const { return hwnd_; }
  std::string Caption() const { return TextOf(hwnd_); }
  std::string Text() const;  // the static with id 0xFFFF
  std::vector<std::string> ButtonTexts() const;
  bool HasButton(int id) const { return GetDlgItem(hwnd_, id) != nullptr; }
  // Answers with the button's id (IDOK, IDYES, IDNO...) and waits for the box to go; false when
  // there is no such button or the box stays.
  bool Answer(int id, int timeoutMs = 5000) const;

 private:
  HWND hwnd_;
};

// A message box (dialog class #32770) with the caption, of the process when pid is not 0.
std::optional<MessageBoxWindow> FindMessageBox(const std::string& caption, DWORD pid = 0);
std::optional<MessageBoxWindow> WaitForMessageBox(const std::string& caption, DWORD pid = 0,
                                                  int timeoutMs = 5000);

// ---- Input ----

// Brings the window to the front and waits until it really is the foreground window (the
// switch is asynchronous under Wine). False when it never becomes the foreground window.
bool BringToFront(HWND hwnd, int timeoutMs = 2000);

// Real mouse input through the system's input stream: it goes to the window under the cursor,
// honours capture and hit-testing, unlike posted mouse messages.
POINT ScreenPointOf(HWND hwnd, int clientX, int clientY);
POINT CentreOf(HWND hwnd);
void MoveMouse(POINT screen);
void MouseDown(POINT screen);
void MouseUp(POINT screen);
void ClickAt(POINT screen);
void Click(HWND control);  // at the centre of its client area

// Clicking a button by message. Posting returns at once, which is what a click that opens a
// modal box needs; sending waits until the click has been handled (false when it took longer).
void PostClick(HWND button);
bool SendClick(HWND button, int timeoutMs = 5000);

// Keyboard input through the system's input stream; it goes to the foreground window's focus.
struct Modifiers {
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
};
void KeyDown(BYTE vk);
void KeyUp(BYTE vk);
void PressKey(BYTE vk, Modifiers modifiers = {});
// Types printable ASCII text key by key (with SHIFT where the layout needs it).
void TypeText(const std::string& text);

}  // namespace parlo::e2e
