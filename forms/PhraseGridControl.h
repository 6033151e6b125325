#pragma once
#include <windows.h>

#include "core/PhraseGrid.h"
#include "forms/Gdi.h"
#include "forms/Window.h"

namespace parlo {

enum class MouseButton { Left, Right, Middle };

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
};

// The phrase grid window: draws a GridModel, edits cells in place, drags rows by their grip,
// scrolls, and raises GridEvents.
class PhraseGridControl : public Window, private GridObserver {
 public:
  static constexpr const char* kClassName = "TStringGrid";
  static constexpr COLORREF kColor = RGB(206, 185, 140);
  static constexpr COLORREF kTextColor = RGB(51, 41, 26);

  explicit PhraseGridControl(GridEvents& events);
  ~PhraseGridControl() override;
  HWND Create(HWND parent, int id, int x, int y, int width, int height);

  GridModel& Model() { return model_; }
  const GridModel& Model() const { return model_; }

  void SetGridFont(const LOGFONTA& font, COLORREF color);
  const LOGFONTA& GridFont() const { return logFont_; }
  HFONT GridFontHandle() const { return font_.Get(); }
  COLORREF GridFontColor() const { return fontColor_; }

  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);

  // The cell under a point in client pixels; -1, -1 where there is none.
  void MouseToCell(int x, int y, int& col, int& row) const;
  RECT CellRect(int col, int row) const;
  void InvalidateCell(int col, int row);
  void InvalidateGrid();

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void RowCountChanged() override;
  void CurrentChanged(int oldCol, int oldRow) override;
  void OnPaint();

  GridEvents& events_;
  GridModel model_;
  LOGFONTA logFont_{};
  Font font_;
  COLORREF fontColor_ = kTextColor;
  Brush background_;
  int rowHeight_ = 16;
  int colWidths_[kColCount] = {8, 14, 79, 206};
};

}  // namespace parlo
