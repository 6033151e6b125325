#pragma once
// A stand-in ANSI code page for host tests: the first 256 characters are their own byte, any
// other UTF-16 unit is '?'.
#include "core/TextCoding.h"

namespace parlo {

class Latin1CodePage : public AnsiCodePage {
 public:
  Bytes FromUtf16(std::u16string_view text) override {
    Bytes out;
    for (size_t i = 0; i < text.size(); ++i) {
      const char16_t u = text[i];
      if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        ++i;
      out += u < 0x100 ? static_cast<char>(u) : '?';
    }
    return out;
  }
};

}  // namespace parlo
