#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/Delivery.h"

namespace parlo {
namespace {

constexpr WindowRef kGame = 0x1234;

// Records every platform call as one line, in order, so a test can compare the whole sequence.
class RecordingGame : public GamePort {
 public:
  static constexpr std::uint32_t kOwnProcess = 1;
  std::vector<TopLevelWindow> windows = {{kGame, "Ultima Online", "Ultima Online - Bob", true, 7}};
  bool visible = true;
  bool comesToFront = true;
  bool modifiersReleased = true;
  PostResult postResult = PostResult::kQueued;
  std::vector<std::string> calls;

  std::vector<TopLevelWindow> TopLevelWindows() override {
    calls.push_back("find");
    return windows;
  }
  std::uint32_t OwnProcessId() override { return kOwnProcess; }
  PostResult PostImeChar(WindowRef w, unsigned code) override {
    calls.push_back("ime " + Hex(w) + " " + Hex(code));
    return postResult;
  }
  bool IsVisible(WindowRef w) override {
    calls.push_back("visible? " + Hex(w));
    return visible;
  }
  void BringToFront(WindowRef w) override { calls.push_back("front " + Hex(w)); }
  bool WaitUntilForeground(WindowRef w, int maxMs) override {
    calls.push_back("wait " + Hex(w) + " " + std::to_string(maxMs));
    return comesToFront;
  }
  bool WaitUntilModifiersReleased(int maxMs) override {
    calls.push_back("modifiers up? " + std::to_string(maxMs));
    return modifiersReleased;
  }
  unsigned ScanCode(unsigned vk) override {
    calls.push_back("scan " + std::to_string(vk));
    return 0x100 + vk;  // the high byte must not reach the key event
  }
  void KeyEvent(unsigned vk, unsigned scan, unsigned flags) override {
    calls.push_back("key " + std::to_string(vk) + " " + Hex(scan) + " " + std::to_string(flags));
  }

  static std::string Hex(std::uintptr_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
    return buf;
  }
};

using Calls = std::vector<std::string>;

// What SendKey does for a plain Enter, after the characters and the wait for the hot key's
// modifiers to be let go.
const Calls kSendEnter = {"visible? 1234", "front 1234", "wait 1234 200", "scan 17",   "scan 16",
                          "scan 18",       "scan 13",    "key 13 d 0",    "key 13 d 2"};
const Calls kEnter = [] {
  Calls calls = {"modifiers up? 2000"};
  calls.insert(calls.end(), kSendEnter.begin(), kSendEnter.end());
  return calls;
}();

Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(YellRewrite, SampleLines) {
  EXPECT_EQ(YellRewrite(": waves"), "! *waves*");
  EXPECT_EQ(YellRewrite(": "), "! **");
  EXPECT_EQ(YellRewrite(":waves"), "! :waves");
  EXPECT_EQ(YellRewrite("; any words"), "; any words");
  EXPECT_EQ(YellRewrite("hello"), "! hello");
  EXPECT_EQ(YellRewrite("x"), "! x");
  EXPECT_EQ(YellRewrite(":"), "! :");
  EXPECT_EQ(YellRewrite(";"), "! ;");
  EXPECT_EQ(YellRewrite("! any words"), "! ! any words");
  EXPECT_EQ(YellRewrite(" : x"), "!  : x");
  // Bytes past the prefix are kept as they are, a zero byte and high bytes included.
  EXPECT_EQ(YellRewrite(Bytes(": a\0\x82\xA0", 6)), Bytes("! *a\0\x82\xA0*", 8));
}

TEST(CharacterCodes, LeadBytesJoinTheirTrail) {
  LeadBytes none;
  LeadBytes sjis{{0x81, 0x9F}, {0xE0, 0xFC}};
  EXPECT_EQ(CharacterCodes("\x82\xA0", none), (std::vector<unsigned>{0x82, 0xA0}));
  EXPECT_EQ(CharacterCodes("\x82\xA0", sjis), (std::vector<unsigned>{0x82A0}));
  EXPECT_EQ(CharacterCodes("a\x82\xA0z", sjis), (std::vector<unsigned>{0x61, 0x82A0, 0x7A}));
  EXPECT_EQ(CharacterCodes("a\x82", sjis), (std::vector<unsigned>{0x61, 0x8200}));
  // A trail byte that is itself in a lead range still belongs to the character before it.
  EXPECT_EQ(CharacterCodes("\x82\x82\x41", sjis), (std::vector<unsigned>{0x8282, 0x41}));
  // Control bytes and zero bytes go out like any other.
  EXPECT_EQ(CharacterCodes(Bytes("\t\r\n\0\xFF", 5), sjis), (std::vector<unsigned>{9, 13, 10, 0, 0xFF}));
}

TEST(LeadBytes, RangesFromTheSystemList) {
  const unsigned char list[12] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0, 0xA0, 0xA0};
  LeadBytes lead = LeadBytes::FromRangeList(list, sizeof list);
  EXPECT_TRUE(lead.Any());
  EXPECT_FALSE(lead.IsLead(0x80));
  EXPECT_TRUE(lead.IsLead(0x81));
  EXPECT_TRUE(lead.IsLead(0x9F));
  EXPECT_FALSE(lead.IsLead(0xA0));  // after the terminating pair
  EXPECT_TRUE(lead.IsLead(0xE0));
  EXPECT_TRUE(lead.IsLead(0xFC));
  EXPECT_FALSE(lead.IsLead(0xFD));

  const unsigned char empty[12] = {};
  EXPECT_FALSE(LeadBytes::FromRangeList(empty, sizeof empty).Any());
  EXPECT_FALSE(LeadBytes::FromRangeList(nullptr, 12).Any());

  // Seven ranges and no terminator: the seventh is beyond what the system can describe.
  const unsigned char full[14] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 0xFF, 0x10, 0x10};
  LeadBytes most = LeadBytes::FromRangeList(full, sizeof full);
  EXPECT_TRUE(most.IsLead(6));
  EXPECT_TRUE(most.IsLead(0xFF));
  const unsigned char seventh[14] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 0x80, 0x80};
  EXPECT_FALSE(LeadBytes::FromRangeList(seventh, sizeof seventh).IsLead(0x80));
  LeadBytes seven{{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {0x80, 0x80}};
  EXPECT_TRUE(seven.IsLead(6));
  EXPECT_FALSE(seven.IsLead(0x80));
  // An odd count leaves a half pair, which is not a range.
  const unsigned char odd[3] = {0x81, 0x82, 0x90};
  EXPECT_FALSE(LeadBytes::FromRangeList(odd, sizeof odd).IsLead(0x90));
  // A reversed range holds nothing.
  LeadBytes reversed{{0x90, 0x80}};
  EXPECT_FALSE(reversed.IsLead(0x85));
  EXPECT_FALSE(reversed.IsLead(0x90));
}

TEST(SendSay, EmptyTextTouchesNothing) {
  RecordingGame game;
  SendSay(game, LeadBytes{{0x81, 0x9F}}, {}, "", true, true);
  SendSay(game, LeadBytes(), {}, "", false, false);
  EXPECT_TRUE(game.calls.empty());
}

TEST(SendSay, NoGameWindowStopsAfterTheSearch) {
  RecordingGame game;
  game.windows.clear();
  SendSay(game, LeadBytes(), {}, "hello", true, false);
  SendSay(game, LeadBytes(), {}, "hello", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "find"}));
}

TEST(SendSay, TwoCharactersThenEnter) {
  RecordingGame game;
  SendSay(game, LeadBytes(), {}, "ab", false, false);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 61", "ime 1234 62"}, kEnter));
}

TEST(SendSay, ALineTooLongForTheMessageQueueIsRefusedWholeNeverCut) {
  RecordingGame game;
  SendSay(game, LeadBytes(), {}, Bytes(9000, 'x'), false, false);
  ASSERT_EQ(game.calls.size(), 1 + 9000 + kEnter.size());
  EXPECT_EQ(game.calls[9000], "ime 1234 78");
  EXPECT_EQ(game.calls.back(), kEnter.back());
  game.calls.clear();
  SendSay(game, LeadBytes(), {}, Bytes(9001, 'x'), false, false);
  EXPECT_TRUE(game.calls.empty());
  // Yelling makes the line longer: what counts is what would go out.
  SendSay(game, LeadBytes(), {}, Bytes(8999, 'x'), true, true);
  EXPECT_TRUE(game.calls.empty());
  // Characters count, not bytes: 9,000 double-byte characters still go.
  Bytes wide;
  for (int i = 0; i < 9000; ++i) wide += "\x82\xA0";
  SendSay(game, LeadBytes{{0x81, 0x9F}}, {}, wide, false, true);
  EXPECT_EQ(game.calls.size(), 1 + 9000 + 1u);
}

TEST(SendSay, YellFlagRewritesBeforePosting) {
  RecordingGame game;
  SendSay(game, LeadBytes(), {}, ": a", true, false);
  EXPECT_EQ(
      game.calls,
      Concat({"find", "ime 1234 21", "ime 1234 20", "ime 1234 2a", "ime 1234 61", "ime 1234 2a"}, kEnter));
  game.calls.clear();
  SendSay(game, LeadBytes(), {}, ": a", false, false);  // without the flag the emote goes as typed
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 3a", "ime 1234 20", "ime 1234 61"}, kEnter));
}

TEST(SendSay, DoubleByteCharacterDependsOnTheSystem) {
  RecordingGame game;
  SendSay(game, LeadBytes{{0x81, 0x9F}, {0xE0, 0xFC}}, {}, "\x82\xA0", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 82a0", "front 1234"}));
  game.calls.clear();
  SendSay(game, LeadBytes(), {}, "\x82\xA0", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 82", "ime 1234 a0", "front 1234"}));
  game.calls.clear();
  SendSay(game, LeadBytes{{0x81, 0x9F}}, {}, "x\x82", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 78", "ime 1234 8200", "front 1234"}));
}

TEST(SendSay, PasteOnlyBringsToFrontWithoutKeysOrVisibilityCheck) {
  RecordingGame game;
  game.visible = false;
  SendSay(game, LeadBytes(), {}, "hi", true, true);
  EXPECT_EQ(game.calls,
            (Calls{"find", "ime 1234 21", "ime 1234 20", "ime 1234 68", "ime 1234 69", "front 1234"}));
}

TEST(SendSay, HiddenGameWindowGetsTheCharactersOnly) {
  RecordingGame game;
  game.visible = false;
  SendSay(game, LeadBytes(), {}, "ab", false, false);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 61", "ime 1234 62", "modifiers up? 2000", "visible? 1234"}));
}

// Each send rewrites its own copy: the same line yelled twice goes out with one "! " each time,
// and sent plain afterwards goes out as it was.
TEST(SendSay, EachYellRewritesTheLineOnce) {
  RecordingGame game;
  const Calls yelled = Concat({"find", "ime 1234 21", "ime 1234 20", "ime 1234 68", "ime 1234 69"}, kEnter);
  Bytes line = "hi";
  SendSay(game, LeadBytes(), {}, line, true, false);
  EXPECT_EQ(game.calls, yelled);
  game.calls.clear();
  SendSay(game, LeadBytes(), {}, line, true, false);
  EXPECT_EQ(game.calls, yelled);
  game.calls.clear();
  SendSay(game, LeadBytes(), {}, line, false, false);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 68", "ime 1234 69"}, kEnter));
}

TEST(SendSay, AnyOtherClientIsBroughtToTheFrontBeforeItIsTyped) {
  const TopLevelWindow modern{kGame, "SDL_app", "Bob - ClassicUO - 1.0", true, 7};
  RecordingGame game;
  game.windows = {modern};
  EXPECT_EQ(SendSay(game, LeadBytes(), {}, "ab", false, false), SayResult::kDelivered);
  EXPECT_EQ(game.calls,
            Concat({"find", "front 1234", "wait 1234 200", "ime 1234 61", "ime 1234 62"}, kEnter));

  game.calls.clear();
  EXPECT_EQ(SendSay(game, LeadBytes(), {}, "ab", true, true), SayResult::kDelivered);
  EXPECT_EQ(game.calls, (Calls{"find", "front 1234", "wait 1234 200", "ime 1234 21", "ime 1234 20",
                               "ime 1234 61", "ime 1234 62"}));

  // It would throw the text away in the background: nothing is posted at all.
  game.calls.clear();
  game.comesToFront = false;
  EXPECT_EQ(SendSay(game, LeadBytes(), {}, "ab", false, false), SayResult::kNotInFront);
  EXPECT_EQ(game.calls, (Calls{"find", "front 1234", "wait 1234 200"}));
}

TEST(SendSay, AModifierStillHeldLeavesTheLineTypedInFrontWithoutEnter) {
  for (const char* windowClass : {"Ultima Online", "SDL_app"}) {
    RecordingGame game;
    game.windows = {{kGame, windowClass, "Ultima Online - ClassicUO", true, 7}};
    game.modifiersReleased = false;
    EXPECT_EQ(SendSay(game, LeadBytes(), {}, "a", false, false), SayResult::kDelivered);
    ASSERT_GE(game.calls.size(), 3u);
    EXPECT_EQ(Calls(game.calls.end() - 3, game.calls.end()),
              (Calls{"modifiers up? 2000", "visible? 1234", "front 1234"}))
        << windowClass;
  }
}

TEST(SendSay, AGameThatRefusesOurMessagesGetsNothingMore) {
  for (const char* windowClass : {"Ultima Online", "SDL_app"}) {
    RecordingGame game;
    game.windows = {{kGame, windowClass, "Ultima Online - ClassicUO", true, 7}};
    game.postResult = PostResult::kRefused;
    EXPECT_EQ(SendSay(game, LeadBytes(), {}, "abc", false, false), SayResult::kRefused) << windowClass;
    EXPECT_EQ(game.calls.back(), "ime 1234 61") << windowClass;
  }
  // A window that closes under the line is no refusal: the line goes on as ever.
  RecordingGame game;
  game.postResult = PostResult::kFailed;
  EXPECT_EQ(SendSay(game, LeadBytes(), {}, "ab", false, false), SayResult::kDelivered);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 61", "ime 1234 62"}, kEnter));
}

// The windows of a desktop with every kind of client, front to back.
TEST(ChooseGameWindow, TheCaptionPicksAmongClassicRebuiltAndModernClients) {
  const std::uint32_t own = 1;
  const TopLevelWindow parloWindow{1, "Ultima Online", "Ultima Online - Parlo's own", true, own};
  const TopLevelWindow editor{2, "Notepad", "Carol's notes.txt - Notepad", true, 9};
  const TopLevelWindow hiddenSdl{3, "SDL_app", "Dan - ClassicUO - 1.0", false, 10};
  const TopLevelWindow otherSdl{4, "SDL_app", "Some other game", true, 11};
  const TopLevelWindow modern{5, "SDL_app", "Carol - ClassicUO - 1.0", true, 12};
  const TopLevelWindow fork{6, "sdl_APP", "TazUO - 2.1", true, 13};
  const TopLevelWindow rebuilt{7, "Orion UO Client", "Ultima Online - Eve (Shard)", true, 14};
  const TopLevelWindow alice{8, "Ultima Online", "Ultima Online - Alice", true, 15};
  const TopLevelWindow bobHidden{9, "Ultima Online", "Ultima Online - Bob", false, 16};
  const TopLevelWindow bob{10, "Ultima Online", "Ultima Online - Bob", true, 17};
  const TopLevelWindow browser{11, "Chrome_WidgetWin_1", "Ultima Online - Wikipedia - Google Chrome", true,
                               18};
  const std::vector<TopLevelWindow> all = {parloWindow, browser, editor, hiddenSdl, otherSdl, modern,
                                           fork,        rebuilt, alice,  bobHidden, bob};
  auto without = [&](std::initializer_list<WindowRef> gone) {
    std::vector<TopLevelWindow> rest;
    for (const TopLevelWindow& w : all)
      if (std::find(gone.begin(), gone.end(), w.handle) == gone.end()) rest.push_back(w);
    return rest;
  };
  struct Case {
    std::vector<TopLevelWindow> windows;
    const char* caption;
    WindowRef expected;  // 0: none
    bool classic;
  } cases[] = {
      // The player's own caption: the first visible window whose title starts with it, any class.
      {all, "Ultima Online - Bob", 10, true},
      {all, "ULTIMA ONLINE - ALICE", 8, true},
      {all, "Carol", 2, false},
      {all, "Carol - ClassicUO", 5, false},
      {all, "ultima online - e", 7, false},
      {all, "Dan", 0, false},
      {all, "Ultima Online - Wiki", 11, false},
      // The default: the classic client by its class, hidden or not, then a rebuilt classic client
      // by its title and class, then a modern client by class and name; a browser's page about
      // the game never, with a client behind it or none at all.
      {all, "Ultima Online - ", 8, true},
      {all, "", 8, true},
      {all, "Ultima Online -", 8, true},
      {without({8, 10}), "Ultima Online - ", 9, true},
      {without({8, 9, 10}), "", 7, false},
      {without({7, 8, 9, 10}), "", 5, false},
      {without({5, 7, 8, 9, 10}), "ultima online - ", 6, false},
      {without({5, 6, 7, 8, 9, 10}), "", 0, false},
  };
  for (const Case& c : cases) {
    const std::optional<GameWindow> found =
        ChooseGameWindow(c.windows, GameChoice{c.caption}, LeadBytes(), own);
    EXPECT_EQ(found ? found->handle : 0u, c.expected) << "caption \"" << c.caption << "\"";
    if (found) {
      EXPECT_EQ(found->classic, c.classic) << c.caption;
    }
  }
}

TEST(SendKey, AllModifiersInTableOrder) {
  RecordingGame game;
  EXPECT_TRUE(SendKey(game, kGame, 'K', true, true, true));
  EXPECT_EQ(game.calls, (Calls{"visible? 1234", "front 1234", "wait 1234 200", "scan 17", "scan 16",
                               "scan 18", "scan 75", "key 18 12 1", "key 17 11 0", "key 16 10 0",
                               "key 75 4b 0", "key 75 4b 2", "key 16 10 2", "key 17 11 2", "key 18 12 3"}));
}

TEST(SendKey, EachModifierAlone) {
  struct Case {
    bool alt, ctrl, shift;
    Calls keys;
  } cases[] = {
      {true, false, false, {"key 18 12 1", "key 65 41 0", "key 65 41 2", "key 18 12 3"}},
      {false, true, false, {"key 17 11 0", "key 65 41 0", "key 65 41 2", "key 17 11 2"}},
      {false, false, true, {"key 16 10 0", "key 65 41 0", "key 65 41 2", "key 16 10 2"}},
      {false, false, false, {"key 65 41 0", "key 65 41 2"}},
  };
  for (const Case& c : cases) {
    RecordingGame game;
    EXPECT_TRUE(SendKey(game, kGame, 'A', c.alt, c.ctrl, c.shift));
    Calls expected = Concat(
        {"visible? 1234", "front 1234", "wait 1234 200", "scan 17", "scan 16", "scan 18", "scan 65"}, c.keys);
    EXPECT_EQ(game.calls, expected) << c.alt << c.ctrl << c.shift;
  }
}

TEST(SendKey, NothingIsPressedWhenTheWindowNeverComesToFront) {
  RecordingGame game;
  game.comesToFront = false;
  EXPECT_FALSE(SendKey(game, kGame, kVkReturn, true, true, true));
  EXPECT_EQ(game.calls, (Calls{"visible? 1234", "front 1234", "wait 1234 200"}));
}

TEST(SendKey, InvisibleWindowGetsNothing) {
  RecordingGame game;
  game.visible = false;
  EXPECT_FALSE(SendKey(game, kGame, kVkReturn, true, true, true));
  EXPECT_EQ(game.calls, (Calls{"visible? 1234"}));
}

}  // namespace
}  // namespace parlo
