// The settings file at start-up and exit, the configuration dialog and the Bard hot key.
#include "forms/Unit_Main.h"

namespace parlo {

void TForm_Main::ReadStartupSettings() {}

void TForm_Main::WriteSettings() {}

void TForm_Main::Button_ConfigClick() { ApplyStayOnTop(); }

void TForm_Main::RegisterBardHotKey() {}

void TForm_Main::OnHotKey(WPARAM id) {
  if (id == kBardHotKeyId) Button_BardClick();
}

}  // namespace parlo
