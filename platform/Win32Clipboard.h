#pragma once
#include "core/text/Bytes.h"

namespace parlo {

// The clipboard's text (CF_TEXT), up to its terminating zero; empty when the clipboard holds no
// text or cannot be opened.
Bytes ReadClipboardText();

}  // namespace parlo
