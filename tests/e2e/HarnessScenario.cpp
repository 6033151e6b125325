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

// Keys and characters posted as a sound delivery posts them: key messages with their scan
// codes, characters as Unicode WM_CHAR, one queue, one order.
void PostKey(HWND window, UINT vk) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageW(window, WM_KEYDOWN, vk, scan | 1);
  PostMessageW(window, WM_KEYUP, vk, scan | 0xC0000001);
}
void PostText(HWND window, const std::string& text) {
  for (char c : text) PostMessageW(window, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// The modern practice chat keeps the states of the clients' chat that lines get lost in.
TEST_F(Harness, TheModernPracticeChatKeepsTheClientsChatStates) {
  FakeGame::Options options;
  options.modern = true;
  options.enterChat = true;
  StartGame(options);
  ASSERT_TRUE(BringToFront(Game().Window()));
  const HWND chat = Game().Window();
  const std::string first = std::string(89, 'a') + " " + std::string(10, 'b');  // the blank at 100 ends it
  const std::string second(49, 'c');
  PostText(chat, "x");  // into the closed chat
  PostKey(chat, VK_RETURN);
  PostKey(chat, VK_F9);  // an assistant takes it
  PostText(chat, "y");
  PostKey(chat, VK_SHIFT);
  PostText(chat, first + " " + second);
  PostKey(chat, VK_RETURN);
  PostKey(chat, VK_RETURN);
  PostKey(chat, VK_RETURN);
  PostText(chat, "! ");
  ASSERT_TRUE(Game().WaitForKind("mode")) << "the prefix was never read";
  PostText(chat, "hi");
  PostKey(chat, VK_RETURN);
  ASSERT_TRUE(Game().WaitForKind("sent", kEventTimeoutMs, 3));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Trace({"chat", "assistant", "sent", "rest", "mode"}),
              ElementsAre("chat closed", "chat open", "assistant key", "sent mode=say hex=" + ToHex(first),
                          "rest hex=" + ToHex(second), "sent mode=say hex=" + ToHex(second), "chat closed",
                          "chat open", "mode name=yell", "sent mode=yell hex=" + ToHex("hi"), "chat closed"));
  std::vector<std::string> dropped;
  for (const GameEvent& e : Game().Events({"char"}))
    if (e.Field("kept") == "0" && e.Number("wparam") >= 0x20) dropped.push_back(e.raw);
  EXPECT_THAT(dropped, ElementsAre("char wparam=0x0078 focus=1 kept=0 why=closed",
                                   "char wparam=0x0079 focus=1 kept=0 why=ignored"));
  Shot("modern", chat);
}

}  // namespace
}  // namespace parlo::e2e
