#pragma once
// Phrase grids written as lists of (label, text) rows, for tests.
#include <utility>
#include <vector>

#include "core/book/PhraseGrid.h"

namespace parlo {

using Rows = std::vector<std::pair<Bytes, Bytes>>;

inline GridModel MakeGrid(const Rows& rows) {
  GridModel grid;
  grid.SetRowCount(static_cast<int>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r) {
    grid.SetCell(kColLabel, static_cast<int>(r), rows[r].first);
    grid.SetCell(kColText, static_cast<int>(r), rows[r].second);
  }
  return grid;
}

inline Rows RowsOf(const GridModel& grid) {
  Rows rows;
  for (int r = 0; r < grid.RowCount(); ++r) rows.emplace_back(grid.Label(r), grid.Text(r));
  return rows;
}

}  // namespace parlo
