#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "core/book/Bard.h"
#include "tests/unit/book/GridRows.h"

namespace parlo {
namespace {

using RowList = Rows;

const RowList kSample = {{"Greet", "hello"}, {"Bye", "bye"},  {"-----", ""},  {"Song1", "la"},
                         {"'note", "x"},     {"Song2", "li"}, {"Song3", "lo"}};

RowList With(RowList rows, std::size_t at, std::pair<Bytes, Bytes> row) {
  rows.insert(rows.begin() + static_cast<long>(at), std::move(row));
  return rows;
}

// The generator's first values from its initial state, worked out from its recurrence apart
// from the program (S = S * 0x15A00004E35 + 1 modulo 2^64, value = bits 32 to 62 of S).
const uint32_t kFirstDraws[] = {
    346u,        13854878u,   1621890440u, 816282396u,  1778554774u, 821126358u,  1407482132u, 991758756u,
    645372191u,  865966906u,  420905937u,  2127885843u, 521455204u,  956366892u,  1243995900u, 1298089809u,
    2053736199u, 1614423703u, 1438332582u, 12744721u,   1828545887u, 1898332439u, 620132440u,  2123433120u,
    1626595066u, 1479202368u, 1414760626u, 154185321u,  299300817u,  1306077754u, 6720810u,    677799197u};

// How many values the generator has given so far, found by matching its next value against the
// written-out sequence (and so consuming one more).
int DrawsSoFar(BardRandom& random) {
  uint32_t next = random.Next();
  for (int i = 0; i < static_cast<int>(std::size(kFirstDraws)); ++i)
    if (kFirstDraws[i] == next) return i;
  return -1;
}

struct Press {
  int rowBefore;
  std::vector<Bytes> sent;
};

// Presses the Bard n times, noting the current row before each press and what it sent.
std::vector<Press> PressTimes(GridModel& grid, BardRandom& random, bool randomize, int n) {
  std::vector<Press> presses;
  for (int i = 0; i < n; ++i) {
    Press press{grid.Row(), {}};
    BardPress(grid, random, randomize, [&](const Bytes& text) { press.sent.push_back(text); });
    presses.push_back(press);
  }
  return presses;
}

TEST(BardRandom, FixedSequenceFromTheStart) {
  BardRandom random;
  EXPECT_EQ(random.Next(), 346u);
  EXPECT_EQ(random.Next(), 13854878u);
  EXPECT_EQ(random.Next(), 1621890440u);
  for (size_t i = 3; i < std::size(kFirstDraws); ++i) EXPECT_EQ(random.Next(), kFirstDraws[i]) << i;
  for (int i = 0; i < 1000; ++i) EXPECT_LE(random.Next(), 0x7FFFFFFFu);
  BardRandom other;
  EXPECT_EQ(other.Next(), 346u);  // each generator has its own state
}

TEST(FirstSayRow, SampleGridAndFullTurn) {
  GridModel grid = MakeGrid(kSample);
  std::vector<int> expected = {0, 1, 3, 3, 5, 5, 6};
  for (int start = 0; start < 7; ++start) EXPECT_EQ(FirstSayRow(grid, start), expected[start]) << start;

  GridModel wraps = MakeGrid({{"A", "a"}, {"'c", "x"}, {"-----", "y"}, {"B", ""}});
  EXPECT_EQ(FirstSayRow(wraps, 1), 0);
  EXPECT_EQ(FirstSayRow(wraps, 3), 0);

  GridModel none = MakeGrid({{"'c", "x"}, {"-----", "y"}, {"B", ""}});
  for (int start = 0; start < 3; ++start) EXPECT_EQ(FirstSayRow(none, start), start);
}

TEST(NextSayRow, SampleGrid) {
  GridModel grid = MakeGrid(kSample);
  std::vector<int> expected = {1, 0, 3, 5, 5, 6, 0};
  for (int current = 0; current < 7; ++current)
    EXPECT_EQ(NextSayRow(grid, current), expected[current]) << current;
}

TEST(NextSayRow, ClosingSeparatorInTheLastRow) {
  GridModel grid = MakeGrid(With(kSample, 7, {"-----", ""}));
  EXPECT_EQ(NextSayRow(grid, 6), 3);
  EXPECT_EQ(NextSayRow(grid, 7), 0);
  EXPECT_EQ(NextSayRow(grid, 1), 0);
}

TEST(NextSayRow, SeparatorInRowZeroIsGivenItself) {
  GridModel grid = MakeGrid(With(kSample, 0, {"-----", ""}));
  EXPECT_EQ(NextSayRow(grid, 7), 0);
  EXPECT_EQ(NextSayRow(grid, 0), 1);
  // The separator at row 3 closes the section opened at row 0: back to its first line.
  EXPECT_EQ(NextSayRow(grid, 2), 1);
}

TEST(NextSayRow, UpwardSearchNeverLooksAtRowZero) {
  // Were row 0 taken as the opening separator, the walk would settle on row 1.
  GridModel grid = MakeGrid({{"-----", ""}, {"'c", "x"}, {"-----", ""}});
  EXPECT_EQ(NextSayRow(grid, 1), 0);
}

TEST(NextSayRow, NothingToMeetGoesFullTurn) {
  GridModel comments = MakeGrid({{"'a", "x"}, {"'b", "y"}, {"", ""}});
  for (int current = 0; current < 3; ++current) EXPECT_EQ(NextSayRow(comments, current), current);
  GridModel one = MakeGrid({{"Only", "line"}});
  EXPECT_EQ(NextSayRow(one, 0), 0);
}

TEST(BardPress, SequentialFromRowThree) {
  GridModel grid = MakeGrid(kSample);
  grid.SetRow(3);
  BardRandom random;
  auto presses = PressTimes(grid, random, false, 7);
  std::vector<int> rows = {3, 5, 6, 0, 1, 0, 1};
  std::vector<Bytes> texts = {"la", "li", "lo", "hello", "bye", "hello", "bye"};
  for (size_t i = 0; i < presses.size(); ++i) {
    EXPECT_EQ(presses[i].rowBefore, rows[i]) << i;
    EXPECT_EQ(presses[i].sent, std::vector<Bytes>{texts[i]}) << i;
  }
  EXPECT_EQ(grid.Row(), 0);
  EXPECT_EQ(DrawsSoFar(random), 0);
}

TEST(BardPress, ClosedLastSectionRepeats) {
  GridModel grid = MakeGrid(With(kSample, 7, {"-----", ""}));
  grid.SetRow(3);
  BardRandom random;
  std::vector<Bytes> sent;
  for (int i = 0; i < 6; ++i) BardPress(grid, random, false, [&](const Bytes& t) { sent.push_back(t); });
  EXPECT_EQ(sent, (std::vector<Bytes>{"la", "li", "lo", "la", "li", "lo"}));
}

TEST(BardPress, ShiftedGridPassesThroughTheTopSeparator) {
  GridModel grid = MakeGrid(With(kSample, 0, {"-----", ""}));
  grid.SetRow(7);
  BardRandom random;
  auto presses = PressTimes(grid, random, false, 2);
  EXPECT_EQ(presses[0].sent, std::vector<Bytes>{"lo"});
  EXPECT_EQ(presses[1].rowBefore, 0);
  EXPECT_EQ(presses[1].sent, std::vector<Bytes>{"hello"});
  EXPECT_EQ(grid.Row(), 2);
}

TEST(BardPress, StartsFromCommentOrSeparatorRow) {
  GridModel grid = MakeGrid(kSample);
  BardRandom random;
  std::vector<Bytes> sent;
  auto record = [&](const Bytes& t) { sent.push_back(t); };
  grid.SetRow(4);
  BardPress(grid, random, false, record);
  EXPECT_EQ(sent, std::vector<Bytes>{"li"});
  EXPECT_EQ(grid.Row(), 6);
  sent.clear();
  grid.SetRow(2);
  BardPress(grid, random, false, record);
  EXPECT_EQ(sent, std::vector<Bytes>{"la"});
  EXPECT_EQ(grid.Row(), 5);
}

TEST(BardPress, GridWithoutSendableRows) {
  // A separator with a text is sent as it stands; a comment row is not sent at all.
  GridModel grid = MakeGrid({{"'c", "quiet"}, {"-----", "loud"}, {"", ""}});
  grid.SetRow(1);
  BardRandom random;
  auto presses = PressTimes(grid, random, false, 3);
  EXPECT_EQ(presses[0].sent, std::vector<Bytes>{"loud"});
  EXPECT_EQ(presses[1].rowBefore, 0);  // the walk round the grid meets the separator again
  EXPECT_TRUE(presses[1].sent.empty());
  EXPECT_EQ(presses[2].rowBefore, 0);
  EXPECT_TRUE(presses[2].sent.empty());
}

TEST(RandomSayRow, FirstPressOfARunOnRowFive) {
  GridModel grid = MakeGrid(kSample);
  SayRange range = RandomSection(grid, 5);
  EXPECT_EQ(range.first, 3);
  EXPECT_EQ(range.last, 6);
  BardRandom random;
  EXPECT_EQ(RandomSayRow(grid, 5, random), 3);  // 346 and 13854878 land on row 5 itself
  EXPECT_EQ(DrawsSoFar(random), 3);

  GridModel again = MakeGrid(kSample);
  again.SetRow(5);
  BardRandom fresh;
  auto presses = PressTimes(again, fresh, true, 1);
  EXPECT_EQ(presses[0].sent, std::vector<Bytes>{"li"});
  EXPECT_EQ(again.Row(), 3);
}

TEST(RandomSayRow, SectionBoundsAtTheGridEnds) {
  GridModel grid = MakeGrid(kSample);
  SayRange top = RandomSection(grid, 0);
  EXPECT_EQ(top.first, 0);
  EXPECT_EQ(top.last, 1);
  SayRange bottom = RandomSection(grid, 6);
  EXPECT_EQ(bottom.first, 3);
  EXPECT_EQ(bottom.last, 6);
  BardRandom random;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(RandomSayRow(grid, 0, random), 1);
  for (int i = 0; i < 50; ++i) {
    int row = RandomSayRow(grid, 6, random);
    EXPECT_TRUE(row == 3 || row == 5) << row;
  }
}

TEST(RandomSayRow, SingleSendableRowDrawsTenAndStays) {
  GridModel grid = MakeGrid({{"A", "a"}, {"-----", ""}, {"B", "b"}, {"-----", ""}});
  BardRandom random;
  EXPECT_EQ(RandomSayRow(grid, 2, random), 2);
  EXPECT_EQ(DrawsSoFar(random), 10);
}

TEST(RandomSayRow, TenthPickGivenEvenWhenNotSendable) {
  // Rows 1 and 2 cannot be sent; the only sendable row is current. Whatever the tenth pick is,
  // it is given.
  GridModel grid = MakeGrid({{"A", "a"}, {"'c", "x"}, {"", ""}});
  // The draws leave 1, 2, 2, 0, 1, 0, 2, 0, 2, 1 over the three rows: the tenth, 865966906,
  // gives row 1, the comment.
  BardRandom random;
  EXPECT_EQ(RandomSayRow(grid, 0, random), 1);
  EXPECT_EQ(DrawsSoFar(random), 10);
}

TEST(RandomSayRow, OnASeparatorTheRowBelowIsPicked) {
  GridModel grid = MakeGrid({{"A", "a"}, {"-----", ""}, {"B", "b"}, {"C", "c"}});
  SayRange range = RandomSection(grid, 1);
  EXPECT_EQ(range.first, 2);
  EXPECT_EQ(range.last, 0);
  BardRandom random;
  EXPECT_EQ(RandomSayRow(grid, 1, random), 2);
  EXPECT_EQ(DrawsSoFar(random), 1);

  GridModel quiet = MakeGrid({{"A", "a"}, {"-----", ""}, {"'c", "x"}, {"C", "c"}});
  BardRandom ten;
  EXPECT_EQ(RandomSayRow(quiet, 1, ten), 2);
  EXPECT_EQ(DrawsSoFar(ten), 10);
}

TEST(RandomSayRow, SeparatorInTheLastRowStaysInsideTheGrid) {
  GridModel grid = MakeGrid({{"'c", "x"}, {"", ""}, {"-----", ""}});
  BardRandom random;
  EXPECT_EQ(RandomSayRow(grid, 2, random), 2);
  EXPECT_EQ(DrawsSoFar(random), 10);

  // Through the press: nothing to settle on, the separator's text is sent, the row stays.
  GridModel book = MakeGrid({{"'c", "x"}, {"-----", "sep"}});
  book.SetRow(1);
  BardRandom press;
  auto presses = PressTimes(book, press, true, 2);
  EXPECT_EQ(presses[0].sent, std::vector<Bytes>{"sep"});
  EXPECT_EQ(presses[1].sent, std::vector<Bytes>{"sep"});
  EXPECT_EQ(book.Row(), 1);
}

TEST(PickSayRow, EmptySpanDrawsNothing) {
  GridModel grid = MakeGrid({{"A", "a"}, {"B", "b"}, {"C", "c"}});
  BardRandom random;
  EXPECT_EQ(PickSayRow(grid, 1, SayRange{2, 1}, random), 2);
  EXPECT_EQ(DrawsSoFar(random), 0);
  EXPECT_EQ(PickSayRow(grid, 1, SayRange{1, 0}, random), 1);  // current each time: the tenth is kept
}

TEST(BardPress, OneRowGridRepeatsInBothModes) {
  for (bool randomize : {false, true}) {
    GridModel grid = MakeGrid({{"Only", "line"}});
    BardRandom random;
    auto presses = PressTimes(grid, random, randomize, 3);
    for (const Press& press : presses) EXPECT_EQ(press.sent, std::vector<Bytes>{"line"});
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(DrawsSoFar(random), randomize ? 30 : 0);
  }
}

TEST(BardPress, EmptyLabelIsSentAndRowFollowsTheSelectHook) {
  GridModel grid = MakeGrid({{"", "plain"}, {"'c", "x"}, {"B", "b"}});
  grid.SetRow(1);
  // A grid that refuses to leave the comment row: nothing is sent from it.
  grid.SetSelectHook([](int, int) { return false; });
  BardRandom random;
  auto presses = PressTimes(grid, random, false, 1);
  EXPECT_TRUE(presses[0].sent.empty());
  EXPECT_EQ(grid.Row(), 1);

  grid.SetSelectHook(nullptr);
  grid.SetRow(0);
  presses = PressTimes(grid, random, false, 1);
  EXPECT_EQ(presses[0].sent, std::vector<Bytes>{"plain"});
  EXPECT_EQ(grid.Row(), 2);
}

TEST(FirstClipboardLine, LineEnds) {
  EXPECT_EQ(FirstClipboardLine("first\r\nsecond"), "first");
  EXPECT_EQ(FirstClipboardLine("first\nsecond"), "firs");
  EXPECT_EQ(FirstClipboardLine("\r\nsecond"), "");
  EXPECT_EQ(FirstClipboardLine("\nsecond"), "");
  EXPECT_EQ(FirstClipboardLine("x\n"), "");
  EXPECT_EQ(FirstClipboardLine("whole\r"), "whole\r");
  EXPECT_EQ(FirstClipboardLine(""), "");
}

}  // namespace
}  // namespace parlo
