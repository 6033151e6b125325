#pragma once
#include <windows.h>

namespace parlo {

// Whether an installed font offers the face (any face when empty) in the character set.
bool FontInstalled(const char* face, BYTE charset);

// Creates the font as asked when the system has that face in that character set. Otherwise a
// stand-in: for a Japanese character set the first of MS PGothic, MS UI Gothic, Meiryo UI and
// Yu Gothic UI that is installed; failing that, the face in the default character set, or Tahoma.
// So Latin text never shows as empty boxes on a system without Japanese fonts. The caller's
// LOGFONT stays as asked (it is what the settings file keeps).
HFONT CreateDisplayFont(const LOGFONTA& asked);

}  // namespace parlo
