// The phrase grid's handlers on the main window: send buttons, the select redirect, the
// editing buttons and fitting the columns to the font and the window.
#include "forms/ControlIds.h"
#include "forms/Dpi.h"
#include "forms/Unit_Main.h"

namespace parlo {

bool PressedInside = false;

namespace {

// Room left beside the text column for the grid's edges and lines, at 96 dpi.
constexpr int kTextColumnMargin = 8;
// The gem's side in layout numbers.
constexpr int kGemSize = 11;

// The gem centred in the cell at its size for the dpi; a picture made for another scale is
// stretched to it.
void DrawGlyph(HDC dc, HWND image, const RECT& cell, int dpi) {
  HBITMAP bitmap = reinterpret_cast<HBITMAP>(SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
  if (!bitmap) return;
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  const int size = ScaleForDpi(kGemSize, dpi);
  int x = cell.left + (cell.right - cell.left) / 2 - size / 2;
  int y = cell.top + (cell.bottom - cell.top) / 2 - size / 2;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  if (info.bmWidth == size && info.bmHeight == size) {
    BitBlt(dc, x, y, size, size, source, 0, 0, SRCCOPY);
  } else {
    const int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, size, size, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SetStretchBltMode(dc, mode);
  }
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace

bool TForm_Main::IsSayRow(int row) const { return parlo::IsSayRow(grid_.Model(), row); }

// Each change of the rows first stores an edit in progress, into the row it was made in.

void TForm_Main::ClearSays() {
  grid_.EndEdit(true);
  parlo::ClearSays(grid_.Model(), CurrentFile);
  RebindLineHotKeys();
  grid_.InvalidateGrid();
}

void TForm_Main::Button_AddClick() {
  grid_.EndEdit(true);
  AddRows(grid_.Model());
  grid_.InvalidateGrid();
}

void TForm_Main::Button_InsertClick() {
  grid_.EndEdit(true);
  InsertRow(grid_.Model());
  RebindLineHotKeys();
  grid_.InvalidateGrid();
}

void TForm_Main::Button_DeleteClick() {
  grid_.EndEdit(true);
  DeleteRow(grid_.Model());
  RebindLineHotKeys();
  grid_.InvalidateGrid();
}

void TForm_Main::StringGrid1DrawCell(HDC dc, int col, int row, const RECT& rect) {
  if (col != kColButton) return;
  if (Pressing && row == PressedRow && PressedInside)
    DrawGlyph(dc, Control(IDC_IMAGE2), rect, grid_.Dpi());
  else if (IsSayRow(row))
    DrawGlyph(dc, Control(IDC_IMAGE1), rect, grid_.Dpi());
}

void TForm_Main::StringGrid1MouseDown(MouseButton button, int x, int y) {
  if (button != MouseButton::Left) return;
  int col, row;
  grid_.MouseToCell(x, y, col, row);
  if (col == kColButton && IsSayRow(row)) {
    SetCapture(grid_.Handle());
    PressedRow = row;
    Pressing = true;
    PressedInside = true;
    grid_.InvalidateCell(kColButton, row);
  } else {
    Pressing = false;
  }
}

void TForm_Main::StringGrid1MouseMove(int x, int y) {
  if (!Pressing) return;
  int col, row;
  grid_.MouseToCell(x, y, col, row);
  PressedInside = col == kColButton && row == PressedRow;
  grid_.InvalidateCell(kColButton, PressedRow);
}

void TForm_Main::StringGrid1MouseUp(MouseButton button, int x, int y) {
  // A row dragged to a new place takes its key along.
  if (button == MouseButton::Left) RebindLineHotKeys();
  if (!Pressing || button != MouseButton::Left) return;
  // Cleared before the capture goes, so the capture-lost event finds nothing held.
  Pressing = false;
  ReleaseCapture();
  int col, row;
  grid_.MouseToCell(x, y, col, row);
  if (col == kColButton && row == PressedRow && !IsCommentLabel(grid_.Model().Label(row)))
    SendSay(grid_.Model().Text(row), Checked(IDC_CHECKBOX_YELL), Checked(IDC_CHECKBOX_PASTE));
  PressedRow = -1;
  PressedInside = false;
  if (row >= 0) grid_.InvalidateCell(kColButton, row);
}

void TForm_Main::StringGrid1CaptureLost() {
  if (!Pressing) return;
  Pressing = false;
  PressedInside = false;
  grid_.InvalidateCell(kColButton, PressedRow);
  PressedRow = -1;
}

void TForm_Main::StringGrid1SelectCell(int col, int row, bool& canSelect) {
  if (col != kColButton) return;
  grid_.Model().SetRow(row);
  grid_.Model().SetCol(kColLabel);
  canSelect = false;
}

void TForm_Main::StringGrid1SetEditText(int, int row, const Bytes&) {
  grid_.InvalidateCell(kColButton, row);
  RebindLineHotKeys();
}

// ---- The context menu, the grid's editing keys and Find ----

HMENU TForm_Main::GridMenu() {
  const GridModel& model = grid_.Model();
  // Deleting the only row when it is empty would change nothing.
  bool canDelete =
      model.RowCount() > 1 || !model.CellView(kColLabel, 0).empty() || !model.CellView(kColText, 0).empty();
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING | (model.CanUndo() ? 0 : MF_GRAYED), IDM_GRID_UNDO, "&Undo\tCtrl+Z");
  AppendMenuA(menu, MF_STRING | (model.CanRedo() ? 0 : MF_GRAYED), IDM_GRID_REDO, "&Redo\tCtrl+Y");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_GRID_INSERT, "&Insert row\tIns");
  AppendMenuA(menu, MF_STRING | (canDelete ? 0 : MF_GRAYED), IDM_GRID_DELETE, "&Delete row\tCtrl+Del");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_GRID_FIND, "&Find...\tCtrl+F");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_GRID_IMPORT, "I&mport lines...");
  return menu;
}

void TForm_Main::GridMenuCommand(UINT id) {
  switch (id) {
    case IDM_GRID_UNDO:
      grid_.Undo();
      break;
    case IDM_GRID_REDO:
      grid_.Redo();
      break;
    case IDM_GRID_INSERT:
      Button_InsertClick();
      break;
    case IDM_GRID_DELETE:
      Button_DeleteClick();
      break;
    case IDM_GRID_FIND:
      ShowFind();
      break;
    case IDM_GRID_IMPORT:
      ImportLinesClick();
      break;
    default:
      break;
  }
}

void TForm_Main::StringGrid1ContextPopup(int screenX, int screenY) {
  // A right click during a held send button leaves the press alone.
  if (Pressing) return;
  grid_.EndEdit(true);
  HMENU menu = GridMenu();
  UINT id = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                     screenX, screenY, 0, Handle(), nullptr));
  DestroyMenu(menu);
  if (id) GridMenuCommand(id);
}

bool TForm_Main::StringGrid1KeyDown(UINT vk, bool shift, bool ctrl) {
  if (vk == VK_INSERT && !shift && !ctrl) {
    Button_InsertClick();
    return true;
  }
  if (vk == VK_DELETE && ctrl && !shift) {
    Button_DeleteClick();
    return true;
  }
  if (vk == 'F' && ctrl && !shift) {
    ShowFind();
    return true;
  }
  if (vk == VK_F3 && !ctrl) {
    if (find_.Text().empty())
      ShowFind();
    else
      find_.FindAgain(!shift);
    return true;
  }
  return false;
}

bool TForm_Main::PreTranslateFindKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !Handle() || msg.hwnd == grid_.Handle()) return false;
  if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) return false;
  if (grid_.IsEditing() && msg.hwnd == grid_.Editor()) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (msg.wParam != 'F' && msg.wParam != VK_F3) return false;
  if (msg.wParam == 'F' && !ctrl) return false;
  return StringGrid1KeyDown(static_cast<UINT>(msg.wParam), shift, ctrl);
}

void TForm_Main::ShowFind() {
  grid_.EndEdit(true);
  find_.Open(Handle());
}

bool TForm_Main::FindNext(const Bytes& text, bool forward) {
  grid_.EndEdit(true);
  GridModel& model = grid_.Model();
  FindHit hit = FindInGrid(model, text, model.Row(), forward, lower_, services_.leadBytes);
  if (hit.row < 0) return false;
  model.SelectCell(hit.col, hit.row);
  grid_.ScrollIntoView(hit.col, hit.row);
  return true;
}

void TForm_Main::FitGridToFont(HWND measuringLabel) {
  SendMessageA(measuringLabel, WM_SETFONT, reinterpret_cast<WPARAM>(grid_.GridFontHandle()), FALSE);
  AutoSizeLabel(measuringLabel);
  RECT rc;
  GetWindowRect(measuringLabel, &rc);
  grid_.SetDefaultRowHeight(rc.bottom - rc.top + controls_.Scale(kRowPadding));
  grid_.SetColWidth(kColLabel, 4 * grid_.DefaultRowHeight());
  FormResize();
}

void TForm_Main::FormResize() {
  if (!grid_.Handle()) return;
  RECT outer;
  GetWindowRect(grid_.Handle(), &outer);
  int width = (outer.right - outer.left) - grid_.ColWidth(kColGrip) - grid_.ColWidth(kColButton) -
              grid_.ColWidth(kColLabel) - SystemMetricForDpi(SM_CXVSCROLL, controls_.Dpi()) -
              controls_.Scale(kTextColumnMargin);
  if (width < grid_.ColWidth(kColLabel)) width = grid_.ColWidth(kColLabel);
  grid_.SetColWidth(kColText, width);
}

}  // namespace parlo
