#include "forms/Fonts.h"

#include <initializer_list>

namespace parlo {

namespace {

int CALLBACK FoundOne(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

}  // namespace

bool FontInstalled(const char* face, BYTE charset) {
  LOGFONTA query{};
  query.lfCharSet = charset;
  if (face) lstrcpynA(query.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExA(dc, &query, FoundOne, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

HFONT CreateDisplayFont(const LOGFONTA& asked) {
  LOGFONTA font = asked;
  if (!FontInstalled(font.lfFaceName, font.lfCharSet)) {
    // The mapper would pick any face of the character set, and under Wine that can be one
    // without Latin letters: choose the stand-in ourselves.
    bool found = false;
    if (asked.lfCharSet == SHIFTJIS_CHARSET) {
      for (const char* face : {"MS PGothic", "MS UI Gothic", "Meiryo UI", "Yu Gothic UI"}) {
        if (FontInstalled(face, SHIFTJIS_CHARSET)) {
          lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
          found = true;
          break;
        }
      }
    }
    if (!found) {
      font.lfCharSet = DEFAULT_CHARSET;
      if (!FontInstalled(font.lfFaceName, DEFAULT_CHARSET)) lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    }
  }
  return CreateFontIndirectA(&font);
}

}  // namespace parlo
