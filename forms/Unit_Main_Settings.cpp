// The settings file at start-up and exit, the configuration dialog and the Bard hot key.
#include <algorithm>
#include <cstring>

#include "core/game/Delivery.h"
#include "core/settings/FontLabel.h"
#include "core/settings/HotKey.h"
#include "core/settings/IniFile.h"
#include "core/settings/Settings.h"
#include "forms/ControlIds.h"
#include "forms/Dpi.h"
#include "forms/Unit_Congif.h"
#include "forms/Unit_Main.h"
#include "platform/Win32HotKeys.h"

namespace parlo {

namespace {

WindowBounds BoundsOf(const RECT& rc) {
  return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

// The bounds the window has when it is neither minimised nor maximised. A minimised window sits
// far off the screen, and writing that would bring the window back out of sight next time.
WindowBounds RestoredBounds(HWND window) {
  RECT rc{};
  GetWindowRect(window, &rc);
  if (!IsIconic(window) && !IsZoomed(window)) return BoundsOf(rc);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return BoundsOf(rc);
  RECT normal = placement.rcNormalPosition;
  // The normal position is relative to the work area, not to the screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromRect(&normal, MONITOR_DEFAULTTOPRIMARY), &monitor))
    OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  return BoundsOf(normal);
}

GridFont StoredFont(const LOGFONTA& font, int dpi) {
  GridFont stored;
  stored.charset = font.lfCharSet;
  stored.name.assign(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
  stored.size = PointsFromHeight(font.lfHeight, dpi);
  stored.bold = font.lfWeight >= FW_BOLD;
  stored.italic = font.lfItalic != 0;
  return stored;
}

}  // namespace

HotKeyPort& TForm_Main::HotKeys() {
  if (services_.hotKeys) return *services_.hotKeys;
  if (!ownHotKeys_) ownHotKeys_ = std::make_unique<Win32HotKeys>(Handle());
  return *ownHotKeys_;
}

void TForm_Main::ReadStartupSettings() {
  if (!services_.profile) return;
  TIniFile ini(IniFileName, *services_.profile);

  RECT rc{};
  GetWindowRect(Handle(), &rc);
  // Each key moves the window at once; where it really went is the next key's default.
  // The file keeps the bounds as at 96 dpi.
  ReadWindowBounds(ini, LayoutBounds(BoundsOf(rc)), [this](const WindowBounds& layout) {
    const WindowBounds b = BoundsAtDpi(layout);
    MoveWindow(Handle(), b.left, b.top, b.width, b.height, TRUE);
    RECT now{};
    GetWindowRect(Handle(), &now);
    return LayoutBounds(BoundsOf(now));
  });
  KeepReachable();

  Settings settings;
  ReadOptions(ini, settings);
  SetChecked(IDC_CHECKBOX_PASTE, settings.paste);
  SetChecked(IDC_CHECKBOX_YELL, settings.yell);
  SetChecked(IDC_CHECKBOX_RANDOM, settings.random);

  ReadBardKey(ini, settings);
  StayOnTop = settings.stayOnTop;
  BardAlt = settings.bardAlt;
  BardCtrl = settings.bardCtrl;
  BardShift = settings.bardShift;
  BardKey = settings.bardKey;
  RegisterBardHotKey();

  ReadCaptions(ini, settings);
  GameCaption = settings.gameCaption;
  if (!CaptionList) CaptionList = std::make_unique<std::vector<Bytes>>(kCaptionCount);
  std::copy_n(settings.captionList.begin(), std::min<size_t>(CaptionList->size(), kCaptionCount), CaptionList->begin());

  // The grid's font is kept as at 96 dpi, and so is its size in the file.
  const int dpi = kLayoutDpi;
  LOGFONTA font = grid_.GridFont();
  GridFont stored = StoredFont(font, dpi);
  const GridFont before = stored;
  ReadGridFont(ini, stored);
  font.lfCharSet = stored.charset;
  lstrcpynA(font.lfFaceName, stored.name.c_str(), LF_FACESIZE);
  if (stored.size != before.size) font.lfHeight = HeightFromPoints(stored.size, dpi);
  if (stored.bold != before.bold) font.lfWeight = stored.bold ? FW_BOLD : FW_NORMAL;
  if (stored.italic != before.italic) font.lfItalic = stored.italic ? TRUE : FALSE;
  font.lfUnderline = FALSE;
  font.lfStrikeOut = FALSE;
  grid_.SetGridFont(font, grid_.GridFontColor());

  lastOpen_ = ReadLastOpen(ini);

  // Registered once the book is open: its lines' keys come first.
  ReadQuickSay(ini, settings);
  QuickSayAlt = settings.quickSayAlt;
  QuickSayCtrl = settings.quickSayCtrl;
  QuickSayShift = settings.quickSayShift;
  QuickSayKey = settings.quickSayKey;
  quickSay_.SetLayoutSize(settings.quickSayWidth, settings.quickSayHeight);

  importFolder_ = ReadImportFolder(ini);
  FollowCharacter = ReadFollowCharacter(ini);
}

void TForm_Main::WriteSettings() {
  // A window that is gone would read as bounds 0 and every option off.
  if (!services_.profile || !IsWindow(Handle())) return;
  Settings settings;
  settings.bounds = LayoutBounds(RestoredBounds(Handle()));
  settings.paste = Checked(IDC_CHECKBOX_PASTE);
  settings.yell = Checked(IDC_CHECKBOX_YELL);
  settings.random = Checked(IDC_CHECKBOX_RANDOM);
  settings.stayOnTop = StayOnTop;
  settings.bardAlt = BardAlt;
  settings.bardCtrl = BardCtrl;
  settings.bardShift = BardShift;
  settings.bardKey = BardKey;
  settings.gameCaption = GameCaption;
  if (CaptionList) {
    for (size_t i = 0; i < settings.captionList.size() && i < CaptionList->size(); ++i)
      settings.captionList[i] = (*CaptionList)[i];
  }
  settings.font = StoredFont(grid_.GridFont(), kLayoutDpi);
  settings.lastOpen = CurrentFile;
  settings.quickSayAlt = QuickSayAlt;
  settings.quickSayCtrl = QuickSayCtrl;
  settings.quickSayShift = QuickSayShift;
  settings.quickSayKey = QuickSayKey;
  settings.quickSayWidth = quickSay_.LayoutSize().cx;
  settings.quickSayHeight = quickSay_.LayoutSize().cy;
  settings.importFolder = importFolder_;
  settings.followCharacter = FollowCharacter;

  // Each key written is a visit to the file, and at most exits nothing has changed: one read
  // tells whether there is anything to write at all.
  if (services_.files) {
    Bytes content;
    if (services_.files->ReadWhole(IniFileName, content) && !SettingsChangeFile(content, settings)) return;
  }
  TIniFile ini(IniFileName, *services_.profile);
  parlo::WriteSettings(ini, settings);
}

void TForm_Main::Button_ConfigClick() {
  {
    TForm_Config form;
    TForm_Config::Values& in = form.Data();
    in.captionText = GameCaption;
    if (CaptionList) in.captionItems = *CaptionList;
    in.labelFont = grid_.GridFont();
    in.onTop = StayOnTop;
    in.alt = BardAlt;
    in.ctrl = BardCtrl;
    in.shift = BardShift;
    in.hotKey = HotKeyControlFromBardKey(BardKey);
    in.quickSayAlt = QuickSayAlt;
    in.quickSayCtrl = QuickSayCtrl;
    in.quickSayShift = QuickSayShift;
    in.quickSayKey = HotKeyControlFromBardKey(QuickSayKey);
    in.followCharacter = FollowCharacter;
    form.SetGameFinder([this](const Bytes& caption) -> std::optional<Bytes> {
      if (!services_.game) return std::nullopt;
      const std::optional<GameWindow> game =
          FindGameWindow(*services_.game, GameChoiceFor(caption), services_.leadBytes);
      if (!game) return std::nullopt;
      return game->title;
    });

    if (form.ShowModal(Handle()) == IDOK) {
      const TForm_Config::Values& out = form.Data();
      BardAlt = out.alt;
      BardCtrl = out.ctrl;
      BardShift = out.shift;
      BardKey = BardKeyFromHotKeyControl(out.hotKey);
      QuickSayAlt = out.quickSayAlt;
      QuickSayCtrl = out.quickSayCtrl;
      QuickSayShift = out.quickSayShift;
      QuickSayKey = BardKeyFromHotKeyControl(out.quickSayKey);
      UnregisterBardHotKey();
      // Quick Say's key may be the new Bard key or a line's: it comes last, below.
      ReleaseQuickSayKey();
      // A line that had the new Bard key lets it go first; one the old key shadowed takes it.
      RebindLineHotKeys();
      RegisterBardHotKey();
      BindQuickSayKey(true);
      StayOnTop = out.onTop;
      if (out.followCharacter != FollowCharacter) {
        FollowCharacter = out.followCharacter;
        ApplyFollowCharacter();
      }
      GameCaption = out.captionText;
      CaptionList = std::make_unique<std::vector<Bytes>>(out.captionItems);
      grid_.SetGridFont(out.labelFont, grid_.GridFontColor());
      grid_.SetDefaultRowHeight(out.labelFontHeight + controls_.Scale(kRowPadding));
      grid_.SetColWidth(kColLabel, 4 * grid_.DefaultRowHeight());
      FormResize();
    }
  }
  ApplyStayOnTop();
}

void TForm_Main::RegisterBardHotKey() {
  OwnedMessageBoxes messages(services_.messageBox, nullptr);
  parlo::RegisterBardHotKey(HotKeys(), messages, BardHotKey{BardAlt, BardCtrl, BardShift, BardKey});
}

void TForm_Main::UnregisterBardHotKey() { HotKeys().Unregister(kBardHotKeyId); }

void TForm_Main::OnHotKey(WPARAM id) {
  if (id >= static_cast<WPARAM>(kFirstLineHotKeyId) && id <= static_cast<WPARAM>(kLastLineHotKeyId)) {
    OnLineHotKey(static_cast<int>(id));
    return;
  }
  if (id == static_cast<WPARAM>(kQuickSayHotKeyId)) {
    if (quickSayKey_.Held()) OpenQuickSay();
    return;
  }
  if (id != static_cast<WPARAM>(kBardHotKeyId)) return;
  // Also while a box or dialog of ours shows: the player is in the game. A Bard step only moves
  // the current row and sends a line; the book a retry prompt is about is the one the grid holds.
  Button_BardClick();
}

}  // namespace parlo
