#include "core/import/MacroText.h"

namespace parlo {

namespace {

// UTF-16 units as UTF-8; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUnits(std::string_view units, bool little) {
  std::string out;
  out.reserve(units.size());
  const size_t count = units.size() / 2;
  auto unit = [&](size_t k) -> char32_t {
    const auto first = static_cast<unsigned char>(units[2 * k]);
    const auto second = static_cast<unsigned char>(units[2 * k + 1]);
    return little ? first | (second << 8) : (first << 8) | second;
  };
  for (size_t k = 0; k < count; ++k) {
    char32_t c = unit(k);
    if (c >= 0xD800 && c < 0xDC00 && k + 1 < count && unit(k + 1) >= 0xDC00 && unit(k + 1) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
      ++k;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const size_t n = bytes.size();
  auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  for (size_t i = 0; i < n;) {
    const unsigned char b = at(i);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (n - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char c = at(i + k);
      if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

SourceText DecodeSource(std::string_view fileBytes, const LeadBytes& leads) {
  switch (MarkOf(fileBytes)) {
    case TextMark::kUtf8:
      return {std::string(fileBytes.substr(3)), true, leads};
    case TextMark::kUtf16Le:
      return {Utf8FromUnits(fileBytes.substr(2), true), true, leads};
    case TextMark::kUtf16Be:
      return {Utf8FromUnits(fileBytes.substr(2), false), true, leads};
    case TextMark::kNone:
      break;
  }
  return {std::string(fileBytes), IsValidUtf8(fileBytes), leads};
}

void TextBuilder::CodePoint(char32_t c) {
  if (utf8_) {
    AppendUtf8(text_, c);
    return;
  }
  if (c < 0x80) {
    text_ += static_cast<char>(c);
    return;
  }
  std::u16string units;
  if (c >= 0x10000 && c <= 0x10FFFF) {
    units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else if (c < 0xD800 || (c >= 0xE000 && c < 0x10000)) {
    units += static_cast<char16_t>(c);
  } else {
    text_ += kUnwritable;
    return;
  }
  Bytes ansi;
  if (codePage_.FromUtf16Exact(units, ansi))
    text_ += ansi;
  else
    text_ += kUnwritable;
}

bool NextLine(std::string_view text, size_t& at, std::string_view& line) {
  if (at >= text.size()) return false;
  const size_t end = text.find_first_of("\r\n", at);
  if (end == std::string_view::npos) {
    line = text.substr(at);
    at = text.size();
    return true;
  }
  line = text.substr(at, end - at);
  at = end + 1;
  if (text[end] == '\r' && at < text.size() && text[at] == '\n') ++at;
  return true;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view TrimSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string_view FileStem(std::string_view fileName) {
  // No folders are cut off: a backslash may be the second byte of a double-byte character.
  const size_t dot = fileName.rfind('.');
  if (dot != std::string_view::npos && dot > 0) fileName = fileName.substr(0, dot);
  return fileName;
}

}  // namespace parlo
