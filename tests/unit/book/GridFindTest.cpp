#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/book/GridFind.h"
#include "tests/unit/book/GridRows.h"

namespace parlo {
namespace {

// Shift-JIS: lead bytes 0x81-0x9F and 0xE0-0xFC; a trail byte may be 0x40-0x7E, ASCII letters
// among them.
const LeadBytes kShiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};

TEST(FindText, FoldsCaseByTheTableAndNeedsTheWholeNeedle) {
  const LowerTable ascii = AsciiLowerTable();
  const LeadBytes none;
  EXPECT_TRUE(ContainsFolded("Hail, TRAVELLER", "traveller", ascii, none));
  EXPECT_TRUE(ContainsFolded("hail", "HAIL", ascii, none));
  EXPECT_TRUE(ContainsFolded("abcab", "CAB", ascii, none));
  EXPECT_FALSE(ContainsFolded("travelle", "traveller", ascii, none));
  EXPECT_FALSE(ContainsFolded("anything", "", ascii, none));
  EXPECT_FALSE(ContainsFolded("", "a", ascii, none));
  // A code page's own letters fold only as its table says (here 0xC0 -> 0xE0, as in 1252).
  LowerTable latin = ascii;
  latin[0xC0] = 0xE0;
  EXPECT_TRUE(ContainsFolded("\xC0la carte", "\xE0LA", latin, none));
  EXPECT_FALSE(ContainsFolded("\xC0la carte", "\xE0LA", ascii, none));
}

TEST(FindText, ADoubleByteCharacterMatchesOnlyItselfAndItsTrailByteIsNoLetter) {
  const LowerTable ascii = AsciiLowerTable();
  // 0x83 0x41 is one character whose trail byte is 'A'.
  EXPECT_FALSE(ContainsFolded("\x83\x41", "a", ascii, kShiftJis));
  EXPECT_FALSE(ContainsFolded("\x83\x41", "A", ascii, kShiftJis));
  EXPECT_TRUE(
      ContainsFolded("x\x83\x41"
                     "A",
                     "a", ascii, kShiftJis))
      << "the 'A' after the character";
  EXPECT_TRUE(ContainsFolded("x\x83\x41y", "\x83\x41", ascii, kShiftJis));
  EXPECT_TRUE(ContainsFolded("X\x83\x41Y", "x\x83\x41y", ascii, kShiftJis));
  // Trail bytes are not folded: 0x83 0x61 is another character.
  EXPECT_FALSE(ContainsFolded("\x83\x41", "\x83\x61", ascii, kShiftJis));
  // A match cannot start on a trail byte that happens to equal a lead byte.
  EXPECT_FALSE(ContainsFolded("\x83\x83\x41", "\x83\x41", ascii, kShiftJis));
  EXPECT_TRUE(ContainsFolded("\x83\x83\x83\x41", "\x83\x41", ascii, kShiftJis));
  // The same bytes without double-byte rules do match there.
  EXPECT_TRUE(ContainsFolded("\x83\x83\x41", "\x83\x41", ascii, LeadBytes()));
}

TEST(FindRows, GoesRoundBothWaysLooksAtLabelsAndTextsAndComesBackToTheStartLast) {
  GridModel grid = MakeGrid({{"Greet", "hello there"},
                             {"-----", ""},
                             {"bye", "farewell, friend"},
                             {"'note", "say HELLO again"},
                             {"", "nothing"}});
  const LowerTable ascii = AsciiLowerTable();
  const LeadBytes none;
  FindHit hit = FindInGrid(grid, "hello", 0, true, ascii, none);
  EXPECT_EQ(hit.row, 3);
  EXPECT_EQ(hit.col, kColText);
  hit = FindInGrid(grid, "hello", 3, true, ascii, none);
  EXPECT_EQ(hit.row, 0) << "past the end it goes round";
  hit = FindInGrid(grid, "hello", 0, false, ascii, none);
  EXPECT_EQ(hit.row, 3) << "backwards from the first row goes round to the end";
  hit = FindInGrid(grid, "BYE", 2, true, ascii, none);
  EXPECT_EQ(hit.row, 2) << "the row it starts from is looked at last";
  EXPECT_EQ(hit.col, kColLabel);
  hit = FindInGrid(grid, "---", 4, true, ascii, none);
  EXPECT_EQ(hit.row, 1);
  EXPECT_EQ(FindInGrid(grid, "absent", 0, true, ascii, none).row, -1);
  EXPECT_EQ(FindInGrid(grid, "", 0, true, ascii, none).row, -1);
}

TEST(FilterRows, SayLinesHoldingEveryWordInLabelOrTextInBookOrder) {
  GridModel grid = MakeGrid({{"Greet", "hello there"},
                             {"-----", "hello there"},  // a separator, even with a text
                             {"Bye", "Farewell, friend"},
                             {"'hello", "a note about hello"},
                             {"Hello [F7]", "come here"},
                             {"hello", ""},
                             {"THERE", "hello"}});
  const struct {
    const char* typed;
    std::vector<int> rows;
  } cases[] = {
      {"", {0, 2, 4, 6}},  // no words: every say line, and no comment, separator or empty text
      {" \t  ", {0, 2, 4, 6}}, {"hello", {0, 4, 6}},         {"HELLO there", {0, 6}},  // row 6: one word in
                                                                                       // the label, the other
                                                                                       // in the text
      {"there hello", {0, 6}}, {"  there\thello  ", {0, 6}}, {"hello friend", {}},    {"f7", {4}},
      {"[f7] come", {4}},      {"fare friend ,", {2}},       {"hellothere", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FilterSayRows(grid, c.typed, AsciiLowerTable(), LeadBytes()), c.rows) << '"' << c.typed << '"';
}

TEST(FilterRows, DoubleByteTrailBytesAreNoLettersNorBlanks) {
  // 0x83 0x41 is one character whose trail byte is 'A'; a blank after a lead byte is its trail.
  GridModel sjis = MakeGrid({{"\x83\x41", "x"}, {"name", "a\x83\x41"}, {"\x83\x61 A", "y"}, {"\x83 b", "z"}});
  const struct {
    const char* typed;
    std::vector<int> rows;
  } cases[] = {
      {"a", {1, 2}},       {"\x83\x41", {0, 1}}, {"\x83\x41 A", {1}},
      {"X \x83\x41", {0}}, {"\x83 b", {3}},  // one word: the lead byte takes the blank as its trail
      {"\x83", {}},                          // a lone lead byte is half a character and matches nothing
  };
  for (const auto& c : cases)
    EXPECT_EQ(FilterSayRows(sjis, c.typed, AsciiLowerTable(), kShiftJis), c.rows)
        << ::testing::PrintToString(c.typed);
}

TEST(FilterRows, EachKeystrokeNarrowsOnlyWhatItMayAndReadsChangedRowsOnceTold) {
  GridModel grid = MakeGrid({{"Greet", "hello there"},
                             {"Bye", "farewell, friend"},
                             {"Help", "help me, \x83\x41\x83\x42"},
                             {"x", "\x83\x41"}});
  // Typing on, going back, a new word, and a double-byte character typed byte by byte.
  const struct {
    const char* typed;
    std::vector<int> rows;
  } steps[] = {{"", {0, 1, 2, 3}},    {"h", {0, 2}},       {"hel", {0, 2}},
               {"help", {2}},         {"hel", {0, 2}},     {"hel ", {0, 2}},
               {"hel f", {}},         {"hel", {0, 2}},     {"x", {3}},
               {"", {0, 1, 2, 3}},    {"\x83", {}},        {"\x83\x41", {2, 3}},
               {"\x83\x41 ", {2, 3}}, {"\x83\x41 m", {2}}, {"e", {0, 1, 2}}};
  SayRowFilter filter;
  for (const auto& step : steps)
    EXPECT_EQ(filter.Apply(grid, step.typed, AsciiLowerTable(), kShiftJis), step.rows)
        << ::testing::PrintToString(step.typed);
  grid.SetCell(kColText, 3, "yes");
  filter.Reset();
  EXPECT_EQ(filter.Apply(grid, "e", AsciiLowerTable(), kShiftJis), (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
}  // namespace parlo
