// The Bard hot key from outside: pressed while the game has the focus it recites into the game,
// and a combination another program holds is reported once while Parlo goes on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char kBook[] = "[PARLO!]\r\nfirst\tline one\r\nsecond\tline two\r\n";
const char kAltShiftF5[] =
    "[BardKey]\r\nALT=1\r\nCTRL=0\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n";

// What a message box shown while Parlo starts said; its OK was pressed.
struct StartUpBox {
  std::string text, caption;
  std::vector<std::string> buttons;
};

class HotKey : public Scenario {
 protected:
  // Starts Parlo while the box of that caption, which shows before the main window does, is
  // answered from the side. The test's own registration of id 1 is released if the start fails.
  StartUpBox StartParloAnswering(const char* boxCaption) {
    StartUpBox seen;
    std::atomic<bool> stop{false};
    std::thread answerer([&] {
      std::optional<MessageBoxWindow> box;
      WaitUntil([&] { return stop || (box = FindMessageBox(boxCaption)).has_value(); }, 15000, 20);
      if (!box) return;
      seen.text = box->Text();
      seen.caption = box->Caption();
      seen.buttons = box->ButtonTexts();
      box->Answer(IDOK);
    });
    try {
      StartParlo();
    } catch (...) {
      stop = true;
      answerer.join();
      UnregisterHotKey(nullptr, 1);
      throw;
    }
    stop = true;
    answerer.join();
    return seen;
  }
};

TEST_F(HotKey, AltShiftF5RecitesTheNextLineIntoTheGameThatHasTheFocus) {
  Dir().Put("sayA.txt", kBook);
  Dir().Put("parlo.ini", kAltShiftF5);
  StartGame();
  StartParlo();
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForEnter());
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForEnter(2));
  EXPECT_EQ(Game().Typed(), "line oneline two");
  // Without its modifiers the key is not the hot key: the game gets F5 itself, and nothing else.
  PressKey(VK_F5);
  ASSERT_TRUE(Game().WaitFor([](const GameEvent& e) { return e.Is("keyup") && e.Number("vk") == VK_F5; }))
      << "F5 never reached the game";
  Game().WaitQuiet();
  EXPECT_EQ(Game().Typed(), "line oneline two");
  // With them it is, in the same place: the walk goes round to the first line.
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForEnter(3));
  EXPECT_EQ(Game().Typed(), "line oneline twoline one");
}

TEST_F(HotKey, TheBardKeyRecitesIntoAModernClientWhole) {
  Dir().Put("sayA.txt", kBook);
  Dir().Put("parlo.ini", kAltShiftF5);
  FakeGame::Options modern;
  modern.modern = true;
  StartGame(modern);
  StartParlo();
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForKind("line"));
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  EXPECT_THAT(Game().Lines(), ElementsAre("line one", "line two"));
}

// The player still holds Alt and Shift of the hot key when the line is typed: Enter waits until
// they are let go, so the game never sees Alt+Shift+Enter.
TEST_F(HotKey, EnterWaitsUntilTheHotKeysModifiersAreLetGo) {
  Dir().Put("sayA.txt", kBook);
  Dir().Put("parlo.ini", kAltShiftF5);
  StartGame();
  StartParlo();
  ASSERT_TRUE(BringToFront(Game().Window()));
  KeyDown(VK_MENU);
  KeyDown(VK_SHIFT);
  PressKey(VK_F5);
  ASSERT_TRUE(Game().WaitForKind("ime_char", kEventTimeoutMs, 8)) << "the line never came";
  // Well inside the longest the Enter may wait for them.
  Game().WaitQuiet(200, 1000);
  EXPECT_THAT(Game().Trace({"keydown", "syskeydown"}),
              ElementsAre("syskeydown vk=0x12 scan=0x38 ext=1", "syskeydown vk=0x10 scan=0x2A ext=0"))
      << "Enter came with the modifiers held";
  KeyUp(VK_SHIFT);
  KeyUp(VK_MENU);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("line one"));
  const std::vector<std::string> keys = Game().Trace({"keydown", "syskeydown", "keyup", "syskeyup"});
  ASSERT_GE(keys.size(), 2u);
  EXPECT_THAT(std::vector<std::string>(keys.end() - 2, keys.end()),
              ElementsAre("keydown vk=0x0D scan=0x1C ext=0", "keyup vk=0x0D scan=0x1C ext=0"));
}

// Held down, the Bard key repeats as every key does: the one press says one line, with one
// Enter, once the player has let go of the modifiers.
TEST_F(HotKey, TheBardKeyHeldWithRepeatsSaysOneLineWithOneEnterAfterTheModifiersComeUp) {
  Dir().Put("sayA.txt", kBook);
  Dir().Put("parlo.ini", kAltShiftF5);
  FakeGame::Options modern;
  modern.modern = true;
  StartGame(modern);
  StartParlo();
  ASSERT_TRUE(BringToFront(Game().Window()));
  KeyDown(VK_MENU);
  KeyDown(VK_SHIFT);
  // The keyboard's own repeat: about 30 key-downs a second for as long as the key is held.
  for (const ULONGLONG until = GetTickCount64() + 2600; GetTickCount64() < until; Sleep(33)) KeyDown(VK_F5);
  KeyUp(VK_F5);
  KeyUp(VK_SHIFT);
  KeyUp(VK_MENU);
  ASSERT_TRUE(Game().WaitForKind("sent"));
  Game().WaitQuiet(500, 5000);
  EXPECT_THAT(Game().Sent(), ElementsAre("line one"));
  // Enter downs, and where the last modifier came up.
  std::vector<size_t> enters;
  size_t modifiersUp = 0;
  const std::vector<GameEvent> keys = Game().Events({"keydown", "syskeydown", "keyup", "syskeyup"});
  for (size_t i = 0; i < keys.size(); ++i) {
    const unsigned long vk = keys[i].Number("vk");
    if (vk == VK_RETURN && keys[i].kind.find("down") != std::string::npos) enters.push_back(i);
    if ((vk == VK_MENU || vk == VK_SHIFT) && keys[i].kind.find("up") != std::string::npos) modifiersUp = i;
  }
  ASSERT_EQ(enters.size(), 1u) << "Enter pressed " << enters.size() << " times";
  EXPECT_GT(enters[0], modifiersUp) << "Enter came with the modifiers held: " << keys[enters[0]].raw;
}

TEST_F(HotKey, ACombinationHeldByAnotherProgramIsReportedAndParloGoesOn) {
  Dir().Put("sayA.txt", kBook);
  Dir().Put("parlo.ini", kAltShiftF5);
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_ALT | MOD_SHIFT, VK_F5)) << GetLastError();
  StartGame();

  // The box shows during start-up, before the main window does: answer it from the side.
  const StartUpBox box = StartParloAnswering("Error");
  EXPECT_EQ(box.text, "Filed to register hot key");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_THAT(box.buttons, ElementsAre("OK"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Parlo().Main()) != FALSE; }, kStartTimeoutMs));

  // The combination stays the other program's: Parlo recites nothing.
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  MSG msg;
  EXPECT_TRUE(WaitUntil([&] { return PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE; },
                        kEventTimeoutMs))
      << "the holder did not get its key";
  Game().WaitQuiet();
  EXPECT_EQ(Game().Typed(), "");
  UnregisterHotKey(nullptr, 1);

  // Parlo still works: its Bard button recites.
  Parlo().PostClick(IDC_BUTTON_BARD);
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("line one"));
  ASSERT_TRUE(Parlo().Close().has_value());
}

// Keys written at the end of labels: each says its own line.
const char kKeyedBook[] =
    "[PARLO!]\r\nfirst\tline one\r\nHeal [F7]\theal me\r\nGuards [Ctrl+F8]\tguards!\r\n";
const char kPlainBook[] = "[PARLO!]\r\nplain\tnothing bound\r\n";
const char kOpenA[] = "[UO]\r\nLastOpen=\"sayA.txt\"\r\n";

TEST_F(HotKey, LineKeysSayTheirRowsIntoTheGameAndGoWithTheirBook) {
  Dir().Put("sayA.txt", kKeyedBook);
  Dir().Put("sayB.txt", kPlainBook);
  Dir().Put("parlo.ini", kOpenA);
  StartGame();
  StartParlo();
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F7);
  ASSERT_TRUE(Game().WaitForEnter());
  PressKey(VK_F8, Modifiers{false, true, false});
  ASSERT_TRUE(Game().WaitForEnter(2));
  EXPECT_THAT(Game().Lines(), ElementsAre("heal me", "guards!"));
  // A line key keeps its key down from the game; any other key reaches it.
  auto downsOf = [](BYTE vk) {
    return [vk](const GameEvent& e) { return e.Is("keydown") && e.Number("vk") == vk; };
  };
  // F8 without Ctrl is not the line's key: the game gets it, and Ctrl+F8 after it says its line.
  PressKey(VK_F8);
  ASSERT_TRUE(Game().WaitFor(downsOf(VK_F8))) << "F8 never reached the game";
  PressKey(VK_F8, Modifiers{false, true, false});
  ASSERT_TRUE(Game().WaitForEnter(3));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("heal me", "guards!", "guards!"));

  // The next book binds nothing: both keys reach the game as keys and say nothing.
  HWND combo = Parlo().Control(IDC_COMBOBOX_FILES);
  auto choose = [&](BYTE arrow, int item) {
    PostMessageA(combo, WM_KEYDOWN, arrow, 1);
    PostMessageA(combo, WM_KEYUP, arrow, 0xC0000001);
    ASSERT_TRUE(WaitUntil([&] { return ComboSelection(combo) == item; }, kEventTimeoutMs));
    ASSERT_TRUE(BringToFront(Game().Window()));
  };
  ASSERT_NO_FATAL_FAILURE(choose(VK_DOWN, 1));
  PressKey(VK_F7);
  PressKey(VK_F8, Modifiers{false, true, false});
  ASSERT_TRUE(Game().WaitFor(downsOf(VK_F7))) << "F7 never reached the game";
  ASSERT_TRUE(Game().WaitFor(downsOf(VK_F8), kEventTimeoutMs, 2)) << "Ctrl+F8 never reached the game";
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("heal me", "guards!", "guards!"));
  // Back in the first book its keys say their lines again: F7 does, and only its line came.
  ASSERT_NO_FATAL_FAILURE(choose(VK_UP, 0));
  PressKey(VK_F7);
  ASSERT_TRUE(Game().WaitForEnter(4));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("heal me", "guards!", "guards!", "heal me"));
  EXPECT_EQ(Game().Typed(), "heal meguards!guards!heal me");
  ASSERT_TRUE(Parlo().Close().has_value());
}

TEST_F(HotKey, ALineKeyHeldByAnotherProgramIsReportedAndTheOthersWork) {
  Dir().Put("sayA.txt", kKeyedBook);
  Dir().Put("parlo.ini", kOpenA);
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, 0, VK_F7)) << GetLastError();
  StartGame();

  // Told while the book loads at start-up, before the main window shows.
  const StartUpBox box = StartParloAnswering("Parlo");
  EXPECT_EQ(box.text, "These hot keys are used by another program: F7");
  EXPECT_EQ(box.caption, "Parlo");
  EXPECT_THAT(box.buttons, ElementsAre("OK"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Parlo().Main()) != FALSE; }, kStartTimeoutMs));

  // F7 stays the other program's; Ctrl+F8 says its line.
  ASSERT_TRUE(BringToFront(Game().Window()));
  PressKey(VK_F7);
  PressKey(VK_F8, Modifiers{false, true, false});
  ASSERT_TRUE(Game().WaitForEnter());
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("guards!"));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE))
      << "the holder did not get its key";
  UnregisterHotKey(nullptr, 1);
  ASSERT_TRUE(Parlo().Close().has_value());
}

}  // namespace
}  // namespace parlo::e2e
