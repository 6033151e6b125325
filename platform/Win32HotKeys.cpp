#include "platform/Win32HotKeys.h"

#include <commctrl.h>

static_assert(parlo::kModAlt == MOD_ALT && parlo::kModControl == MOD_CONTROL && parlo::kModShift == MOD_SHIFT,
              "registration modifiers");
static_assert(parlo::kHotKeyfShift == HOTKEYF_SHIFT && parlo::kHotKeyfControl == HOTKEYF_CONTROL &&
                  parlo::kHotKeyfAlt == HOTKEYF_ALT && parlo::kHotKeyfExt == HOTKEYF_EXT,
              "hot-key control modifiers");

namespace parlo {

bool Win32HotKeys::Register(int id, unsigned modifiers, unsigned virtualKey) {
  return RegisterHotKey(window_, id, modifiers, virtualKey) != 0;
}

void Win32HotKeys::Unregister(int id) { UnregisterHotKey(window_, id); }

}  // namespace parlo
