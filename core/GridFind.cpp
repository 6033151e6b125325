#include "core/GridFind.h"

namespace parlo {

LowerTable AsciiLowerTable() {
  LowerTable table{};
  for (int b = 0; b < 256; ++b)
    table[static_cast<size_t>(b)] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
  return table;
}

namespace {

// Whether the needle matches at `at`, a character start of the haystack.
bool MatchesAt(const unsigned char* hay, size_t hayLength, size_t at, const unsigned char* needle,
               size_t needleLength, const LowerTable& lower, const LeadBytes& lead) {
  size_t j = 0;
  while (j < needleLength) {
    if (at >= hayLength) return false;
    unsigned char h = hay[at], n = needle[j];
    if (lead.IsLead(h) || lead.IsLead(n)) {
      // Both must open the same double-byte character.
      if (h != n || at + 1 >= hayLength || j + 1 >= needleLength || hay[at + 1] != needle[j + 1])
        return false;
      at += 2;
      j += 2;
    } else {
      if (lower[h] != lower[n]) return false;
      ++at;
      ++j;
    }
  }
  return true;
}

}  // namespace

bool ContainsFolded(std::string_view haystack, std::string_view needle, const LowerTable& lower,
                    const LeadBytes& lead) {
  if (needle.empty() || needle.size() > haystack.size()) return false;
  const auto* hay = reinterpret_cast<const unsigned char*>(haystack.data());
  const auto* pattern = reinterpret_cast<const unsigned char*>(needle.data());
  const size_t hayLength = haystack.size(), last = haystack.size() - needle.size();
  const unsigned char first = lower[pattern[0]];
  if (!lead.Any()) {
    for (size_t i = 0; i <= last; ++i)
      if (lower[hay[i]] == first && MatchesAt(hay, hayLength, i, pattern, needle.size(), lower, lead))
        return true;
    return false;
  }
  // Candidates first, as without lead bytes; only a candidate makes the walk over whole
  // characters catch up to see whether it starts one.
  size_t boundary = 0;
  for (size_t i = 0; i <= last; ++i) {
    if (lower[hay[i]] != first || !MatchesAt(hay, hayLength, i, pattern, needle.size(), lower, lead))
      continue;
    while (boundary < i) boundary += lead.IsLead(hay[boundary]) ? 2 : 1;
    if (boundary == i) return true;
  }
  return false;
}

bool StartsWithFolded(std::string_view text, std::string_view prefix, const LowerTable& lower,
                      const LeadBytes& lead) {
  return MatchesAt(reinterpret_cast<const unsigned char*>(text.data()), text.size(), 0,
                   reinterpret_cast<const unsigned char*>(prefix.data()), prefix.size(), lower, lead);
}

FindHit FindInGrid(const GridModel& grid, std::string_view needle, int fromRow, bool forward,
                   const LowerTable& lower, const LeadBytes& lead) {
  const int count = grid.RowCount();
  if (needle.empty() || count <= 0) return {};
  if (fromRow < 0 || fromRow >= count) fromRow = forward ? count - 1 : 0;
  int row = fromRow;
  for (int step = 0; step < count; ++step) {
    row = forward ? (row + 1 == count ? 0 : row + 1) : (row == 0 ? count - 1 : row - 1);
    if (ContainsFolded(grid.CellView(kColLabel, row), needle, lower, lead)) return {row, kColLabel};
    if (ContainsFolded(grid.CellView(kColText, row), needle, lower, lead)) return {row, kColText};
  }
  return {};
}

}  // namespace parlo
