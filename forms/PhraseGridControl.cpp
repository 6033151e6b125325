// A first, minimal grid: paints the cells; editing, scrolling and dragging come with the grid work.
#include "forms/PhraseGridControl.h"

#include <algorithm>

#include "forms/Fonts.h"

namespace parlo {

PhraseGridControl::PhraseGridControl(GridEvents& events) : events_(events), background_(CreateSolidBrush(kColor)) {
  model_.SetObserver(this);
  model_.SetSelectHook([this](int col, int row) {
    bool canSelect = true;
    events_.StringGrid1SelectCell(col, row, canSelect);
    return canSelect;
  });
}

PhraseGridControl::~PhraseGridControl() { model_.SetObserver(nullptr); }

HWND PhraseGridControl::Create(HWND parent, int id, int x, int y, int width, int height) {
  RegisterWindowClass(kClassName, CS_DBLCLKS, nullptr, nullptr);
  return CreateWindowObject(WS_EX_CLIENTEDGE, kClassName, "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS, x, y,
                            width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PhraseGridControl::SetGridFont(const LOGFONTA& font, COLORREF color) {
  logFont_ = font;
  fontColor_ = color;
  font_.Reset(CreateDisplayFont(logFont_));
  InvalidateGrid();
}

void PhraseGridControl::SetDefaultRowHeight(int height) {
  rowHeight_ = height > 0 ? height : 1;
  InvalidateGrid();
}

int PhraseGridControl::ColWidth(int col) const { return col >= 0 && col < kColCount ? colWidths_[col] : 0; }

void PhraseGridControl::SetColWidth(int col, int width) {
  if (col < 0 || col >= kColCount) return;
  colWidths_[col] = width;
  InvalidateGrid();
}

void PhraseGridControl::MouseToCell(int x, int y, int& col, int& row) const {
  col = -1;
  row = -1;
  if (x < 0 || y < 0) return;
  int left = 0;
  for (int c = 0; c < kColCount; ++c) {
    if (x < left + colWidths_[c]) {
      col = c;
      break;
    }
    left += colWidths_[c];
  }
  int r = y / rowHeight_;
  if (col >= 0 && r < model_.RowCount()) {
    row = r;
  } else {
    col = -1;
  }
}

RECT PhraseGridControl::CellRect(int col, int row) const {
  RECT rc{0, row * rowHeight_, 0, (row + 1) * rowHeight_};
  for (int c = 0; c < col; ++c) rc.left += colWidths_[c];
  rc.right = rc.left + ColWidth(col);
  return rc;
}

void PhraseGridControl::InvalidateCell(int col, int row) {
  if (!Handle()) return;
  RECT rc = CellRect(col, row);
  InvalidateRect(Handle(), &rc, FALSE);
}

void PhraseGridControl::InvalidateGrid() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

void PhraseGridControl::RowCountChanged() { InvalidateGrid(); }

void PhraseGridControl::CurrentChanged(int oldCol, int oldRow) {
  InvalidateCell(oldCol, oldRow);
  InvalidateCell(model_.Col(), model_.Row());
}

void PhraseGridControl::OnPaint() {
  PaintScope paint(Handle());
  HDC dc = paint.Dc();
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, background_.Get());
  SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fontColor_);
  int lastRow = std::min<int>(model_.RowCount() - 1, client.bottom / rowHeight_);
  for (int row = 0; row <= lastRow; ++row) {
    for (int col = 0; col < kColCount; ++col) {
      RECT rc = CellRect(col, row);
      const Bytes& text = model_.Cell(col, row);
      RECT textRc = rc;
      textRc.left += 2;
      DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRc,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      events_.StringGrid1DrawCell(dc, col, row, rc);
    }
  }
}

LRESULT PhraseGridControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
