#pragma once
#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>

namespace parlo {

// Which bytes of the ANSI code page open a double-byte character. The system describes them as
// at most six [first, last] ranges; a system without double-byte support has none.
class LeadBytes {
 public:
  static constexpr int kMaxRanges = 6;
  using Range = std::pair<unsigned char, unsigned char>;

  LeadBytes() = default;
  // Ranges past the sixth, and ranges whose first byte lies above their last, are ignored.
  LeadBytes(std::initializer_list<Range> ranges);

  // The form the system hands out: pairs of first and last byte, ended by a pair of zero bytes
  // or by the end of the array (at most kMaxRanges pairs are read).
  static LeadBytes FromRangeList(const unsigned char* bytes, std::size_t count);

  bool IsLead(unsigned char byte) const { return lead_[byte]; }
  bool Any() const { return ranges_ > 0; }

 private:
  void Add(unsigned char first, unsigned char last);

  std::array<bool, 256> lead_{};
  int ranges_ = 0;
};

}  // namespace parlo
