// The About button.
#include "forms/Unit_About.h"
#include "forms/Unit_Main.h"

namespace parlo {

void TForm_Main::Button_AboutClick() {
  {
    TAboutBox box;
    box.ShowModal(Handle());
  }
  // The box was topmost and is gone: put the main window back where the settings want it.
  ApplyStayOnTop();
}

}  // namespace parlo
