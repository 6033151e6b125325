#pragma once
#include "core/TextCoding.h"

namespace parlo {

// The system's ANSI code page (CP_ACP) through WideCharToMultiByte.
class Win32CodePage : public AnsiCodePage {
 public:
  Bytes FromUtf16(std::u16string_view text) override;
};

}  // namespace parlo
