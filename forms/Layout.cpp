#include "forms/Layout.h"

#include <commctrl.h>

#include "forms/Fonts.h"

#include <algorithm>
#include <string>

#include "forms/Dpi.h"
#include "forms/Fonts.h"

namespace parlo {

Panel::Panel(PanelBevel bevel, COLORREF color) : bevel_(bevel), color_(color), brush_(CreateSolidBrush(color)) {}

HWND Panel::Create(HWND parent, int id, int x, int y, int width, int height, bool visible) {
  RegisterWindowClass(kClassName, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr);
  DWORD style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
  return CreateWindowObject(WS_EX_CONTROLPARENT, kClassName, "", style, x, y, width, height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void Panel::SetColor(COLORREF color) {
  color_ = color;
  brush_.Reset(CreateSolidBrush(color));
  if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT Panel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rc;
      GetClientRect(Handle(), &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, brush_.Get());
      return 1;
    }
    case WM_PAINT: {
      PaintScope paint(Handle());
      RECT rc;
      GetClientRect(Handle(), &rc);
      switch (bevel_) {
        case PanelBevel::None:
          break;
        case PanelBevel::Raised:
          DrawEdge(paint.Dc(), &rc, BDR_RAISEDINNER, BF_RECT);
          break;
        case PanelBevel::Lowered:
          DrawEdge(paint.Dc(), &rc, BDR_SUNKENOUTER, BF_RECT);
          break;
        case PanelBevel::RaisedInnerLoweredOuter:
          DrawEdge(paint.Dc(), &rc, BDR_SUNKENOUTER | BDR_RAISEDINNER, BF_RECT);
          break;
      }
      return 0;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      // The form owns the behaviour of every control, wherever it sits.
      return SendMessageA(GetAncestor(Handle(), GA_ROOT), message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}

HFONT ControlSet::MakeFont(const FontSpec& item) {
  LOGFONTA font{};
  font.lfHeight = ScaleForDpi(item.height, dpi_);
  font.lfWeight = item.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = static_cast<BYTE>(item.charset);
  lstrcpynA(font.lfFaceName, item.face, LF_FACESIZE);
  fonts_.emplace_back(CreateDisplayFont(font));
  return fonts_.back().Get();
}

namespace {

struct ClassAndStyle {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

ClassAndStyle StyleFor(const ControlSpec& item) {
  switch (item.kind) {
    case ControlKind::Button:
      return {"Button", BS_PUSHBUTTON, 0};
    case ControlKind::DefaultButton:
      return {"Button", BS_DEFPUSHBUTTON, 0};
    case ControlKind::CheckBox:
      return {"Button", BS_AUTOCHECKBOX, 0};
    case ControlKind::DropDownList:
      return {"ComboBox", CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 0};
    case ControlKind::DropDownEdit:
      return {"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0};
    case ControlKind::Label:
      return {"Static", SS_LEFT, 0};
    case ControlKind::TextLine:
      return {"Static", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0};
    case ControlKind::Bitmap:
      return {"Static", SS_BITMAP, 0};
    case ControlKind::ListBox:
      return {"ListBox", LBS_NOTIFY | WS_VSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::BevelLine:
      return {"Static", SS_ETCHEDHORZ, 0};
    case ControlKind::Edit:
      return {"Edit", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::HotKey:
      return {HOTKEY_CLASSA, 0, WS_EX_CLIENTEDGE};
    case ControlKind::Custom:
      return {item.className, 0, 0};
    case ControlKind::Panel:
      break;
  }
  return {"Static", 0, 0};
}

}  // namespace

int ControlSet::Scale(int layoutPixels) const {
  return ScaleForDpi(layoutPixels, dpi_);
}

RECT ControlSet::ScaledRect(const ControlSpec& item) const {
  int height = item.height;
  // A drop-down's window height includes its list.
  if (item.kind == ControlKind::DropDownList || item.kind == ControlKind::DropDownEdit) height += 200;
  return RECT{Scale(item.left), Scale(item.top), Scale(item.width), Scale(height)};  // right, bottom: sizes
}

void ControlSet::Create(HWND form, const ControlSpec* specs, size_t count, const FontSpec& formFont) {
  form_ = form;
  specs_ = specs;
  count_ = count;
  formFont_ = formFont;
  dpi_ = DpiOf(form);
  HFONT baseFont = MakeFont(formFont);
  controlFonts_[0] = baseFont;
  windows_[0] = form;
  SendMessageA(form, WM_SETFONT, reinterpret_cast<WPARAM>(baseFont), FALSE);

  // Parents first, then siblings by tab order; controls outside the tab order come last.
  std::vector<const ControlSpec*> order;
  for (size_t i = 0; i < count; ++i) order.push_back(&specs[i]);
  auto depth = [&](const ControlSpec* s) {
    int d = 0;
    for (int parent = s->parentId; parent != 0; ++d) {
      auto it = std::find_if(specs, specs + count, [&](const ControlSpec& c) { return c.id == parent; });
      parent = it == specs + count ? 0 : it->parentId;
    }
    return d;
  };
  std::stable_sort(order.begin(), order.end(), [&](const ControlSpec* a, const ControlSpec* b) {
    int da = depth(a), db = depth(b);
    if (da != db) return da < db;
    unsigned ta = static_cast<unsigned>(a->tabOrder), tb = static_cast<unsigned>(b->tabOrder);
    return ta < tb;  // -1 becomes the largest
  });

  for (const ControlSpec* item : order) {
    HWND parent = windows_.count(item->parentId) ? windows_[item->parentId] : form;
    HFONT font = item->font ? MakeFont(*item->font) : controlFonts_[item->parentId];
    HWND hwnd = nullptr;
    const RECT rc = ScaledRect(*item);
    if (item->kind == ControlKind::Panel) {
      panels_.push_back(std::make_unique<Panel>(item->bevel, GetSysColor(COLOR_BTNFACE)));
      hwnd = panels_.back()->Create(parent, item->id, rc.left, rc.top, rc.right, rc.bottom, item->visible);
    } else {
      ClassAndStyle cs = StyleFor(*item);
      DWORD style = WS_CHILD | cs.style | item->extraStyle | (item->visible ? WS_VISIBLE : 0) |
                    (item->tabOrder >= 0 ? WS_TABSTOP : 0);
      hwnd =
          CreateWindowExA(cs.exStyle, cs.className, item->caption ? item->caption : "", style, rc.left,
                          rc.top, rc.right, rc.bottom, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(item->id)), ModuleInstance(), nullptr);
    }
    if (!hwnd) continue;
    windows_[item->id] = hwnd;
    controlFonts_[item->id] = font;
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (item->kind == ControlKind::Label) AutoSizeLabel(hwnd);
    if (item->kind == ControlKind::TextLine) FitLineHeight(hwnd);
  }
}

void ControlSet::ApplyDpi(int dpi) {
  if (!form_ || dpi == dpi_) return;
  dpi_ = dpi;
  // The old fonts stay alive until every control has its new one.
  std::vector<Font> oldFonts = std::move(fonts_);
  fonts_.clear();
  HFONT baseFont = MakeFont(formFont_);
  controlFonts_[0] = baseFont;
  SendMessageA(form_, WM_SETFONT, reinterpret_cast<WPARAM>(baseFont), FALSE);
  for (size_t i = 0; i < count_; ++i) {
    const ControlSpec& item = specs_[i];
    HWND hwnd = Get(item.id);
    if (!hwnd) continue;
    const RECT rc = ScaledRect(item);
    MoveWindow(hwnd, rc.left, rc.top, rc.right, rc.bottom, TRUE);
  }
  // Parents take their fonts before their children, who may share them.
  bool changed = true;
  std::map<int, bool> done;
  while (changed) {
    changed = false;
    for (size_t i = 0; i < count_; ++i) {
      const ControlSpec& item = specs_[i];
      if (done[item.id] || (item.parentId != 0 && !done[item.parentId] && Get(item.parentId))) continue;
      HWND hwnd = Get(item.id);
      done[item.id] = true;
      changed = true;
      if (!hwnd) continue;
      HFONT font = item.font ? MakeFont(*item.font) : controlFonts_[item.parentId];
      controlFonts_[item.id] = font;
      SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      if (item.kind == ControlKind::Label) AutoSizeLabel(hwnd);
      if (item.kind == ControlKind::TextLine) FitLineHeight(hwnd);
    }
  }
}

HWND ControlSet::Get(int id) const {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second;
}

HFONT ControlSet::FontOf(int id) const {
  auto it = controlFonts_.find(id);
  return it == controlFonts_.end() ? nullptr : it->second;
}

Panel* ControlSet::PanelOf(int id) const {
  HWND hwnd = Get(id);
  for (auto& panel : panels_)
    if (panel->Handle() == hwnd) return panel.get();
  return nullptr;
}

int TextLineHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return tm.tmHeight;
}

void AutoSizeLabel(HWND label) {
  char text[512];
  int length = GetWindowTextA(label, text, sizeof text);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT rc{0, 0, 0, 0};
  DrawTextA(dc, text, length, &rc, DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  SetWindowPos(label, nullptr, 0, 0, rc.right - rc.left, tm.tmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FitLineHeight(HWND label) {
  RECT rc{};
  GetWindowRect(label, &rc);
  const int height = TextLineHeight(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SetWindowPos(label, nullptr, 0, 0, rc.right - rc.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace parlo
