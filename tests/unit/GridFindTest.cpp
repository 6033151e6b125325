#include <gtest/gtest.h>

#include "core/GridFind.h"
#include "tests/unit/GridRows.h"

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

}  // namespace
}  // namespace parlo
