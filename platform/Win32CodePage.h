#pragma once
#include "core/text/TextCoding.h"

namespace parlo {

// The system's ANSI code page (CP_ACP) through WideCharToMultiByte.
class Win32CodePage : public AnsiCodePage {
 public:
  Bytes FromUtf16(std::u16string_view text) override;

  bool FromUtf16Exact(std::u16string_view text, Bytes& out) override;
};

}  // namespace parlo
