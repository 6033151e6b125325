#pragma once
#include <cstdint>
#include <functional>

#include "core/text/Bytes.h"
#include "core/book/PhraseGrid.h"

namespace parlo {

// The Bard's dice: one fixed sequence for every run of the program, never reseeded.
class BardRandom {
  uint64_t state = 1;

 public:
  uint32_t Next();  // 0 to 2^31 - 1
};

// The first sendable row at or after start, going round the end of the grid; start itself when
// the grid has none.
int FirstSayRow(const GridModel& grid, int start);

// The row of the next sequential step: the next sendable row below, or, when a separator comes
// first, the first sendable row of the section that separator closes. The grid's end closes no
// section: the walk goes on at row 0.
int NextSayRow(const GridModel& grid, int current);

// The rows a random step picks from: those between the separators around current, bounded by
// the grid's first and last rows. On a separator row first lies above last.
struct SayRange {
  int first;
  int last;
};
SayRange RandomSection(const GridModel& grid, int current);

// Up to ten draws within [first, last] for a sendable row other than current; the tenth pick is
// given anyway, unless it lies outside the grid, in which case the step stays on current.
int PickSayRow(const GridModel& grid, int current, SayRange range, BardRandom& random);

// The row of a random step: another sendable row of current's section.
int RandomSayRow(const GridModel& grid, int current, BardRandom& random);

// The first line of the clipboard's text, which has CR LF line ends: everything before the
// byte that precedes the first line feed; the whole text when there is no line feed.
Bytes FirstClipboardLine(const Bytes& clipboardText);

// One press of the Bard button: settle on a sendable row, send it unless it is a comment row,
// then step on, sequentially or at random.
void BardPress(GridModel& grid, BardRandom& random, bool randomize,
               const std::function<void(const Bytes&)>& send);

}  // namespace parlo
