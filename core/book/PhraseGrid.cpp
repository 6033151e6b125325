#include "core/book/PhraseGrid.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace parlo {

namespace {
const Bytes kEmpty;

// Marks Apply and Revert at work, however they end.
class Replaying {
 public:
  explicit Replaying(bool& flag) : flag_(flag) { flag_ = true; }
  ~Replaying() { flag_ = false; }
  Replaying(const Replaying&) = delete;
  Replaying& operator=(const Replaying&) = delete;

 private:
  bool& flag_;
};

}  // namespace

struct GridRowSet {
  std::vector<GridModel::RowCells> rows;
  std::deque<GridModel::OwnedCells> owned;  // what rows' owned cells point into
  std::shared_ptr<const Bytes> source;      // what their other cells point into
};

GridModel::GridModel() : rows_(1) {}

void GridModel::SetRowCount(int count) {
  if (count < 1) count = 1;
  if (count == RowCount()) return;
  Changed();
  bool shrinking = count < RowCount();
  rows_.resize(static_cast<size_t>(count));
  if (shrinking) CompactOwned();
  if (row_ >= count) {
    int oldRow = row_;
    row_ = count - 1;
    if (observer_) observer_->CurrentChanged(col_, oldRow);
  }
  if (observer_) observer_->RowCountChanged();
}

GridModel::OwnedCells& GridModel::Own(int row) const {
  RowCells& cells = rows_[static_cast<size_t>(row)];
  if (!cells.Owned()) {
    if (owned_.size() >= kOwned) throw std::length_error("too many rows");
    OwnedCells& fresh = owned_.emplace_back();
    const char* const base = source_ ? source_->data() : "";
    for (int i = 0; i < 2; ++i) fresh[kColLabel + i].assign(base + cells.at[i], cells.length[i]);
    cells.at[0] = static_cast<std::uint32_t>(owned_.size() - 1);
    cells.length[0] = kOwned;
    cells.at[1] = cells.length[1] = 0;
  }
  return owned_[cells.at[0]];
}

// Rows that were dropped leave their owned cells behind; once they outnumber the rows in use,
// the owned cells are gathered again.
void GridModel::CompactOwned() {
  if (owned_.size() <= 2 * rows_.size() + 64) return;
  std::deque<OwnedCells> kept;
  for (RowCells& cells : rows_) {
    if (!cells.Owned()) continue;
    kept.emplace_back(std::move(owned_[cells.at[0]]));
    cells.at[0] = static_cast<std::uint32_t>(kept.size() - 1);
  }
  owned_.swap(kept);
}

const Bytes& GridModel::Cell(int col, int row) const {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return kEmpty;
  const RowCells& cells = rows_[static_cast<size_t>(row)];
  // An untouched row has nothing but its label and text.
  if (!cells.Owned() && (col < kColLabel || (cells.length[col - kColLabel] == 0))) return kEmpty;
  return Own(row)[col];
}

std::string_view GridModel::CellView(int col, int row) const {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return std::string_view();
  const RowCells& cells = rows_[static_cast<size_t>(row)];
  if (cells.Owned()) return owned_[cells.at[0]][col];
  if (col < kColLabel || !source_) return std::string_view();
  return std::string_view(source_->data() + cells.at[col - kColLabel], cells.length[col - kColLabel]);
}

void GridModel::SetCell(int col, int row, Bytes text) {
  if (col < 0 || col >= kColCount || row < 0 || row >= RowCount()) return;
  Changed();
  Own(row)[col] = std::move(text);
}

void GridModel::AdoptSource(std::shared_ptr<const Bytes> source) {
  // Rows still pointing into an older source take their cells out of it first.
  if (source_ && source_ != source) {
    for (int r = 0; r < RowCount(); ++r)
      if (const RowCells& cells = rows_[static_cast<size_t>(r)];
          !cells.Owned() && (cells.length[0] || cells.length[1]))
        Own(r);
  }
  source_ = std::move(source);
}

void GridModel::SetLoadedCell(int col, int row, std::string_view partOfSource) {
  if ((col != kColLabel && col != kColText) || row < 0 || row >= RowCount()) return;
  Changed();
  RowCells& cells = rows_[static_cast<size_t>(row)];
  if (partOfSource.empty() && !cells.Owned()) {
    cells.at[col - kColLabel] = cells.length[col - kColLabel] = 0;
    return;
  }
  // Places past what 32 bits hold are copied instead.
  const bool inSource =
      source_ && partOfSource.data() >= source_->data() &&
      partOfSource.data() + partOfSource.size() <= source_->data() + source_->size() &&
      static_cast<size_t>(partOfSource.data() - source_->data()) + partOfSource.size() < kOwned;
  if (cells.Owned() || !inSource) {
    SetCell(col, row, Bytes(partOfSource));
    return;
  }
  cells.at[col - kColLabel] = static_cast<std::uint32_t>(partOfSource.data() - source_->data());
  cells.length[col - kColLabel] = static_cast<std::uint32_t>(partOfSource.size());
}

void GridModel::BeginRows(size_t atMost) {
  ClearHistory();
  // Only the rows used are ever touched, so a generous bound costs no more than an exact one.
  if (atMost > rows_.capacity()) rows_.reserve(atMost);
  rowsAdded_ = 0;
  rowsBeforeLoad_ = RowCount();
}

bool GridModel::PlaceInSource(std::string_view part, RowCells& cells, int cell) const {
  if (part.empty()) return true;
  if (!source_ || part.data() < source_->data() ||
      part.data() + part.size() > source_->data() + source_->size())
    return false;
  const size_t at = static_cast<size_t>(part.data() - source_->data());
  if (at + part.size() >= kOwned) return false;
  cells.at[cell] = static_cast<std::uint32_t>(at);
  cells.length[cell] = static_cast<std::uint32_t>(part.size());
  return true;
}

void GridModel::AddLoadedRow(std::string_view label, std::string_view text) {
  if (rowsAdded_ == std::numeric_limits<int>::max()) throw std::length_error("too many rows");
  // Rows past the old end are appended without telling the view; EndRows does that once. A new
  // row is made in place: a large book's load is mostly this, row after row.
  if (rowsAdded_ >= RowCount()) {
    RowCells cells;
    if (PlaceInSource(label, cells, 0) && PlaceInSource(text, cells, 1)) {
      rows_.push_back(cells);
      ++rowsAdded_;
      return;
    }
    rows_.emplace_back();
  }
  SetLoadedCell(kColLabel, rowsAdded_, label);
  SetLoadedCell(kColText, rowsAdded_, text);
  ++rowsAdded_;
}

void GridModel::EndRows() {
  Changed();
  int count = std::max(rowsAdded_, 1);
  if (rowsAdded_ == 0) {
    SetLoadedCell(kColLabel, 0, std::string_view());
    SetLoadedCell(kColText, 0, std::string_view());
  }
  if (count < RowCount()) {
    rows_.resize(static_cast<size_t>(count));
    CompactOwned();
  }
  if (row_ >= count) {
    int oldRow = row_;
    row_ = count - 1;
    if (observer_) observer_->CurrentChanged(col_, oldRow);
  }
  if (observer_ && count != rowsBeforeLoad_) observer_->RowCountChanged();
}

void GridModel::TakeRows(GridModel& loaded) {
  ClearHistory();
  Changed();
  const int before = RowCount();
  rows_.swap(loaded.rows_);
  owned_.swap(loaded.owned_);
  source_.swap(loaded.source_);
  loaded.rows_.assign(1, RowCells{});
  loaded.owned_.clear();
  loaded.source_.reset();
  loaded.row_ = 0;
  loaded.ClearHistory();
  if (row_ >= RowCount()) {
    const int oldRow = row_;
    row_ = RowCount() - 1;
    if (observer_) observer_->CurrentChanged(col_, oldRow);
  }
  if (observer_ && RowCount() != before) observer_->RowCountChanged();
}

void GridModel::ClearLabelsAndTexts() {
  // Nothing points into the loaded file any more.
  source_.reset();
  ClearHistory();
  for (RowCells& cells : rows_) {
    if (cells.Owned()) {
      owned_[cells.at[0]][kColLabel].clear();
      owned_[cells.at[0]][kColText].clear();
    } else {
      cells = RowCells{};
    }
  }
}

void GridModel::CopyLabelAndText(int from, int to) {
  if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount() || from == to) return;
  Changed();
  RowCells& source = rows_[static_cast<size_t>(from)];
  RowCells& target = rows_[static_cast<size_t>(to)];
  if (!source.Owned() && !target.Owned()) {
    // Both still views: copying the views copies no bytes.
    target = source;
    return;
  }
  const std::string_view label = CellView(kColLabel, from), text = CellView(kColText, from);
  OwnedCells& own = Own(to);
  own[kColLabel].assign(label.data(), label.size());
  own[kColText].assign(text.data(), text.size());
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

void GridModel::MoveRowNow(int from, int to) {
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

void GridModel::TradeRows(GridRowSet& rows) {
  rows_.swap(rows.rows);
  owned_.swap(rows.owned);
  source_.swap(rows.source);
  if (row_ >= RowCount()) {
    int oldRow = row_;
    row_ = RowCount() - 1;
    if (observer_) observer_->CurrentChanged(col_, oldRow);
  }
  if (observer_) observer_->RowCountChanged();
}

void GridModel::ReplaceRows(GridModel& other) {
  GridEdit edit;
  edit.kind = GridEdit::Kind::ReplaceRows;
  edit.row = row_;
  edit.rows = std::make_shared<GridRowSet>();
  // Taken over as they are: a book read from a file keeps pointing into that file's bytes.
  edit.rows->rows.swap(other.rows_);
  edit.rows->owned.swap(other.owned_);
  edit.rows->source = std::move(other.source_);
  other.rows_.assign(1, RowCells{});
  other.row_ = 0;
  other.ClearHistory();
  Perform(std::move(edit));
}

void GridModel::InsertRowsNow(int at, const std::vector<GridRow>& rows) {
  if (rows.empty()) return;
  Changed();
  const int count = static_cast<int>(rows.size());
  // One move of the rows after the place, whatever the size of the book.
  rows_.insert(rows_.begin() + at, rows.size(), RowCells{});
  for (int i = 0; i < count; ++i) {
    OwnedCells& own = Own(at + i);
    own[kColLabel] = rows[static_cast<size_t>(i)].label;
    own[kColText] = rows[static_cast<size_t>(i)].text;
  }
  if (row_ >= at) SetCurrent(col_, row_ + count);
  if (observer_) observer_->RowCountChanged();
}

void GridModel::EraseRowsNow(int at, int count) {
  if (count <= 0) return;
  Changed();
  rows_.erase(rows_.begin() + at, rows_.begin() + at + count);
  CompactOwned();
  int newRow = row_;
  if (row_ >= at + count)
    newRow -= count;
  else if (row_ >= at)
    newRow = std::min(at, RowCount() - 1);
  if (newRow != row_) SetCurrent(col_, newRow);
  if (observer_) observer_->RowCountChanged();
}

void GridModel::InsertRows(int at, std::vector<GridRow> rows) {
  if (rows.empty() || at < 0 || at > RowCount()) return;
  GridEdit edit;
  edit.kind = GridEdit::Kind::InsertRows;
  edit.row = at;
  edit.inserted = std::make_shared<const std::vector<GridRow>>(std::move(rows));
  Perform(std::move(edit));
}

void GridModel::MoveRow(int from, int to) {
  int count = RowCount();
  if (from == to || from < 0 || to < 0 || from >= count || to >= count) return;
  GridEdit edit;
  edit.kind = GridEdit::Kind::MoveRow;
  edit.row = from;
  edit.to = to;
  Perform(std::move(edit));
}

void GridModel::InsertRowAt(int row) {
  SetRowCount(RowCount() + 1);
  for (int i = RowCount() - 1; i > row; --i) CopyLabelAndText(i - 1, i);
  SetCell(kColLabel, row, Bytes());
  SetCell(kColText, row, Bytes());
}

void GridModel::DeleteRowAt(int row) {
  if (RowCount() == 1) {
    for (int col = kColButton; col <= kColText; ++col) SetCell(col, 0, Bytes());
    return;
  }
  int last = RowCount() - 1;
  for (int i = row; i < last; ++i) CopyLabelAndText(i + 1, i);
  SetCell(kColLabel, last, Bytes());
  SetCell(kColText, last, Bytes());
  SetRowCount(last);
}

void GridModel::EditCell(int col, int row, Bytes text) {
  if ((col != kColLabel && col != kColText) || row < 0 || row >= RowCount()) return;
  if (CellView(col, row) == text) return;
  GridEdit edit;
  edit.kind = GridEdit::Kind::Cell;
  edit.col = col;
  edit.row = row;
  edit.before = Bytes(CellView(col, row));
  edit.after = std::move(text);
  Perform(std::move(edit));
}

void GridModel::Perform(GridEdit edit) {
  switch (edit.kind) {
    case GridEdit::Kind::AddRows:
      edit.row = RowCount();
      break;
    case GridEdit::Kind::DeleteRow:
      edit.onlyRow = RowCount() == 1;
      edit.before = Bytes(CellView(kColLabel, edit.row));
      edit.after = Bytes(CellView(kColText, edit.row));
      // Emptying the only row when it is empty already changes nothing worth a step.
      if (edit.onlyRow && edit.before.empty() && edit.after.empty()) {
        Replaying replaying(replaying_);
        Apply(edit);
        return;
      }
      break;
    default:
      break;
  }
  for (size_t i = done_; i < history_.size(); ++i) historyBytes_ -= StepBytes(history_[i]);
  history_.resize(done_);
  {
    Replaying replaying(replaying_);
    Apply(edit);
  }
  edit.step = ++steps_;
  historyBytes_ += StepBytes(edit);
  history_.push_back(std::move(edit));
  done_ = history_.size();
  TrimHistory();
}

size_t GridModel::StepBytes(const GridEdit& edit) {
  size_t bytes = sizeof(GridEdit) + edit.before.size() + edit.after.size();
  if (const GridRowSet* set = edit.rows.get()) {
    bytes +=
        sizeof(GridRowSet) + set->rows.size() * sizeof(RowCells) + (set->source ? set->source->size() : 0);
    for (const OwnedCells& cells : set->owned) {
      bytes += sizeof(OwnedCells);
      for (const Bytes& cell : cells) bytes += cell.size();
    }
  }
  // Imported rows stay with their step whether it is done or undone.
  if (const std::vector<GridRow>* rows = edit.inserted.get()) {
    bytes += sizeof(*rows) + rows->size() * sizeof(GridRow);
    for (const GridRow& row : *rows) bytes += row.label.size() + row.text.size();
  }
  return bytes;
}

void GridModel::SetHistoryLimit(size_t bytes) {
  historyLimit_ = bytes;
  TrimHistory();
}

void GridModel::TrimHistory() {
  // Only steps in the book go, oldest first, and never the last of them.
  size_t drop = 0;
  while (historyBytes_ > historyLimit_ && drop + 1 < done_) historyBytes_ -= StepBytes(history_[drop++]);
  if (drop == 0) return;
  // Undoing all that is left must not claim the book is as it was before the steps let go.
  droppedStep_ = history_[drop - 1].step;
  history_.erase(history_.begin(), history_.begin() + static_cast<std::ptrdiff_t>(drop));
  done_ -= drop;
}

void GridModel::Apply(const GridEdit& edit) {
  switch (edit.kind) {
    case GridEdit::Kind::Cell:
      SetCell(edit.col, edit.row, edit.after);
      break;
    case GridEdit::Kind::AddRows:
      SetRowCount(RowCount() + edit.to);
      break;
    case GridEdit::Kind::InsertRow:
      InsertRowAt(edit.row);
      break;
    case GridEdit::Kind::DeleteRow:
      DeleteRowAt(edit.row);
      break;
    case GridEdit::Kind::MoveRow:
      MoveRowNow(edit.row, edit.to);
      break;
    case GridEdit::Kind::ReplaceRows:
      TradeRows(*edit.rows);
      break;
    case GridEdit::Kind::InsertRows:
      InsertRowsNow(edit.row, *edit.inserted);
      break;
  }
}

void GridModel::Revert(const GridEdit& edit) {
  switch (edit.kind) {
    case GridEdit::Kind::Cell:
      SetCell(edit.col, edit.row, edit.before);
      break;
    case GridEdit::Kind::AddRows:
      SetRowCount(RowCount() - edit.to);
      break;
    case GridEdit::Kind::InsertRow:
      DeleteRowAt(edit.row);
      break;
    case GridEdit::Kind::DeleteRow:
      if (!edit.onlyRow) InsertRowAt(edit.row);
      SetCell(kColLabel, edit.row, edit.before);
      SetCell(kColText, edit.row, edit.after);
      break;
    case GridEdit::Kind::MoveRow:
      MoveRowNow(edit.to, edit.row);
      break;
    case GridEdit::Kind::ReplaceRows:
      TradeRows(*edit.rows);
      break;
    case GridEdit::Kind::InsertRows:
      EraseRowsNow(edit.row, static_cast<int>(edit.inserted->size()));
      break;
  }
}

bool GridModel::Undo() {
  if (!CanUndo()) return false;
  const GridEdit& edit = history_[--done_];
  {
    Replaying replaying(replaying_);
    // A book traded back changes what the step holds.
    historyBytes_ -= StepBytes(edit);
    Revert(edit);
    historyBytes_ += StepBytes(edit);
  }
  if (edit.kind == GridEdit::Kind::Cell)
    SelectCell(edit.col, edit.row);
  else
    SetRow(edit.kind == GridEdit::Kind::AddRows || edit.kind == GridEdit::Kind::InsertRows ? edit.row - 1
                                                                                           : edit.row);
  return true;
}

bool GridModel::Redo() {
  if (!CanRedo()) return false;
  const GridEdit& edit = history_[done_++];
  {
    Replaying replaying(replaying_);
    historyBytes_ -= StepBytes(edit);
    Apply(edit);
    historyBytes_ += StepBytes(edit);
  }
  if (edit.kind == GridEdit::Kind::Cell)
    SelectCell(edit.col, edit.row);
  else
    SetRow(std::min(edit.kind == GridEdit::Kind::MoveRow ? edit.to : edit.row, RowCount() - 1));
  return true;
}

BookRevision GridModel::Revision() const {
  return BookRevision{generation_, done_ > 0 ? history_[done_ - 1].step : droppedStep_};
}

void GridModel::ClearHistory() {
  // The revisions recorded so far go with it.
  Changed();
  history_.clear();
  history_.shrink_to_fit();
  done_ = 0;
  historyBytes_ = 0;
  droppedStep_ = 0;
}

bool IsCommentLabel(const Bytes& label) { return !label.empty() && label[0] == '\''; }

bool IsSeparatorRow(const GridModel& grid, int row) { return grid.CellView(kColLabel, row) == kSeparatorLabel; }

bool IsSayRow(const GridModel& grid, int row) {
  const std::string_view label = grid.CellView(kColLabel, row);
  if (grid.CellView(kColText, row).empty()) return false;
  if (label == kSeparatorLabel) return false;
  return label.empty() || label[0] != '\'';
}

void ClearSays(GridModel& grid, Bytes& currentFile) {
  currentFile = "say.txt";
  grid.ClearLabelsAndTexts();
  grid.SetRowCount(1);
}

void AddRows(GridModel& grid) {
  GridEdit edit;
  edit.kind = GridEdit::Kind::AddRows;
  edit.to = 5;
  grid.Perform(std::move(edit));
}

void InsertRow(GridModel& grid) {
  GridEdit edit;
  edit.kind = GridEdit::Kind::InsertRow;
  edit.row = grid.Row();
  grid.Perform(std::move(edit));
}

void DeleteRow(GridModel& grid) {
  GridEdit edit;
  edit.kind = GridEdit::Kind::DeleteRow;
  edit.row = grid.Row();
  grid.Perform(std::move(edit));
}

namespace {

// A book keeps one row a line, label and text split by a Tab.
Bytes OneLine(const Bytes& text) {
  Bytes line = text;
  for (char& c : line)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return line;
}

}  // namespace

ImportOutcome ImportLines(GridModel& grid, std::string_view fileName,
                          const std::vector<ImportedLine>& lines) {
  ImportOutcome outcome;
  // The file's texts, each once and in order; a repeat is already in the book by the time it
  // would go in. Room for every line is taken at once, so the index's views of them stay put.
  std::vector<ImportedLine> found;
  found.reserve(lines.size());
  std::unordered_map<std::string_view, size_t> index;
  size_t longest = 0;
  for (const ImportedLine& line : lines) {
    Bytes text = OneLine(line.text);
    if (text.empty()) continue;
    found.push_back({OneLine(line.label), std::move(text), line.macro});
    if (!index.emplace(found.back().text, found.size() - 1).second) {
      found.pop_back();
      ++outcome.alreadyInBook;
      continue;
    }
    longest = std::max(longest, found.back().text.size());
  }
  // One pass over the book, the file's texts in a small table: a book text of a length none of
  // them has is passed over without hashing, which is most of a large book.
  std::vector<bool> lengthUsed(longest + 1);
  for (const ImportedLine& line : found) lengthUsed[line.text.size()] = true;
  std::vector<bool> inBook(found.size());
  int last = -1, row = 0;
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (!label.empty() || !text.empty()) last = row;
    ++row;
    if (text.empty() || text.size() > longest || !lengthUsed[text.size()]) return;
    if (auto hit = index.find(text); hit != index.end()) inBook[hit->second] = true;
  });
  std::vector<GridRow> rows;
  if (last >= 0 && grid.CellView(kColLabel, last) != kSeparatorLabel)
    rows.push_back({kSeparatorLabel, Bytes()});
  rows.push_back({"'From " + Bytes(fileName), Bytes()});
  std::vector<ImportedLine> coming;
  for (size_t i = 0; i < found.size(); ++i) {
    if (inBook[i])
      ++outcome.alreadyInBook;
    else
      coming.push_back(std::move(found[i]));
  }
  // Numbered once the repeats are out, so that a macro's rows read 2, 3, ... without gaps.
  NumberMacroLines(coming);
  for (ImportedLine& line : coming) rows.push_back({std::move(line.label), std::move(line.text)});
  outcome.added = static_cast<int>(coming.size());
  if (outcome.added == 0) return outcome;
  const int at = last + 1;
  grid.InsertRows(at, std::move(rows));
  grid.SetRow(at);
  return outcome;
}

}  // namespace parlo
