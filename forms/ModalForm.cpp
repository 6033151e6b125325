#include "forms/ModalForm.h"

#include "forms/Dpi.h"
#include "forms/ExceptionBox.h"

namespace parlo {

int ModalForm::ShowModal(HWND owner) {
  RegisterWindowClass(frame_.className, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (frame_.stayOnTop ? WS_EX_TOPMOST : 0);
  // The dialog opens at the screen's dpi.
  const int dpi = DpiOf(nullptr);
  RECT rc{0, 0, ScaleForDpi(frame_.clientWidth, dpi), ScaleForDpi(frame_.clientHeight, dpi)};
  AdjustWindowRectForDpi(rc, style, exStyle, dpi);
  int width = rc.right - rc.left;
  int height = rc.bottom - rc.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  if (!CreateWindowObject(exStyle, frame_.className, frame_.caption, style, x, y, width, height, owner, nullptr))
    return IDCANCEL;
  controls_.Create(Handle(), frame_.layout, frame_.layoutCount, frame_.font);
  ComponentsCreated();

  modalResult_ = 0;
  showing_ = true;
  RunGuarded([this] { FormShow(); });
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(Handle(), SW_SHOW);
  // Focus the first control in the tab order.
  if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE)) SetFocus(first);

  MSG msg;
  while (modalResult_ == 0) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: hand the quit on to the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = IDCANCEL;
      break;
    }
    if (IsDialogMessageA(Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  showing_ = false;
  // Enable the owner before the dialog goes, so that Windows activates the owner again.
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  DestroyWindow(Handle());
  return modalResult_;
}

void ModalForm::OnCommand(int id, int code, HWND) {
  if (code != BN_CLICKED) return;
  if (id == IDOK) SetModalResult(IDOK);
  if (id == IDCANCEL) SetModalResult(IDCANCEL);
}

LRESULT ModalForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_ACTIVATE:
      // Coming back to the dialog puts the caret back where it was (at first: the first control
      // in the tab order), not on the frame, where typing would go nowhere.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
      } else if (HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetNextDlgTabItem(Handle(), nullptr, FALSE)) {
        SetFocus(target);
      }
      return 0;
    case WM_DPICHANGED: {
      const DpiChange change = DpiChangeOf(wParam, lParam);
      controls_.ApplyDpi(change.dpi);
      DpiChanged();
      const RECT& to = change.suggested;
      SetWindowPos(Handle(), nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    }
    case DM_GETDEFID:
      return Control(IDOK) ? MAKELRESULT(IDOK, DC_HASDEFID) : 0;
    case WM_CLOSE:
      SetModalResult(IDCANCEL);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
