#pragma once
#include <array>
#include <string_view>

#include "core/LeadBytes.h"
#include "core/PhraseGrid.h"

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

}  // namespace parlo
