#include "core/settings/HotKey.h"

namespace parlo {

unsigned BardModifiers(const BardHotKey& hotKey) {
  return (hotKey.alt ? kModAlt : 0u) | (hotKey.ctrl ? kModControl : 0u) | (hotKey.shift ? kModShift : 0u);
}

bool RegisterBardHotKey(HotKeyPort& hotKeys, MessageBoxPort& messages, const BardHotKey& hotKey) {
  if (hotKey.key == 0) return false;
  if (hotKeys.Register(kBardHotKeyId, BardModifiers(hotKey) | kModNoRepeat, hotKey.key)) return true;
  messages.Show(kHotKeyFailedText, kHotKeyFailedCaption, kMbOk);
  return false;
}

bool ReregisterBardHotKey(HotKeyPort& hotKeys, MessageBoxPort& messages, const BardHotKey& hotKey) {
  hotKeys.Unregister(kBardHotKeyId);
  return RegisterBardHotKey(hotKeys, messages, hotKey);
}

uint16_t BardKeyFromHotKeyControl(unsigned controlValue) { return static_cast<uint16_t>(controlValue & 0xFFu); }

unsigned HotKeyControlFromBardKey(uint16_t bardKey) { return bardKey & 0xFFu; }

}  // namespace parlo
