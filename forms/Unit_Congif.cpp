// The configuration dialog.
#include "forms/Unit_Congif.h"

#include <commctrl.h>
#include <commdlg.h>

#include "core/settings/CaptionList.h"
#include "core/settings/FontLabel.h"
#include "forms/ControlIds.h"
#include "forms/Dpi.h"
#include "forms/Fonts.h"

namespace parlo {

namespace {

// MS P Gothic, as Shift-JIS bytes.
constexpr FontSpec kFont{"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", -12, SHIFTJIS_CHARSET,
                         false};
constexpr FontSpec kBoldFont{kFont.face, kFont.height, kFont.charset, true};

const ControlSpec kLayout[] = {
    {IDC_CFG_PANEL1, ControlKind::Panel, 0, 4, 8, 301, 294, nullptr, 0, true, nullptr, nullptr, 0,
     PanelBevel::RaisedInnerLoweredOuter},
    {IDC_CFG_CHECKBOX_ONTOP, ControlKind::CheckBox, IDC_CFG_PANEL1, 8, 16, 129, 17, "&Always on Top", 11,
     true, &kBoldFont},
    {IDC_CFG_LABEL_BARD, ControlKind::Label, IDC_CFG_PANEL1, 8, 40, 143, 12, "&Hotkey for Bard Button", -1,
     true, &kBoldFont},
    {IDC_CFG_CHECKBOX_ALT, ControlKind::CheckBox, IDC_CFG_PANEL1, 8, 56, 49, 17, "ALT", 1, true, nullptr},
    {IDC_CFG_CHECKBOX_CTRL, ControlKind::CheckBox, IDC_CFG_PANEL1, 64, 56, 49, 17, "CTRL", 2, true, nullptr},
    {IDC_CFG_CHECKBOX_SHIFT, ControlKind::CheckBox, IDC_CFG_PANEL1, 120, 56, 57, 17, "SHIFT", 3, true,
     nullptr},
    {IDC_CFG_HOTKEY_BARD, ControlKind::HotKey, IDC_CFG_PANEL1, 192, 56, 41, 18, nullptr, 4, true, nullptr},
    {IDC_CFG_LABEL2, ControlKind::Label, IDC_CFG_PANEL1, 8, 88, 74, 12, "Screen Font", -1, true, &kBoldFont},
    {IDC_CFG_LABEL_FONT, ControlKind::Label, IDC_CFG_PANEL1, 8, 104, 0, 0, "Label_Font", -1, true, nullptr},
    {IDC_CFG_BUTTON1, ControlKind::Button, IDC_CFG_PANEL1, 202, 100, 87, 25, "Change &Font...", 10, true,
     nullptr},
    {IDC_CFG_LABEL1, ControlKind::Label, IDC_CFG_PANEL1, 16, 152, 194, 12,
     "The &Caption of UO starts with...", -1, true, &kBoldFont},
    {IDC_CFG_COMBOBOX_CAPTION, ControlKind::DropDownEdit, IDC_CFG_PANEL1, 16, 168, 281, 20,
     "ComboBox_Caption", 0, true, nullptr},
    {IDC_CFG_LABEL_GAME, ControlKind::TextLine, IDC_CFG_PANEL1, 16, 192, 281, 12, "", -1, true, nullptr},
    {IDC_CFG_LABEL_QUICKSAY, ControlKind::Label, IDC_CFG_PANEL1, 8, 216, 143, 12, "Hotkey for &Quick Say", -1,
     true, &kBoldFont},
    {IDC_CFG_CHECKBOX_QS_ALT, ControlKind::CheckBox, IDC_CFG_PANEL1, 8, 232, 49, 17, "ALT", 5, true, nullptr},
    {IDC_CFG_CHECKBOX_QS_CTRL, ControlKind::CheckBox, IDC_CFG_PANEL1, 64, 232, 49, 17, "CTRL", 6, true,
     nullptr},
    {IDC_CFG_CHECKBOX_QS_SHIFT, ControlKind::CheckBox, IDC_CFG_PANEL1, 120, 232, 57, 17, "SHIFT", 7, true,
     nullptr},
    {IDC_CFG_HOTKEY_QUICKSAY, ControlKind::HotKey, IDC_CFG_PANEL1, 192, 232, 41, 18, nullptr, 8, true,
     nullptr},
    {IDC_CFG_CHECKBOX_FOLLOW, ControlKind::CheckBox, IDC_CFG_PANEL1, 8, 256, 281, 17,
     "&Follow the character in front", 9, true, &kBoldFont},
    {IDOK, ControlKind::DefaultButton, 0, 147, 309, 75, 25, "OK", 1, true, nullptr},
    {IDCANCEL, ControlKind::Button, 0, 231, 309, 75, 25, "Cancel", 2, true, nullptr},
};

constexpr UINT_PTR kGameRefreshTimer = 1;
inline constexpr const char kLinesGoTo[] = "Lines go to: ";
inline constexpr const char kNoGameWindow[] = "No game window is open";

// The hot-key edit refuses every combination with a modifier and puts the bare key in its place:
// the modifiers come from the three check boxes.
constexpr WPARAM kAllModifierCombinations =
    HKCOMB_S | HKCOMB_C | HKCOMB_A | HKCOMB_SC | HKCOMB_SA | HKCOMB_CA | HKCOMB_SCA;

bool IsChecked(HWND box) {
  return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
void SetCheck(HWND box, bool checked) {
  SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

bool TForm_Config::ChooseFontDialog(HWND owner, LOGFONTA& font) {
  // The system's dialog measures points at the screen's dpi; the font is kept as at 96 dpi.
  const int dpi = DpiOf(nullptr);
  LOGFONTA choice = font;
  choice.lfHeight = ScaleForDpi(font.lfHeight, dpi);
  choice.lfWidth = ScaleForDpi(font.lfWidth, dpi);
  CHOOSEFONTA cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = owner;
  cf.lpLogFont = &choice;
  // No effects: colour, underline and strike-out are not ours to choose. No size limits.
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontA(&cf)) return false;
  choice.lfHeight = LayoutFromDpi(choice.lfHeight, dpi);
  choice.lfWidth = LayoutFromDpi(choice.lfWidth, dpi);
  font = choice;
  return true;
}

TForm_Config::TForm_Config(FontChooser chooseFont)
    : ModalForm(Frame{PARLO_CLASS_CONFIG, "Parlo! - Configuration", 313, 341, true, kFont, kLayout,
                      sizeof kLayout / sizeof kLayout[0]}),
      chooseFont_(std::move(chooseFont)) {}

void TForm_Config::ComponentsCreated() {
  // The label's accelerator moves the focus to the control after it, which must be CheckBox_ALT.
  SetWindowPos(Control(IDC_CFG_LABEL_BARD), Control(IDC_CFG_COMBOBOX_CAPTION), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // And "&Caption of UO" must land on the combo box, the panel's first control.
  SetWindowPos(Control(IDC_CFG_LABEL1), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // "Hotkey for &Quick Say" on its own ALT box, which follows the Bard's key box.
  SetWindowPos(Control(IDC_CFG_LABEL_QUICKSAY), Control(IDC_CFG_HOTKEY_BARD), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  HWND hotKey = Control(IDC_CFG_HOTKEY_BARD);
  SendMessageA(hotKey, HKM_SETRULES, kAllModifierCombinations, 0);
  HWND quickSayKey = Control(IDC_CFG_HOTKEY_QUICKSAY);
  SendMessageA(quickSayKey, HKM_SETRULES, kAllModifierCombinations, 0);

  HWND combo = Control(IDC_CFG_COMBOBOX_CAPTION);
  for (const Bytes& item : values_.captionItems)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SetWindowTextA(combo, values_.captionText.c_str());

  SetLabelFont(values_.labelFont);
  SetCheck(Control(IDC_CFG_CHECKBOX_ONTOP), values_.onTop);
  SetCheck(Control(IDC_CFG_CHECKBOX_FOLLOW), values_.followCharacter);
  SetCheck(Control(IDC_CFG_CHECKBOX_ALT), values_.alt);
  SetCheck(Control(IDC_CFG_CHECKBOX_CTRL), values_.ctrl);
  SetCheck(Control(IDC_CFG_CHECKBOX_SHIFT), values_.shift);
  SendMessageA(hotKey, HKM_SETHOTKEY, values_.hotKey, 0);
  SetCheck(Control(IDC_CFG_CHECKBOX_QS_ALT), values_.quickSayAlt);
  SetCheck(Control(IDC_CFG_CHECKBOX_QS_CTRL), values_.quickSayCtrl);
  SetCheck(Control(IDC_CFG_CHECKBOX_QS_SHIFT), values_.quickSayShift);
  SendMessageA(quickSayKey, HKM_SETHOTKEY, values_.quickSayKey, 0);

  // Windows come and go while the dialog is open: where lines go is looked up again and again.
  ShowWhereLinesGo();
  SetTimer(Handle(), kGameRefreshTimer, kGameRefreshMs, nullptr);
}

void TForm_Config::DpiChanged() {
  SetLabelFont(values_.labelFont);
  ShowFontLabelText();
}

void TForm_Config::FormShow() {
  ShowFontLabelText();
}

void TForm_Config::Button1Click() {
  LOGFONTA font = values_.labelFont;
  // After a cancel the system may have changed the structure: it is not used.
  if (!chooseFont_ || !chooseFont_(Handle(), font)) return;
  SetLabelFont(font);
  ShowFontLabelText();
}

void TForm_Config::OKBtnClick() {
  // An untouched caption travels as the bytes it came with, so that nothing is lost to a
  // code-page round trip through the control.
  if (captionEdited_) values_.captionText = CaptionShown();
  std::vector<Bytes> before = values_.captionItems;
  RememberCaption(values_.captionItems, values_.captionText);
  if (values_.captionItems == before) return;
  HWND combo = Control(IDC_CFG_COMBOBOX_CAPTION);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const Bytes& item : values_.captionItems)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  SetWindowTextA(combo, values_.captionText.c_str());
}

void TForm_Config::SetLabelFont(const LOGFONTA& font) {
  values_.labelFont = font;
  HWND label = Control(IDC_CFG_LABEL_FONT);
  // The font is as at 96 dpi; the label shows it at the dialog's.
  LOGFONTA shown = font;
  shown.lfHeight = controls_.Scale(font.lfHeight);
  shown.lfWidth = controls_.Scale(font.lfWidth);
  Font created(CreateDisplayFont(shown));
  if (label) {
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(created.Get()), TRUE);
    AutoSizeLabel(label);
  }
  labelFontHandle_ = std::move(created);
}

void TForm_Config::ShowFontLabelText() {
  HWND label = Control(IDC_CFG_LABEL_FONT);
  if (!label) return;
  Bytes text = FontLabelText(values_.labelFont.lfFaceName, values_.labelFont.lfHeight, kLayoutDpi);
  SetWindowTextA(label, text.c_str());
  AutoSizeLabel(label);
  InvalidateRect(GetParent(label), nullptr, TRUE);
}

void TForm_Config::ReadControls() {
  values_.onTop = IsChecked(Control(IDC_CFG_CHECKBOX_ONTOP));
  values_.followCharacter = IsChecked(Control(IDC_CFG_CHECKBOX_FOLLOW));
  values_.alt = IsChecked(Control(IDC_CFG_CHECKBOX_ALT));
  values_.ctrl = IsChecked(Control(IDC_CFG_CHECKBOX_CTRL));
  values_.shift = IsChecked(Control(IDC_CFG_CHECKBOX_SHIFT));
  values_.hotKey = static_cast<unsigned>(SendMessageA(Control(IDC_CFG_HOTKEY_BARD), HKM_GETHOTKEY, 0, 0)) & 0xFFFFu;
  values_.quickSayAlt = IsChecked(Control(IDC_CFG_CHECKBOX_QS_ALT));
  values_.quickSayCtrl = IsChecked(Control(IDC_CFG_CHECKBOX_QS_CTRL));
  values_.quickSayShift = IsChecked(Control(IDC_CFG_CHECKBOX_QS_SHIFT));
  values_.quickSayKey =
      static_cast<unsigned>(SendMessageA(Control(IDC_CFG_HOTKEY_QUICKSAY), HKM_GETHOTKEY, 0, 0)) & 0xFFFFu;
  RECT rc{};
  GetWindowRect(Control(IDC_CFG_LABEL_FONT), &rc);
  values_.labelFontHeight = rc.bottom - rc.top;
}

Bytes TForm_Config::CaptionShown() const {
  HWND combo = Control(IDC_CFG_COMBOBOX_CAPTION);
  const int length = GetWindowTextLengthA(combo);
  Bytes text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(combo, &text[0], static_cast<int>(text.size()))));
  return text;
}

void TForm_Config::ShowWhereLinesGo() {
  HWND label = Control(IDC_CFG_LABEL_GAME);
  if (!label) return;
  const std::optional<Bytes> title =
      findGame_ ? findGame_(captionEdited_ ? CaptionShown() : values_.captionText) : std::nullopt;
  const Bytes text = title ? kLinesGoTo + *title : Bytes(kNoGameWindow);
  char shown[1024] = {};
  GetWindowTextA(label, shown, sizeof shown);
  if (text != shown) SetWindowTextA(label, text.c_str());  // unchanged text: no flicker
}

void TForm_Config::OnCommand(int id, int code, HWND control) {
  if (id == IDC_CFG_COMBOBOX_CAPTION) {
    if (code == CBN_EDITCHANGE) {
      captionEdited_ = true;
      ShowWhereLinesGo();
    } else if (code == CBN_SELCHANGE) {
      // The edit field takes the picked item only after this notification.
      captionEdited_ = true;
      PostMessageA(Handle(), WM_TIMER, kGameRefreshTimer, 0);
    }
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDOK:
      OKBtnClick();
      SetModalResult(IDOK);
      break;
    case IDC_CFG_BUTTON1:
      Button1Click();
      break;
    default:
      ModalForm::OnCommand(id, code, control);
      break;
  }
}

LRESULT TForm_Config::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NEXTDLGCTL: {
      // The dialog manager moves the focus this way for a label's accelerator: to the label,
      // then on to the next control, so that "&Hotkey for Bard Button" lands on CheckBox_ALT.
      HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kGameRefreshTimer) {
        ShowWhereLinesGo();
        return 0;
      }
      break;
    case WM_DESTROY:
      KillTimer(Handle(), kGameRefreshTimer);
      // The controls go with the window: keep what they hold for whoever showed the dialog.
      ReadControls();
      break;
    default:
      break;
  }
  return ModalForm::WndProc(message, wParam, lParam);
}

}  // namespace parlo
