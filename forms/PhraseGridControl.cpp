#include "forms/PhraseGridControl.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "forms/Dpi.h"
#include "forms/Fonts.h"
#include "platform/Win32Clipboard.h"

namespace parlo {

namespace {

constexpr UINT_PTR kEditorSubclassId = 1;
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollMs = 60;
constexpr int kTextInset = 2;  // text starts this far in from the cell's left and top edges
constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_TOP;
constexpr int kHorzLineStep = 16;
constexpr int kLayoutRowHeight = 16;
constexpr int kLayoutColWidths[kColCount] = {8, 14, 79, 206};

bool KeyHeld(int vk) { return GetKeyState(vk) < 0; }

}  // namespace

PhraseGridControl::PhraseGridControl(GridEvents& events)
    : events_(events),
      background_(CreateSolidBrush(kColor)),
      currentBrush_(CreateSolidBrush(kCurrentColor)),
      dropBrush_(CreateSolidBrush(kDropLineColor)) {
  model_.SetObserver(this);
  model_.SetSelectHook([this](int col, int row) {
    bool canSelect = true;
    events_.StringGrid1SelectCell(col, row, canSelect);
    return canSelect;
  });
}

PhraseGridControl::~PhraseGridControl() {
  // Tear the window down while this object can still answer its messages (the editor's focus
  // loss among them), and before the font it uses goes.
  state_.destroying = true;
  if (Handle()) DestroyWindow(Handle());
  model_.SetObserver(nullptr);
}

HWND PhraseGridControl::Create(HWND parent, int id, int x, int y, int width, int height) {
  dpi_ = DpiOf(parent);
  rowHeight_ = Scale(kLayoutRowHeight);
  for (int col = 0; col < kColCount; ++col) colWidths_[col] = Scale(kLayoutColWidths[col]);
  if (logFont_.lfFaceName[0]) MakeFonts();
  RegisterWindowClass(kClassName, CS_DBLCLKS, nullptr, nullptr);
  HWND hwnd = CreateWindowObject(WS_EX_CLIENTEDGE, kClassName, "",
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS |
                                     WS_CLIPCHILDREN,
                                 x, y, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  CreateKeyTip();
  UpdateScrollBars();
  return hwnd;
}

// ---- Properties ----

void PhraseGridControl::SetGridFont(const LOGFONTA& font, COLORREF color) {
  EndEdit(true);
  logFont_ = font;
  fontColor_ = color;
  MakeFonts();
  InvalidateGrid();
}

int PhraseGridControl::Scale(int layoutPixels) const {
  return ScaleForDpi(layoutPixels, dpi_);
}

void PhraseGridControl::MakeFonts() {
  LOGFONTA shown = logFont_;
  shown.lfHeight = Scale(logFont_.lfHeight);
  shown.lfWidth = Scale(logFont_.lfWidth);
  font_.Reset(CreateDisplayFont(shown));
  shown.lfStrikeOut = TRUE;
  struckFont_.Reset(CreateDisplayFont(shown));
  if (editor_) SendMessageA(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
}

void PhraseGridControl::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  EndEdit(true);
  const int oldDpi = dpi_;
  const int topRow = state_.topRow;
  dpi_ = dpi;
  auto rescale = [&](int pixels) { return ScaleForDpi(LayoutFromDpi(pixels, oldDpi), dpi_); };
  rowHeight_ = std::max(1, rescale(rowHeight_));
  colWidths_[kColGrip] = Scale(kLayoutColWidths[kColGrip]);
  colWidths_[kColButton] = Scale(kLayoutColWidths[kColButton]);
  colWidths_[kColLabel] = rescale(colWidths_[kColLabel]);
  colWidths_[kColText] = rescale(colWidths_[kColText]);
  state_.leftOffset = rescale(state_.leftOffset);
  MakeFonts();
  UpdateScrollBars();
  SetTopRow(topRow);
  InvalidateGrid();
}

void PhraseGridControl::SetDefaultRowHeight(int height) {
  if (height < 1) height = 1;
  if (height == rowHeight_) return;
  EndEdit(true);
  rowHeight_ = height;
  UpdateScrollBars();
  InvalidateGrid();
}

int PhraseGridControl::ColWidth(int col) const { return col >= 0 && col < kColCount ? colWidths_[col] : 0; }

void PhraseGridControl::SetColWidth(int col, int width) {
  if (col < 0 || col >= kColCount) return;
  if (width < 0) width = 0;
  if (width == colWidths_[col]) return;
  EndEdit(true);
  colWidths_[col] = width;
  UpdateScrollBars();
  InvalidateGrid();
}

// ---- Geometry ----

RECT PhraseGridControl::Client() const {
  RECT rc{0, 0, 0, 0};
  if (Handle()) GetClientRect(Handle(), &rc);
  return rc;
}

int PhraseGridControl::ScrollableWidth() const { return colWidths_[1] + colWidths_[2] + colWidths_[3]; }

int PhraseGridControl::VisibleRowCount() const {
  int rows = Client().bottom / rowHeight_;
  return rows > 0 ? rows : 1;
}

int PhraseGridControl::MaxTopRow() const { return std::max(0, model_.RowCount() - VisibleRowCount()); }

int PhraseGridControl::MaxLeftOffset() const {
  int page = Client().right - colWidths_[kColGrip];
  return std::max(0, ScrollableWidth() - std::max(0, page));
}

void PhraseGridControl::MouseToCell(int x, int y, int& col, int& row) const {
  col = -1;
  row = -1;
  RECT client = Client();
  if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return;
  int r = state_.topRow + y / rowHeight_;
  if (r >= model_.RowCount()) return;
  int c = -1;
  if (x < colWidths_[kColGrip]) {
    c = kColGrip;
  } else {
    int left = colWidths_[kColGrip] - state_.leftOffset;
    for (int i = 1; i < kColCount; ++i) {
      if (x >= left && x < left + colWidths_[i]) {
        c = i;
        break;
      }
      left += colWidths_[i];
    }
  }
  if (c < 0) return;
  col = c;
  row = r;
}

RECT PhraseGridControl::CellRect(int col, int row) const {
  RECT rc{0, (row - state_.topRow) * rowHeight_, 0, 0};
  rc.bottom = rc.top + rowHeight_;
  if (col <= kColGrip) {
    rc.right = col == kColGrip ? colWidths_[kColGrip] : 0;
    return rc;
  }
  rc.left = colWidths_[kColGrip] - state_.leftOffset;
  for (int c = 1; c < col && c < kColCount; ++c) rc.left += colWidths_[c];
  rc.right = rc.left + ColWidth(col);
  return rc;
}

void PhraseGridControl::InvalidateCell(int col, int row) {
  if (!Handle() || row < 0 || col < 0 || col >= kColCount) return;
  RECT rc = CellRect(col, row);
  if (col > kColGrip && rc.left < colWidths_[kColGrip]) rc.left = colWidths_[kColGrip];
  RECT client = Client();
  RECT visible;
  if (IntersectRect(&visible, &rc, &client)) InvalidateRect(Handle(), &visible, FALSE);
}

void PhraseGridControl::InvalidateRow(int row) {
  if (!Handle()) return;
  RECT rc = Client();
  rc.top = (row - state_.topRow) * rowHeight_;
  rc.bottom = rc.top + rowHeight_;
  RECT client = Client();
  RECT visible;
  if (IntersectRect(&visible, &rc, &client)) InvalidateRect(Handle(), &visible, FALSE);
}

void PhraseGridControl::InvalidateGrid() {
  if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- Scrolling ----

void PhraseGridControl::ClampScroll() {
  state_.topRow = std::clamp(state_.topRow, 0, MaxTopRow());
  state_.leftOffset = std::clamp(state_.leftOffset, 0, MaxLeftOffset());
}

void PhraseGridControl::UpdateScrollBars() {
  if (!Handle() || state_.updatingScrollBars) return;
  state_.updatingScrollBars = true;
  int oldTop = state_.topRow, oldLeft = state_.leftOffset;
  // Showing one bar narrows the room for the other; go round until the client area holds still.
  for (int pass = 0; pass < 4; ++pass) {
    RECT before = Client();
    ClampScroll();
    SCROLLINFO v{};
    v.cbSize = sizeof v;
    v.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    v.nMax = model_.RowCount() - 1;
    v.nPage = static_cast<UINT>(VisibleRowCount());
    v.nPos = state_.topRow;
    SetScrollInfo(Handle(), SB_VERT, &v, TRUE);
    SCROLLINFO h{};
    h.cbSize = sizeof h;
    h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    h.nMax = std::max(0, ScrollableWidth() - 1);
    h.nPage = static_cast<UINT>(std::max(0, static_cast<int>(before.right) - colWidths_[kColGrip]));
    h.nPos = state_.leftOffset;
    SetScrollInfo(Handle(), SB_HORZ, &h, TRUE);
    RECT after = Client();
    if (EqualRect(&before, &after)) break;
  }
  ClampScroll();
  state_.updatingScrollBars = false;
  if (oldTop != state_.topRow || oldLeft != state_.leftOffset) {
    SetScrollPos(Handle(), SB_VERT, state_.topRow, TRUE);
    SetScrollPos(Handle(), SB_HORZ, state_.leftOffset, TRUE);
    if (state_.editing) PlaceEditor();
    InvalidateGrid();
  }
}

void PhraseGridControl::SetTopRow(int row) {
  row = std::clamp(row, 0, MaxTopRow());
  if (row == state_.topRow) return;
  EndEdit(true);
  state_.topRow = row;
  if (Handle()) SetScrollPos(Handle(), SB_VERT, row, TRUE);
  InvalidateGrid();
}

void PhraseGridControl::SetLeftOffset(int pixels) {
  pixels = std::clamp(pixels, 0, MaxLeftOffset());
  if (pixels == state_.leftOffset) return;
  EndEdit(true);
  state_.leftOffset = pixels;
  if (Handle()) SetScrollPos(Handle(), SB_HORZ, pixels, TRUE);
  InvalidateGrid();
}

void PhraseGridControl::ScrollIntoView(int col, int row) {
  if (row >= 0 && row < model_.RowCount()) {
    int visible = VisibleRowCount();
    if (row < state_.topRow)
      SetTopRow(row);
    else if (row >= state_.topRow + visible)
      SetTopRow(row - visible + 1);
  }
  if (col > kColGrip && col < kColCount) {
    int x0 = 0;
    for (int c = 1; c < col; ++c) x0 += colWidths_[c];
    int x1 = x0 + colWidths_[col];
    int page = Client().right - colWidths_[kColGrip];
    if (x0 < state_.leftOffset)
      SetLeftOffset(x0);
    else if (x1 > state_.leftOffset + page)
      SetLeftOffset(std::min(x0, x1 - page));
  }
}

void PhraseGridControl::OnVScroll(int code) {
  int top = state_.topRow;
  switch (code) {
    case SB_LINEUP: top -= 1; break;
    case SB_LINEDOWN: top += 1; break;
    case SB_PAGEUP: top -= VisibleRowCount(); break;
    case SB_PAGEDOWN: top += VisibleRowCount(); break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = MaxTopRow(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The message carries only 16 bits of position; a large book needs the full 32.
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_VERT, &info)) top = info.nTrackPos;
      break;
    }
    default: return;
  }
  SetTopRow(top);
}

void PhraseGridControl::OnHScroll(int code) {
  int left = state_.leftOffset;
  int page = std::max(Scale(kHorzLineStep), static_cast<int>(Client().right) - colWidths_[kColGrip]);
  switch (code) {
    case SB_LINELEFT: left -= Scale(kHorzLineStep); break;
    case SB_LINERIGHT: left += Scale(kHorzLineStep); break;
    case SB_PAGELEFT: left -= page; break;
    case SB_PAGERIGHT: left += page; break;
    case SB_LEFT: left = 0; break;
    case SB_RIGHT: left = MaxLeftOffset(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      if (GetScrollInfo(Handle(), SB_HORZ, &info)) left = info.nTrackPos;
      break;
    }
    default: return;
  }
  SetLeftOffset(left);
}

void PhraseGridControl::OnMouseWheel(int delta) {
  EndEdit(true);
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  state_.wheelRemainder += delta;
  int notches = state_.wheelRemainder / WHEEL_DELTA;
  if (notches == 0) return;
  state_.wheelRemainder -= notches * WHEEL_DELTA;
  int step = lines == WHEEL_PAGESCROLL ? VisibleRowCount() : static_cast<int>(lines);
  SetTopRow(state_.topRow - notches * step);
}

// ---- Model changes ----

void PhraseGridControl::RowCountChanged() {
  // Whoever changes the rows ends an edit first; an editor still open now would store into a
  // row that has moved, so it is dropped.
  EndEdit(false);
  if (state_.drag != DragState::None) {
    state_.drag = DragState::None;
    if (Handle()) KillTimer(Handle(), kAutoScrollTimer);
    if (Handle() && GetCapture() == Handle()) ReleaseCapture();
  }
  UpdateScrollBars();
  InvalidateGrid();
}

void PhraseGridControl::CurrentChanged(int oldCol, int oldRow) {
  if (state_.editing && (state_.editCol != model_.Col() || state_.editRow != model_.Row())) EndEdit(true);
  InvalidateCell(oldCol, oldRow);
  InvalidateCell(model_.Col(), model_.Row());
  // A click must not slide the rows under the pointer: the press goes on with that point.
  if (!state_.selectingByMouse) ScrollIntoView(model_.Col(), model_.Row());
}

// ---- Painting ----

void PhraseGridControl::OnPaint() {
  PaintScope paint(Handle());
  const RECT& dirty = paint.Dirty();
  int width = dirty.right - dirty.left, height = dirty.bottom - dirty.top;
  if (width <= 0 || height <= 0) return;
  MemoryDc buffer(paint.Dc(), width, height);
  SetViewportOrgEx(buffer.Get(), -dirty.left, -dirty.top, nullptr);
  PaintTo(buffer.Get(), dirty);
  BitBlt(paint.Dc(), dirty.left, dirty.top, width, height, buffer.Get(), dirty.left, dirty.top, SRCCOPY);
}

void PhraseGridControl::PaintTo(HDC dc, const RECT& area) {
  FillRect(dc, &area, background_.Get());
  if (model_.RowCount() <= 0 || area.bottom <= area.top) return;
  // Only the rows the area touches: a book of any length costs what one screenful costs.
  int firstRow = state_.topRow + std::max(0, static_cast<int>(area.top)) / rowHeight_;
  int lastRow = std::min(model_.RowCount() - 1, state_.topRow + std::max(0, static_cast<int>(area.bottom) - 1) / rowHeight_);
  HWND focus = GetFocus();
  bool focused = Handle() && focus == Handle();

  SelectScope font(dc, font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, fontColor_);

  int grip = colWidths_[kColGrip];
  if (area.right > grip) {
    // The scrolling columns, kept off the grip column.
    int saved = SaveDC(dc);
    IntersectClipRect(dc, grip, area.top, area.right, area.bottom);
    for (int row = firstRow; row <= lastRow; ++row) {
      for (int col = kColButton; col < kColCount; ++col) {
        RECT rc = CellRect(col, row);
        if (rc.right <= area.left || rc.left >= area.right || rc.right <= grip) continue;
        PaintCell(dc, col, row, rc, focused);
      }
    }
    RestoreDC(dc, saved);
  }
  if (area.left < grip) {
    for (int row = firstRow; row <= lastRow; ++row) PaintCell(dc, kColGrip, row, CellRect(kColGrip, row), focused);
  }
  if (state_.drag == DragState::Dragging) PaintDropLine(dc);
}

void PhraseGridControl::PaintCell(HDC dc, int col, int row, const RECT& rc, bool focused) {
  if (col == kColGrip) {
    // A fixed cell: button face with 3-D edges, and a line along its right and bottom sides.
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    RECT inner = rc;
    inner.right -= 1;
    inner.bottom -= 1;
    DrawEdge(dc, &inner, BDR_RAISEDINNER, BF_RECT);
    RECT line{rc.right - 1, rc.top, rc.right, rc.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DDKSHADOW));
    line = RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_3DDKSHADOW));
  } else {
    bool current = col == model_.Col() && row == model_.Row();
    if (current) FillRect(dc, &rc, currentBrush_.Get());
    // A view: painting never takes a loaded row's cells out of the file's bytes.
    const std::string_view text = model_.CellView(col, row);
    if (!text.empty()) {
      RECT textRc = rc;
      textRc.left += Scale(kTextInset);
      textRc.top += Scale(kTextInset);
      const LabelKeyPart key = col == kColLabel ? events_.LabelKeyPartOf(row) : LabelKeyPart{};
      if (key.start < text.size())
        PaintLabelWithKey(dc, text, key, textRc);
      else
        DrawTextA(dc, text.data(), static_cast<int>(text.size()), &textRc, kCellTextFormat);
    }
    if (current && focused && !state_.editing) {
      RECT focus = rc;
      InflateRect(&focus, -Scale(1), -Scale(1));
      DrawFocusRect(dc, &focus);
    }
  }
  events_.StringGrid1DrawCell(dc, col, row, rc);
}

PhraseGridControl::KeyPlace PhraseGridControl::PlaceLabelKey(HDC dc, std::string_view label,
                                                              const LabelKeyPart& key, const RECT& textRc) const {
  KeyPlace place;
  const int keyLength = static_cast<int>(label.size() - key.start);
  const char* keyText = label.data() + key.start;
  place.keyFont =
      !key.works && struckFont_ ? static_cast<HGDIOBJ>(struckFont_.Get()) : GetCurrentObject(dc, OBJ_FONT);
  {
    SelectScope measure(dc, place.keyFont);
    GetTextExtentPoint32A(dc, keyText, keyLength, &place.keySize);
  }
  const int room = textRc.right - textRc.left;
  // The text before the key, shortened with "..." when label and key do not fit together, so
  // that the key stays whole; when not even the key fits, the key is the part that is cut.
  Bytes& prefix = place.prefix;
  prefix.assign(label.substr(0, key.start));
  SIZE prefixSize{};
  GetTextExtentPoint32A(dc, prefix.data(), static_cast<int>(prefix.size()), &prefixSize);
  if (place.keySize.cx < room && prefixSize.cx + place.keySize.cx > room) {
    const char* begin = label.data();
    const char* end = begin + key.start;
    SIZE shortened{};
    do {
      end = CharPrevA(begin, end);
      prefix.assign(begin, end);
      prefix += "...";
      GetTextExtentPoint32A(dc, prefix.data(), static_cast<int>(prefix.size()), &shortened);
    } while (end > begin && shortened.cx + place.keySize.cx > room);
    if (shortened.cx + place.keySize.cx > room) prefix.clear();
    GetTextExtentPoint32A(dc, prefix.data(), static_cast<int>(prefix.size()), &prefixSize);
  }
  place.prefixWidth = prefixSize.cx;
  return place;
}

void PhraseGridControl::PaintLabelWithKey(HDC dc, std::string_view label, const LabelKeyPart& key, const RECT& textRc) {
  const KeyPlace place = PlaceLabelKey(dc, label, key, textRc);
  RECT prefixRc = textRc;
  if (!place.prefix.empty())
    DrawTextA(dc, place.prefix.data(), static_cast<int>(place.prefix.size()), &prefixRc, kCellTextFormat);
  RECT keyRc = textRc;
  keyRc.left = textRc.left + place.prefixWidth;
  if (keyRc.left >= keyRc.right) return;
  const COLORREF text = GetTextColor(dc);
  // Halfway between the text and the grid: there to be read, not to be noticed first.
  SetTextColor(dc, RGB((GetRValue(text) + GetRValue(kColor)) / 2, (GetGValue(text) + GetGValue(kColor)) / 2,
                       (GetBValue(text) + GetBValue(kColor)) / 2));
  {
    SelectScope font(dc, place.keyFont);
    DrawTextA(dc, label.data() + key.start, static_cast<int>(label.size() - key.start), &keyRc,
              kCellTextFormat);
  }
  SetTextColor(dc, text);
}

// ---- The key tip ----

void PhraseGridControl::CreateKeyTip() {
  keyTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                            ModuleInstance(), nullptr);
  if (!keyTip_) return;
  TTTOOLINFOA info{};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.hwnd = Handle();
  info.uId = kKeyTipToolId;
  info.lpszText = const_cast<char*>("");
  SendMessageA(keyTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

RECT PhraseGridControl::BrokenKeyPartRect(int row) {
  const std::string_view label = model_.CellView(kColLabel, row);
  const LabelKeyPart key = label.empty() ? LabelKeyPart{} : events_.LabelKeyPartOf(row);
  if (key.start >= label.size() || key.works) return RECT{};
  const RECT cell = CellRect(kColLabel, row);
  RECT textRc = cell;
  textRc.left += Scale(kTextInset);
  textRc.top += Scale(kTextInset);
  KeyPlace place;
  {
    WindowDc dc(Handle());
    SelectScope font(dc.Get(), font_ ? static_cast<HGDIOBJ>(font_.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    place = PlaceLabelKey(dc.Get(), label, key, textRc);
  }
  // The whole height of the row, and only what the grip column and the client area leave shown.
  const LONG left = textRc.left + place.prefixWidth;
  const RECT part{left, cell.top, std::min<LONG>(left + place.keySize.cx, textRc.right), cell.bottom};
  RECT shown = Client();
  shown.left = colWidths_[kColGrip];
  RECT visible{};
  return IntersectRect(&visible, &part, &shown) ? visible : RECT{};
}

void PhraseGridControl::RelayToKeyTip(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    RECT part{};
    Bytes text;
    int col, row;
    MouseToCell(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), col, row);
    if (col == kColLabel && state_.drag == DragState::None && GetCapture() != Handle()) {
      part = BrokenKeyPartRect(row);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PtInRect(&part, at)) text = events_.LabelKeyTipOf(row);
    }
    if (text.empty()) part = RECT{};
    if (text != keyTipText_ || !EqualRect(&part, &keyTipRect_)) {
      // Another key, or none: the tip that shows now is about the last one.
      SendMessageA(keyTip_, TTM_POP, 0, 0);
      keyTipText_ = text;
      keyTipRect_ = part;
      TTTOOLINFOA info{};
      info.cbSize = TTTOOLINFOA_V1_SIZE;
      info.hwnd = Handle();
      info.uId = kKeyTipToolId;
      info.rect = part;
      SendMessageA(keyTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&info));
      info.lpszText = keyTipText_.data();
      SendMessageA(keyTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
    }
  }
  MSG msg{};
  msg.hwnd = Handle();
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendMessageA(keyTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

RECT PhraseGridControl::DropLineRect(int dropRow) const {
  RECT client = Client();
  int y = (dropRow - state_.topRow) * rowHeight_;
  if (dropRow > state_.dragRow) y += rowHeight_;
  const int half = Scale(1);
  return RECT{0, y - half, client.right, y + half};
}

void PhraseGridControl::PaintDropLine(HDC dc) {
  RECT line = DropLineRect(state_.dropRow);
  FillRect(dc, &line, dropBrush_.Get());
}

// ---- Mouse ----

void PhraseGridControl::OnButtonDown(MouseButton button, int x, int y, bool) {
  bool hadFocus = GetFocus() == Handle();
  // Taking the focus also ends an edit open elsewhere in the grid.
  if (!hadFocus) SetFocus(Handle());
  bool openEditor = false;
  if (button == MouseButton::Left) {
    int col, row;
    MouseToCell(x, y, col, row);
    if (col == kColGrip) {
      state_.drag = DragState::Armed;
      state_.dragRow = row;
      state_.dropRow = row;
      state_.dragStart = POINT{x, y};
      SetCapture(Handle());
    } else if (col > kColGrip) {
      bool wasCurrent = col == model_.Col() && row == model_.Row();
      state_.selectingByMouse = true;
      model_.SelectCell(col, row);
      state_.selectingByMouse = false;
      openEditor = wasCurrent && hadFocus && col >= kColLabel;
    }
  }
  events_.StringGrid1MouseDown(button, x, y);
  if (openEditor && GetCapture() != Handle()) ShowEditor(false);
}

void PhraseGridControl::OnMouseMove(int x, int y) {
  if (state_.drag != DragState::None) UpdateDrag(x, y);
  events_.StringGrid1MouseMove(x, y);
}

void PhraseGridControl::OnButtonUp(MouseButton button, int x, int y) {
  if (button == MouseButton::Left && state_.drag != DragState::None) {
    if (state_.drag == DragState::Dragging) UpdateDrag(x, y);
    FinishDrag(state_.drag == DragState::Dragging);
  }
  events_.StringGrid1MouseUp(button, x, y);
}

void PhraseGridControl::OnCaptureChanged(HWND newCapture) {
  if (newCapture == Handle()) return;
  if (state_.drag != DragState::None) {
    bool wasDragging = state_.drag == DragState::Dragging;
    state_.drag = DragState::None;
    KillTimer(Handle(), kAutoScrollTimer);
    if (wasDragging) InvalidateGrid();
  }
  events_.StringGrid1CaptureLost();
}

int PhraseGridControl::DropRowAt(int y) const {
  int offset = y >= 0 ? y / rowHeight_ : -1 - (-y - 1) / rowHeight_;
  return std::clamp(state_.topRow + offset, 0, model_.RowCount() - 1);
}

void PhraseGridControl::UpdateDrag(int x, int y) {
  if (state_.drag == DragState::Armed) {
    if (std::abs(y - state_.dragStart.y) < GetSystemMetrics(SM_CYDRAG) &&
        std::abs(x - state_.dragStart.x) < GetSystemMetrics(SM_CXDRAG))
      return;
    state_.drag = DragState::Dragging;
    state_.dropRow = state_.dragRow;
  }
  SetCursor(LoadCursor(nullptr, IDC_SIZENS));
  // The old line goes even when the row stays: an auto-scroll moves it on the screen.
  RECT old = DropLineRect(state_.dropRow);
  InvalidateRect(Handle(), &old, FALSE);
  state_.dropRow = DropRowAt(y);
  RECT now = DropLineRect(state_.dropRow);
  InvalidateRect(Handle(), &now, FALSE);
  RECT client = Client();
  if (y < 0 || y >= client.bottom)
    SetTimer(Handle(), kAutoScrollTimer, kAutoScrollMs, nullptr);
  else
    KillTimer(Handle(), kAutoScrollTimer);
}

void PhraseGridControl::OnTimer(UINT_PTR id) {
  if (id != kAutoScrollTimer) return;
  if (state_.drag != DragState::Dragging) {
    KillTimer(Handle(), kAutoScrollTimer);
    return;
  }
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(Handle(), &pt);
  RECT client = Client();
  if (pt.y < 0)
    SetTopRow(state_.topRow - 1);
  else if (pt.y >= client.bottom)
    SetTopRow(state_.topRow + 1);
  UpdateDrag(pt.x, pt.y);
}

void PhraseGridControl::FinishDrag(bool drop) {
  int from = state_.dragRow, to = state_.dropRow;
  bool wasDragging = state_.drag == DragState::Dragging;
  // Cleared before the capture goes, so the capture change finds no drag to cancel.
  state_.drag = DragState::None;
  KillTimer(Handle(), kAutoScrollTimer);
  if (GetCapture() == Handle()) ReleaseCapture();
  if (wasDragging) InvalidateGrid();
  if (drop && from != to && from >= 0 && to >= 0) {
    model_.MoveRow(from, to);
    InvalidateGrid();
  }
}

// ---- Keyboard ----

LRESULT PhraseGridControl::OnGetDlgCode(const MSG* msg) {
  if (state_.drag != DragState::None) return DLGC_WANTALLKEYS;
  LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  // Ctrl+Tab is left to the dialog manager: the way out of the grid by keyboard.
  if (!KeyHeld(VK_CONTROL)) code |= DLGC_WANTTAB;
  if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
  return code;
}

void PhraseGridControl::OnKeyDown(UINT vk) {
  if (state_.drag != DragState::None) {
    if (vk == VK_ESCAPE) FinishDrag(false);
    return;
  }
  if (vk == VK_F2 || vk == VK_RETURN) {
    ShowEditor(false);
    return;
  }
  bool shift = KeyHeld(VK_SHIFT), ctrl = KeyHeld(VK_CONTROL);
  if (vk == VK_APPS) {
    OnContextMenu(-1, -1);
    return;
  }
  if (ctrl && !KeyHeld(VK_MENU) && (vk == 'Z' || vk == 'Y')) {
    if (vk == 'Y' || shift)
      Redo();
    else
      Undo();
    return;
  }
  if (MoveByKey(vk, shift, ctrl)) return;
  events_.StringGrid1KeyDown(vk, shift, ctrl);
}

bool PhraseGridControl::Undo() {
  EndEdit(true);
  if (!model_.Undo()) return false;
  ShowChange();
  return true;
}

bool PhraseGridControl::Redo() {
  EndEdit(true);
  if (!model_.Redo()) return false;
  ShowChange();
  return true;
}

void PhraseGridControl::ShowChange() {
  UpdateScrollBars();
  InvalidateGrid();
  ScrollIntoView(model_.Col(), model_.Row());
  events_.StringGrid1HistoryStep();
}

void PhraseGridControl::OnContextMenu(int x, int y) {
  if (state_.drag != DragState::None) return;
  if (x == -1 && y == -1) {
    // From the keyboard: under the current cell, or the grid's corner when it is out of view.
    RECT cell = CellRect(model_.Col(), model_.Row());
    RECT client = Client();
    POINT at{cell.left + Scale(kTextInset), cell.bottom};
    if (at.y <= 0 || at.y > client.bottom || at.x < 0 || at.x > client.right) at = POINT{0, 0};
    ClientToScreen(Handle(), &at);
    x = at.x;
    y = at.y;
  }
  events_.StringGrid1ContextPopup(x, y);
}

void PhraseGridControl::MoveTo(int col, int row) { model_.SelectCell(col, row); }

bool PhraseGridControl::MoveByKey(UINT vk, bool shift, bool ctrl) {
  int col = model_.Col(), row = model_.Row();
  int lastRow = model_.RowCount() - 1;
  switch (vk) {
    case VK_LEFT:
      if (col > kColButton) MoveTo(col - 1, row);
      return true;
    case VK_RIGHT:
      if (col < kColText) MoveTo(col + 1, row);
      return true;
    case VK_UP:
      if (row > 0) MoveTo(col, row - 1);
      return true;
    case VK_DOWN:
      if (row < lastRow) MoveTo(col, row + 1);
      return true;
    case VK_PRIOR:
      MoveTo(col, std::max(0, row - VisibleRowCount()));
      return true;
    case VK_NEXT:
      MoveTo(col, std::min(lastRow, row + VisibleRowCount()));
      return true;
    case VK_HOME:
      if (ctrl)
        MoveTo(col, 0);
      else
        MoveTo(kColButton, row);
      return true;
    case VK_END:
      if (ctrl)
        MoveTo(col, lastRow);
      else
        MoveTo(kColText, row);
      return true;
    case VK_TAB:
      if (shift) {
        if (col > kColButton)
          MoveTo(col - 1, row);
        else if (row > 0)
          MoveTo(kColText, row - 1);
      } else {
        if (col < kColText)
          MoveTo(col + 1, row);
        else if (row < lastRow)
          MoveTo(kColButton, row + 1);
      }
      return true;
    default:
      return false;
  }
}

void PhraseGridControl::OnChar(WPARAM ch) {
  if (state_.editing && editor_) {
    // The rest of a character (a trail byte) typed before the editor took the focus.
    SendMessageA(editor_, WM_CHAR, ch, 0);
    return;
  }
  if (ch < 0x20 || ch == 0x7F) return;
  // Typing replaces the cell's text; the editor itself takes the character, so that a
  // double-byte character arriving as two messages stays whole.
  if (ShowEditor(true)) SendMessageA(editor_, WM_CHAR, ch, 0);
}

// ---- The in-place editor ----

bool PhraseGridControl::ShowEditor(bool empty) {
  if (state_.editing) return true;
  int col = model_.Col(), row = model_.Row();
  if (!Handle() || state_.destroying || (col != kColLabel && col != kColText) || row < 0 ||
      row >= model_.RowCount())
    return false;
  ScrollIntoView(col, row);
  if (!editor_) {
    editor_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_AUTOHSCROLL | ES_LEFT, 0, 0, 0, 0, Handle(), nullptr,
                              ModuleInstance(), nullptr);
    if (!editor_) return false;
    SetWindowSubclass(editor_, EditorProc, kEditorSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SendMessageA(editor_, EM_SETLIMITTEXT, 0, 0);
  }
  SendMessageA(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_ ? font_.Get() : GetStockObject(DEFAULT_GUI_FONT)),
               FALSE);
  SendMessageA(editor_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  const Bytes& text = model_.Cell(col, row);
  SetWindowTextA(editor_, empty ? "" : text.c_str());
  state_.editing = true;
  state_.editCol = col;
  state_.editRow = row;
  PlaceEditor();
  ShowWindow(editor_, SW_SHOW);
  SetFocus(editor_);
  int length = GetWindowTextLengthA(editor_);
  SendMessageA(editor_, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  InvalidateCell(col, row);
  return true;
}

void PhraseGridControl::PlaceEditor() {
  if (!editor_) return;
  RECT rc = CellRect(state_.editCol, state_.editRow);
  int left = std::max(static_cast<int>(rc.left) + Scale(kTextInset), colWidths_[kColGrip]);
  MoveWindow(editor_, left, rc.top + Scale(kTextInset),
             std::max(1, static_cast<int>(rc.right) - left - Scale(1)),
             std::max(1, rowHeight_ - Scale(kTextInset) - Scale(1)), TRUE);
}

void PhraseGridControl::EndEdit(bool commit) {
  if (!state_.editing || state_.endingEdit) return;
  state_.endingEdit = true;
  Bytes text;
  if (editor_) {
    int length = GetWindowTextLengthA(editor_);
    text.resize(static_cast<size_t>(length) + 1);
    int got = GetWindowTextA(editor_, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
  }
  int col = state_.editCol, row = state_.editRow;
  state_.editing = false;
  state_.editCol = state_.editRow = -1;
  if (editor_) {
    // The focus comes back to the grid before the editor hides, or keys would go to a hidden window.
    if (GetFocus() == editor_ && !state_.destroying) SetFocus(Handle());
    ShowWindow(editor_, SW_HIDE);
  }
  if (commit && !state_.destroying && text != model_.Cell(col, row) && row < model_.RowCount()) {
    model_.EditCell(col, row, text);
    InvalidateCell(col, row);
    events_.StringGrid1SetEditText(col, row, model_.Cell(col, row));
  }
  InvalidateCell(col, row);
  state_.endingEdit = false;
}

LRESULT CALLBACK PhraseGridControl::EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self) {
  bool handled = false;
  LRESULT result = reinterpret_cast<PhraseGridControl*>(self)->OnEditorMessage(hwnd, message, wParam, lParam, handled);
  return handled ? result : DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT PhraseGridControl::OnEditorMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_GETDLGCODE:
      handled = true;
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_RETURN:
          handled = true;
          EndEdit(true);
          return 0;
        case VK_ESCAPE:
          handled = true;
          EndEdit(false);
          return 0;
        case VK_TAB:
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
          handled = true;
          EndEdit(true);
          MoveByKey(static_cast<UINT>(wParam), KeyHeld(VK_SHIFT), KeyHeld(VK_CONTROL));
          return 0;
        default:
          return 0;
      }
    case WM_CHAR:
      // Enter, Esc and Tab did their work as keys; as characters they would only beep.
      if (wParam == '\r' || wParam == '\n' || wParam == 0x1B || wParam == '\t') handled = true;
      return 0;
    case WM_PASTE:
      // A TAB or a line break in a label would move the rest of the row on the next load, and
      // typing cannot put one there either.
      if (state_.editCol == kColLabel && !(GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY)) {
        handled = true;
        Bytes text = ReadClipboardText();
        auto breaksRow = [](char c) { return c == '\t' || c == '\r' || c == '\n'; };
        text.erase(std::remove_if(text.begin(), text.end(), breaksRow), text.end());
        SendMessageA(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
      }
      return 0;
    case WM_KILLFOCUS: {
      LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
      handled = true;
      EndEdit(true);
      return result;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, EditorProc, kEditorSubclassId);
      if (editor_ == hwnd) editor_ = nullptr;
      state_.editing = false;
      return 0;
    default:
      return 0;
  }
}

LRESULT PhraseGridControl::OnCtlColorEdit(HDC dc) {
  SetTextColor(dc, fontColor_);
  SetBkColor(dc, kCurrentColor);
  return reinterpret_cast<LRESULT>(currentBrush_.Get());
}

void PhraseGridControl::OnSize() {
  if (state_.updatingScrollBars) return;
  EndEdit(true);
  UpdateScrollBars();
  InvalidateGrid();
}

// ---- Message routing ----

LRESULT PhraseGridControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (keyTip_ && message >= WM_MOUSEMOVE && message <= WM_MBUTTONDBLCLK)
    RelayToKeyTip(message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_PRINTCLIENT: {
      RECT client = Client();
      PaintTo(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnButtonDown(MouseButton::Left, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), message == WM_LBUTTONDBLCLK);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      OnButtonDown(MouseButton::Right, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), message == WM_RBUTTONDBLCLK);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      OnButtonDown(MouseButton::Middle, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), message == WM_MBUTTONDBLCLK);
      return 0;
    case WM_LBUTTONUP:
      OnButtonUp(MouseButton::Left, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_RBUTTONUP:
      OnButtonUp(MouseButton::Right, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      // The system turns the release into WM_CONTEXTMENU.
      return Default(message, wParam, lParam);
    case WM_CONTEXTMENU:
      OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MBUTTONUP:
      OnButtonUp(MouseButton::Middle, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      OnCaptureChanged(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_MOUSEWHEEL:
      OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && reinterpret_cast<HWND>(wParam) == Handle()) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(Handle(), &pt);
        int col, row;
        MouseToCell(pt.x, pt.y, col, row);
        // The grip says that the row can be dragged.
        SetCursor(LoadCursor(nullptr, col == kColGrip ? IDC_SIZENS : IDC_ARROW));
        return TRUE;
      }
      return Default(message, wParam, lParam);
    case WM_VSCROLL:
      OnVScroll(LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnHScroll(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_GETDLGCODE:
      return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
      OnKeyDown(static_cast<UINT>(wParam));
      return 0;
    case WM_KEYUP:
      // The menu key opened the menu as it went down; the system would open it again now.
      if (wParam == VK_APPS) return 0;
      return Default(message, wParam, lParam);
    case WM_SYSKEYDOWN:
      if (wParam == VK_F10 && KeyHeld(VK_SHIFT)) {
        OnContextMenu(-1, -1);
        return 0;
      }
      return Default(message, wParam, lParam);
    case WM_CHAR:
      OnChar(wParam);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateCell(model_.Col(), model_.Row());
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wParam));
    case WM_DESTROY:
      // An edit still open when the window goes is dropped: the owner is tearing down.
      state_.destroying = true;
      state_.editing = false;
      state_.drag = DragState::None;
      if (keyTip_) DestroyWindow(keyTip_);
      keyTip_ = nullptr;
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
