// Chat-line delivery through the real Win32 port, watched from the fake game's side: what
// arrives, in which order, and what must not arrive.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kEnterDown[] = "keydown vk=0x0D scan=0x1C ext=0";
const char kEnterUp[] = "keyup vk=0x0D scan=0x1C ext=0";

class Delivery : public Scenario {
 protected:
  DWORD Say(const std::string& hex, std::vector<std::string> flags = {}) {
    flags.insert(flags.begin(), hex);
    return RunTool("saytool.exe", flags);
  }
  std::vector<std::string> KeysAndChars() {
    return Game().Trace({"ime_char", "keydown", "keyup", "syskeydown", "syskeyup"});
  }
  void StartModern() {
    FakeGame::Options modern;
    modern.modern = true;
    StartGame(modern);
  }
  // What reached the modern chat, a letter per event: k a key-down, E Enter's, c a character the
  // chat kept, x one it dropped. The control characters the system makes of keys are left out.
  std::string KeysAndCharsShape() {
    std::string shape;
    for (const GameEvent& e : Game().Events({"keydown", "syskeydown", "char"})) {
      if (e.Is("char")) {
        if (e.Number("wparam") >= 0x20) shape += e.Field("kept") == "1" ? 'c' : 'x';
      } else {
        shape += e.Number("vk") == VK_RETURN ? 'E' : 'k';
      }
    }
    return shape;
  }
};

TEST_F(Delivery, CharactersThenEnterDownAndUpInThatOrder) {
  StartGame();
  ASSERT_EQ(Say("6162"), 0u);
  ASSERT_TRUE(Game().WaitForKind("keyup"));
  Game().WaitQuiet();
  EXPECT_THAT(KeysAndChars(), ElementsAre("ime_char wparam=0x0061 lparam=1",
                                          "ime_char wparam=0x0062 lparam=1", kEnterDown, kEnterUp));
  EXPECT_THAT(Game().Lines(), ElementsAre("ab"));
  EXPECT_TRUE(Game().IsForeground());
}

TEST_F(Delivery, ControlBytesAndHighBytesGoOutUntranslated) {
  StartGame();
  ASSERT_EQ(Say("09410DE9FF"), 0u);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_EQ(Game().ImeChars(), (std::vector<unsigned>{0x09, 0x41, 0x0D, 0xE9, 0xFF}));
}

TEST_F(Delivery, YelledEmoteArrivesRewritten) {
  StartGame();
  ASSERT_EQ(Say(ToHex(": waves"), {"--yell"}), 0u);
  ASSERT_EQ(Say(ToHex("hello"), {"--yell"}), 0u);
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  EXPECT_THAT(Game().Lines(), ElementsAre("! *waves*", "! hello"));
  Shot("yells", Game().Window());
}

TEST_F(Delivery, PasteOnlyBringsTheGameToTheFrontAndPressesNoKey) {
  StartGame();
  // Our own window is in front when the line goes out, so the game must be brought forward.
  ASSERT_EQ(Say("6162", {"--paste", "--front"}), 0u);
  ASSERT_TRUE(WaitUntil([&] { return Game().IsForeground(); }, kEventTimeoutMs));
  Game().WaitQuiet();
  EXPECT_THAT(KeysAndChars(),
              ElementsAre("ime_char wparam=0x0061 lparam=1", "ime_char wparam=0x0062 lparam=1"));
  EXPECT_THAT(Game().Lines(), IsEmpty());
  std::vector<GameEvent> activations = Game().Events({"activate"});
  ASSERT_GE(activations.size(), 2u);
  EXPECT_EQ(activations[activations.size() - 2].Number("state"), 0u) << "the front window never took over";
  EXPECT_NE(activations.back().Number("state"), 0u);
}

TEST_F(Delivery, HiddenGameGetsTheCharactersButNoKey) {
  FakeGame::Options hidden;
  hidden.hidden = true;
  StartGame(hidden);
  ASSERT_FALSE(IsWindowVisible(Game().Window()));
  ASSERT_EQ(Say("6162"), 0u);
  ASSERT_TRUE(Game().WaitForKind("ime_char", kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(KeysAndChars(),
              ElementsAre("ime_char wparam=0x0061 lparam=1", "ime_char wparam=0x0062 lparam=1"));
  EXPECT_THAT(Game().Lines(), IsEmpty());
  EXPECT_FALSE(Game().IsForeground());
}

// The foreground switch is asynchronous under Wine: a key sent before it completes goes to the
// window that was in front. The sender's own window stands in for Parlo's, as when the player
// clicks a send button.
TEST_F(Delivery, EnterStillArrivesWhenAWindowOfTheSenderIsInFront) {
  StartGame();
  for (int round = 1; round <= 3; ++round) {
    ASSERT_EQ(Say("6162", {"--front"}), 0u) << "round " << round;
    ASSERT_TRUE(Game().WaitForKind("keyup", kEventTimeoutMs, static_cast<size_t>(round)))
        << "Enter lost in round " << round;
  }
  Game().WaitQuiet();
  EXPECT_THAT(Game().Trace({"keydown", "keyup"}),
              ElementsAre(kEnterDown, kEnterUp, kEnterDown, kEnterUp, kEnterDown, kEnterUp));
  EXPECT_THAT(Game().Lines(), ElementsAre("ab", "ab", "ab"));
}

TEST_F(Delivery, WithoutDoubleByteSupportEachByteIsItsOwnCode) {
  ASSERT_EQ(GetSystemMetrics(SM_DBCSENABLED), 0) << "this scenario needs a locale without double-byte text";
  StartGame();
  ASSERT_EQ(Say("82A0"), 0u);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_EQ(Game().ImeChars(), (std::vector<unsigned>{0x82, 0xA0}));
  EXPECT_THAT(Game().Lines(), ElementsAre("\x82\xA0"));
}

TEST_F(Delivery, EmptyTextSendsNothingAndAMissingGameIsNoError) {
  EXPECT_EQ(Say("6162"), 0u) << "no game window at all";
  StartGame();
  size_t before = Game().Events().size();
  ASSERT_EQ(Say(""), 0u);
  Game().WaitQuiet();
  EXPECT_EQ(Game().Events().size(), before) << Game().Events().back().raw;
}

// An assistant inside the client took a key-down for its hot key: the client ignores text until
// a key-down that no assistant takes. The next line must still arrive whole.
TEST_F(Delivery, ALineRightAfterAnAssistantsKeyArrivesWhole) {
  StartModern();
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F9);
  ASSERT_TRUE(Game().WaitForKind("assistant"));
  ASSERT_EQ(Say(ToHex("hello there")), 0u);
  ASSERT_TRUE(Game().WaitForKind("sent"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Sent(), ElementsAre("hello there"));
  EXPECT_EQ(KeysAndCharsShape().find('x'), std::string::npos) << KeysAndCharsShape();
}

// The client sends at most 100 characters a message and cuts at the last blank at or before the
// 100th: here the blank right after it. Each part goes with its own Enter, the clean-slate key
// before the first character, each Enter after the last character of its part; a yelled line
// keeps its prefix on every part.
TEST_F(Delivery, ALongLineGoesInTheClientsPartsEachEnterAfterItsCharacters) {
  std::string first, second;
  for (int word = 0; word < 10; ++word)
    first += std::string(word ? " " : "") + "word" + std::to_string(word) + "abcd";
  first += std::string(100 - first.size(), 'z');
  for (int word = 0; word < 5; ++word)
    second += std::string(word ? " " : "") + "more" + std::to_string(word) + "abcd";
  ASSERT_EQ(first.size(), 100u);
  ASSERT_EQ(first.size() + 1 + second.size(), 150u);
  StartModern();
  ASSERT_EQ(Say(ToHex(first + " " + second)), 0u);
  ASSERT_TRUE(Game().WaitForKind("sent", kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Sent(), ElementsAre(first, second));
  EXPECT_THAT(Game().Trace({"rest"}), IsEmpty()) << "the client was left a rest to send";
  const std::string shape = KeysAndCharsShape();
  EXPECT_TRUE(std::regex_match(shape, std::regex("k+c{100}Ek*c{49}E"))) << shape;

  // Yelled, it is yelled to the end: the client reads the prefix of every part.
  ASSERT_EQ(Say(ToHex(first + " " + second), {"--yell"}), 0u);
  ASSERT_TRUE(Game().WaitForKind("sent", kEventTimeoutMs, 4));
  Game().WaitQuiet();
  const std::vector<GameEvent> sent = Game().Events({"sent"});
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[2].Field("mode") + " " + sent[3].Field("mode"), "yell yell");
  EXPECT_EQ(FromHex(sent[2].Field("hex")) + " " + FromHex(sent[3].Field("hex")), first + " " + second);
}

}  // namespace
}  // namespace parlo::e2e
