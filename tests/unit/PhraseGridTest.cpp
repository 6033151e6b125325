#include "core/PhraseGrid.h"
#include "tests/unit/GridRows.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
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
  grid.AdoptSource(std::make_shared<Bytes>("inside"));
  Bytes elsewhere = "elsewhere";
  grid.SetLoadedCell(kColText, 0, elsewhere);
  elsewhere[0] = 'X';
  EXPECT_EQ(grid.Text(0), "elsewhere");
}

}  // namespace
}  // namespace parlo
