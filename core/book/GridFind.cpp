#include "core/book/GridFind.h"

#include <algorithm>

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

namespace {

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t';
}

// As IsSayRow, on the cells as views.
bool IsSayLine(std::string_view label, std::string_view text) {
  return !text.empty() && label != kSeparatorLabel && (label.empty() || label.front() != '\'');
}

bool HoldsEveryWord(std::string_view label, std::string_view text, const std::vector<std::string_view>& words,
                    const LowerTable& lower, const LeadBytes& lead) {
  for (std::string_view word : words)
    if (!ContainsFolded(label, word, lower, lead) && !ContainsFolded(text, word, lower, lead)) return false;
  return true;
}

// Longest first: a long word rules most rows out, and the rest need not be looked at.
std::vector<std::string_view> WordsToMatch(std::string_view typed, const LeadBytes& lead) {
  std::vector<std::string_view> words = SplitWords(typed, lead);
  std::stable_sort(words.begin(), words.end(),
                   [](std::string_view a, std::string_view b) { return a.size() > b.size(); });
  return words;
}

// Whether every row that holds the words of `now` also holds those of `before`: `now` only adds to
// `before`, and `before` does not end halfway through a double-byte character.
bool OnlyAddsTo(std::string_view now, std::string_view before, const LeadBytes& lead) {
  if (now.size() < before.size() || now.compare(0, before.size(), before) != 0) return false;
  size_t at = 0;
  while (at < before.size()) at += lead.IsLead(static_cast<unsigned char>(before[at])) ? 2 : 1;
  return at == before.size();
}

}  // namespace

std::vector<std::string_view> SplitWords(std::string_view typed, const LeadBytes& lead) {
  std::vector<std::string_view> words;
  size_t start = 0, at = 0;
  while (at < typed.size()) {
    const unsigned char c = static_cast<unsigned char>(typed[at]);
    if (IsBlank(c)) {
      if (at > start) words.push_back(typed.substr(start, at - start));
      start = ++at;
    } else {
      at += lead.IsLead(c) && at + 1 < typed.size() ? 2 : 1;
    }
  }
  if (at > start) words.push_back(typed.substr(start, at - start));
  return words;
}

std::vector<int> FilterSayRows(const GridModel& grid, std::string_view typed, const LowerTable& lower,
                               const LeadBytes& lead) {
  const std::vector<std::string_view> words = WordsToMatch(typed, lead);
  std::vector<int> rows;
  int row = 0;
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (IsSayLine(label, text) && HoldsEveryWord(label, text, words, lower, lead)) rows.push_back(row);
    ++row;
  });
  return rows;
}

const std::vector<int>& SayRowFilter::Apply(const GridModel& grid, std::string_view typed,
                                            const LowerTable& lower, const LeadBytes& lead) {
  if (valid_ && typed == typed_) return rows_;
  if (valid_ && OnlyAddsTo(typed, typed_, lead)) {
    const std::vector<std::string_view> words = WordsToMatch(typed, lead);
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                               [&](int row) {
                                 return !HoldsEveryWord(grid.CellView(kColLabel, row),
                                                        grid.CellView(kColText, row), words, lower, lead);
                               }),
                rows_.end());
  } else {
    rows_ = FilterSayRows(grid, typed, lower, lead);
  }
  typed_.assign(typed.data(), typed.size());
  valid_ = true;
  return rows_;
}

}  // namespace parlo
