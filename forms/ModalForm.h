#pragma once
#include <windows.h>

#include "forms/Layout.h"
#include "forms/Window.h"

namespace parlo {

// A fixed dialog shown modally: created on show, centred on the screen, its owner disabled
// while it runs, and destroyed before ShowModal returns. Enter clicks the default button
// (IDOK), Esc and the close box give Cancel.
class ModalForm : public Window {
 public:
  struct Frame {
    const char* className;
    const char* caption;
    int clientWidth;
    int clientHeight;
    bool stayOnTop;
    FontSpec font;
    const ControlSpec* layout;
    size_t layoutCount;
  };

  explicit ModalForm(Frame frame) : frame_(frame) {}

  // Returns the modal result: IDOK (1) or IDCANCEL (2).
  int ShowModal(HWND owner);
  // Ends the modal loop with this result once the current message is handled.
  void SetModalResult(int result) { modalResult_ = result; }
  HWND Control(int id) const { return controls_.Get(id); }
  bool IsShowing() const { return showing_; }

 protected:
  // Runs once the components of the layout table exist, before FormShow.
  virtual void ComponentsCreated() {}
  virtual void FormShow() {}
  // After the window and its table's controls were laid out again at a new dpi.
  virtual void DpiChanged() {}
  // A click or notification; the default makes IDOK give OK and IDCANCEL give Cancel.
  virtual void OnCommand(int id, int code, HWND control);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  ControlSet controls_;

 private:
  Frame frame_;
  int modalResult_ = 0;
  bool showing_ = false;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the dialog was left
};

}  // namespace parlo
