// The harness's own promises, checked against the fake game before any scenario leans on them:
// arguments arrive intact, message boxes are found, read and answered, and real mouse and
// keyboard input reaches the window under the cursor and the window in front.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class Harness : public Scenario {};

TEST_F(Harness, ArgumentsWithBlanksQuotesAndBackslashesArriveIntact) {
  FakeGame::Options options;
  options.title = R"(say "hi" \" to C:\a b\)";
  StartGame(options);
  EXPECT_EQ(TextOf(Game().Window()), options.title);
  EXPECT_EQ(ClassOf(Game().Window()), "Ultima Online");
  EXPECT_EQ(FindTopLevel("Ultima Online", options.title, Game().Process().Pid()), Game().Window());
}

TEST_F(Harness, MessageBoxIsFoundReadAndAnswered) {
  ChildProcess game =
      ChildProcess::Start(JoinPath(ExeDir(), "fakegame.exe"), {"--no-such-option"}, Dir().Path());
  std::optional<MessageBoxWindow> box = WaitForMessageBox("Ultima Online - practice", game.Pid());
  ASSERT_TRUE(box.has_value()) << "no usage box";
  EXPECT_THAT(box->Text(), HasSubstr("Usage: fakegame.exe [--log <file>]"));
  EXPECT_THAT(box->ButtonTexts(), Contains("OK"));
  EXPECT_FALSE(box->HasButton(IDYES));
  EXPECT_FALSE(box->Answer(IDNO)) << "a button the box does not have";
  ASSERT_TRUE(box->Answer(IDOK));
  EXPECT_EQ(game.WaitExit(kExitTimeoutMs), std::optional<DWORD>(2));
}

TEST_F(Harness, RealClickActivatesTheWindowUnderTheCursorAndKeysGoToIt) {
  StartGame();
  FakeGame::Options other;
  other.x = 660;
  other.logName = "bystander.log";
  FakeGame bystander = FakeGame::Start(Dir().Path(), other);
  ASSERT_TRUE(BringToFront(bystander.Window()));

  Click(Game().Window());
  ASSERT_TRUE(Game().WaitFor([](const GameEvent& e) {
    return e.Is("activate") && e.Number("state") == WA_CLICKACTIVE;
  })) << "the click did not activate the game";
  ASSERT_TRUE(WaitUntil([&] { return Game().IsForeground(); }, kEventTimeoutMs));
  TypeText("Hi 1");
  PressKey(VK_RETURN);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("Hi 1"));
  EXPECT_THAT(Game().Trace({"keydown"}).front(), HasSubstr("vk=0x10"));  // SHIFT for the capital
  bystander.WaitQuiet(200);
  EXPECT_THAT(bystander.Trace({"keydown", "keyup", "line"}), IsEmpty());
  Shot("typed", Game().Window());
}

}  // namespace
}  // namespace parlo::e2e
