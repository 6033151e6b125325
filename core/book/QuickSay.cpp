#include "core/book/QuickSay.h"

#include <string>

namespace parlo {

bool QuickSayKeyIsFree(const BardHotKey& quickSay, const BardHotKey& bard,
                       const std::vector<LineBinding>& lines) {
  const std::optional<LineKey> key = BardLineKey(quickSay);
  if (!key || key == BardLineKey(bard)) return false;
  for (const LineBinding& line : lines)
    if (line.key == *key) return false;
  return true;
}

bool QuickSayRegistration::Bind(HotKeyPort& port, const BardHotKey& key, bool free) {
  const std::optional<LineKey> wanted = free ? BardLineKey(key) : std::nullopt;
  if (held_ == wanted) return true;
  Release(port);
  if (!wanted) return true;
  // Held down, the key opens the box once, not once per auto-repeat.
  if (!port.Register(kQuickSayHotKeyId, wanted->modifiers | kModNoRepeat, wanted->virtualKey)) return false;
  held_ = wanted;
  return true;
}

void QuickSayRegistration::Release(HotKeyPort& port) {
  if (!held_) return;
  port.Unregister(kQuickSayHotKeyId);
  held_.reset();
}

Bytes QuickSayTakenMessage(const BardHotKey& key) {
  Bytes name;
  if (const std::optional<LineKey> lineKey = BardLineKey(key)) {
    // A key the label names have no word for (the hot-key box takes any key) goes by its number.
    name = NameOfKey(lineKey->virtualKey).empty()
               ? KeyText(LineKey{lineKey->modifiers, 0}) + "key " + std::to_string(lineKey->virtualKey)
               : KeyText(*lineKey);
  }
  return kLineHotKeysTakenText + name + " (Quick Say)";
}

}  // namespace parlo
