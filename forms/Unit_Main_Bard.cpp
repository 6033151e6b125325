// Delivery of a line to the game, the Bard recital and the Paste button.
#include "core/Bard.h"
#include "core/Delivery.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"

namespace parlo {

namespace {
// Starts at 1 with the program and is never reseeded, so every run sees the same sequence.
BardRandom RandomGenerator;
}  // namespace

GameChoice TForm_Main::GameChoiceFor(const Bytes& caption) const {
  return GameChoice{caption, lower_};
}

void TForm_Main::SendSay(Bytes text, bool yell, bool pasteOnly) {
  if (!services_.game) return;
  const SayResult result = parlo::SendSay(*services_.game, services_.leadBytes, GameChoiceFor(GameCaption),
                                          std::move(text), yell, pasteOnly);
  // Every line would be refused the same way: once a run is enough to tell.
  if (result != SayResult::kRefused || elevatedGameTold_) return;
  elevatedGameTold_ = true;
  OwnedMessageBoxes(services_.messageBox, nullptr)
      .Show(kElevatedGameText, kElevatedGameCaption, kMbOk | kMbIconWarning);
}

void TForm_Main::Button_BardClick() {
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
