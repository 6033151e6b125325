#include "core/text/LeadBytes.h"

namespace parlo {

LeadBytes::LeadBytes(std::initializer_list<Range> ranges) {
  for (const Range& range : ranges) Add(range.first, range.second);
}

LeadBytes LeadBytes::FromRangeList(const unsigned char* bytes, std::size_t count) {
  LeadBytes lead;
  if (!bytes) return lead;
  for (std::size_t i = 0; i + 1 < count; i += 2) {
    if (bytes[i] == 0 && bytes[i + 1] == 0) break;
    lead.Add(bytes[i], bytes[i + 1]);
  }
  return lead;
}

void LeadBytes::Add(unsigned char first, unsigned char last) {
  if (ranges_ >= kMaxRanges || first > last) return;
  ++ranges_;
  for (unsigned b = first; b <= last; ++b) lead_[b] = true;
}

}  // namespace parlo
