// Parlo on a screen of 144 dpi, driven through real input: the grid's gems, its grip and the Bard
// button and key must still hit what the player sees, now that every size is half as large again.
// Positions are the 96-dpi layout numbers times 1.5, or read off the screen.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;

constexpr int kScreenDpi = 144;
// The grid's current cell is painted in this lighter parchment; the rest of the grid in kParchment.
constexpr COLORREF kCurrentCell = RGB(236, 224, 194);
constexpr COLORREF kParchment = RGB(206, 185, 140);
// Grip 8 and send button 14 wide at 96 dpi.
constexpr int kGripWidth = 12;
constexpr int kButtonWidth = 21;
// A row is one line of the 9-point grid font (12 pixels at 96 dpi, 18 here) and 4 pixels of
// padding at 96 dpi (6 here): at least 24 pixels. Unscaled, it would be well below that.
constexpr int kLeastRowHeight = 18 + 6;

COLORREF ScreenPixel(POINT p) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The window wholly on the 1280-pixel-wide screen at 144 dpi (bounds are kept as at 96 dpi).
const char kOnScreen[] = "[Window]\r\nLeft=420\r\nTop=40\r\n";

// A book of the numbered rows in this order: label "lK", text "line K".
std::string BookOf(const std::vector<int>& rows) {
  std::string book = "[PARLO!]\r\n";
  for (int k : rows) book += "l" + std::to_string(k) + "\tline " + std::to_string(k) + "\r\n";
  return book;
}

// Rows 0 to n - 1 in order.
std::string NumberedBook(int n) {
  std::vector<int> rows;
  for (int k = 0; k < n; ++k) rows.push_back(k);
  return BookOf(rows);
}

class Dpi144 : public Scenario {
 protected:
  // Everything below is about a screen of 144 dpi: on any other the positions mean nothing.
  void SetUp() override {
    Scenario::SetUp();
    // Real pixels, as a player's tools would see them, whatever the system does for older programs.
    SetProcessDPIAware();
    const int dpi = ScreenDpi();
    ASSERT_EQ(dpi, kScreenDpi) << "the screen has " << dpi << " dpi (GetDeviceCaps LOGPIXELSY), not "
                               << kScreenDpi << ": these scenarios must run in a Wine prefix whose "
                               << "HKCU\\Control Panel\\Desktop LogPixels is " << kScreenDpi;
  }

  // Parlo and the game, Parlo in front, and the grid's row height read off the screen: the
  // current cell (row 0, the label) is painted as one block of its own colour.
  void Start() {
    Dir().Put("parlo.ini", kOnScreen);
    StartGame();
    StartParlo();
    grid_ = Parlo().Control(IDC_STRINGGRID1);
    Front();
    // Right of the short labels, left of where the label column ends.
    const int x = kGripWidth + kButtonWidth + 60;
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(At(x, 6)) == kCurrentCell; }, kEventTimeoutMs))
        << "the grid never showed its current cell where the scaled columns put it";
    int y = 7;
    while (y < 120 && ScreenPixel(At(x, y)) != kParchment) ++y;
    rowHeight_ = y;
    ASSERT_GE(rowHeight_, kLeastRowHeight);
    ASSERT_LE(rowHeight_, 2 * kLeastRowHeight);
    // The label column starts after the scaled grip and button columns and is four rows wide (its
    // focus rectangle is drawn two pixels in).
    const int middle = rowHeight_ / 2;
    EXPECT_NE(ScreenPixel(At(kGripWidth + kButtonWidth - 2, middle)), kCurrentCell);
    EXPECT_EQ(ScreenPixel(At(kGripWidth + kButtonWidth + 1, middle)), kCurrentCell);
    EXPECT_EQ(ScreenPixel(At(kGripWidth + kButtonWidth + 4 * rowHeight_ - 4, middle)), kCurrentCell);
    EXPECT_EQ(ScreenPixel(At(kGripWidth + kButtonWidth + 4 * rowHeight_ + 3, middle)), kParchment);
  }

  void Front() { ASSERT_TRUE(BringToFront(Parlo().Main())); }
  POINT At(int x, int y) const { return ScreenPointOf(grid_, x, y); }
  POINT Gem(int row) const { return At(kGripWidth + kButtonWidth / 2, row * rowHeight_ + rowHeight_ / 2); }
  POINT Grip(int row) const { return At(kGripWidth / 2, row * rowHeight_ + rowHeight_ / 2); }
  // Rows wholly in view.
  int VisibleRows() const { return ClientRectOf(grid_).bottom / rowHeight_; }

  void PressAndRelease(POINT p) {
    MouseDown(p);
    MouseUp(p);
  }

  HWND grid_ = nullptr;
  int rowHeight_ = 0;
};

TEST_F(Dpi144, AGemSendsItsOwnRowNearTheTopAndNearTheBottomOfTheGrid) {
  Dir().Put("sayA.txt", NumberedBook(60));
  Start();
  const int bottom = VisibleRows() - 1;
  // Far enough down that a row height off by one pixel would land in a neighbour.
  ASSERT_GE(bottom, 12) << "the grid shows only " << bottom + 1 << " whole rows";
  ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(Gem(bottom)) != kParchment; }, kEventTimeoutMs))
      << "no gem on row " << bottom;
  const std::string shot = Shot("grid", Parlo().Main());
  std::printf("screenshot: %s\n", shot.c_str());

  PressAndRelease(Gem(2));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Front();
  PressAndRelease(Gem(bottom));
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("line 2", "line " + std::to_string(bottom)));
}

TEST_F(Dpi144, DraggingARowByItsGripMovesThatRowAndTheBookIsWrittenSo) {
  Dir().Put("sayA.txt", NumberedBook(18));
  Start();
  // Far down, so that a drop row worked out with another row height lands elsewhere.
  POINT from = Grip(1);
  MouseDown(from);
  MoveMouse(POINT{from.x, from.y + 3});
  MoveMouse(POINT{from.x, from.y + rowHeight_});
  MoveMouse(Grip(15));
  MouseUp(Grip(15));
  // The gem of the row the drag left sends the row that moved up into its place.
  Front();
  PressAndRelease(Gem(1));
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("line 2"));
  std::optional<DWORD> code = Parlo().Close();
  ASSERT_TRUE(code.has_value()) << "Parlo did not end";
  EXPECT_EQ(
      Dir().Read("sayA.txt"),
      std::optional<std::string>(BookOf({0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 1, 16, 17})));
}

TEST_F(Dpi144, TheBardButtonAndTheBardKeyEachSayTheNextLine) {
  Dir().Put("sayA.txt", "[PARLO!]\r\nfirst\tline one\r\nsecond\tline two\r\nthird\tline three\r\n");
  Dir().Put("parlo.ini",
            std::string(kOnScreen) +
                "[BardKey]\r\nALT=1\r\nCTRL=0\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  StartGame();
  ParloApp& parlo = StartParlo();
  parlo.Click(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line")) << "the Bard button sent nothing";
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2)) << "the Bard key sent nothing";
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("line one", "line two"));
}

}  // namespace
}  // namespace parlo::e2e
