// Double-byte text, with the driver, the sender and the fake game all in a Japanese locale
// (code page 932): a lead byte and its trail must reach the game as one character.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;

class DoubleByte : public Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    ASSERT_EQ(GetACP(), 932u) << "run with LANG=ja_JP.UTF-8 (scripts/setup.sh generates the locale)";
    ASSERT_NE(GetSystemMetrics(SM_DBCSENABLED), 0);
  }
};

TEST_F(DoubleByte, LeadAndTrailArriveAsOneCode) {
  StartGame();
  ASSERT_EQ(RunTool("saytool.exe", {"82A0"}), 0u);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_EQ(Game().ImeChars(), std::vector<unsigned>{0x82A0});
  EXPECT_THAT(Game().Lines(), ElementsAre("\x82\xA0"));
}

TEST_F(DoubleByte, MixedLineKeepsEveryCharacterWhole) {
  StartGame();
  // "A", hiragana a, a trail byte that looks like a backslash (0x5C), "B", and a yell on top.
  ASSERT_EQ(RunTool("saytool.exe", {"4182A0955C42", "--yell"}), 0u);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_EQ(Game().ImeChars(), (std::vector<unsigned>{0x21, 0x20, 0x41, 0x82A0, 0x955C, 0x42}));
  EXPECT_THAT(Game().Lines(), ElementsAre("! A\x82\xA0\x95\x5C"
                                          "B"));
  Shot("game", Game().Window());
}

}  // namespace
}  // namespace parlo::e2e
