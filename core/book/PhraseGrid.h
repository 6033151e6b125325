#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/import/MacroImport.h"

namespace parlo {

// Columns of the phrase grid.
constexpr int kColGrip = 0;    // fixed; the handle by which a row is dragged
constexpr int kColButton = 1;  // the send button; never current
constexpr int kColLabel = 2;
constexpr int kColText = 3;
constexpr int kColCount = 4;

inline constexpr const char kSeparatorLabel[] = "-----";

// Told by the model when something the view must follow has changed.
class GridObserver {
 public:
  virtual ~GridObserver() = default;
  virtual void RowCountChanged() = 0;
  virtual void CurrentChanged(int oldCol, int oldRow) = 0;
};

// Where a grid's book stands. It changes with every change to the labels, texts or rows, and
// undo and redo bring back the revision the book had then; equal revisions of one grid mean the
// same book.
struct BookRevision {
  std::uint64_t generation = 0;  // moves on with every change that is not recorded for undo
  std::uint64_t step = 0;        // the last recorded change the book holds; 0: none
  bool operator==(const BookRevision& other) const {
    return generation == other.generation && step == other.step;
  }
  bool operator!=(const BookRevision& other) const { return !(*this == other); }
};

// A whole book's rows set aside, for the change that replaces them all.
struct GridRowSet;

struct GridRow {
  Bytes label;
  Bytes text;
};

// One change to the book, kept as a value: enough to make it again and to take it back, and no
// more than the change itself (a deleted row keeps that row, whatever the size of the book).
struct GridEdit {
  enum class Kind { Cell, AddRows, InsertRow, DeleteRow, MoveRow, ReplaceRows, InsertRows };
  Kind kind = Kind::Cell;
  int col = kColLabel;  // Cell: the column written
  int row = 0;   // the row changed; MoveRow: where the row came from; AddRows, InsertRows: the first new row
  int to = 0;    // MoveRow: where the row went; AddRows: how many rows
  Bytes before;  // Cell: the old value; DeleteRow: the label taken away
  Bytes after;   // Cell: the new value; DeleteRow: the text taken away
  bool onlyRow = false;  // DeleteRow: the book's single row, emptied rather than removed
  // ReplaceRows: the rows not in the grid now (the new book before, the old one after); making
  // the change and taking it back both trade them with the grid's. row: the current row then.
  std::shared_ptr<GridRowSet> rows;
  std::shared_ptr<const std::vector<GridRow>> inserted;  // InsertRows: the rows, in order
  std::uint64_t step = 0;  // given when recorded; names the book as the change left it
};

// The phrase grid's data: cells of four columns, a row count that never falls below 1,
// and the current cell. Moving the current cell first asks the select hook, as the grid
// control does for moves by mouse, keyboard or program.
//
// A loaded book keeps its file's bytes: labels and texts stay views into them until a cell is
// read as Bytes or written, so loading 100,000 rows costs no allocation per cell.
class GridModel {
 public:
  // Answers whether (col, row) may become current; may itself move the current cell.
  using SelectHook = std::function<bool(int col, int row)>;

  GridModel();

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // A count of 0 or less gives 1. New rows are empty; a current row past the end moves to the last row.
  void SetRowCount(int count);

  // A cell outside the grid reads as empty; writing one is ignored.
  const Bytes& Cell(int col, int row) const;
  void SetCell(int col, int row, Bytes text);
  const Bytes& Label(int row) const { return Cell(kColLabel, row); }
  const Bytes& Text(int row) const { return Cell(kColText, row); }
  // The same bytes without taking them out of a loaded file; valid until the grid changes.
  std::string_view CellView(int col, int row) const;

  // How many rows have had their cells taken out of a loaded file (or set) since the grid began.
  size_t OwnedRowCount() const { return owned_.size(); }

  // Calls each(label, text) for every row in order, without taking cells out of a loaded file.
  template <typename Each>
  void ForEachLabelAndText(Each&& each) const {
    const char* const base = source_ ? source_->data() : "";
    for (const RowCells& cells : rows_) {
      if (cells.Owned()) {
        const OwnedCells& own = owned_[cells.at[0]];
        each(std::string_view(own[kColLabel]), std::string_view(own[kColText]));
      } else {
        each(std::string_view(base + cells.at[0], cells.length[0]),
             std::string_view(base + cells.at[1], cells.length[1]));
      }
    }
  }

  // Keeps the bytes of a loaded book; SetLoadedCell then points a label or text into them.
  void AdoptSource(std::shared_ptr<const Bytes> source);
  // Those bytes, or nullptr; cells taken out of them or set since point elsewhere.
  const Bytes* Source() const { return source_.get(); }
  void SetLoadedCell(int col, int row, std::string_view partOfSource);
  // Loading a book row by row: BeginRows, then AddLoadedRow for each row in order (label and text
  // lie in the adopted source), then EndRows, which makes the rows added the whole grid (at
  // least one row) and tells the view once. Columns 0 and 1 of rows that stay are left alone.
  // Room for at most rows is taken at once when given: no row is then moved while the book grows.
  void BeginRows(size_t atMost = 0);
  void AddLoadedRow(std::string_view label, std::string_view text);
  void EndRows();
  // The rows another grid loaded (a book read ahead on another thread) become this grid's whole
  // book, as a load's do: a new history, the current row kept in range, the view told once.
  // loaded is left with one empty row.
  void TakeRows(GridModel& loaded);
  // Empties every label and text without touching the other columns.
  void ClearLabelsAndTexts();
  // Label and text of row `from` replace those of row `to`; `from` keeps its own.
  void CopyLabelAndText(int from, int to);

  int Row() const { return row_; }
  int Col() const { return col_; }
  // Each moves the current cell only when the value differs and the hook agrees.
  void SetRow(int row);
  void SetCol(int col);
  // Moves both at once (a click or a key in the grid); returns whether the cell became current.
  bool SelectCell(int col, int row);

  // Moves a whole row (all four cells) to another index, shifting the rows between; the
  // current row follows the row it was on. Recorded for undo.
  void MoveRow(int from, int to);
  // Every row of other becomes the book's in one recorded change (a file read again): undo brings
  // back the rows as they were, all cells and the current row. The current row stays where it
  // is, within range. other is left with one empty row.
  void ReplaceRows(GridModel& other);

  // The rows go in before row at (RowCount(): after the last) in one recorded change, which
  // costs one pass over the book however many rows it has.
  void InsertRows(int at, std::vector<GridRow> rows);

  // Where the book stands now; a save notes it to tell later whether the book changed since.
  BookRevision Revision() const;

  // Edits made by the player, recorded for undo: a stored cell (label or text) and the changes
  // below. Loading a book (BeginRows, ClearLabelsAndTexts) starts a new history; SetCell and
  // SetRowCount are not recorded.
  void EditCell(int col, int row, Bytes text);
  // Makes the change and records it; anything that was undone can no longer be redone.
  void Perform(GridEdit edit);
  bool CanUndo() const { return done_ > 0; }
  bool CanRedo() const { return done_ < history_.size(); }
  // Each takes back or makes again one change and puts the current row where it was; false
  // when there is nothing to do.
  bool Undo();
  bool Redo();
  void ClearHistory();

  // The history keeps at most this many bytes of what its steps hold (a reloaded book's bytes and
  // rows, an import's rows, above all); past it the oldest steps go. Steps undone and then given
  // up for a new change no longer count. The step that made the book as it is stays whatever its
  // size, so a book read again can always be taken back once.
  static constexpr size_t kHistoryBytes = size_t{64} << 20;
  void SetHistoryLimit(size_t bytes);
  size_t HistoryBytes() const { return historyBytes_; }
  size_t HistorySteps() const { return history_.size(); }

  void SetSelectHook(SelectHook hook) { selectHook_ = std::move(hook); }
  void SetObserver(GridObserver* observer) { observer_ = observer; }

 private:
  // A row's cells live in owned_ once touched; before that its label and text are places in the
  // adopted source (or empty). Sixteen bytes a row: fresh memory for the rows is much of what
  // loading a large book costs.
  using OwnedCells = std::array<Bytes, kColCount>;
  static constexpr std::uint32_t kOwned = 0xFFFFFFFF;
  struct RowCells {
    std::uint32_t at[2] = {0, 0};      // label, text: offsets in the source; owned: at[0] indexes owned_
    std::uint32_t length[2] = {0, 0};  // label, text; kOwned as the label's: the row is owned
    bool Owned() const { return length[0] == kOwned; }
  };
  bool MaySelect(int col, int row);
  void SetCurrent(int col, int row);
  OwnedCells& Own(int row) const;
  // Points cell 0 (label) or 1 (text) of cells at part when it lies in the source.
  bool PlaceInSource(std::string_view part, RowCells& cells, int cell) const;
  void CompactOwned();
  // The changes themselves, not recorded.
  void Apply(const GridEdit& edit);
  void Revert(const GridEdit& edit);
  void InsertRowAt(int row);
  void DeleteRowAt(int row);
  void MoveRowNow(int from, int to);
  void InsertRowsNow(int at, const std::vector<GridRow>& rows);
  void EraseRowsNow(int at, int count);
  void TradeRows(GridRowSet& rows);
  static size_t StepBytes(const GridEdit& edit);
  void TrimHistory();
  // Any change not made by Apply or Revert: the recorded revisions no longer describe the book.
  void Changed() {
    if (!replaying_) ++generation_;
  }
  friend struct GridRowSet;

  mutable std::vector<RowCells> rows_;
  // A deque: its elements stay where they are while other rows are taken out of the source.
  mutable std::deque<OwnedCells> owned_;
  std::shared_ptr<const Bytes> source_;
  int rowsAdded_ = 0;  // while loading row by row
  int rowsBeforeLoad_ = 0;
  int row_ = 0;
  int col_ = kColButton;  // a new grid starts on the first non-fixed column
  SelectHook selectHook_;
  GridObserver* observer_ = nullptr;
  // A deque: at the bound every new step lets the oldest go, which must not move all the others.
  std::deque<GridEdit> history_;
  size_t done_ = 0;  // history_[0, done_) is in the book; the rest was undone
  size_t historyBytes_ = 0;
  size_t historyLimit_ = kHistoryBytes;
  std::uint64_t droppedStep_ = 0;  // the newest step let go: the revision with none done
  std::uint64_t generation_ = 0;
  std::uint64_t steps_ = 0;  // recorded changes so far, undone ones included
  bool replaying_ = false;   // inside Apply or Revert
};

// A row that may be sent: its text is not empty, its label is not exactly "-----" and
// does not begin with an apostrophe.
bool IsSayRow(const GridModel& grid, int row);
bool IsSeparatorRow(const GridModel& grid, int row);
bool IsCommentLabel(const Bytes& label);

// The editing buttons and the empty book. Each leaves the repaint to the caller; all but
// ClearSays are recorded for undo.
void ClearSays(GridModel& grid, Bytes& currentFile);
void AddRows(GridModel& grid);    // five empty rows at the end
void InsertRow(GridModel& grid);  // an empty row takes the current row's place
void DeleteRow(GridModel& grid);  // removes the current row; a single row is emptied instead

struct ImportOutcome {
  int added = 0;
  int alreadyInBook = 0;  // also a line the file repeats
};
// Lines read from another program's file, added in one recorded change as a new section after the
// last row that holds anything: a separator unless the book ends with one (or holds nothing), the
// comment "'From <fileName>", then each line whose text the book does not hold yet, the rows of one
// macro after its first numbered 2, 3, ... among those that come over. Nothing to add
// leaves the book as it is. The first new row becomes current.
ImportOutcome ImportLines(GridModel& grid, std::string_view fileName, const std::vector<ImportedLine>& lines);

}  // namespace parlo
