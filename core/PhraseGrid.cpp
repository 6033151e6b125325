#include "core/PhraseGrid.h"

#include <algorithm>

namespace parlo {

namespace {
const Bytes kEmpty;
}

GridModel::GridModel() : rows_(1) {}

void GridModel::SetRowCount(int count) {
  if (count < 1) count = 1;
  if (count == RowCount()) return;
  rows_.resize(static_cast<size_t>(count));
  if (row_ >= count) {
    int oldRow = row_;
    row_ = count - 1;
    if (observer_) observer_->CurrentChanged(col_, oldRow);
  }
  if (observer_) observer_->RowCountChanged();
}

const Bytes& GridModel::Cell(int col, int row) const {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return kEmpty;
  return rows_[static_cast<size_t>(row)].cells[col];
}

void GridModel::SetCell(int col, int row, Bytes text) {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return;
  rows_[static_cast<size_t>(row)].cells[col] = std::move(text);
}

bool GridModel::MaySelect(int col, int row) { return !selectHook_ || selectHook_(col, row); }

void GridModel::SetCurrent(int col, int row) {
  int oldCol = col_, oldRow = row_;
  col_ = col;
  row_ = row;
  if (observer_ && (oldCol != col || oldRow != row)) observer_->CurrentChanged(oldCol, oldRow);
}

void GridModel::SetRow(int row) {
  if (row == row_ || row < 0 || row >= RowCount()) return;
  if (!MaySelect(col_, row)) return;
  SetCurrent(col_, row);
}

void GridModel::SetCol(int col) {
  if (col == col_ || col <= kColGrip || col >= kColCount) return;
  if (!MaySelect(col, row_)) return;
  SetCurrent(col, row_);
}

bool GridModel::SelectCell(int col, int row) {
  if (col <= kColGrip || col >= kColCount || row < 0 || row >= RowCount()) return false;
  if (col == col_ && row == row_) return true;
  if (!MaySelect(col, row)) return false;
  SetCurrent(col, row);
  return true;
}

void GridModel::MoveRow(int from, int to) {
  int count = RowCount();
  if (from == to || from < 0 || to < 0 || from >= count || to >= count) return;
  auto first = rows_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
  int newRow = row_;
  if (row_ == from)
    newRow = to;
  else if (from < row_ && row_ <= to)
    --newRow;
  else if (to <= row_ && row_ < from)
    ++newRow;
  SetCurrent(col_, newRow);
}

bool IsCommentLabel(const Bytes& label) { return !label.empty() && label[0] == '\''; }

bool IsSeparatorRow(const GridModel& grid, int row) { return grid.Label(row) == kSeparatorLabel; }

bool IsSayRow(const GridModel& grid, int row) {
  const Bytes& label = grid.Label(row);
  if (grid.Text(row).empty()) return false;
  if (label == kSeparatorLabel) return false;
  return !IsCommentLabel(label);
}

void ClearSays(GridModel& grid, Bytes& currentFile) {
  currentFile = "say.txt";
  for (int r = 0; r < grid.RowCount(); ++r) {
    grid.SetCell(kColLabel, r, Bytes());
    grid.SetCell(kColText, r, Bytes());
  }
  grid.SetRowCount(1);
}

void AddRows(GridModel& grid) { grid.SetRowCount(grid.RowCount() + 5); }

void InsertRow(GridModel& grid) {
  int current = grid.Row();
  grid.SetRowCount(grid.RowCount() + 1);
  for (int i = grid.RowCount() - 1; i > current; --i) {
    grid.SetCell(kColLabel, i, grid.Label(i - 1));
    grid.SetCell(kColText, i, grid.Text(i - 1));
  }
  grid.SetCell(kColLabel, current, Bytes());
  grid.SetCell(kColText, current, Bytes());
}

void DeleteRow(GridModel& grid) {
  if (grid.RowCount() == 1) {
    for (int col = kColButton; col <= kColText; ++col) grid.SetCell(col, 0, Bytes());
    return;
  }
  int last = grid.RowCount() - 1;
  for (int i = grid.Row(); i < last; ++i) {
    grid.SetCell(kColLabel, i, grid.Label(i + 1));
    grid.SetCell(kColText, i, grid.Text(i + 1));
  }
  grid.SetCell(kColLabel, last, Bytes());
  grid.SetCell(kColText, last, Bytes());
  grid.SetRowCount(last);
}

}  // namespace parlo
