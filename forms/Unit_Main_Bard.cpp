// Delivery of a line to the game, the Bard recital and the Paste button.
#include "forms/Unit_Main.h"

namespace parlo {

void TForm_Main::SendSay(Bytes, bool, bool) {}

void TForm_Main::Button_BardClick() {}

void TForm_Main::Button_PasteClick() {}

}  // namespace parlo
