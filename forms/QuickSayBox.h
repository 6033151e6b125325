#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "core/text/Bytes.h"
#include "core/book/GridFind.h"
#include "core/text/LeadBytes.h"
#include "core/book/PhraseGrid.h"
#include "forms/ControlIds.h"
#include "forms/Gdi.h"
#include "forms/PhraseGridControl.h"
#include "forms/Window.h"

namespace parlo {

// The Quick Say box: a small always-on-top window over the game with a line of words to look for
// and, below it, the book's say lines that hold every word. Enter or a double click says the
// chosen line once the box has closed and the keyboard is back where it was; Esc closes it, and
// so does the box losing the keyboard. It reads the book and never moves the grid's current row.
class QuickSayBox : public Window {
 public:
  static constexpr const char* kClassName = PARLO_CLASS_QUICKSAY;
  static constexpr const char* kCaption = "Parlo! - Quick Say";

  struct Hooks {
    std::function<LabelKeyPart(int row)> keyPartOf;  // the label's key part, as the grid draws it
    std::function<void(int row)> say;                // the box has closed; say the book's row
  };

  QuickSayBox(const GridModel& book, const LowerTable& lower, const LeadBytes& lead, Hooks hooks);
  ~QuickSayBox() override;

  // Shows the box (made the first time) with the book's say lines in `font` (as at 96 dpi) and the
  // keyboard in its empty text: centred on `over` when that is a window, else on the monitor of
  // the window in front, else on that of `fallback`.
  void Open(HWND over, HWND fallback, const LOGFONTA& font);
  // Hides the box; with `giveBack` the window that had the keyboard before it opened has it again.
  void Close(bool giveBack);
  bool IsOpen() const { return Handle() && IsWindowVisible(Handle()); }

  // Says the chosen line as the hooks do, after closing; nothing when no line is chosen.
  void SayChosen();
  // The book's row of the chosen line, or -1.
  int ChosenRow() const;
  const std::vector<int>& Rows() const { return filter_.Rows(); }

  // Outer size as at 96 dpi: what the settings keep.
  SIZE LayoutSize() const { return layoutSize_; }
  void SetLayoutSize(int width, int height);

  HWND TextEdit() const { return edit_; }
  HWND List() const { return list_; }

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK KeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Create();
  // Fonts and row height for the dpi, then the controls in the client area.
  void ApplyDpi(int dpi);
  void LayOut();
  void Refilter();
  void DrawRow(const DRAWITEMSTRUCT& item);
  void RememberSize();
  // The smallest outer size the box takes, at its dpi.
  SIZE LeastSize() const;
  int Scale(int layoutPixels) const;

  const GridModel& book_;
  const LowerTable& lower_;
  const LeadBytes& lead_;
  Hooks hooks_;
  SayRowFilter filter_;
  LOGFONTA logFont_{};
  Font font_;
  Font struckFont_;
  Brush background_;
  Brush chosenBrush_;
  Brush edgeBrush_;
  HWND edit_ = nullptr;
  HWND list_ = nullptr;
  HWND previous_ = nullptr;  // had the keyboard before the box opened
  int dpi_ = 96;
  int rowHeight_ = 16;
  SIZE layoutSize_;
  bool closing_ = false;
};

}  // namespace parlo
