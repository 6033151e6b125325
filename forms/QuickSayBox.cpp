#include "forms/QuickSayBox.h"

#include <commctrl.h>

#include <algorithm>
#include <string_view>

#include "core/screen/DpiScale.h"
#include "forms/ControlIds.h"
#include "forms/Dpi.h"
#include "forms/Fonts.h"
#include "forms/Layout.h"

namespace parlo {

namespace {

constexpr UINT_PTR kKeysSubclassId = 1;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
// Not a tool window: window managers on Linux leave those without the keyboard when Wine asks.
constexpr DWORD kExStyle = WS_EX_TOPMOST;
// Layout numbers (96 dpi).
constexpr int kMargin = 6;
constexpr int kRowPadding = 4;  // as the grid's rows
constexpr int kTextInset = 3;
constexpr int kMinClientWidth = 200;
constexpr int kMinClientHeight = 100;
constexpr UINT kCellTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | DT_LEFT | DT_VCENTER;

COLORREF Between(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
             (GetBValue(a) + GetBValue(b)) / 2);
}

int TextWidth(HDC dc, std::string_view text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

Bytes TextOf(HWND edit) {
  const int length = GetWindowTextLengthA(edit);
  Bytes text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(edit, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

}  // namespace

QuickSayBox::QuickSayBox(const GridModel& book, const LowerTable& lower, const LeadBytes& lead, Hooks hooks)
    : book_(book),
      lower_(lower),
      lead_(lead),
      hooks_(std::move(hooks)),
      background_(CreateSolidBrush(PhraseGridControl::kColor)),
      chosenBrush_(CreateSolidBrush(PhraseGridControl::kCurrentColor)),
      edgeBrush_(CreateSolidBrush(PhraseGridControl::kTextColor)),
      layoutSize_{kQuickSayDefaultWidth, kQuickSayDefaultHeight} {}

QuickSayBox::~QuickSayBox() {
  // The subclassed controls still reach this object while the window goes.
  if (Handle()) DestroyWindow(Handle());
}

int QuickSayBox::Scale(int layoutPixels) const {
  return ScaleForDpi(layoutPixels, dpi_);
}

void QuickSayBox::SetLayoutSize(int width, int height) {
  layoutSize_ = SIZE{std::max(width, 1), std::max(height, 1)};
}

void QuickSayBox::Create() {
  RegisterWindowClass(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(1)));
  if (!CreateWindowObject(kExStyle, kClassName, kCaption, kStyle, 0, 0, 0, 0, nullptr, nullptr)) return;
  edit_ = CreateWindowExA(
      WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, Handle(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_QUICKSAY_EDIT)), ModuleInstance(), nullptr);
  // No data of its own: the list is a count, and each row is drawn from the book when it shows.
  list_ =
      CreateWindowExA(WS_EX_CLIENTEDGE, "ListBox", "",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_NODATA |
                          LBS_NOINTEGRALHEIGHT,
                      0, 0, 0, 0, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_QUICKSAY_LIST)),
                      ModuleInstance(), nullptr);
  for (HWND control : {edit_, list_})
    if (control) SetWindowSubclass(control, KeysProc, kKeysSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void QuickSayBox::Open(HWND over, HWND fallback, const LOGFONTA& font) {
  HWND front = GetForegroundWindow();
  // Pressed again while open, the key keeps the window to go back to.
  if (!IsOpen()) previous_ = front;
  if (!Handle()) Create();
  if (!Handle() || !edit_ || !list_) return;
  logFont_ = font;
  ApplyDpi(DpiOf(Handle()));

  HWND anchor = over && IsWindow(over) ? over : nullptr;
  HWND onMonitor = anchor ? anchor : front && front != Handle() ? front : fallback;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(onMonitor, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT centreOn = work;
  if (anchor && !IsIconic(anchor)) GetWindowRect(anchor, &centreOn);

  const WindowBounds size = BoundsForDpi(WindowBounds{0, 0, layoutSize_.cx, layoutSize_.cy},
                                         FrameSizeForDpi(kStyle, kExStyle, kLayoutDpi),
                                         FrameSizeForDpi(kStyle, kExStyle, dpi_), dpi_);
  // A size from a hand-edited settings file still gives a usable box that fits the screen.
  const SIZE least = LeastSize();
  const int width = std::min<int>(std::max<int>(size.width, least.cx), work.right - work.left);
  const int height = std::min<int>(std::max<int>(size.height, least.cy), work.bottom - work.top);
  int x = (centreOn.left + centreOn.right - width) / 2, y = (centreOn.top + centreOn.bottom - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));

  // Each opening starts afresh: the book may have changed since the last.
  filter_.Reset();
  SetWindowTextA(edit_, "");
  Refilter();
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, width, height, SWP_SHOWWINDOW);
  // The process that took the hot key may bring its window to the front.
  SetForegroundWindow(Handle());
  SetFocus(edit_);
}

void QuickSayBox::Close(bool giveBack) {
  if (!IsOpen() || closing_) return;
  closing_ = true;
  RememberSize();
  HWND back = previous_;
  previous_ = nullptr;
  // The window in front first, so that hiding the box activates nothing else on the way.
  if (giveBack && back && back != Handle() && IsWindow(back)) SetForegroundWindow(back);
  ShowWindow(Handle(), SW_HIDE);
  closing_ = false;
}

int QuickSayBox::ChosenRow() const {
  if (!list_ || !IsOpen()) return -1;
  const LRESULT index = SendMessageA(list_, LB_GETCURSEL, 0, 0);
  const std::vector<int>& rows = filter_.Rows();
  if (index < 0 || static_cast<size_t>(index) >= rows.size()) return -1;
  return rows[static_cast<size_t>(index)];
}

void QuickSayBox::SayChosen() {
  const int row = ChosenRow();
  if (row < 0) return;
  Close(true);
  if (hooks_.say) hooks_.say(row);
}

void QuickSayBox::ApplyDpi(int dpi) {
  dpi_ = dpi;
  LOGFONTA shown = logFont_;
  shown.lfHeight = Scale(logFont_.lfHeight);
  shown.lfWidth = Scale(logFont_.lfWidth);
  Font font(CreateDisplayFont(shown));
  shown.lfStrikeOut = TRUE;
  struckFont_.Reset(CreateDisplayFont(shown));
  rowHeight_ = TextLineHeight(font.Get()) + Scale(kRowPadding);
  for (HWND control : {edit_, list_})
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  if (list_) SendMessageA(list_, LB_SETITEMHEIGHT, 0, rowHeight_);
  font_ = std::move(font);
  LayOut();
}

void QuickSayBox::LayOut() {
  if (!edit_ || !list_) return;
  RECT client{};
  GetClientRect(Handle(), &client);
  const int margin = Scale(kMargin);
  const int width = std::max<int>(0, client.right - 2 * margin);
  const int editHeight = TextLineHeight(font_.Get()) + Scale(8);
  MoveWindow(edit_, margin, margin, width, editHeight, TRUE);
  const int listTop = 2 * margin + editHeight;
  MoveWindow(list_, margin, listTop, width, std::max<int>(0, client.bottom - listTop - margin), TRUE);
}

void QuickSayBox::Refilter() {
  const std::vector<int>& rows = filter_.Apply(book_, TextOf(edit_), lower_, lead_);
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list_, LB_SETCOUNT, rows.size(), 0);
  SendMessageA(list_, LB_SETTOPINDEX, 0, 0);
  SendMessageA(list_, LB_SETCURSEL, rows.empty() ? static_cast<WPARAM>(-1) : 0, 0);
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void QuickSayBox::DrawRow(const DRAWITEMSTRUCT& item) {
  // The chosen row shows by its colour; a focus frame on top would only blur it.
  if (item.itemAction == ODA_FOCUS) return;
  const std::vector<int>& rows = filter_.Rows();
  if (item.itemID >= rows.size()) return;
  const int row = rows[item.itemID];
  HDC dc = item.hDC;
  const RECT& rc = item.rcItem;
  const bool chosen = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rc, chosen ? chosenBrush_.Get() : background_.Get());
  if (chosen) FrameRect(dc, &rc, edgeBrush_.Get());
  SelectScope font(dc, font_.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, PhraseGridControl::kTextColor);

  // Two columns, as in the grid: the label at least four rows' height wide (the grid's label
  // column), a third of a wider box, then the text.
  const int inset = Scale(kTextInset);
  const int labelRight = rc.left + std::max<int>(4 * rowHeight_, (rc.right - rc.left) / 3);
  RECT labelRc{rc.left + inset, rc.top, labelRight, rc.bottom};
  const std::string_view label = book_.CellView(kColLabel, row);
  const LabelKeyPart key = hooks_.keyPartOf ? hooks_.keyPartOf(row) : LabelKeyPart{};
  if (key.start < label.size()) {
    // The key stays whole and paler, struck through when it does not work; the words before it
    // give way.
    const std::string_view keyText = label.substr(key.start);
    HFONT keyFont = !key.works && struckFont_ ? struckFont_.Get() : font_.Get();
    int keyWidth = 0;
    {
      SelectScope measure(dc, keyFont);
      keyWidth = TextWidth(dc, keyText);
    }
    RECT prefixRc = labelRc;
    prefixRc.right = std::max<LONG>(labelRc.left, labelRc.right - keyWidth);
    const std::string_view prefix = label.substr(0, key.start);
    DrawTextA(dc, prefix.data(), static_cast<int>(prefix.size()), &prefixRc, kCellTextFormat);
    RECT keyRc = labelRc;
    keyRc.left = std::min<LONG>(labelRc.left + TextWidth(dc, prefix), prefixRc.right);
    SetTextColor(dc, Between(PhraseGridControl::kTextColor,
                             chosen ? PhraseGridControl::kCurrentColor : PhraseGridControl::kColor));
    SelectScope keyScope(dc, keyFont);
    DrawTextA(dc, keyText.data(), static_cast<int>(keyText.size()), &keyRc, kCellTextFormat);
    SetTextColor(dc, PhraseGridControl::kTextColor);
  } else {
    DrawTextA(dc, label.data(), static_cast<int>(label.size()), &labelRc, kCellTextFormat);
  }
  RECT textRc{labelRight + inset, rc.top, rc.right - inset, rc.bottom};
  const std::string_view text = book_.CellView(kColText, row);
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &textRc, kCellTextFormat);
}

SIZE QuickSayBox::LeastSize() const {
  RECT least{0, 0, Scale(kMinClientWidth), Scale(kMinClientHeight)};
  AdjustWindowRectForDpi(least, kStyle, kExStyle, dpi_);
  return SIZE{least.right - least.left, least.bottom - least.top};
}

void QuickSayBox::RememberSize() {
  RECT rc{};
  if (!Handle() || !GetWindowRect(Handle(), &rc)) return;
  const WindowBounds layout = LayoutBoundsFromDpi(
      WindowBounds{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top},
      FrameSizeForDpi(kStyle, kExStyle, kLayoutDpi), FrameSizeForDpi(kStyle, kExStyle, dpi_), dpi_);
  SetLayoutSize(layout.width, layout.height);
}

LRESULT CALLBACK QuickSayBox::KeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  auto* box = reinterpret_cast<QuickSayBox*>(self);
  const bool inList = hwnd == box->list_;
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        box->SayChosen();
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        box->Close(true);
        return 0;
      }
      // The keyboard stays in the text; the keys that move through the list go to the list.
      if (!inList && (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_PRIOR || wParam == VK_NEXT)) {
        SendMessageA(box->list_, WM_KEYDOWN, wParam, lParam);
        return 0;
      }
      break;
    case WM_CHAR:
      // Enter, Esc and Tab did their work as keys (or have none); as characters they would beep.
      if (wParam == '\r' || wParam == '\n' || wParam == 0x1B || wParam == '\t') return 0;
      // Typing after a click in the list goes on in the text.
      if (inList && box->edit_) {
        SetFocus(box->edit_);
        SendMessageA(box->edit_, WM_CHAR, wParam, lParam);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, KeysProc, kKeysSubclassId);
      (inList ? box->list_ : box->edit_) = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT QuickSayBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      if (from && from == edit_ && HIWORD(wParam) == EN_CHANGE) Refilter();
      if (from && from == list_ && HIWORD(wParam) == LBN_DBLCLK) SayChosen();
      return 0;
    }
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(rowHeight_);
      return TRUE;
    case WM_DRAWITEM:
      DrawRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<LRESULT>(background_.Get());
    case WM_ACTIVATE:
      // Whatever takes the keyboard from the box closes it; the keyboard stays where it went.
      if (LOWORD(wParam) == WA_INACTIVE)
        Close(false);
      else if (edit_)
        SetFocus(edit_);
      return 0;
    case WM_CLOSE:
      Close(true);
      return 0;
    case WM_SIZE:
      LayOut();
      return 0;
    case WM_EXITSIZEMOVE:
      RememberSize();
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = LeastSize();
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{least.cx, least.cy};
      return 0;
    }
    case WM_DPICHANGED: {
      const DpiChange change = DpiChangeOf(wParam, lParam);
      ApplyDpi(change.dpi);
      const RECT& to = change.suggested;
      SetWindowPos(Handle(), nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(Handle(), nullptr, TRUE);
      return 0;
    }
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
