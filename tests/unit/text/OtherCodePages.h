#pragma once
// Stand-ins for code pages that are not Latin-1, for host tests: a character of U+0080 to U+00FF
// has no byte of its own in them, so a test tells an escaped é from the byte 0xE9 of the file.
// Each holds only a part of its code page, enough for the tests; anything else has no form.
#include "core/text/LeadBytes.h"
#include "core/text/TextCoding.h"

namespace parlo {

class StandInCodePage : public AnsiCodePage {
 public:
  Bytes FromUtf16(std::u16string_view text) override {
    Bytes out;
    FromUtf16Exact(text, out);
    return out;
  }

  bool FromUtf16Exact(std::u16string_view text, Bytes& out) override {
    out.clear();
    bool exact = true;
    for (const char16_t u : text) {
      if (u < 0x80) {
        out += static_cast<char>(u);
        continue;
      }
      const unsigned code = Code(u);
      if (code == 0) {
        out += '?';
        exact = false;
      } else {
        if (code > 0xFF) out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
      }
    }
    return exact;
  }

 protected:
  // The character's byte, or its two bytes as lead * 256 + trail; 0 when the code page lacks it.
  virtual unsigned Code(char16_t u) const = 0;
};

// Windows-1251: the Cyrillic letters and the euro sign.
class Cp1251CodePage : public StandInCodePage {
 protected:
  unsigned Code(char16_t u) const override {
    if (u >= 0x0410 && u <= 0x044F) return 0xC0 + (u - 0x0410);
    if (u == 0x0401) return 0xA8;
    if (u == 0x0451) return 0xB8;
    if (u == 0x20AC) return 0x88;
    return 0;
  }
};

// Shift-JIS (932): hiragana and full-width katakana in two bytes, whose second may be 0x5C, the
// backslash (ソ is 0x83 0x5C).
class Cp932CodePage : public StandInCodePage {
 public:
  static LeadBytes Leads() { return LeadBytes{{0x81, 0x9F}, {0xE0, 0xFC}}; }

 protected:
  unsigned Code(char16_t u) const override {
    if (u >= 0x3041 && u <= 0x3093) return 0x829F + (u - 0x3041);
    if (u >= 0x30A1 && u <= 0x30DF) return 0x8340 + (u - 0x30A1);
    if (u >= 0x30E0 && u <= 0x30F6) return 0x8380 + (u - 0x30E0);  // past 0x837F, no trail byte
    return 0;
  }
};

}  // namespace parlo
