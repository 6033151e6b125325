// Quick Say from outside: with the game in front, the key opens the box over it with the keyboard
// in the box; words and Enter say the one line that holds them, and the game has the keyboard
// again; Esc says nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kBook[] =
    "[PARLO!]\r\n"
    "Hello\tHello there!\r\n"
    "'Guards\tA note that is never said\r\n"
    "Heal [F7]\tHeal me, please!\r\n"
    "Guards\tGuards! Guards!\r\n"
    "Bye\tFarewell, and safe travels!\r\n";
// Ctrl+Shift+Q.
const char kSettings[] =
    "[QuickSay]\r\nALT=0\r\nCTRL=1\r\nSHIFT=1\r\nKey=81\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n";
const Modifiers kCtrlShift{false, true, true};

class QuickSay : public Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    Dir().Put("sayA.txt", kBook);
    Dir().Put("parlo.ini", kSettings);
    StartGame();
    StartParlo();
    ASSERT_TRUE(BringToFront(Game().Window()));
  }

  // Presses the key in the game and waits for the box to show in front with its text empty.
  HWND OpenBox() {
    PressKey('Q', kCtrlShift);
    HWND box = Parlo().WaitForWindow(PARLO_CLASS_QUICKSAY, std::string("Parlo! - Quick Say"));
    if (!box) return nullptr;
    if (!WaitUntil([&] { return GetForegroundWindow() == box && IsWindowVisible(box); }, kEventTimeoutMs))
      return nullptr;
    return box;
  }
};

TEST_F(QuickSay, EscSaysNothingThenAWordAndEnterSayTheOneLineHoldingItWithTheGameInFrontAgain) {
  HWND box = OpenBox();
  ASSERT_TRUE(box) << "no Quick Say box in front";
  // Over the game: the box's centre is the game window's.
  const RECT game = WindowRectOf(Game().Window()), shown = WindowRectOf(box);
  EXPECT_NEAR((shown.left + shown.right) / 2, (game.left + game.right) / 2, 1);
  EXPECT_NEAR((shown.top + shown.bottom) / 2, (game.top + game.bottom) / 2, 1);
  EXPECT_TRUE(IsTopmost(box));
  TypeText("hel");
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(box) && Game().IsForeground(); }, kEventTimeoutMs))
      << "the box stayed, or the game did not get the keyboard back";
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), IsEmpty());

  // Opened afresh, its old words gone: "guard" is in a comment too, which is never offered, and
  // the typing reaches the box, not the game.
  ASSERT_TRUE(OpenBox()) << "no Quick Say box the second time";
  TypeText("guard");
  PressKey(VK_RETURN);
  ASSERT_TRUE(Game().WaitForEnter());
  ASSERT_TRUE(WaitUntil([&] { return Game().IsForeground(); }, kEventTimeoutMs)) << "the game is not in front";
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("Guards! Guards!"));
  EXPECT_FALSE(IsWindowVisible(box));
  ASSERT_TRUE(Parlo().Close().has_value());
}

}  // namespace
}  // namespace parlo::e2e
