// The whole road of a line: the player clicks in Parlo, and the line arrives in the game.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SendFromParlo : public Scenario {};

// Parlo is the foreground window at every click, which is when a key sent before the game has
// really come to the front would be lost.
TEST_F(SendFromParlo, BardClickedWithTheMouseTypesTheLinesInTurn) {
  const std::string book = "[PARLO!]\r\nGreet\thello\r\nBye\tsee you\r\n";
  Dir().Put("sayfoo.txt", book);
  StartGame();
  ParloApp& parlo = StartParlo();

  parlo.Click(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line")) << "the first Bard click sent nothing";
  parlo.Click(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2)) << "the second Bard click sent nothing";
  EXPECT_THAT(Game().Lines(), ElementsAre("hello", "see you"));
  EXPECT_TRUE(Game().IsForeground());
  Shot("game", Game().Window());

  std::optional<DWORD> exitCode = parlo.Close();
  ASSERT_TRUE(exitCode.has_value());
  EXPECT_EQ(*exitCode, 0u);
  EXPECT_EQ(Dir().Read("sayfoo.txt"), std::optional<std::string>(book))
      << "the book is written back unchanged";
}

// A player with two characters runs two classic clients. The caption chosen picks Bob's window,
// though the one in front of it, found by its class alone, is Alice's.
TEST_F(SendFromParlo, TheCaptionChosenPicksTheSecondOfTwoClassicClients) {
  Dir().Put("sayfoo.txt", "[PARLO!]\r\nGreet\thello\r\n");
  Dir().Put("parlo.ini", "[UO]\r\nCaption=\"Ultima Online - Bob\"\r\n");
  FakeGame::Options bob;
  bob.title = "Ultima Online - Bob";
  StartGame(bob);
  FakeGame::Options aliceOptions;
  aliceOptions.title = "Ultima Online - Alice";
  aliceOptions.logName = "alice.log";
  aliceOptions.x = 80;
  aliceOptions.y = 100;
  FakeGame alice = FakeGame::Start(Dir().Path(), aliceOptions);
  ASSERT_TRUE(BringToFront(alice.Window()));
  ASSERT_EQ(FindWindowA("Ultima Online", nullptr), alice.Window());
  ParloApp& parlo = StartParlo();

  parlo.PostClick(IDC_BUTTON_CONFIG);
  HWND dialog = parlo.WaitForWindow(PARLO_CLASS_CONFIG, std::string("Parlo! - Configuration"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(WaitUntil(
      [&] { return TextOf(FindControl(dialog, IDC_CFG_LABEL_GAME)) == "Lines go to: Ultima Online - Bob"; },
      kEventTimeoutMs));
  PostClick(FindControl(dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kEventTimeoutMs));

  parlo.Click(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("hello"));
  alice.WaitQuiet();
  EXPECT_TRUE(alice.ImeChars().empty());
  EXPECT_TRUE(alice.Lines().empty());
  alice.Close();
}

// A browser showing a page about the game carries the game's title and sits in front; the modern
// client behind it is the game.
TEST_F(SendFromParlo, ABrowserPageTitledAsTheGameGetsNothingAndTheModernClientGetsTheLine) {
  Dir().Put("sayfoo.txt", "[PARLO!]\r\nGreet\thello\r\n");
  FakeGame::Options modern;
  modern.modern = true;
  StartGame(modern);
  FakeGame::Options browserOptions;
  browserOptions.title = "Ultima Online - Wikipedia - Google Chrome";
  browserOptions.windowClass = "Chrome_WidgetWin_1";
  browserOptions.logName = "browser.log";
  browserOptions.x = 80;
  browserOptions.y = 100;
  FakeGame browser = FakeGame::Start(Dir().Path(), browserOptions);
  ASSERT_TRUE(BringToFront(browser.Window()));
  ParloApp& parlo = StartParlo();

  parlo.Click(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("hello"));
  browser.WaitQuiet();
  EXPECT_THAT(browser.Trace({"ime_char", "keydown", "syskeydown", "line"}), IsEmpty());
  browser.Close();
}

}  // namespace
}  // namespace parlo::e2e
