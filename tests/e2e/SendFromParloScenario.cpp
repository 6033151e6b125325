// The whole road of a line: the player clicks in Parlo, and the line arrives in the game.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;

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

}  // namespace
}  // namespace parlo::e2e
