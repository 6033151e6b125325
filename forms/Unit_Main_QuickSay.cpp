// Quick Say on the main window: its hot key, opening the box and saying the line chosen in it.
#include "core/game/Delivery.h"
#include "core/book/QuickSay.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"

namespace parlo {

namespace {

BardHotKey QuickSayHotKeyOf(const TForm_Main& main) {
  return BardHotKey{main.QuickSayAlt, main.QuickSayCtrl, main.QuickSayShift, main.QuickSayKey};
}

BOOL CALLBACK FindModalWindow(HWND window, LPARAM found) {
  // Message boxes, the common dialogs and our own dialogs all have the modal frame; a dialog
  // that opened another over itself is disabled until that one closes.
  if (!IsWindowVisible(window) || !IsWindowEnabled(window) ||
      !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME))
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The box or dialog of ours that waits for an answer, nearest the front: null when none.
HWND ModalWindowOfThisThread() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindModalWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

void TForm_Main::OpenQuickSay() {
  // Dropped like every other press while a line is on its way: the box, or a box of ours brought
  // forward, would take the keyboard from the game halfway through the line.
  if (delivery_.Busy()) return;
  // Under one of our boxes a new box would open disabled and take no keys: the box that waits for
  // an answer comes to the front instead.
  if (!IsWindowEnabled(Handle())) {
    if (HWND modal = ModalWindowOfThisThread()) SetForegroundWindow(modal);
    return;
  }
  // Pressed again, the key closes the box, as Esc does.
  if (quickSay_.IsOpen()) {
    quickSay_.Close(true);
    return;
  }
  // Not while a book is read or written (its prompt may be up), nor once the exit is under way.
  if (closing_ || fileWork_ > 0) return;
  // As with the Bard key: the lines offered are the ones the player sees, an edit included.
  grid_.EndEdit(true);
  // Over the window the lines go to.
  std::optional<GameWindow> game;
  if (services_.game) game = FindGameWindow(*services_.game, GameChoiceFor(GameCaption), services_.leadBytes);
  quickSay_.Open(game ? reinterpret_cast<HWND>(game->handle) : nullptr, Handle(), grid_.GridFont());
}

void TForm_Main::SayFromQuickSay(int row) {
  if (!IsSayRow(row)) return;
  SendSay(grid_.Model().Text(row), Checked(IDC_CHECKBOX_YELL), Checked(IDC_CHECKBOX_PASTE));
}

void TForm_Main::YieldQuickSayKey(const std::vector<LineBinding>& lines) {
  if (!QuickSayKeyIsFree(QuickSayHotKeyOf(*this), BardHotKey{BardAlt, BardCtrl, BardShift, BardKey}, lines))
    quickSayKey_.Release(HotKeys());
}

void TForm_Main::BindQuickSayKey(const std::vector<LineBinding>& lines, bool tellRefusal) {
  const BardHotKey key = QuickSayHotKeyOf(*this);
  const bool free = QuickSayKeyIsFree(key, BardHotKey{BardAlt, BardCtrl, BardShift, BardKey}, lines);
  if (quickSayKey_.Bind(HotKeys(), key, free) || !tellRefusal) return;
  OwnedMessageBoxes(services_.messageBox, nullptr)
      .Show(QuickSayTakenMessage(key), kLineHotKeysTakenCaption, kMbOk | kMbIconWarning);
}

void TForm_Main::BindQuickSayKey(bool tellRefusal) {
  BindQuickSayKey(ChooseBindings(grid_.Model(), services_.leadBytes,
                                 BardLineKey(BardHotKey{BardAlt, BardCtrl, BardShift, BardKey})),
                  tellRefusal);
}

void TForm_Main::ReleaseQuickSayKey() {
  quickSayKey_.Release(HotKeys());
}

}  // namespace parlo
