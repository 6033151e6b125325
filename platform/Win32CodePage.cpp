#include "platform/Win32CodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace parlo {

namespace {

// Appends text in the ANSI code page; false when a character had no exact form.
bool AppendAnsi(std::u16string_view text, Bytes& out) {
  bool exact = true;
  // UTF-8 as the system page (Windows 10's beta option) refuses a default character; it holds
  // every character anyway.
  const bool utf8 = GetACP() == CP_UTF8;
  // Any code page, UTF-8 included, needs three bytes at most for each UTF-16 unit.
  while (!text.empty()) {
    int units = static_cast<int>(std::min<size_t>(text.size(), INT_MAX / 4));
    // Never cut a surrogate pair in two.
    if (static_cast<size_t>(units) < text.size() && text[units - 1] >= 0xD800 && text[units - 1] < 0xDC00)
      --units;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    // No best fit: a character the code page lacks is '?', not a look-alike that reads otherwise.
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8 ? nullptr : "?";
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(CP_ACP, flags, wide, units, nullptr, 0, fallback, used);
    if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
      flags = 0;
      size = WideCharToMultiByte(CP_ACP, flags, wide, units, nullptr, 0, fallback, used);
    }
    if (size <= 0) {
      out.append(static_cast<size_t>(units), '?');
      exact = false;
    } else {
      const size_t at = out.size();
      out.resize(at + static_cast<size_t>(size));
      usedDefault = FALSE;
      WideCharToMultiByte(CP_ACP, flags, wide, units, &out[at], size, fallback, used);
      if (usedDefault) exact = false;
    }
    text.remove_prefix(static_cast<size_t>(units));
  }
  return exact;
}

}  // namespace

Bytes Win32CodePage::FromUtf16(std::u16string_view text) {
  Bytes out;
  AppendAnsi(text, out);
  return out;
}

bool Win32CodePage::FromUtf16Exact(std::u16string_view text, Bytes& out) {
  out.clear();
  return AppendAnsi(text, out);
}

}  // namespace parlo
