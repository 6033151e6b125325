#include "core/settings/CaptionList.h"

#include <algorithm>

namespace parlo {

void RememberCaption(std::vector<Bytes>& items, const Bytes& text) {
  if (std::find(items.begin(), items.end(), text) != items.end()) return;
  items.insert(items.begin(), text);
  items.pop_back();
}

}  // namespace parlo
