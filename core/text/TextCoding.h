#pragma once
#include <string>
#include <string_view>

#include "core/text/Bytes.h"

namespace parlo {

// The system's ANSI code page, as far as reading Unicode text needs it.
class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  // The text in the code page; a character the code page lacks becomes '?', never a look-alike.
  virtual Bytes FromUtf16(std::u16string_view text) = 0;

  // The same into out; false when some character had no exact form and was written as '?'.
  virtual bool FromUtf16Exact(std::u16string_view text, Bytes& out) = 0;
};

// The byte-order marks Notepad writes at the start of a file.
enum class TextMark { kNone, kUtf8, kUtf16Le, kUtf16Be };

TextMark MarkOf(std::string_view bytes);
// A surrogate or a value past U+10FFFF is written as U+FFFD.
void AppendUtf8(std::string& out, char32_t c);
// UTF-8 as UTF-16; each byte that starts no valid sequence stands for one U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);
// Marked text (mark included) as ANSI bytes; an odd last byte of UTF-16 is dropped. Text without
// a mark comes back as it is.
Bytes AnsiFromMarkedText(std::string_view bytes, AnsiCodePage& codePage);

}  // namespace parlo
