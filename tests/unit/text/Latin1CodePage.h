#pragma once
// A stand-in ANSI code page for host tests: the first 256 characters are their own byte, any
// other UTF-16 unit is '?'. Like a code page that knows nothing of surrogates it takes each unit
// on its own, so half a character or a whole pair that reaches it shows as a '?' per unit.
#include "core/text/TextCoding.h"

namespace parlo {

class Latin1CodePage : public AnsiCodePage {
 public:
  Bytes FromUtf16(std::u16string_view text) override {
    Bytes out;
    for (const char16_t u : text) out += u < 0x100 ? static_cast<char>(u) : '?';
    return out;
  }

  bool FromUtf16Exact(std::u16string_view text, Bytes& out) override {
    out = FromUtf16(text);
    for (const char16_t u : text)
      if (u >= 0x100) return false;
    return true;
  }
};

}  // namespace parlo
