#include "forms/FindBox.h"

#include <commctrl.h>

#include <vector>

#include "forms/Dpi.h"
#include "forms/Fonts.h"

namespace parlo {

namespace {

constexpr UINT_PTR kEditSubclassId = 1;
constexpr int kClientWidth = 236;
constexpr int kClientHeight = 52;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

bool ShiftHeld() {
  return GetKeyState(VK_SHIFT) < 0;
}

}  // namespace

FindBox::FindBox(Search search) : search_(std::move(search)) {}

FindBox::~FindBox() {
  // The edit's subclass still reaches this object while the window goes.
  if (Handle()) DestroyWindow(Handle());
}

void FindBox::Create(HWND owner) {
  RegisterWindowClass(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  const int dpi = DpiOf(owner);
  RECT frame{0, 0, ScaleForDpi(kClientWidth, dpi), ScaleForDpi(kClientHeight, dpi)};
  AdjustWindowRectForDpi(frame, kStyle, kExStyle, dpi);
  RECT ownerRect{};
  GetWindowRect(owner, &ownerRect);
  // Over the owner's top right corner, clear of its drop-down list.
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  int x = ownerRect.right - width - ScaleForDpi(16, dpi), y = ownerRect.top + ScaleForDpi(60, dpi);
  if (!CreateWindowObject(kExStyle, kClassName, "Find", kStyle, x, y, width, height, owner, nullptr)) return;

  label_ = CreateWindowExA(0, "Static", "Find what:", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Handle(), nullptr,
                           ModuleInstance(), nullptr);
  edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                          0, 0, 0, 0, Handle(), nullptr, ModuleInstance(), nullptr);
  status_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, Handle(),
                            nullptr, ModuleInstance(), nullptr);
  LayOut(DpiOf(Handle()));
  SetWindowSubclass(edit_, EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void FindBox::LayOut(int dpi) {
  auto scale = [dpi](int layoutPixels) { return ScaleForDpi(layoutPixels, dpi); };
  LOGFONTA logFont{};
  logFont.lfHeight = scale(-12);
  logFont.lfCharSet = ANSI_CHARSET;
  lstrcpynA(logFont.lfFaceName, "Arial", LF_FACESIZE);
  Font font(CreateDisplayFont(logFont));
  MoveWindow(label_, scale(8), scale(9), scale(60), scale(16), TRUE);
  MoveWindow(edit_, scale(70), scale(6), scale(158), scale(20), TRUE);
  MoveWindow(status_, scale(8), scale(32), scale(220), scale(16), TRUE);
  for (HWND child : {label_, edit_, status_})
    if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  font_ = std::move(font);
}

void FindBox::Open(HWND owner) {
  if (!Handle()) Create(owner);
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetActiveWindow(Handle());
  SetFocus(edit_);
  SendMessageA(edit_, EM_SETSEL, 0, -1);
}

void FindBox::Close() {
  if (!IsOpen()) return;
  HWND owner = GetWindow(Handle(), GW_OWNER);
  ShowWindow(Handle(), SW_HIDE);
  if (owner) SetActiveWindow(owner);
}

Bytes FindBox::Text() const {
  if (!edit_) return Bytes();
  int length = GetWindowTextLengthA(edit_);
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int got = GetWindowTextA(edit_, buffer.data(), length + 1);
  return Bytes(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

bool FindBox::FindAgain(bool forward) {
  Bytes text = Text();
  if (text.empty()) return false;
  bool found = search_ && search_(text, forward);
  if (status_) SetWindowTextA(status_, found ? "" : kNotFound);
  return found;
}

LRESULT CALLBACK FindBox::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR self) {
  auto* box = reinterpret_cast<FindBox*>(self);
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_F3) {
        box->FindAgain(!ShiftHeld());
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        box->Close();
        return 0;
      }
      break;
    case WM_CHAR:
      // Enter and Esc did their work as keys; as characters they would only beep.
      if (wParam == '\r' || wParam == '\n' || wParam == 0x1B) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditProc, kEditSubclassId);
      box->edit_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT FindBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // New text: the old answer no longer applies.
      if (HIWORD(wParam) == EN_CHANGE && status_) SetWindowTextA(status_, "");
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && edit_) SetFocus(edit_);
      return 0;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DPICHANGED: {
      const DpiChange change = DpiChangeOf(wParam, lParam);
      LayOut(change.dpi);
      const RECT& to = change.suggested;
      SetWindowPos(Handle(), nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_DESTROY:
      status_ = nullptr;
      label_ = nullptr;
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
