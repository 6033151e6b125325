#include "platform/Win32CodePage.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace parlo {

Bytes Win32CodePage::FromUtf16(std::u16string_view text) {
  Bytes out;
  // A double-byte code page needs two bytes at most for each UTF-16 unit.
  while (!text.empty()) {
    const int units = static_cast<int>(std::min<size_t>(text.size(), INT_MAX / 2));
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    // No best fit: a character the code page lacks is '?', not a look-alike that reads otherwise.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(CP_ACP, flags, wide, units, nullptr, 0, "?", nullptr);
    if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
      flags = 0;
      size = WideCharToMultiByte(CP_ACP, flags, wide, units, nullptr, 0, "?", nullptr);
    }
    if (size <= 0) {
      out.append(static_cast<size_t>(units), '?');
    } else {
      const size_t at = out.size();
      out.resize(at + static_cast<size_t>(size));
      WideCharToMultiByte(CP_ACP, flags, wide, units, &out[at], size, "?", nullptr);
    }
    text.remove_prefix(static_cast<size_t>(units));
  }
  return out;
}

}  // namespace parlo
