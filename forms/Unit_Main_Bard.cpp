// Delivery of a line to the game, the Bard recital and the Paste button.
#include "core/book/Bard.h"
#include "core/book/SayCollection.h"
#include "core/game/Character.h"
#include "core/game/Delivery.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"

namespace parlo {

namespace {
// Starts at 1 with the program and is never reseeded, so every run sees the same sequence.
BardRandom RandomGenerator;
}  // namespace

GameChoice TForm_Main::GameChoiceFor(const Bytes& caption) const {
  GameChoice choice;
  choice.caption = caption;
  choice.lower = lower_;
  // A caption of the player's names the one window every line goes to.
  if (!IsDefaultCaption(choice, services_.leadBytes)) return choice;
  choice.character = CharacterOfBook(DisplayNameOf(CurrentFile));
  if (choice.character.empty()) return choice;
  for (const Bytes& entry : BookEntries()) choice.characters.push_back(CharacterOfBook(entry));
  for (const Bytes& seen : seenCharacters_)
    if (SameName(seen, choice.character, lower_, services_.leadBytes)) choice.characterSeen = true;
  return choice;
}

void TForm_Main::SendSay(Bytes text, bool yell, bool pasteOnly) {
  if (!services_.game) return;
  if (delivery_.Busy()) return;  // a press while a line is on its way is dropped
  GameChoice choice = GameChoiceFor(GameCaption);
  if (!choice.character.empty()) {
    // A character's book: its client, or none when one seen before has gone.
    const std::vector<TopLevelWindow> windows = services_.game->TopLevelWindows();
    NoteCharactersInGame(windows);
    choice = GameChoiceFor(GameCaption);
    if (choice.characterSeen && !text.empty() &&
        !ChooseGameWindow(windows, choice, services_.leadBytes, services_.game->OwnProcessId())) {
      ShowNotInGame(choice.character);
      return;
    }
  }
  if (!delivery_.Start(*services_.game, services_.leadBytes, choice, services_.chat, std::move(text), yell,
                       pasteOnly))
    return;
  // Its coming to the front is the line's doing, not the player's.
  lineWindow_ = delivery_.Window();
  AfterDeliveryStep();
}

void TForm_Main::ContinueDelivery() {
  if (!services_.game) return;
  delivery_.Continue(*services_.game);
  AfterDeliveryStep();
}

void TForm_Main::AfterDeliveryStep() {
  if (delivery_.Busy()) {
    SetTimer(Handle(), kDeliveryTimer, static_cast<UINT>(delivery_.WaitMs()), nullptr);
    return;
  }
  KillTimer(Handle(), kDeliveryTimer);
  // Every line would be refused the same way: once a run is enough to tell.
  if (delivery_.Result() != SayResult::kRefused || elevatedGameTold_) return;
  elevatedGameTold_ = true;
  OwnedMessageBoxes(services_.messageBox, nullptr)
      .Show(kElevatedGameText, kElevatedGameCaption, kMbOk | kMbIconWarning);
}

void TForm_Main::Button_BardClick() {
  // Dropped whole while a line is on its way: the walk moves only with a line said.
  if (delivery_.Busy()) return;
  // The hot key can come while a cell is being edited: the line sent is the one the player sees.
  grid_.EndEdit(true);
  BardRandom& random = services_.bardRandom ? *services_.bardRandom : RandomGenerator;
  BardPress(grid_.Model(), random, Checked(IDC_CHECKBOX_RANDOM), [this](const Bytes& text) {
    SendSay(text, Checked(IDC_CHECKBOX_YELL), Checked(IDC_CHECKBOX_PASTE));
  });
}

void TForm_Main::Button_PasteClick() {
  Bytes text = services_.clipboardText ? services_.clipboardText() : Bytes();
  if (text.empty()) return;
  // A pasted line is never yelled and Enter is never pressed for it.
  SendSay(FirstClipboardLine(text), false, true);
}

}  // namespace parlo
