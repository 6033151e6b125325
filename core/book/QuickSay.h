#pragma once
#include <optional>
#include <vector>

#include "core/text/Bytes.h"
#include "core/settings/HotKey.h"
#include "core/book/LineHotKeys.h"

namespace parlo {

// Quick Say: a global hot key that opens a box to find any say line by its words and say it.

constexpr int kQuickSayHotKeyId = 15;

// Whether Quick Say may hold its key: it has one, and neither the Bard key nor a line the book
// binds has the same. Those two come first.
bool QuickSayKeyIsFree(const BardHotKey& quickSay, const BardHotKey& bard,
                       const std::vector<LineBinding>& lines);

// Quick Say's registration through the hot-key port.
class QuickSayRegistration {
 public:
  // Makes the key held exactly when it is free: a key that is no longer wanted (not free, or
  // another key now) is released, and a wanted key not yet held is registered. False only when
  // the system refused the key just now.
  bool Bind(HotKeyPort& port, const BardHotKey& key, bool free);
  void Release(HotKeyPort& port);
  bool Held() const { return held_.has_value(); }

 private:
  std::optional<LineKey> held_;
};

// The line keys' box text for Quick Say's key, e.g. "...: Ctrl+Shift+Q (Quick Say)".
Bytes QuickSayTakenMessage(const BardHotKey& key);

}  // namespace parlo
