// Any label, read on a single-byte and on a double-byte code page: a key found is the bracketed
// end of the label at a character boundary, and the key written back the way Parlo writes it
// reads as the same key.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/book/LineHotKeys.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckLabel(std::string_view label, const parlo::LeadBytes& leads) {
  const std::optional<parlo::LabelKey> key = parlo::ParseLabelKey(label, leads);
  if (!key) return;
  Check(key->open + 2 <= label.size());
  Check(label[key->open] == '[' && label.back() == ']');
  Check(key->written == label.substr(key->open + 1, label.size() - key->open - 2));
  Check(key->written.find('[') == std::string_view::npos);
  Check(!parlo::NameOfKey(key->key.virtualKey).empty());
  const parlo::Bytes again = "[" + parlo::KeyText(key->key) + "]";
  const std::optional<parlo::LabelKey> reread = parlo::ParseLabelKey(again, leads);
  Check(reread && reread->key == key->key && reread->open == 0);
  // What stands before the key does not change it, whatever its bytes, on a single-byte page.
  if (!leads.Any()) {
    const parlo::Bytes prefixed = parlo::Bytes("\x83") + parlo::Bytes(label);
    const std::optional<parlo::LabelKey> shifted = parlo::ParseLabelKey(prefixed, leads);
    Check(shifted && shifted->key == key->key && shifted->open == key->open + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view label(reinterpret_cast<const char*>(data), size);
  CheckLabel(label, parlo::LeadBytes());
  CheckLabel(label, parlo::LeadBytes{{0x81, 0x9F}, {0xE0, 0xFC}});
  return 0;
}
