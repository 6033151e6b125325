#include "core/book/Bard.h"

namespace parlo {

namespace {
constexpr int kRandomTries = 10;
}

uint32_t BardRandom::Next() {
  state = state * 0x15A00004E35ULL + 1;
  return static_cast<uint32_t>(state >> 32) & 0x7FFFFFFFu;
}

int FirstSayRow(const GridModel& grid, int start) {
  int count = grid.RowCount();
  if (start < 0 || start >= count) return start;
  int r = start;
  while (!IsSayRow(grid, r)) {
    if (++r == count) r = 0;
    if (r == start) return start;
  }
  return r;
}

int NextSayRow(const GridModel& grid, int current) {
  int count = grid.RowCount();
  if (current < 0 || current >= count) return current;
  int r = current;
  for (;;) {
    if (++r == count) r = 0;
    if (IsSayRow(grid, r)) return r;
    if (IsSeparatorRow(grid, r)) {
      if (r == 0) return 0;
      // Row 0 is never taken for the opening separator: a section that starts at the top
      // begins at row 0 either way.
      for (int b = r - 1; b >= 1; --b)
        if (IsSeparatorRow(grid, b)) return FirstSayRow(grid, b + 1);
      return FirstSayRow(grid, 0);
    }
    if (r == current) return current;
  }
}

SayRange RandomSection(const GridModel& grid, int current) {
  int count = grid.RowCount();
  int e = current;
  while (e < count && !IsSeparatorRow(grid, e)) ++e;
  int s = current;
  while (s >= 0 && !IsSeparatorRow(grid, s)) --s;
  return {s >= 0 ? s + 1 : 0, e < count ? e - 1 : count - 1};
}

int PickSayRow(const GridModel& grid, int current, SayRange range, BardRandom& random) {
  long long span = static_cast<long long>(range.last) - range.first + 1;
  int pick = current;
  for (int i = 0; i < kRandomTries; ++i) {
    long long offset = span != 0 ? static_cast<long long>(random.Next()) % span : 0;
    pick = static_cast<int>(range.first + offset);
    if (IsSayRow(grid, pick) && pick != current) return pick;
  }
  // A separator in the last row with nothing to pick points past the end; stay put instead.
  if (pick < 0 || pick >= grid.RowCount()) return current;
  return pick;
}

int RandomSayRow(const GridModel& grid, int current, BardRandom& random) {
  return PickSayRow(grid, current, RandomSection(grid, current), random);
}

Bytes FirstClipboardLine(const Bytes& clipboardText) {
  std::size_t feed = clipboardText.find('\n');
  if (feed == Bytes::npos) return clipboardText;
  // The byte before the feed goes as well, whatever it is: the text is taken to end lines
  // with CR LF.
  if (feed < 2) return Bytes();
  return clipboardText.substr(0, feed - 1);
}

void BardPress(GridModel& grid, BardRandom& random, bool randomize,
               const std::function<void(const Bytes&)>& send) {
  grid.SetRow(FirstSayRow(grid, grid.Row()));
  int row = grid.Row();
  if (!IsCommentLabel(grid.Label(row))) {
    Bytes text = grid.Text(row);  // a copy: the send may touch the grid
    send(text);
  }
  row = grid.Row();
  grid.SetRow(randomize ? RandomSayRow(grid, row, random) : NextSayRow(grid, row));
}

}  // namespace parlo
