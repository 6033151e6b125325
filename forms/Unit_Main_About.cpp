// The About button.
#include "forms/Unit_Main.h"

namespace parlo {

void TForm_Main::Button_AboutClick() { ApplyStayOnTop(); }

}  // namespace parlo
