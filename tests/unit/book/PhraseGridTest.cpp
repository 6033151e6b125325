#include "core/book/PhraseGrid.h"
#include "core/book/SayFile.h"
#include "tests/unit/book/GridRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace parlo {
namespace {


TEST(RowKinds, SendableNeedsTextAndAnOrdinaryLabel) {
  GridModel grid = MakeGrid({{"Greet", "hello"},
                             {"", "word"},
                             {"-----", "text"},
                             {"'note", "x"},
                             {"'", "y"},
                             {"Empty", ""},
                             {" -----", "a"},
                             {"------", "b"},
                             {"----", "c"},
                             {"a'", "d"}});
  std::vector<bool> expected = {true, true, false, false, false, false, true, true, true, true};
  for (int r = 0; r < grid.RowCount(); ++r) EXPECT_EQ(IsSayRow(grid, r), expected[r]) << "row " << r;
  EXPECT_TRUE(IsSeparatorRow(grid, 2));
  EXPECT_FALSE(IsSeparatorRow(grid, 6));
  EXPECT_FALSE(IsSeparatorRow(grid, 7));
  EXPECT_FALSE(IsSayRow(grid, -1));
  EXPECT_FALSE(IsSayRow(grid, 10));
}

TEST(GridModel, RowCountNeverBelowOne) {
  GridModel grid;
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetRowCount(0);
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetRowCount(-7);
  EXPECT_EQ(grid.RowCount(), 1);
  grid.SetRowCount(3);
  grid.SetCell(kColText, 2, "x");
  EXPECT_EQ(grid.Text(2), "x");
  EXPECT_EQ(grid.Text(3), "");  // outside reads empty
  grid.SetCell(kColText, 3, "lost");
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST(GridModel, ShrinkingMovesCurrentRowToTheNewLastRow) {
  GridModel grid;
  grid.SetRowCount(5);
  grid.SetCol(kColLabel);
  grid.SetRow(4);
  grid.SetRowCount(2);
  EXPECT_EQ(grid.Row(), 1);
}

TEST(GridModel, SelectHookCanRedirectColumnOne) {
  GridModel grid;
  grid.SetRowCount(4);
  grid.SetCol(kColLabel);
  int asked = 0;
  grid.SetSelectHook([&](int col, int row) {
    ++asked;
    if (col != kColButton) return true;
    grid.SetRow(row);
    grid.SetCol(kColLabel);
    return false;
  });
  EXPECT_FALSE(grid.SelectCell(kColButton, 3));
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.Col(), kColLabel);
  asked = 0;
  grid.SetRow(3);  // unchanged value: no question asked
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(grid.SelectCell(kColText, 1));
  EXPECT_EQ(grid.Col(), kColText);
  EXPECT_FALSE(grid.SelectCell(kColGrip, 1));
  EXPECT_FALSE(grid.SelectCell(kColText, 4));
}

TEST(GridModel, MoveRowCarriesAllCellsAndTheCurrentRow) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  grid.SetCol(kColLabel);
  grid.SetRow(0);
  grid.MoveRow(0, 2);
  EXPECT_EQ(RowsOf(grid), (std::vector<std::pair<Bytes, Bytes>>{{"b", "2"}, {"c", "3"}, {"a", "1"}, {"d", "4"}}));
  EXPECT_EQ(grid.Row(), 2);
  grid.MoveRow(3, 0);
  EXPECT_EQ(RowsOf(grid), (std::vector<std::pair<Bytes, Bytes>>{{"d", "4"}, {"b", "2"}, {"c", "3"}, {"a", "1"}}));
  EXPECT_EQ(grid.Row(), 3);
  grid.MoveRow(1, 9);  // outside: nothing moves
  EXPECT_EQ(grid.Label(1), "b");

  // Another row dropped on the current row's place, or passing it, from above and from below:
  // the current row stays on its content.
  const struct {
    int current, from, to;
  } others[] = {{2, 0, 2}, {1, 3, 1}, {2, 0, 3}, {1, 3, 0}, {3, 0, 2}, {0, 1, 3}};
  for (const auto& c : others) {
    GridModel moved = MakeGrid({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
    moved.SetRow(c.current);
    const Bytes current = moved.Label(c.current);
    moved.MoveRow(c.from, c.to);
    EXPECT_EQ(moved.Label(moved.Row()), current) << c.from << " to " << c.to << ", current " << c.current;
  }
}

TEST(EditButtons, AddAppendsFiveEmptyRowsWithoutMovingTheCurrentCell) {
  GridModel grid = MakeGrid({{"a", "1"}});
  grid.SetCol(kColText);
  AddRows(grid);
  EXPECT_EQ(grid.RowCount(), 6);
  for (int r = 1; r < 6; ++r) EXPECT_TRUE(grid.Label(r).empty() && grid.Text(r).empty());
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(grid.Col(), kColText);
}

TEST(EditButtons, InsertPutsAnEmptyRowAtTheCurrentRow) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  grid.SetCol(kColLabel);
  grid.SetRow(2);
  InsertRow(grid);
  EXPECT_EQ(RowsOf(grid), (std::vector<std::pair<Bytes, Bytes>>{{"a", "1"}, {"b", "2"}, {"", ""}, {"c", "3"}}));
  EXPECT_EQ(grid.Row(), 2);
  grid.SetRow(0);
  InsertRow(grid);
  EXPECT_EQ(RowsOf(grid).front(), (std::pair<Bytes, Bytes>{"", ""}));
  EXPECT_EQ(grid.Label(1), "a");
  EXPECT_EQ(grid.RowCount(), 5);
}

TEST(EditButtons, InsertMovesOnlyLabelAndText) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}});
  grid.SetCell(kColButton, 0, "kept");
  InsertRow(grid);
  EXPECT_EQ(grid.Cell(kColButton, 0), "kept");
  EXPECT_EQ(grid.Cell(kColButton, 1), "");
}

TEST(EditButtons, DeleteOnOneRowEmptiesIt) {
  GridModel grid = MakeGrid({{"a", "1"}});
  grid.SetCell(kColButton, 0, "x");
  DeleteRow(grid);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(kColButton, 0), "");
  EXPECT_EQ(grid.Label(0), "");
  EXPECT_EQ(grid.Text(0), "");
}

TEST(EditButtons, DeleteShiftsRowsUpAndKeepsTheLastRowCurrent) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  grid.SetCol(kColLabel);
  DeleteRow(grid);  // row 0
  EXPECT_EQ(RowsOf(grid), (std::vector<std::pair<Bytes, Bytes>>{{"b", "2"}, {"c", "3"}}));
  grid.SetRow(1);
  DeleteRow(grid);  // the last row
  EXPECT_EQ(RowsOf(grid), (std::vector<std::pair<Bytes, Bytes>>{{"b", "2"}}));
  EXPECT_EQ(grid.Row(), 0);
}

TEST(EditButtons, ClearSaysLeavesOneEmptyUnnamedRow) {
  GridModel grid;
  grid.SetRowCount(10);
  for (int r = 0; r < 10; ++r) grid.SetCell(kColText, r, "t");
  Bytes current = "sayA.txt";
  ClearSays(grid, current);
  EXPECT_EQ(current, "say.txt");
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Text(0), "");
}

}  // namespace
}  // namespace parlo

namespace parlo {
namespace {

// A book loaded as views into its file's bytes must behave exactly like one whose cells were
// set one by one, through every edit that moves, copies, empties or replaces cells.
TEST(LoadedCells, BehaveLikeCellsSetOneByOne) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    auto source = std::make_shared<Bytes>();
    const int rows = 1 + static_cast<int>(random() % 12);
    std::vector<std::pair<size_t, size_t>> spans;  // label, text offsets into source
    std::vector<std::pair<Bytes, Bytes>> cells;
    for (int r = 0; r < rows; ++r) {
      Bytes label = random() % 3 ? "label" + std::to_string(r) : "";
      Bytes text = random() % 4 ? "a longer text that does not fit a short string " + std::to_string(r) : "";
      spans.emplace_back(source->size(), source->size() + label.size());
      *source += label + text;
      cells.emplace_back(label, text);
    }
    GridModel loaded, reference;
    loaded.AdoptSource(source);
    loaded.SetRowCount(rows);
    reference.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
      const auto& [labelAt, textAt] = spans[static_cast<size_t>(r)];
      loaded.SetLoadedCell(kColLabel, r, std::string_view(source->data() + labelAt, cells[r].first.size()));
      loaded.SetLoadedCell(kColText, r, std::string_view(source->data() + textAt, cells[r].second.size()));
      reference.SetCell(kColLabel, r, cells[r].first);
      reference.SetCell(kColText, r, cells[r].second);
    }
    source.reset();  // the grid keeps what it needs

    for (int step = 0; step < 30; ++step) {
      int row = static_cast<int>(random() % static_cast<unsigned>(reference.RowCount()));
      for (GridModel* grid : {&loaded, &reference}) {
        grid->SetCol(kColLabel);
        grid->SetRow(row);
      }
      switch (random() % 7) {
        case 0:
          InsertRow(loaded), InsertRow(reference);
          break;
        case 1:
          DeleteRow(loaded), DeleteRow(reference);
          break;
        case 2:
          AddRows(loaded), AddRows(reference);
          break;
        case 3: {
          int to = static_cast<int>(random() % static_cast<unsigned>(reference.RowCount()));
          loaded.MoveRow(row, to), reference.MoveRow(row, to);
          break;
        }
        case 4:
          loaded.SetCell(kColText, row, "edited"), reference.SetCell(kColText, row, "edited");
          break;
        case 5: {
          // Reading a cell as Bytes takes the row out of the source; keep the reference alive.
          const Bytes& held = loaded.Label(row);
          Bytes copy = held;
          (void)loaded.Text((row + 1) % loaded.RowCount());
          EXPECT_EQ(held, copy);
          break;
        }
        default:
          loaded.SetRowCount(loaded.RowCount() - 1), reference.SetRowCount(reference.RowCount() - 1);
          break;
      }
      ASSERT_EQ(loaded.RowCount(), reference.RowCount());
      for (int r = 0; r < reference.RowCount(); ++r) {
        for (int col = 0; col < kColCount; ++col) {
          ASSERT_EQ(loaded.CellView(col, r), reference.CellView(col, r)) << "round " << round << " row " << r;
          ASSERT_EQ(loaded.Cell(col, r), reference.Cell(col, r));
        }
        ASSERT_EQ(IsSayRow(loaded, r), IsSayRow(reference, r));
      }
    }
    Bytes file;
    ClearSays(loaded, file);
    EXPECT_EQ(loaded.RowCount(), 1);
    EXPECT_EQ(loaded.CellView(kColText, 0), "");
  }
}

TEST(LoadedCells, ACellOutsideTheSourceIsCopied) {
  GridModel grid;
  // Long enough that its bytes live on the heap next to those of the strings below.
  auto source = std::make_shared<Bytes>("inside, and long enough to live apart from its string.");
  grid.AdoptSource(source);
  // Memory above the source, where a place would still fit in a row.
  std::vector<Bytes> candidates(16, "elsewhere, and long enough to live apart from its string");
  auto above = std::find_if(candidates.begin(), candidates.end(),
                            [&](const Bytes& c) { return c.data() > source->data(); });
  ASSERT_NE(above, candidates.end());
  Bytes& elsewhere = *above;
  grid.SetLoadedCell(kColText, 0, elsewhere);
  // Rows read in: a label in the source, a text outside it, and the other way round.
  grid.BeginRows();
  grid.AddLoadedRow(std::string_view(*source).substr(0, 2), elsewhere);
  grid.AddLoadedRow(std::string_view(elsewhere).substr(0, 4), std::string_view(*source).substr(2, 4));
  grid.EndRows();
  elsewhere[0] = 'X';
  EXPECT_EQ(RowsOf(grid), (Rows{{"in", "elsewhere, and long enough to live apart from its string"}, {"else", "side"}}));
  EXPECT_EQ(grid.OwnedRowCount(), 2u);
}

// Undo and redo against a plain list of rows that makes the same changes its own way and keeps
// every state it passed through: after each step the grid must hold the state the list says, and
// the revision it had in that state, which no other state shares.
TEST(Undo, ReplaysAndRevertsEveryKindOfChangeAgainstAModel) {
  std::mt19937 random(12);
  for (int round = 0; round < 20; ++round) {
    // A loaded book, so that the changes meet cells that are still views into the file.
    auto source = std::make_shared<Bytes>();
    Rows start;
    int startRows = 1 + static_cast<int>(random() % 4);
    for (int r = 0; r < startRows; ++r)
      start.emplace_back("L" + std::to_string(r), "text " + std::to_string(r));
    for (const auto& row : start) *source += row.first + row.second;
    GridModel grid;
    grid.AdoptSource(source);
    grid.BeginRows();
    size_t at = 0;
    for (const auto& row : start) {
      std::string_view all(*source);
      grid.AddLoadedRow(all.substr(at, row.first.size()),
                        all.substr(at + row.first.size(), row.second.size()));
      at += row.first.size() + row.second.size();
    }
    grid.EndRows();
    grid.SetCol(kColLabel);
    EXPECT_FALSE(grid.CanUndo());

    std::vector<Rows> states{start};
    std::vector<BookRevision> revisions{grid.Revision()}, retired;
    // Where each change was: the current row after undoing and after redoing it.
    std::vector<int> undoRow{-1}, redoRow{-1};
    size_t now = 0;
    // Far more steps than the book has rows, undo and redo mixed in.
    for (int step = 0; step < 300; ++step) {
      Rows rows = states[now];
      int count = static_cast<int>(rows.size());
      int kind = static_cast<int>(random() % 11);
      int undoAt = -1, redoAt = -1;
      if (kind <= 1) {
        int expectRow = -1;
        bool undone = kind == 0 ? grid.Undo() : grid.Redo();
        ASSERT_EQ(undone, kind == 0 ? now > 0 : now + 1 < states.size());
        if (!undone) continue;
        if (kind == 0) {
          expectRow = undoRow[now];
          --now;
        } else {
          ++now;
          expectRow = redoRow[now];
        }
        ASSERT_EQ(RowsOf(grid), states[now]) << "round " << round << " step " << step;
        ASSERT_EQ(grid.Revision(), revisions[now]) << "round " << round << " step " << step;
        if (expectRow >= 0) {
          EXPECT_EQ(grid.Row(), std::min(expectRow, grid.RowCount() - 1)) << "step " << step;
        }
        continue;
      }
      int row = static_cast<int>(random() % static_cast<unsigned>(count));
      grid.SetRow(row);
      row = grid.Row();
      switch (kind) {
        case 2:
        case 3: {
          Bytes value = "v" + std::to_string(step);
          int col = kind == 2 ? kColLabel : kColText;
          grid.EditCell(col, row, value);
          (col == kColLabel ? rows[row].first : rows[row].second) = value;
          undoAt = redoAt = row;
          break;
        }
        case 4:
          AddRows(grid);
          rows.resize(rows.size() + 5);
          undoAt = count - 1;  // the last row that stays
          redoAt = count;      // the first new row
          break;
        case 5:
          InsertRow(grid);
          rows.insert(rows.begin() + row, {"", ""});
          undoAt = redoAt = row;
          break;
        case 6:
        case 7:
          DeleteRow(grid);
          if (count == 1 && rows[0] == std::pair<Bytes, Bytes>{"", ""}) break;  // nothing to take away
          if (count == 1)
            rows[0] = {"", ""};
          else
            rows.erase(rows.begin() + row);
          undoAt = redoAt = row;
          break;
        case 8: {
          int to = static_cast<int>(random() % static_cast<unsigned>(count));
          grid.MoveRow(row, to);
          if (row == to) break;
          auto moved = rows[row];
          rows.erase(rows.begin() + row);
          rows.insert(rows.begin() + to, moved);
          undoAt = row;
          redoAt = to;
          break;
        }
        case 9: {
          // Another book traded in whole (a file read again), its last row's text set apart.
          const int newCount = 1 + static_cast<int>(random() % 4);
          rows.assign(static_cast<size_t>(newCount), {"R" + std::to_string(step), "text"});
          rows.back().second = "own";
          GridModel other;
          ReadSayBook("R" + std::to_string(step) + "\ttext\r\n", other);
          other.SetRowCount(newCount);
          for (int r = 1; r < newCount; ++r) other.CopyLabelAndText(0, r);
          other.SetCell(kColText, newCount - 1, "own");
          grid.ReplaceRows(other);
          EXPECT_EQ(RowsOf(other), (Rows{{"", ""}}));
          undoAt = row;
          redoAt = std::min(row, newCount - 1);
          EXPECT_EQ(grid.Row(), redoAt);
          break;
        }
        case 10: {
          // Lines from a file: one new, one the book may hold already.
          const std::vector<ImportedLine> lines = {{"m", "said " + std::to_string(step)},
                                                   {"m 2", rows[0].second}};
          int last = -1;
          for (int r = 0; r < count; ++r)
            if (!rows[r].first.empty() || !rows[r].second.empty()) last = r;
          Rows section;
          if (last >= 0 && rows[last].first != "-----") section.emplace_back("-----", "");
          section.emplace_back("'From m.xml", "");
          section.emplace_back(lines[0].label, lines[0].text);
          if (!lines[1].text.empty() && std::none_of(rows.begin(), rows.end(), [&](const auto& r) {
                return r.second == lines[1].text;
              }))
            section.emplace_back(lines[1].label, lines[1].text);
          ImportLines(grid, "m.xml", lines);
          rows.insert(rows.begin() + last + 1, section.begin(), section.end());
          undoAt = std::max(last, 0);
          redoAt = last + 1;
          EXPECT_EQ(grid.Row(), redoAt);
          break;
        }
      }
      if (undoAt < 0) continue;  // nothing changed: nothing recorded
      ASSERT_TRUE(grid.CanUndo());
      states.resize(now + 1);
      retired.insert(retired.end(), revisions.begin() + static_cast<std::ptrdiff_t>(now) + 1,
                     revisions.end());
      revisions.resize(now + 1);
      undoRow.resize(now + 1);
      redoRow.resize(now + 1);
      for (const auto& known : {revisions, retired})
        ASSERT_EQ(std::count(known.begin(), known.end(), grid.Revision()), 0) << "step " << step;
      revisions.push_back(grid.Revision());
      states.push_back(rows);
      undoRow.push_back(undoAt);
      redoRow.push_back(redoAt);
      ++now;
      ASSERT_EQ(RowsOf(grid), states[now]) << "round " << round << " step " << step;
      EXPECT_FALSE(grid.CanRedo());
    }
    // Everything taken back gives the book as loaded; everything made again gives the last state.
    while (grid.Undo()) {
    }
    EXPECT_EQ(RowsOf(grid), states.front());
    while (grid.Redo()) {
    }
    EXPECT_EQ(RowsOf(grid), states.back());
  }
}

// The section a file's lines make at the end of the book.
TEST(Import, ASectionAfterTheLastRowThatHoldsAnything) {
  struct Case {
    const char* what;
    Rows book;
    std::vector<ImportedLine> lines;
    Rows after;
    int added, alreadyInBook, current;
  };
  const std::vector<ImportedLine> two = {{"Greet", "hail"}, {"Bow", ": bows"}};
  const Case cases[] = {
      {"after a say line: a separator first",
       {{"hi", "hello"}},
       two,
       {{"hi", "hello"}, {"-----", ""}, {"'From macros.xml", ""}, {"Greet", "hail"}, {"Bow", ": bows"}},
       2,
       0,
       1},
      {"the book ends with a separator",
       {{"hi", "hello"}, {"-----", ""}},
       two,
       {{"hi", "hello"}, {"-----", ""}, {"'From macros.xml", ""}, {"Greet", "hail"}, {"Bow", ": bows"}},
       2,
       0,
       2},
      {"empty rows at the end stay at the end",
       {{"hi", "hello"}, {"-----", ""}, {"", ""}, {"", ""}},
       two,
       {{"hi", "hello"},
        {"-----", ""},
        {"'From macros.xml", ""},
        {"Greet", "hail"},
        {"Bow", ": bows"},
        {"", ""},
        {"", ""}},
       2,
       0,
       2},
      {"an empty book needs no separator",
       {{"", ""}},
       two,
       {{"'From macros.xml", ""}, {"Greet", "hail"}, {"Bow", ": bows"}, {"", ""}},
       2,
       0,
       0},
      {"texts the book holds, repeats in the file and empty texts are left out",
       {{"a", "hail"}, {"'note", "! stop"}},
       {{"Greet", "hail"},
        {"Stop", "! stop"},
        {"New", "new"},
        {"New 2", "new"},
        {"Blank", ""},
        {"Last", "hail2"}},
       {{"a", "hail"},
        {"'note", "! stop"},
        {"-----", ""},
        {"'From macros.xml", ""},
        {"New", "new"},
        {"Last", "hail2"}},
       2,
       3,
       2},
      {"a macro's rows numbered among those that come over",
       {{"a", "tap"}},
       {{"Keg", "tap", 1}, {"Keg", "pour", 1}, {"Keg", "tap", 1}, {"Keg", "drink", 1}, {"Keg", "toast", 2},
        {"Mug", "clink", 3}, {"Mug", "toast", 3}, {"Mug", "cheers", 3}},
       {{"a", "tap"},
        {"-----", ""},
        {"'From macros.xml", ""},
        {"Keg", "pour"},
        {"Keg 2", "drink"},
        {"Keg", "toast"},
        {"Mug", "clink"},
        {"Mug 2", "cheers"}},
       5,
       3,
       1},
      {"a book row needs one line: tabs and line breaks become blanks",
       {{"", ""}},
       {{"Two\tparts", "one\r\ntwo"}},
       {{"'From macros.xml", ""}, {"Two parts", "one  two"}, {"", ""}},
       1,
       0,
       0},
  };
  for (const Case& c : cases) {
    GridModel grid = MakeGrid(c.book);
    grid.SetCol(kColLabel);
    const ImportOutcome outcome = ImportLines(grid, "macros.xml", c.lines);
    EXPECT_EQ(RowsOf(grid), c.after) << c.what;
    EXPECT_EQ(outcome.added, c.added) << c.what;
    EXPECT_EQ(outcome.alreadyInBook, c.alreadyInBook) << c.what;
    EXPECT_EQ(grid.Row(), c.current) << c.what;
    // One step takes it all back, and makes it all again.
    ASSERT_TRUE(grid.Undo()) << c.what;
    EXPECT_EQ(RowsOf(grid), c.book) << c.what;
    EXPECT_FALSE(grid.CanUndo()) << c.what;
    ASSERT_TRUE(grid.Redo()) << c.what;
    EXPECT_EQ(RowsOf(grid), c.after) << c.what;
  }
}

TEST(Import, NothingNewLeavesTheBookAndItsHistoryAlone) {
  GridModel grid = MakeGrid({{"hi", "hello"}});
  const BookRevision before = grid.Revision();
  const ImportOutcome outcome = ImportLines(grid, "macros.xml", {{"Greet", "hello"}, {"Blank", ""}});
  EXPECT_EQ(outcome.added, 0);
  EXPECT_EQ(outcome.alreadyInBook, 1);
  EXPECT_EQ(RowsOf(grid), (Rows{{"hi", "hello"}}));
  EXPECT_EQ(grid.Revision(), before);
  EXPECT_FALSE(grid.CanUndo());
}

TEST(Undo, StepsPutTheCurrentRowWhereTheChangeWas) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}});
  grid.SetCol(kColLabel);
  grid.SetRow(1);
  DeleteRow(grid);
  grid.SetRow(0);
  grid.MoveRow(0, 2);  // a -> row 2
  grid.SetRow(0);
  grid.EditCell(kColText, 1, "changed");
  grid.SetRow(0);
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.Col(), kColText);
  EXPECT_EQ(grid.Text(1), "4");
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.Row(), 0);  // back where the moved row came from
  EXPECT_EQ(grid.Label(0), "a");
  ASSERT_TRUE(grid.Redo());
  EXPECT_EQ(grid.Row(), 2);
  ASSERT_TRUE(grid.Undo());
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(RowsOf(grid), (Rows{{"a", "1"}, {"b", "2"}, {"c", "3"}, {"d", "4"}}));
  EXPECT_FALSE(grid.Undo());
  // A cell stored unchanged is no change at all.
  grid.EditCell(kColLabel, 0, "a");
  EXPECT_FALSE(grid.CanUndo());
}

TEST(Undo, LoadingStartsANewHistoryAndANewChangeDropsTheRedo) {
  GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}});
  AddRows(grid);
  InsertRow(grid);
  ASSERT_TRUE(grid.Undo());
  EXPECT_TRUE(grid.CanRedo());
  grid.EditCell(kColLabel, 0, "x");  // a new change: the insert cannot come back
  EXPECT_FALSE(grid.CanRedo());
  EXPECT_EQ(grid.RowCount(), 7);

  auto source = std::make_shared<Bytes>("labeltext");
  grid.AdoptSource(source);
  grid.BeginRows();
  grid.AddLoadedRow(std::string_view(*source).substr(0, 5), std::string_view(*source).substr(5));
  grid.EndRows();
  EXPECT_FALSE(grid.CanUndo());
  EXPECT_FALSE(grid.CanRedo());

  DeleteRow(grid);
  GridModel readAhead = MakeGrid({{"c", "3"}, {"d", "4"}});  // a book read on another thread
  grid.TakeRows(readAhead);
  EXPECT_FALSE(grid.CanUndo());
  EXPECT_EQ(RowsOf(grid), (Rows{{"c", "3"}, {"d", "4"}}));
  EXPECT_EQ(RowsOf(readAhead), (Rows{{"", ""}}));

  DeleteRow(grid);
  Bytes file;
  ClearSays(grid, file);  // the empty book is a load too
  EXPECT_FALSE(grid.CanUndo());
}

TEST(Undo, AChangeNotRecordedLeavesNoWayBackToAnEarlierRevision) {
  // Undo cannot take back a change it never saw, so no step may claim the book is as it was.
  const std::vector<std::function<void(GridModel&)>> unrecorded = {
      [](GridModel& g) { g.SetCell(kColLabel, 0, "set"); },
      [](GridModel& g) { g.SetRowCount(3); },
      [](GridModel& g) { g.CopyLabelAndText(1, 0); },
      [](GridModel& g) { g.ClearHistory(); },
      [](GridModel& g) {
        GridModel readAhead = MakeGrid({{"a", "1"}, {"b", "2"}});
        g.TakeRows(readAhead);
      },
  };
  for (size_t i = 0; i < unrecorded.size(); ++i) {
    GridModel grid = MakeGrid({{"a", "1"}, {"b", "2"}});
    const BookRevision loaded = grid.Revision();
    grid.SetRow(1);  // moving about changes nothing
    grid.EditCell(kColText, 0, "edited");
    const BookRevision edited = grid.Revision();
    EXPECT_NE(edited, loaded) << i;
    unrecorded[i](grid);
    EXPECT_NE(grid.Revision(), edited) << i;
    grid.Undo();
    EXPECT_NE(grid.Revision(), loaded) << i;
  }
}

// A book read again after another program changed it is a step that keeps the whole book before
// it; the bytes and the rows both count against the bound. So do the rows of an import.
TEST(Undo, TheHistoryKeepsToItsBoundOldestStepsFirstAndTheBookJustReplacedStays) {
  const size_t limit = size_t{1} << 20;
  struct Case {
    bool import;  // each step an import of rows rows, else a reload of a book of rows rows
    int rows;
    size_t textBytes;
    size_t kept;  // steps that fit in the bound
  } cases[] = {
      {false, 20000, 0, 2},   // about 400 KB a book, four fifths of it the rows
      {false, 1000, 300, 3},  // about 320 KB, nearly all bytes
      {true, 1000, 300, 2},   // about 370 KB an import
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.import << " " << c.rows);
    auto book = [&](int n) {
      Bytes file = "[PARLO!]\r\nbook " + std::to_string(n) + "\tfirst\r\n";
      for (int r = 0; r < c.rows; ++r) file += "x\t" + Bytes(c.textBytes, 't') + "\r\n";
      return file;
    };
    auto step = [&](GridModel& grid, int n) {
      if (c.import) {
        std::vector<ImportedLine> lines;
        for (int r = 0; r < c.rows; ++r)
          lines.push_back({"m", std::to_string(n) + " " + std::to_string(r) + Bytes(c.textBytes, 't')});
        ImportLines(grid, "macros.xml", lines);
      } else {
        GridModel fresh;
        ReadSayBook(book(n), fresh);
        grid.ReplaceRows(fresh);
      }
    };
    // What tells the books after each step apart.
    auto state = [](const GridModel& grid) { return grid.Label(0) + " " + std::to_string(grid.RowCount()); };
    GridModel grid;
    ReadSayBook(book(0), grid);
    grid.SetHistoryLimit(limit);
    const BookRevision loaded = grid.Revision();
    std::vector<Bytes> states = {state(grid)};
    for (int n = 1; n <= 8; ++n) {
      step(grid, n);
      states.push_back(state(grid));
      EXPECT_LE(grid.HistoryBytes(), limit) << n;
    }
    EXPECT_EQ(grid.HistorySteps(), c.kept);
    for (size_t k = 1; k <= c.kept; ++k) {
      ASSERT_TRUE(grid.Undo());
      EXPECT_EQ(state(grid), states[8 - k]);
    }
    EXPECT_FALSE(grid.CanUndo());
    EXPECT_NE(grid.Revision(), loaded) << "the book loaded first is not back";
    // Steps undone and then given up for a new change leave the bound to the steps after it.
    grid.EditCell(kColText, 0, "edited");
    for (size_t k = 1; k < c.kept; ++k) step(grid, 100 + static_cast<int>(k));
    EXPECT_EQ(grid.HistorySteps(), c.kept);
    while (grid.Undo()) {
    }
    EXPECT_EQ(grid.Text(0), "first");
    while (grid.Redo()) {
    }
    // A bound below one step: the step that made the book as it is still stays.
    grid.SetHistoryLimit(1000);
    EXPECT_EQ(grid.HistorySteps(), 1u);
    const Bytes last = state(grid);
    ASSERT_TRUE(grid.Undo());
    EXPECT_NE(state(grid), last);
    EXPECT_FALSE(grid.CanUndo());
  }
}

TEST(Undo, TheOnlyRowDeletedComesBackWithItsCells) {
  GridModel grid = MakeGrid({{"only", "line"}});
  DeleteRow(grid);
  EXPECT_EQ(RowsOf(grid), (Rows{{"", ""}}));
  ASSERT_TRUE(grid.Undo());
  EXPECT_EQ(RowsOf(grid), (Rows{{"only", "line"}}));
  ASSERT_TRUE(grid.Redo());
  EXPECT_EQ(RowsOf(grid), (Rows{{"", ""}}));
}

}  // namespace
}  // namespace parlo
