#pragma once
#include <windows.h>

#include "core/book/PhraseGrid.h"
#include "forms/Gdi.h"
#include "forms/Window.h"

namespace parlo {

enum class MouseButton { Left, Right, Middle };

// The end of a label that names a hot key: drawn muted, and struck through when it does not work.
struct LabelKeyPart {
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t start = kNone;  // where the key part begins in the label
  bool works = false;
};

// What the grid tells its owner. The owner decides what the send buttons do.
class GridEvents {
 public:
  virtual ~GridEvents() = default;
  // After the grid has painted a cell's background and text.
  virtual void StringGrid1DrawCell(HDC dc, int col, int row, const RECT& rect) = 0;
  virtual void StringGrid1MouseDown(MouseButton button, int x, int y) = 0;
  virtual void StringGrid1MouseMove(int x, int y) = 0;
  virtual void StringGrid1MouseUp(MouseButton button, int x, int y) = 0;
  virtual void StringGrid1SelectCell(int col, int row, bool& canSelect) = 0;
  virtual void StringGrid1SetEditText(int col, int row, const Bytes& value) = 0;
  // The mouse capture went elsewhere while the owner held it (another window, a box).
  virtual void StringGrid1CaptureLost() = 0;
  // The context menu is asked for (right button, menu key, Shift+F10), at a point on the screen.
  virtual void StringGrid1ContextPopup(int /*screenX*/, int /*screenY*/) {}
  // A key the grid has no use for (editing keys of the owner's, find); true when it was taken.
  virtual bool StringGrid1KeyDown(UINT /*vk*/, bool /*shift*/, bool /*ctrl*/) { return false; }
  // Undo or redo changed the book's rows.
  virtual void StringGrid1HistoryStep() {}
  // Asked while a label is painted.
  virtual LabelKeyPart LabelKeyPartOf(int /*row*/) { return {}; }
  // Why the key part of a label does not work, shown while the pointer rests on it; empty: no tip.
  virtual Bytes LabelKeyTipOf(int /*row*/) { return {}; }
};

// The phrase grid window: draws a GridModel, edits cells in place, drags rows by their grip,
// scrolls, and raises GridEvents.
//
// Geometry: every row is DefaultRowHeight high; column 0 (the grip) stays put while the other
// columns scroll sideways by pixels; the grid scrolls down by whole rows (TopRow).
class PhraseGridControl : public Window, private GridObserver {
 public:
  static constexpr const char* kClassName = "TStringGrid";
  static constexpr COLORREF kColor = RGB(206, 185, 140);
  static constexpr COLORREF kTextColor = RGB(51, 41, 26);
  // The current cell: a lighter parchment, so that it stands out without hiding the text.
  static constexpr COLORREF kCurrentColor = RGB(236, 224, 194);
  // Where a dragged row will land.
  static constexpr COLORREF kDropLineColor = RGB(120, 60, 20);

  explicit PhraseGridControl(GridEvents& events);
  ~PhraseGridControl() override;
  HWND Create(HWND parent, int id, int x, int y, int width, int height);

  GridModel& Model() { return model_; }
  const GridModel& Model() const { return model_; }

  // The font as at 96 dpi (what the settings keep); it is shown scaled to the grid's dpi.
  void SetGridFont(const LOGFONTA& font, COLORREF color);
  const LOGFONTA& GridFont() const { return logFont_; }
  HFONT GridFontHandle() const { return font_.Get(); }
  COLORREF GridFontColor() const { return fontColor_; }

  // Moves to a new dpi: the grip and button columns, scrolling steps and the font follow it; the
  // row height and the other columns keep their size in layout numbers until the owner fits them
  // again. The current cell and the top row stay.
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);

  // The cell under a point in client pixels; -1, -1 where there is none (outside the client
  // area, past the last row or column).
  void MouseToCell(int x, int y, int& col, int& row) const;
  // The cell's rectangle in client pixels, scrolling included (it may lie outside the client).
  RECT CellRect(int col, int row) const;
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateGrid();

  // Scrolling.
  int TopRow() const { return state_.topRow; }
  void SetTopRow(int row);
  int LeftOffset() const { return state_.leftOffset; }
  void SetLeftOffset(int pixels);
  // Rows that fit entirely in the client area (at least 1).
  int VisibleRowCount() const;
  // Scrolls the least needed to show the cell.
  void ScrollIntoView(int col, int row);

  // In-place editing of the current cell (columns 2 and 3 only).
  bool IsEditing() const { return state_.editing; }
  HWND Editor() const { return editor_; }
  // Opens the editor on the current cell, with its text, or empty when `empty` (typing replaces).
  bool ShowEditor(bool empty = false);
  // Closes the editor: storing its text (and raising StringGrid1SetEditText when it changed) or
  // dropping it. Does nothing when no editor is open.
  void EndEdit(bool commit);

  // Takes back or makes again the last change to the book (an open edit is stored first, and so
  // is the change taken back), then shows the row it was in; false when there was none.
  bool Undo();
  bool Redo();

  bool IsDraggingRow() const { return state_.drag == DragState::Dragging; }

  // The tool tip over key parts that do not work. Its one tool covers the key part under the
  // pointer, or nothing.
  HWND KeyTip() const { return keyTip_; }
  static constexpr UINT_PTR kKeyTipToolId = 1;
  int DropRow() const { return state_.dropRow; }

  // Paints the grid as the client area shows it into any DC (client coordinates), limited to
  // the area. WM_PAINT and WM_PRINTCLIENT both come here.
  void PaintTo(HDC dc, const RECT& area);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  enum class DragState { None, Armed, Dragging };
  // Everything about the view that is not the data.
  struct State {
    int topRow = 0;
    int leftOffset = 0;     // pixels scrolled off to the left, past the grip
    bool editing = false;
    int editCol = -1, editRow = -1;  // the cell the open editor stores into
    bool endingEdit = false;         // EndEdit is running; focus changes must not re-enter
    bool selectingByMouse = false;   // a click moves the current cell; the view must not move under it
    bool updatingScrollBars = false;
    bool destroying = false;
    DragState drag = DragState::None;
    int dragRow = -1;
    int dropRow = -1;
    POINT dragStart{};
    int wheelRemainder = 0;
  };

  void RowCountChanged() override;
  void CurrentChanged(int oldCol, int oldRow) override;

  // Message handlers.
  void OnPaint();
  void OnSize();
  void OnButtonDown(MouseButton button, int x, int y, bool doubleClick);
  void OnMouseMove(int x, int y);
  void OnButtonUp(MouseButton button, int x, int y);
  void OnCaptureChanged(HWND newCapture);
  void OnKeyDown(UINT vk);
  void OnContextMenu(int x, int y);
  void ShowChange();  // after an undo or redo step
  void OnChar(WPARAM ch);
  void OnVScroll(int code);
  void OnHScroll(int code);
  void OnMouseWheel(int delta);
  void OnTimer(UINT_PTR id);
  LRESULT OnGetDlgCode(const MSG* msg);
  LRESULT OnCtlColorEdit(HDC dc);

  // Keyboard movement; false when the key is not one of the grid's.
  bool MoveByKey(UINT vk, bool shift, bool ctrl);
  void MoveTo(int col, int row);

  void UpdateScrollBars();
  void ClampScroll();
  int ScrollableWidth() const;  // columns 1..3
  int MaxTopRow() const;
  int MaxLeftOffset() const;
  RECT Client() const;

  void PaintCell(HDC dc, int col, int row, const RECT& rc, bool focused);
  // Where a label's key part goes: the text before it, shortened with "..." when both do not fit,
  // and the key in its font. The DC holds the grid font.
  struct KeyPlace {
    Bytes prefix;
    int prefixWidth = 0;
    SIZE keySize{};
    HGDIOBJ keyFont = nullptr;
  };
  KeyPlace PlaceLabelKey(HDC dc, std::string_view label, const LabelKeyPart& key, const RECT& textRc) const;
  void PaintLabelWithKey(HDC dc, std::string_view label, const LabelKeyPart& key, const RECT& textRc);
  // The key part of a label that does not work, in client pixels as far as it shows; empty for
  // any other label.
  RECT BrokenKeyPartRect(int row);
  void CreateKeyTip();
  // Points the tip at the key part under the pointer, then lets it see the mouse message.
  void RelayToKeyTip(UINT message, WPARAM wParam, LPARAM lParam);
  void PaintDropLine(HDC dc);
  RECT DropLineRect(int dropRow) const;

  // Row dragging by the grip.
  void UpdateDrag(int x, int y);
  void FinishDrag(bool drop);
  int DropRowAt(int y) const;

  void PlaceEditor();
  void MakeFonts();
  int Scale(int layoutPixels) const;
  static LRESULT CALLBACK EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
  LRESULT OnEditorMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

  GridEvents& events_;
  GridModel model_;
  State state_;
  LOGFONTA logFont_{};
  Font font_;
  Font struckFont_;  // the grid font struck through, for keys that do not work
  COLORREF fontColor_ = kTextColor;
  Brush background_;
  Brush currentBrush_;
  Brush dropBrush_;
  HWND editor_ = nullptr;  // a child of the grid: destroyed with it
  HWND keyTip_ = nullptr;  // owned by the top-level window; destroyed with the grid
  RECT keyTipRect_{};
  Bytes keyTipText_;
  int dpi_ = 96;
  // In pixels at dpi_; Create scales the layout's sizes.
  int rowHeight_ = 16;
  int colWidths_[kColCount] = {8, 14, 79, 206};
};

}  // namespace parlo
