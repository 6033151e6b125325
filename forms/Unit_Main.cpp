// The main window: its layout, its lifecycle and the routing of its messages to the handlers.
#include "forms/Unit_Main.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

#include "forms/Art.h"
#include "forms/ControlIds.h"
#include "forms/Dpi.h"
#include "forms/ExceptionBox.h"
#include "platform/Win32LowerCase.h"

namespace parlo {

TForm_Main* Form_Main = nullptr;

namespace {

constexpr FontSpec kMainFont{"Arial", -12, SHIFTJIS_CHARSET, false};
constexpr FontSpec kBottomPanelFont{"Arial", -11, ANSI_CHARSET, false};

// The main window's components. Aligned panels get their rectangles from LayOut.
const ControlSpec kMainLayout[] = {
    {IDC_PANEL_TOP, ControlKind::Panel, 0, 0, 0, 0, 28, nullptr, 2, true, nullptr},
    {IDC_COMBOBOX_FILES, ControlKind::DropDownList, IDC_PANEL_TOP, 8, 4, 193, 20, nullptr, 0, true, nullptr},
    {IDC_BUTTON_SAVE, ControlKind::Button, IDC_PANEL_TOP, 208, 4, 57, 19, "&Save As", 1, true, nullptr},
    {IDC_BUTTON1, ControlKind::Button, IDC_PANEL_TOP, 272, 4, 49, 19, "&Delete", 2, true, nullptr},
    {IDC_PANEL1, ControlKind::Panel, 0, 0, 0, 0, 48, nullptr, 0, true, &kBottomPanelFont},
    {IDC_BUTTON_PASTE, ControlKind::Button, IDC_PANEL1, 6, 4, 44, 19, "&Paste", 0, true, nullptr},
    {IDC_BUTTON_BARD, ControlKind::Button, IDC_PANEL1, 54, 4, 44, 19, "&Bard", 1, true, nullptr},
    {IDC_BUTTON_ADD, ControlKind::Button, IDC_PANEL1, 104, 4, 40, 19, "Add", 2, true, nullptr},
    {IDC_BUTTON_DELETE, ControlKind::Button, IDC_PANEL1, 144, 4, 40, 19, "Delete", 3, true, nullptr},
    {IDC_BUTTON_INSERT, ControlKind::Button, IDC_PANEL1, 184, 4, 40, 19, "Insert", 4, true, nullptr},
    {IDC_BUTTON_CONFIG, ControlKind::Button, IDC_PANEL1, 232, 4, 48, 19, "Config...", 5, true, nullptr},
    {IDC_BUTTON_ABOUT, ControlKind::Button, IDC_PANEL1, 280, 4, 48, 19, "About...", 6, true, nullptr},
    {IDC_BEVEL1, ControlKind::BevelLine, IDC_PANEL1, 0, 26, 0, 2, nullptr, -1, true, nullptr},
    {IDC_CHECKBOX_PASTE, ControlKind::CheckBox, IDC_PANEL1, 4, 30, 51, 17, "&Paste", 7, true, nullptr},
    {IDC_CHECKBOX_YELL, ControlKind::CheckBox, IDC_PANEL1, 54, 30, 41, 17, "&Yell", 8, true, nullptr},
    {IDC_CHECKBOX_RANDOM, ControlKind::CheckBox, IDC_PANEL1, 98, 30, 81, 17, "&Randomize", 9, true, nullptr},
    {IDC_IMAGE1, ControlKind::Bitmap, IDC_PANEL1, 0, 0, 11, 11, nullptr, -1, false, nullptr},
    {IDC_LABEL_DUMMY, ControlKind::Label, IDC_PANEL1, 0, 0, 0, 0, "Label_Dummy", -1, false, nullptr},
    {IDC_IMAGE2, ControlKind::Bitmap, 0, 0, 0, 11, 11, nullptr, -1, false, nullptr},
    {IDC_FILELISTBOX_SAY, ControlKind::ListBox, 0, 152, 88, 145, 97, nullptr, 3, false, nullptr},
};

// The rows of the book list when it drops down; its closed field is the table's height.
constexpr int kFileItemHeight = 12;

int LayoutHeightOf(int id) {
  for (const ControlSpec& row : kMainLayout)
    if (row.id == id) return row.height;
  return 0;
}

constexpr UINT kCheckOutsideChangeMessage = WM_APP + 11;
constexpr int kTopPanelHeight = 28;
constexpr int kBottomPanelHeight = 48;
constexpr int kBevelTop = kBottomPanelHeight - 22;
constexpr int kBevelHeight = 2;
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_CONTROLPARENT;

}  // namespace

TForm_Main::TForm_Main(MainServices services)
    : services_(std::move(services)),
      grid_(*this),
      lower_(SystemLowerTable(services_.leadBytes)),
      find_([this](const Bytes& text, bool forward) { return FindNext(text, forward); }),
      quickSay_(grid_.Model(), lower_, services_.leadBytes,
                QuickSayBox::Hooks{[this](int row) { return LabelKeyPartOf(row); },
                                   [this](int row) { SayFromQuickSay(row); }}) {}

TForm_Main::~TForm_Main() {
  if (Form_Main == this) Form_Main = nullptr;
}

void TForm_Main::Create() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_HOTKEY_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterWindowClass(PARLO_CLASS_MAIN, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                      LoadIconA(ModuleInstance(), MAKEINTRESOURCEA(1)));
  // Until the window exists its dpi is the screen's.
  const int dpi = DpiOf(nullptr);
  const WindowBounds at = BoundsForDpi(WindowBounds{}, FrameSizeForDpi(kMainStyle, kMainExStyle, kLayoutDpi),
                                       FrameSizeForDpi(kMainStyle, kMainExStyle, dpi), dpi);
  CreateWindowObject(kMainExStyle, PARLO_CLASS_MAIN, "Parlo!", kMainStyle, at.left, at.top, at.width,
                     at.height, nullptr, nullptr);
  if (!Handle()) throw std::runtime_error("The main window could not be created");
  Form_Main = this;
  CreateComponents();
  // A window that opened on a monitor of another dpi takes its size for that one.
  if (controls_.Dpi() != dpi) {
    const WindowBounds b = BoundsAtDpi(WindowBounds{});
    MoveWindow(Handle(), b.left, b.top, b.width, b.height, FALSE);
  }
  LayOut();
  RunGuarded([this] { FormCreate(); });
}

void TForm_Main::CreateComponents() {
  controls_.Create(Handle(), kMainLayout, sizeof kMainLayout / sizeof kMainLayout[0], kMainFont);
  SizeFileList();

  // The grid sits between the two panels in the tab order: after Panel1, before Panel_Top.
  grid_.Create(Handle(), IDC_STRINGGRID1, 0, controls_.Scale(kTopPanelHeight), 0, 0);
  SetWindowPos(grid_.Handle(), Control(IDC_PANEL1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, ModuleInstance(),
                             nullptr);
  if (tip) {
    TTTOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Handle();
    info.uId = reinterpret_cast<UINT_PTR>(Control(IDC_CHECKBOX_PASTE));
    info.lpszText = const_cast<char*>("Paste Only");
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
  }

  // The grid's design font; the settings file normally replaces it at start-up.
  LOGFONTA design{};
  design.lfHeight = -12;
  design.lfWeight = FW_NORMAL;
  design.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpynA(design.lfFaceName, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", LF_FACESIZE);
  grid_.SetGridFont(design, PhraseGridControl::kTextColor);

  LoadGems(controls_.Dpi());
}

void TForm_Main::SizeFileList() {
  // The font would give other heights. The combo box sets the rows of owner-drawn lists only, so
  // this one's list is told itself.
  HWND files = Control(IDC_COMBOBOX_FILES);
  const int rows = controls_.Scale(kFileItemHeight);
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  if (GetComboBoxInfo(files, &parts) && parts.hwndList)
    SendMessageA(parts.hwndList, LB_SETITEMHEIGHT, 0, rows);
  // The closed field's height is set without its edge; how thick the system draws that edge is
  // read off the control.
  SendMessageA(files, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), rows);
  RECT closed{};
  GetWindowRect(files, &closed);
  const int edge = (closed.bottom - closed.top) - rows;
  SendMessageA(files, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
               std::max(1, controls_.Scale(LayoutHeightOf(IDC_COMBOBOX_FILES)) - edge));
}

void TForm_Main::LoadGems(int dpi) {
  // Drawn for the display scale. The picture controls show the glyphs but do not own them.
  gem_ = LoadArt(ModuleInstance(), ArtPicture::Gem, dpi);
  gemPressed_ = LoadArt(ModuleInstance(), ArtPicture::GemPressed, dpi);
  if (gem_)
    SendMessageA(Control(IDC_IMAGE1), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(gem_.Get()));
  if (gemPressed_)
    SendMessageA(Control(IDC_IMAGE2), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(gemPressed_.Get()));
}

void TForm_Main::LayOut() {
  RECT client;
  GetClientRect(Handle(), &client);
  int width = client.right;
  int height = client.bottom;
  const int top = controls_.Scale(kTopPanelHeight);
  const int bottom = controls_.Scale(kBottomPanelHeight);
  MoveWindow(Control(IDC_PANEL_TOP), 0, 0, width, top, TRUE);
  MoveWindow(Control(IDC_PANEL1), 0, height - bottom, width, bottom, TRUE);
  MoveWindow(Control(IDC_BEVEL1), 0, controls_.Scale(kBevelTop), width, controls_.Scale(kBevelHeight), TRUE);
  int gridHeight = height - top - bottom;
  MoveWindow(grid_.Handle(), 0, top, width, gridHeight > 0 ? gridHeight : 0, TRUE);
}

// The position goes by the screen's dpi, one for the whole desktop: converted with the dpi of
// the monitor the window happens to be on, each start would move a window on a monitor of
// another scale by the ratio of the two.
WindowBounds TForm_Main::BoundsAtDpi(const WindowBounds& layout) const {
  const int dpi = controls_.Dpi();
  return BoundsForDpi(layout, FrameSizeForDpi(kMainStyle, kMainExStyle, kLayoutDpi),
                      FrameSizeForDpi(kMainStyle, kMainExStyle, dpi), dpi, DpiOf(nullptr));
}

WindowBounds TForm_Main::LayoutBounds(const WindowBounds& bounds) const {
  const int dpi = controls_.Dpi();
  return LayoutBoundsFromDpi(bounds, FrameSizeForDpi(kMainStyle, kMainExStyle, kLayoutDpi),
                             FrameSizeForDpi(kMainStyle, kMainExStyle, dpi), dpi, DpiOf(nullptr));
}

void TForm_Main::KeepReachable() {
  auto boundsNow = [this] {
    RECT rc{};
    GetWindowRect(Handle(), &rc);
    return WindowBounds{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
  };
  const WindowBounds now = boundsNow();
  const WindowBounds reachable = ReachableBounds(now, controls_.Dpi(), MonitorAreas(), [](int dpi) {
    return WindowFrameForDpi(kMainStyle, kMainExStyle, dpi);
  });
  if (reachable == now) return;
  MoveWindow(Handle(), reachable.left, reachable.top, reachable.width, reachable.height, TRUE);
  // Arriving on a monitor of another dpi, the window took the size the system suggested for it;
  // the bounds were worked out for that monitor already.
  if (!(boundsNow() == reachable))
    MoveWindow(Handle(), reachable.left, reachable.top, reachable.width, reachable.height, TRUE);
}

void TForm_Main::OnDpiChanged(int dpi, const RECT& suggested) {
  const int topRow = grid_.TopRow();
  controls_.ApplyDpi(dpi);
  SizeFileList();
  grid_.SetDpi(dpi);
  LoadGems(dpi);
  // The move lays the panels and the grid out at the new scale.
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LayOut();
  FitGridToFont(Control(IDC_LABEL_DUMMY));
  grid_.SetTopRow(topRow);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TForm_Main::Show(int showCommand) {
  ShowWindow(Handle(), showCommand);
  RunGuarded([this] { FormShow(); });
}

void TForm_Main::FormCreate() {
  IniFileName = IniFileNameFor(services_.exePath, IsLeadByte());
  SayDir = SayDirFor(services_.exePath, IsLeadByte());
  // FileListBox_Say lists SayDir with the mask "say*.txt" (RefreshFileList).
  grid_.Model().SetCol(kColLabel);
  CaptionList = std::make_unique<std::vector<Bytes>>(5);

  ReadStartupSettings();
  FitGridToFont(Control(IDC_LABEL_DUMMY));
  OpenInitialBook();
  // After the book: its lines come first.
  BindQuickSayKey(true);
  ApplyFollowCharacter();
}

void TForm_Main::FormShow() { ApplyStayOnTop(); }

void TForm_Main::FormDestroy() {
  // The phrase book first: it is saved even when writing the settings fails.
  if (!CurrentFile.empty()) SaveSayFile(CurrentFile, true);
  if (services_.foreground) services_.foreground->Stop();
  UnregisterBardHotKey();
  ReleaseLineHotKeys();
  ReleaseQuickSayKey();
  quickSay_.Close(false);
  WriteSettings();
  CaptionList.reset();
}

namespace {

struct OwnedPopups {
  HWND owner;
  std::vector<HWND> popups;
};

BOOL CALLBACK CollectOwnedPopup(HWND window, LPARAM found) {
  auto* owned = reinterpret_cast<OwnedPopups*>(found);
  if (GetWindow(window, GW_OWNER) == owned->owner) owned->popups.push_back(window);
  return TRUE;
}

}  // namespace

void TForm_Main::ApplyStayOnTop() {
  SetWindowPos(Handle(), StayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  if (!StayOnTop || (GetWindowLongA(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST)) return;
  // Wine turns "topmost" into "just below our own tool tip" when that popup sits directly above
  // the window, which changes nothing. Without owned popups for that moment it does as asked.
  OwnedPopups owned{Handle(), {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwnedPopup, reinterpret_cast<LPARAM>(&owned));
  for (HWND popup : owned.popups) SetWindowLongPtrA(popup, GWLP_HWNDPARENT, 0);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  for (HWND popup : owned.popups) SetWindowLongPtrA(popup, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Handle()));
}

LeadByteTest TForm_Main::IsLeadByte() const {
  return [this](unsigned char b) { return services_.leadBytes.IsLead(b); };
}

bool TForm_Main::Checked(int checkBoxId) const {
  return SendMessageA(Control(checkBoxId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm_Main::SetChecked(int checkBoxId, bool checked) {
  SendMessageA(Control(checkBoxId), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TForm_Main::Close() {
  // A second request while the exit is under way (its retry prompt is up) is ignored: the window
  // outlives the exit, which still reads the settings from it.
  if (closing_) return;
  closing_ = true;
  // No question on closing. The window is hidden before the book and the settings are written.
  ShowWindow(Handle(), SW_HIDE);
  if (!destroyed_) {
    destroyed_ = true;
    RunGuarded([this] { FormDestroy(); });
    if (services_.written) services_.written();
  }
  DestroyWindow(Handle());
}

void TForm_Main::OnCommand(int id, int code) {
  if (id == IDC_COMBOBOX_FILES) {
    if (code == CBN_SELCHANGE) ComboBox_FilesChange();
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case IDC_BUTTON_SAVE:
      Button_SaveClick();
      break;
    case IDC_BUTTON1:
      Button1Click();
      break;
    case IDC_BUTTON_PASTE:
      Button_PasteClick();
      break;
    case IDC_BUTTON_BARD:
      Button_BardClick();
      break;
    case IDC_BUTTON_ADD:
      Button_AddClick();
      break;
    case IDC_BUTTON_DELETE:
      Button_DeleteClick();
      break;
    case IDC_BUTTON_INSERT:
      Button_InsertClick();
      break;
    case IDC_BUTTON_CONFIG:
      Button_ConfigClick();
      break;
    case IDC_BUTTON_ABOUT:
      Button_AboutClick();
      break;
    default:
      break;
  }
}

LRESULT TForm_Main::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      LayOut();
      FormResize();
      return 0;
    case WM_DPICHANGED: {
      const DpiChange change = DpiChangeOf(wParam, lParam);
      OnDpiChanged(change.dpi, change.suggested);
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HOTKEY:
      OnHotKey(wParam);
      return 0;
    case WM_TIMER:
      if (wParam == kDeliveryTimer) ContinueDelivery();
      if (wParam == kTitleTimer) RestoreTitle();
      return 0;
    case kForegroundMessage:
      RunGuarded([this, lParam] { OnForegroundChanged(static_cast<WindowRef>(lParam)); });
      return 0;
    case WM_MOUSEACTIVATE:
      // A click on Parlo while a line is on its way (the second of a double click on a gem) would
      // take the keyboard from the game halfway through the line; the press would be dropped
      // anyway.
      if (delivery_.Busy()) return MA_NOACTIVATEANDEAT;
      return Default(message, wParam, lParam);
    case WM_CLOSE:
      Close();
      return 0;
    case WM_ACTIVATE:
      // Coming back to Parlo puts the keyboard where the player left it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
      } else if (!HIWORD(wParam)) {
        SetFocus(lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_) ? lastFocus_ : grid_.Handle());
        // Looked at once the activation is over, outside whatever handler caused it.
        PostMessageA(Handle(), kCheckOutsideChangeMessage, 0, 0);
      }
      return 0;
    case kCheckOutsideChangeMessage:
      CheckOutsideChange();
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Windows is ending without a WM_CLOSE: write the book and the settings all the same.
      if (wParam && !destroyed_) {
        destroyed_ = true;
        RunGuarded([this] { FormDestroy(); });
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace parlo
