#include "core/text/TextCoding.h"

namespace parlo {

TextMark MarkOf(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextMark::kUtf8;
  if (bytes.substr(0, 2) == "\xFF\xFE") return TextMark::kUtf16Le;
  if (bytes.substr(0, 2) == "\xFE\xFF") return TextMark::kUtf16Be;
  return TextMark::kNone;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  auto at = [&utf8](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  for (size_t i = 0; i < n;) {
    const unsigned char b = at(i);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    // Length, smallest value and the range of the second byte of each lead byte, which rules out
    // overlong forms, surrogates and values past U+10FFFF.
    size_t length = 0;
    char32_t value = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2, value = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, value = b & 0x0F;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, value = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    }
    size_t taken = 1;
    bool valid = length != 0;
    while (valid && taken < length) {
      if (i + taken >= n) {
        valid = false;
        break;
      }
      const unsigned char c = at(i + taken);
      if (c < (taken == 1 ? low : 0x80) || c > (taken == 1 ? high : 0xBF)) {
        valid = false;
        break;
      }
      value = (value << 6) | (c & 0x3F);
      ++taken;
    }
    if (!valid) {
      out.push_back(u'\uFFFD');
      ++i;  // the next byte may start a sequence of its own
      continue;
    }
    if (value >= 0x10000) {
      value -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(value));
    }
    i += length;
  }
  return out;
}

namespace {

// No ANSI code page has a character outside the basic plane, nor half of one: each becomes one
// U+FFFD, so that it turns into one '?' whatever the code page does with surrogates.
Bytes FromUtf16(std::u16string text, AnsiCodePage& codePage) {
  size_t kept = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (u >= 0xD800 && u < 0xE000) {
      if (u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) ++i;
      text[kept++] = u'\uFFFD';
    } else {
      text[kept++] = u;
    }
  }
  text.resize(kept);
  return codePage.FromUtf16(text);
}

}  // namespace

Bytes AnsiFromMarkedText(std::string_view bytes, AnsiCodePage& codePage) {
  switch (MarkOf(bytes)) {
    case TextMark::kNone:
      return Bytes(bytes);
    case TextMark::kUtf8:
      return FromUtf16(Utf16FromUtf8(bytes.substr(3)), codePage);
    case TextMark::kUtf16Le:
    case TextMark::kUtf16Be: {
      const bool little = MarkOf(bytes) == TextMark::kUtf16Le;
      const std::string_view units = bytes.substr(2);
      std::u16string text(units.size() / 2, u'\0');
      for (size_t k = 0; k < text.size(); ++k) {
        const auto first = static_cast<unsigned char>(units[2 * k]);
        const auto second = static_cast<unsigned char>(units[2 * k + 1]);
        text[k] = static_cast<char16_t>(little ? first | (second << 8) : (first << 8) | second);
      }
      return FromUtf16(std::move(text), codePage);
    }
  }
  return Bytes(bytes);
}

}  // namespace parlo
