#pragma once
#include <windows.h>

#include <functional>

#include "core/text/Bytes.h"
#include "forms/Gdi.h"
#include "forms/Window.h"

namespace parlo {

// The small modeless find box of the main window: one line of text to look for and a line that
// says when nothing was found. Enter finds the next row, Shift+Enter the one before, Esc closes.
class FindBox : public Window {
 public:
  static constexpr const char* kClassName = "TForm_Find";
  static constexpr const char* kNotFound = "Not found";
  // Looks for the text forwards or backwards; answers whether a row was found.
  using Search = std::function<bool(const Bytes& text, bool forward)>;

  explicit FindBox(Search search);
  ~FindBox() override;

  // Shows the box beside its owner (created the first time) with the keyboard in its text.
  void Open(HWND owner);
  void Close();
  bool IsOpen() const { return Handle() && IsWindowVisible(Handle()); }
  // The text last typed; empty before the box was first opened.
  Bytes Text() const;
  // Looks again for the box's text; says "Not found" in the box when nothing matched.
  bool FindAgain(bool forward);

  HWND TextEdit() const { return edit_; }
  HWND Status() const { return status_; }

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Create(HWND owner);
  // Sizes the box's client area, places its controls and makes its font for the dpi.
  void LayOut(int dpi);

  Search search_;
  Font font_;
  HWND label_ = nullptr;
  HWND edit_ = nullptr;
  HWND status_ = nullptr;
};

}  // namespace parlo
