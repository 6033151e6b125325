#pragma once
// What the macro readers share: a file's text in one encoding, the speech lines found in it, and
// the small scanning helpers every format needs.
#include <string>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/text/LeadBytes.h"
#include "core/text/TextCoding.h"

namespace parlo {

enum class SpeechKind { kSay, kEmote, kWhisper, kYell, kParty, kGuild, kAlliance };

// A file's text either as UTF-8 or as the system code page's bytes, never a mixture: UTF-16 with
// a mark becomes UTF-8, a UTF-8 mark is dropped, and unmarked bytes are UTF-8 when they are valid
// UTF-8.
// leads: the code page's lead bytes, whose trail byte may look like a quote's backslash.
struct SourceText {
  std::string bytes;
  bool utf8 = true;
  LeadBytes leads;
  // Whether the code page's double-byte character starts at bytes[i].
  bool DoubleByteAt(std::string_view text, size_t i) const {
    return !utf8 && i + 1 < text.size() && leads.IsLead(static_cast<unsigned char>(text[i]));
  }
};
SourceText DecodeSource(std::string_view fileBytes, const LeadBytes& leads);
bool IsValidUtf8(std::string_view bytes);

// Builds a text in a source's encoding from the file's own bytes and from characters that escapes
// name. On the system code page a character it cannot hold becomes kUnwritable, so that the line
// is left out later.
class TextBuilder {
 public:
  static constexpr char kUnwritable = '\x01';

  TextBuilder(const SourceText& source, AnsiCodePage& codePage) : utf8_(source.utf8), codePage_(codePage) {}
  void Raw(std::string_view bytes) { text_.append(bytes); }
  void Raw(char byte) { text_ += byte; }
  void CodePoint(char32_t c);
  std::string Take() { return std::move(text_); }
  bool Empty() const { return text_.empty(); }

 private:
  bool utf8_;
  AnsiCodePage& codePage_;
  std::string text_;
};

// One speech line as found: label and text still in the source's encoding.
struct FoundLine {
  std::string label;
  int macro = 0;  // lines of one macro share it
  SpeechKind kind = SpeechKind::kSay;
  std::string text;
};

// Cuts the next line (without its end) from text at at; false at the end of text.
bool NextLine(std::string_view text, size_t& at, std::string_view& line);
std::string_view TrimSpace(std::string_view text);
bool IsSpace(char c);
bool IsIdentifierChar(char c);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);
// The file's name (given without folders) without its last extension.
std::string_view FileStem(std::string_view fileName);

}  // namespace parlo
