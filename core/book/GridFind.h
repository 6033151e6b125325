#pragma once
#include <array>
#include <string_view>
#include <vector>

#include "core/text/LeadBytes.h"
#include "core/book/PhraseGrid.h"

namespace parlo {

// Each byte of the ANSI code page lower-cased on its own; lead bytes map to themselves.
using LowerTable = std::array<unsigned char, 256>;
// A-Z only: what a code page without other letters gives.
LowerTable AsciiLowerTable();

// Whether `needle` occurs in `haystack` with case folded by `lower`. A match starts and ends on
// whole characters: a double-byte character matches only itself, byte for byte, and the trail
// byte of one is never taken for a character of its own. An empty needle is never found.
bool ContainsFolded(std::string_view haystack, std::string_view needle, const LowerTable& lower,
                    const LeadBytes& lead);
// Whether `text` begins with `prefix`, case folded and whole characters as above. An empty prefix
// begins every text.
bool StartsWithFolded(std::string_view text, std::string_view prefix, const LowerTable& lower,
                      const LeadBytes& lead);

struct FindHit {
  int row = -1;  // -1: not found
  int col = -1;  // kColLabel or kColText
};

// The next row after `fromRow` (or before it, backwards) whose label or text holds the needle,
// going round past the end; `fromRow` itself comes last.
FindHit FindInGrid(const GridModel& grid, std::string_view needle, int fromRow, bool forward,
                   const LowerTable& lower, const LeadBytes& lead);

// The words of typed text: runs between blanks (space or tab). Walked by whole characters, so a
// word never ends inside a double-byte character.
std::vector<std::string_view> SplitWords(std::string_view typed, const LeadBytes& lead);

// The say rows, in book order, whose label or text holds every word of `typed` (a word may be in
// either), matched as Find matches; with no words, every say row.
std::vector<int> FilterSayRows(const GridModel& grid, std::string_view typed, const LowerTable& lower,
                               const LeadBytes& lead);

// FilterSayRows once per keystroke. Text that only grows can only lose rows, so the last result is
// narrowed instead of the whole book walked again.
class SayRowFilter {
 public:
  const std::vector<int>& Apply(const GridModel& grid, std::string_view typed, const LowerTable& lower,
                                const LeadBytes& lead);
  // The rows changed: the next Apply walks the whole book.
  void Reset() { valid_ = false; }
  const std::vector<int>& Rows() const { return rows_; }

 private:
  Bytes typed_;
  std::vector<int> rows_;
  bool valid_ = false;
};

}  // namespace parlo
