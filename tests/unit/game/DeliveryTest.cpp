#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/game/Delivery.h"

namespace parlo {
namespace {

constexpr WindowRef kGame = 0x1234;
constexpr std::uint64_t kNever = ~std::uint64_t{0};

// Records every platform call as one line, in order, so a test can compare the whole sequence.
// Time passes only when a line waits (see Say).
class RecordingGame : public GamePort {
 public:
  static constexpr std::uint32_t kOwnProcess = 1;
  std::vector<TopLevelWindow> windows = {{kGame, "Ultima Online", "Ultima Online - Bob", true, 7}};
  bool visible = true;
  std::uint64_t now = 0;
  std::uint64_t inFrontAt = 0;      // the game window comes to the front then; kNever: never
  std::uint64_t modifiersUpAt = 0;  // the player lets go of the modifiers then; kNever: never
  std::uint64_t clickedAt = 0;      // a click on Parlo then undoes every bringing to the front before
  std::uint64_t lostAt = kNever;    // the game loses the front then for good
  std::uint64_t broughtAt = 0;
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
  PostResult PostChar(WindowRef w, unsigned code) override {
    calls.push_back("char " + Hex(w) + " " + Hex(code));
    return postResult;
  }
  PostResult PostKey(WindowRef w, unsigned vk, bool up) override {
    calls.push_back((up ? "keyup " : "keydown ") + Hex(w) + " " + std::to_string(vk));
    return postResult;
  }
  bool IsVisible(WindowRef w) override {
    calls.push_back("visible? " + Hex(w));
    return visible;
  }
  void BringToFront(WindowRef w) override {
    calls.push_back("front " + Hex(w));
    broughtAt = now;
  }
  bool IsForeground(WindowRef w) override {
    calls.push_back("in front? " + Hex(w));
    return now >= inFrontAt && (broughtAt >= clickedAt || now < clickedAt) && now < lostAt;
  }
  bool ModifiersDown() override {
    calls.push_back("modifiers?");
    return now < modifiersUpAt;
  }
  std::uint64_t NowMs() override { return now; }
  unsigned ScanCode(unsigned vk) override {
    calls.push_back("scan " + std::to_string(vk));
    return 0x100 + vk;  // the high byte must not reach the key event
  }
  void KeyEvent(unsigned vk, unsigned scan, unsigned flags) override {
    calls.push_back("key " + std::to_string(vk) + " " + Hex(scan) + " " + std::to_string(flags));
  }

  // The calls of one kind, such as "keydown", "char" or "ime".
  std::vector<std::string> Only(const std::string& kind) const {
    std::vector<std::string> kept;
    for (const std::string& call : calls)
      if (call.compare(0, kind.size() + 1, kind + " ") == 0) kept.push_back(call);
    return kept;
  }

  static std::string Hex(std::uintptr_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
    return buf;
  }
};

// Chat settings that say Enter-to-chat for every window, and count the questions.
struct EnterToChat : ChatSettingsSource {
  int asked = 0;
  WindowRef window = 0;
  ChatSettings For(const GameWindow& w) override {
    ++asked;
    window = w.handle;
    return ChatSettings{true};
  }
};

// A line run to its end; each wait lets the fake's clock move on.
SayResult Say(RecordingGame& game, const LeadBytes& lead, const Bytes& text, bool yell, bool pasteOnly,
              ChatSettingsSource* chat = nullptr) {
  return SendSay(game, lead, GameChoice{}, text, yell, pasteOnly, chat,
                 [&game](int ms) { game.now += static_cast<std::uint64_t>(ms); });
}

using Calls = std::vector<std::string>;

// Enter for the classic client, after the characters: the player has let go of the hot key's
// modifiers, the game is brought to the front, and the key goes through the input stream.
const Calls kEnter = {"modifiers?", "visible? 1234", "front 1234", "in front? 1234",
                      "scan 13",    "key 13 d 0",    "key 13 d 2"};
// A modern client: in front first, then the key that clears an assistant's trap.
const Calls kModernStart = {"find", "front 1234", "in front? 1234", "keydown 1234 16", "keyup 1234 16"};
// Enter for a modern client, posted behind the characters once the game is seen still in front.
const Calls kModernEnter = {"modifiers?", "in front? 1234", "keydown 1234 13", "keyup 1234 13"};
const TopLevelWindow kModernWindow{kGame, "SDL_app", "Bob - ClassicUO - 1.0", true, 7};

Calls Concat(Calls a, const Calls& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The text between each Enter and the one before, as the client's chat receives it.
std::vector<std::string> Messages(const RecordingGame& game) {
  std::vector<std::string> messages(1);
  for (const std::string& call : game.calls) {
    if (call.rfind("char ", 0) == 0)
      messages.back() += static_cast<char>(std::stoul(call.substr(10), nullptr, 16));
    if (call == "keydown 1234 13") messages.emplace_back();
  }
  return messages;
}

// What a chat with Enter-to-chat says of the calls, as the clients' chat takes them: text only
// while open, and Enter says an open chat's text and closes it, or opens a closed one.
std::vector<std::string> SaidWithEnterToChat(const RecordingGame& game, bool& open) {
  std::vector<std::string> said;
  std::string typed;
  for (const std::string& call : game.calls) {
    if (call.rfind("char ", 0) == 0 && open) typed += static_cast<char>(std::stoul(call.substr(10), nullptr, 16));
    if (call != "keydown 1234 13") continue;
    if (open) said.push_back(typed);
    typed.clear();
    open = !open;
  }
  return said;
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
  Say(game, LeadBytes{{0x81, 0x9F}}, "", true, true);
  Say(game, LeadBytes(), "", false, false);
  EXPECT_TRUE(game.calls.empty());
}

TEST(SendSay, NoGameWindowStopsAfterTheSearch) {
  RecordingGame game;
  game.windows.clear();
  Say(game, LeadBytes(), "hello", true, false);
  Say(game, LeadBytes(), "hello", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "find"}));
}

TEST(SendSay, TwoCharactersThenEnter) {
  RecordingGame game;
  Say(game, LeadBytes(), "ab", false, false);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 61", "ime 1234 62"}, kEnter));
}

TEST(SendSay, ALineTooLongForTheMessageQueueIsRefusedWholeNeverCut) {
  RecordingGame game;
  Say(game, LeadBytes(), Bytes(9000, 'x'), false, false);
  ASSERT_EQ(game.calls.size(), 1 + 9000 + kEnter.size());
  EXPECT_EQ(game.calls[9000], "ime 1234 78");
  EXPECT_EQ(game.calls.back(), kEnter.back());
  game.calls.clear();
  Say(game, LeadBytes(), Bytes(9001, 'x'), false, false);
  EXPECT_TRUE(game.calls.empty());
  // Yelling makes the line longer: what counts is what would go out.
  Say(game, LeadBytes(), Bytes(8999, 'x'), true, true);
  EXPECT_TRUE(game.calls.empty());
  // Characters count, not bytes: 9,000 double-byte characters still go.
  Bytes wide;
  for (int i = 0; i < 9000; ++i) wide += "\x82\xA0";
  Say(game, LeadBytes{{0x81, 0x9F}}, wide, false, true);
  EXPECT_EQ(game.calls.size(), 1 + 9000 + 1u);
}

TEST(SendSay, YellFlagRewritesBeforePosting) {
  RecordingGame game;
  Say(game, LeadBytes(), ": a", true, false);
  EXPECT_EQ(
      game.calls,
      Concat({"find", "ime 1234 21", "ime 1234 20", "ime 1234 2a", "ime 1234 61", "ime 1234 2a"}, kEnter));
  game.calls.clear();
  Say(game, LeadBytes(), ": a", false, false);  // without the flag the emote goes as typed
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 3a", "ime 1234 20", "ime 1234 61"}, kEnter));
}

TEST(SendSay, DoubleByteCharacterDependsOnTheSystem) {
  RecordingGame game;
  Say(game, LeadBytes{{0x81, 0x9F}, {0xE0, 0xFC}}, "\x82\xA0", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 82a0", "front 1234"}));
  game.calls.clear();
  Say(game, LeadBytes(), "\x82\xA0", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 82", "ime 1234 a0", "front 1234"}));
  game.calls.clear();
  Say(game, LeadBytes{{0x81, 0x9F}}, "x\x82", false, true);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 78", "ime 1234 8200", "front 1234"}));
}

TEST(SendSay, PasteOnlyBringsToFrontWithoutKeysOrVisibilityCheck) {
  RecordingGame game;
  game.visible = false;
  Say(game, LeadBytes(), "hi", true, true);
  EXPECT_EQ(game.calls,
            (Calls{"find", "ime 1234 21", "ime 1234 20", "ime 1234 68", "ime 1234 69", "front 1234"}));
}

TEST(SendSay, HiddenGameWindowGetsTheCharactersOnly) {
  RecordingGame game;
  game.visible = false;
  Say(game, LeadBytes(), "ab", false, false);
  EXPECT_EQ(game.calls, (Calls{"find", "ime 1234 61", "ime 1234 62", "modifiers?", "visible? 1234"}));
}

// Each send rewrites its own copy: the same line yelled twice goes out with one "! " each time,
// and sent plain afterwards goes out as it was.
TEST(SendSay, EachYellRewritesTheLineOnce) {
  RecordingGame game;
  const Calls yelled = Concat({"find", "ime 1234 21", "ime 1234 20", "ime 1234 68", "ime 1234 69"}, kEnter);
  Bytes line = "hi";
  Say(game, LeadBytes(), line, true, false);
  EXPECT_EQ(game.calls, yelled);
  game.calls.clear();
  Say(game, LeadBytes(), line, true, false);
  EXPECT_EQ(game.calls, yelled);
  game.calls.clear();
  Say(game, LeadBytes(), line, false, false);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 68", "ime 1234 69"}, kEnter));
}

TEST(SendSay, AModernClientIsInFrontAndOnACleanSlateBeforeItIsTyped) {
  RecordingGame game;
  game.windows = {kModernWindow};
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kDelivered);
  EXPECT_EQ(game.calls, Concat(Concat(kModernStart, {"char 1234 61", "char 1234 62"}), kModernEnter));

  // It would throw the text away in the background: nothing is posted at all.
  game.calls.clear();
  game.inFrontAt = kNever;
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kNotInFront);
  EXPECT_EQ(game.Only("char"), Calls{});
  EXPECT_EQ(game.Only("keydown"), Calls{});
  EXPECT_EQ(game.now, static_cast<std::uint64_t>(kForegroundWaitMs));

  // The classic client, typed in the background, is left with its line when it never comes to
  // the front: an Enter would go to whatever window is there.
  game = RecordingGame();
  game.inFrontAt = kNever;
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kDelivered);
  EXPECT_EQ(game.Only("ime"), (Calls{"ime 1234 61", "ime 1234 62"}));
  EXPECT_EQ(game.Only("key"), Calls{});

  // A click on Parlo while the game comes to the front (a double click on a gem) takes the front
  // back: the game is brought again, and the Enter still goes to it.
  game = RecordingGame();
  game.inFrontAt = 5;
  game.clickedAt = 5;
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kDelivered);
  EXPECT_EQ(game.Only("key"), (Calls{"key 13 d 0", "key 13 d 2"}));

  // The front taken during a chat-mode pause (the second click of a double click on an emote's
  // gem): the game is brought back before the rest goes, and the emote is said whole, once.
  game = RecordingGame();
  game.windows = {kModernWindow};
  game.clickedAt = 50;
  EXPECT_EQ(Say(game, LeadBytes(), ": waves", false, false), SayResult::kDelivered);
  EXPECT_EQ(Messages(game), (std::vector<std::string>{": waves", ""}));
  const Calls afterColon = {"in front? 1234", "front 1234", "in front? 1234", "char 1234 20"};
  EXPECT_NE(std::search(game.calls.begin(), game.calls.end(), afterColon.begin(), afterColon.end()),
            game.calls.end())
      << ::testing::PrintToString(game.calls);
  // Never back: nothing more is posted, and no Enter sends half a line.
  game = RecordingGame();
  game.windows = {kModernWindow};
  game.lostAt = 50;
  EXPECT_EQ(Say(game, LeadBytes(), ": waves", false, false), SayResult::kFrontLost);
  EXPECT_EQ(game.Only("char"), (Calls{"char 1234 3a"}));
  EXPECT_EQ(game.Only("keydown"), Calls{"keydown 1234 16"});
  EXPECT_EQ(game.now, kChatModePauseMs + static_cast<std::uint64_t>(kForegroundWaitMs));
  // Lost while the modifiers are held: no Enter either.
  game = RecordingGame();
  game.windows = {kModernWindow};
  game.modifiersUpAt = 1000;
  game.lostAt = 500;
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kFrontLost);
  EXPECT_EQ(game.Only("keydown"), Calls{"keydown 1234 16"});
  // Bob's client retitled while his line waits for the front (an assistant writes his hit points
  // there), and another client of Bob's in front of it: the line stays whole with the window it
  // began with.
  game = RecordingGame();
  game.windows = {{kGame, "SDL_app", "Bob - ClassicUO - 1.0", true, 7}};
  game.inFrontAt = 20;
  GameChoice bobs;
  bobs.character = "Bob";
  bobs.characters = {"Bob"};
  bobs.characterSeen = true;
  EXPECT_EQ(SendSay(game, LeadBytes(), bobs, "ab", false, false, nullptr,
                    [&game](int ms) {
                      game.now += static_cast<std::uint64_t>(ms);
                      game.windows = {{0x99, "SDL_app", "Bob - ClassicUO - 1.0", true, 8},
                                      {kGame, "SDL_app", "Bob [HP 9/50] - ClassicUO - 1.0", true, 7}};
                    }),
            SayResult::kDelivered);
  EXPECT_EQ(game.Only("char"), (Calls{"char 1234 61", "char 1234 62"}));
  EXPECT_EQ(game.Only("keydown"), (Calls{"keydown 1234 16", "keydown 1234 13"}));
}

// What a modern client gets after the clean slate, for each state of its chat.
TEST(SendSay, AModernClientsChatStates) {
  const Calls ab = {"char 1234 61", "char 1234 62"};
  struct Case {
    const char* name;
    bool enterToChat;
    bool paste;
    Calls after;
  } cases[] = {
      {"open chat", false, false, Concat(ab, kModernEnter)},
      // Typed and Enter twice: said by whichever Enter finds the chat open, the other copy thrown
      // away by the closed chat.
      {"enter to chat", true, false, Concat(Concat(Concat(ab, kModernEnter), ab), kModernEnter)},
      // The player sends a pasted line: the chat is opened for it, nothing more.
      {"paste", false, true, ab},
      {"paste, enter to chat", true, true, Concat(kModernEnter, ab)},
  };
  for (const Case& c : cases) {
    RecordingGame game;
    game.windows = {kModernWindow};
    EnterToChat enterToChat;
    EXPECT_EQ(Say(game, LeadBytes(), "ab", false, c.paste, c.enterToChat ? &enterToChat : nullptr),
              SayResult::kDelivered);
    EXPECT_EQ(game.calls, Concat(kModernStart, c.after)) << c.name;
    // Asked once a line, about the window the line goes to.
    EXPECT_EQ(enterToChat.asked, c.enterToChat ? 1 : 0) << c.name;
    EXPECT_EQ(enterToChat.window, c.enterToChat ? kGame : 0u) << c.name;
  }
  // The classic client has no such chat: its line goes as ever, without a question.
  RecordingGame game;
  EnterToChat enterToChat;
  Say(game, LeadBytes(), "ab", false, false, &enterToChat);
  EXPECT_EQ(game.calls, Concat({"find", "ime 1234 61", "ime 1234 62"}, kEnter));
  EXPECT_EQ(enterToChat.asked, 0);
}

TEST(SendSay, ALongLineGoesToAModernClientInTheMessagesItWouldMake) {
  RecordingGame game;
  game.windows = {kModernWindow};
  // 150 characters, yelled: "! " on every part and counted in its hundred.
  Bytes words;
  while (words.size() < 150) words += "word ";
  words.resize(150);
  Say(game, LeadBytes(), words, true, false);
  const Bytes first = "! " + words.substr(0, 94);  // the last blank within the hundred
  const Bytes second = "! " + words.substr(95);
  EXPECT_EQ(Messages(game), (std::vector<std::string>{first, second, ""}));
  // With Enter-to-chat each part opens its chat; a paste is one part, sent by the player.
  game.calls.clear();
  EnterToChat enterToChat;
  Say(game, LeadBytes(), words, true, false, &enterToChat);
  // Said once, each part, whether the player left the chat open or closed, and left as it was.
  for (bool open : {false, true}) {
    bool now = open;
    EXPECT_EQ(SaidWithEnterToChat(game, now), (std::vector<std::string>{first, second})) << open;
    EXPECT_EQ(now, open);
  }
  game.calls.clear();
  Say(game, LeadBytes(), words, true, true, &enterToChat);
  EXPECT_EQ(Messages(game), (std::vector<std::string>{"", "! " + words}));
  // The classic client cuts nothing.
  game = RecordingGame();
  Say(game, LeadBytes(), words, false, false);
  EXPECT_EQ(game.Only("ime").size(), 150u);
}

// The client reads a chat mode once a frame and clears the chat then: each of its signs gets a
// frame of its own, or the words behind them would be cleared with them.
TEST(SendSay, TheSignsOfAChatModeReachAModernClientOneAFrame) {
  struct Case {
    const char* line;
    std::size_t signs;
  } cases[] = {{"hi there", 0}, {"! hi", 2}, {"/3 hi", 3}, {"--hi", 2}, {"-go there", 1}, {"- go", 1}, {"[go there", 0}, {". go", 0}};
  for (const Case& c : cases) {
    RecordingGame game;
    game.windows = {kModernWindow};
    Delivery delivery;
    delivery.Start(game, LeadBytes(), GameChoice{}, nullptr, c.line, false, false);
    // The first sign has gone and its frame is awaited.
    EXPECT_EQ(game.Only("char").size(), c.signs ? 1u : std::string(c.line).size()) << c.line;
    EXPECT_EQ(delivery.Busy(), c.signs > 0) << c.line;
    while (delivery.Busy()) {
      game.now += kDeliveryPollMs;
      delivery.Continue(game);
    }
    EXPECT_EQ(game.now, c.signs * kChatModePauseMs) << c.line;
    EXPECT_EQ(Messages(game), (std::vector<std::string>{c.line, ""})) << c.line;
  }
}

TEST(SplitChatLine, PartsOfAHundredWithTheChatModeOnEach) {
  auto codes = [](const std::string& text) { return std::vector<unsigned>(text.begin(), text.end()); };
  const std::string x46(46, 'x'), x48(48, 'x'), x50(50, 'x'), x60(60, 'x'), x96(96, 'x'), x97(97, 'x');
  const std::string x98(98, 'x'), x99(99, 'x'), x100(100, 'x');
  struct Case {
    std::string line;
    std::vector<std::string> parts;
  } cases[] = {
      {x100, {x100}},
      {x100 + "y", {x100, "y"}},
      // No blank within the hundred: cut at the hundred. A blank just past it cuts cleanly.
      {x100 + " y", {x100, "y"}},
      {x99 + " y", {x99, "y"}},
      // The last blank within the hundred counts; the blanks at the start of the rest are dropped.
      {"a b " + x97, {"a b", x97}},
      {x50 + "   " + x60, {x50 + "  ", x60}},
      {"a " + x98 + "     ", {"a " + x98}},
      // Each chat mode the client reads at the start stays on every part.
      {"! " + x98 + "y", {"! " + x98, "! y"}},
      {": " + x98 + " y", {": " + x98, ": y"}},
      {"; " + x98 + " y", {"; " + x98, "; y"}},
      {"/3 " + x97 + " y", {"/3 " + x97, "/3 y"}},
      {"/" + x99 + "y", {"/" + x99, "/y"}},
      {"\\ " + x98 + " y", {"\\ " + x98, "\\ y"}},
      {"|" + x99 + " y", {"|" + x99, "|y"}},
      {"," + x99 + " y", {"," + x99, ",y"}},
      {"--" + x98 + " y", {"--" + x98, "--y"}},
      // Without its blank "!" is plain speech.
      {"!" + x99 + " y", {"!" + x99, "y"}},
      {"/10 " + x96 + " y", {"/10 " + x96, "/10 y"}},
      {"/10 hi", {"/10 hi"}},
      // A command to the client is one message, however long; a blank after its sign changes
      // nothing. The server's commands are cut like speech, as the clients cut them.
      {"-" + x100, {"-" + x100}},
      {"- " + x98 + " y", {"- " + x98 + " y"}},
      {"[" + x100, {"[" + x99, "x"}},
      {"." + x100, {"." + x99, "x"}},
      {"[ " + x98 + " y", {"[ " + x98, "y"}},
      {". " + x98 + " y", {". " + x98, "y"}},
      {"... " + x96 + " y", {"... " + x96, "y"}},
      // No part opens a mode of its own: the cut goes back to an earlier blank, or into a word.
      {x50 + " " + x48 + " ! les gardes", {x50, x48 + " ! les gardes"}},
      {x50 + " " + x48 + " -x", {x50, x48 + " -x"}},
      {x50 + " " + x48 + " /x", {x50, x48 + " /x"}},
      {x50 + " " + x48 + " [x", {x50, x48 + " [x"}},
      {x50 + " " + x48 + " : x", {x50, x48 + " : x"}},
      {x50 + " " + x48 + " :x", {x50 + " " + x48, ":x"}},
      {x100 + "-y", {x99, "x-y"}},
      {"! " + x50 + " " + x46 + " ; x", {"! " + x50, "! " + x46 + " ; x"}},
  };
  for (const Case& c : cases) {
    std::vector<std::vector<unsigned>> expected;
    for (const std::string& part : c.parts) expected.push_back(codes(part));
    EXPECT_EQ(SplitChatLine(codes(c.line)), expected) << c.line;
  }
  // A double-byte character is one character of the hundred.
  std::vector<unsigned> wide(101, 0x82A0);
  EXPECT_EQ(SplitChatLine(wide).size(), 2u);
  EXPECT_EQ(SplitChatLine(wide)[0].size(), 100u);
}

// A hot key's modifiers held: the line waits for them without blocking, and only its Enter waits.
TEST(SendSay, EnterWaitsForTheModifiersUpToTenSeconds) {
  for (const TopLevelWindow& window :
       {TopLevelWindow{kGame, "Ultima Online", "Ultima Online - Bob", true, 7}, kModernWindow}) {
    const bool modern = window.className == "SDL_app";
    const std::string enter = modern ? "keydown 1234 13" : "key 13 d 0";
    // Let go after 3 s: Enter goes at once then.
    RecordingGame game;
    game.windows = {window};
    game.modifiersUpAt = 3000;
    EXPECT_EQ(Say(game, LeadBytes(), "a", false, false), SayResult::kDelivered);
    EXPECT_EQ(std::count(game.calls.begin(), game.calls.end(), enter), 1) << window.className;
    EXPECT_GE(game.now, 3000u);
    EXPECT_LT(game.now, 3000u + 2 * kDeliveryPollMs);
    // Held on: after 10 s the line stays typed, in front, without Enter.
    game.calls.clear();
    game.now = 0;
    game.modifiersUpAt = kNever;
    EXPECT_EQ(Say(game, LeadBytes(), "a", false, false), SayResult::kDelivered);
    EXPECT_EQ(Calls(game.calls.end() - 3, game.calls.end()),
              (Calls{"modifiers?", "visible? 1234", "front 1234"}))
        << window.className;
    EXPECT_EQ(std::count(game.calls.begin(), game.calls.end(), enter), 0) << window.className;
    EXPECT_GE(game.now, static_cast<std::uint64_t>(kModifierWaitMs));
    EXPECT_LT(game.now, kModifierWaitMs + 2u * kDeliveryPollMs);
  }
}

TEST(Delivery, APressDuringAWaitIsDroppedAndTheWaitEndsWithTheModifiers) {
  RecordingGame game;
  game.windows = {kModernWindow};
  game.modifiersUpAt = 500;
  Delivery delivery;
  Bytes longLine(120, 'x');
  longLine[50] = ' ';
  ASSERT_TRUE(delivery.Start(game, LeadBytes(), GameChoice{}, nullptr, longLine, false, false));
  // Typed, and waiting for the first part's Enter without blocking the caller.
  EXPECT_TRUE(delivery.Busy());
  EXPECT_EQ(game.Only("char").size(), 50u);
  EXPECT_EQ(game.calls.back(), "modifiers?");
  // Another line meanwhile (a repeated key, a second click) is dropped, not queued.
  const std::size_t before = game.calls.size();
  EXPECT_FALSE(delivery.Start(game, LeadBytes(), GameChoice{}, nullptr, "again", false, false));
  EXPECT_EQ(game.calls.size(), before);
  while (game.now < 490) {
    game.now += kDeliveryPollMs;
    delivery.Continue(game);
  }
  EXPECT_TRUE(delivery.Busy());
  EXPECT_EQ(game.Only("keydown"), Calls{"keydown 1234 16"});
  // Let go: the first Enter goes, and the second part's Enter does not wait again.
  game.now = 500;
  delivery.Continue(game);
  EXPECT_FALSE(delivery.Busy());
  EXPECT_EQ(delivery.Result(), SayResult::kDelivered);
  EXPECT_EQ(Messages(game), (std::vector<std::string>{longLine.substr(0, 50), longLine.substr(51), ""}));
  // Done: the next press is taken.
  game.calls.clear();
  EXPECT_TRUE(delivery.Start(game, LeadBytes(), GameChoice{}, nullptr, "again", false, false));
  EXPECT_EQ(Messages(game), (std::vector<std::string>{"again", ""}));
}

TEST(SendSay, AGameThatRefusesOurMessagesGetsNothingMore) {
  for (const char* windowClass : {"Ultima Online", "SDL_app"}) {
    RecordingGame game;
    game.windows = {{kGame, windowClass, "Ultima Online - ClassicUO", true, 7}};
    game.postResult = PostResult::kRefused;
    EXPECT_EQ(Say(game, LeadBytes(), "abc", false, false), SayResult::kRefused) << windowClass;
    // The modern client refuses the clean-slate key already.
    EXPECT_EQ(game.calls.back(), windowClass[0] == 'U' ? "ime 1234 61" : "keydown 1234 16") << windowClass;
  }
  // A window that closes under the line is no refusal: the line goes on as ever.
  RecordingGame game;
  game.postResult = PostResult::kFailed;
  EXPECT_EQ(Say(game, LeadBytes(), "ab", false, false), SayResult::kDelivered);
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
  // A shard's build of a modern client under its own name, known by the settings in its folder,
  // and a browser run from such a folder.
  const TopLevelWindow shardBrowser{12, "Chrome_WidgetWin_1", "Frank - UOAlive - 1.0", true, 19, true};
  const TopLevelWindow renamed{13, "SDL_app", "Frank - UOAlive - 1.0", true, 20, true};
  const std::vector<TopLevelWindow> all = {parloWindow, browser,      editor,  hiddenSdl, otherSdl,
                                           modern,      fork,         rebuilt, alice,     bobHidden,
                                           bob,         shardBrowser, renamed};
  const TopLevelWindow bobbyWindow{14, "SDL_app", "Bobby (Atlantic) - ClassicUO - 1.0", true, 19};
  const TopLevelWindow razorBob{15, "Ultima Online", "UO - Bob (Crim: 30s)", true, 20};
  const std::vector<Bytes> characters = {"Alice", "Bob", "Bobby", "Carol", "Dan", "Eve", "Zed", "Parlo", "Frank"};
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
    const char* character = "";  // the open book's
    bool seen = false;           // its character has been seen in a client
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
      {without({5, 6, 7, 8, 9, 10}), "", 13, false},
      {without({5, 6, 7, 8, 9, 10, 13}), "", 0, false},
      // A character's book: its character's client, whichever comes first in the default order;
      // none when one seen before has gone; the caption before the character.
      {all, "", 5, false, "carol", true},
      {all, "", 7, false, "Eve", false},
      {all, "", 9, true, "Bob", true},
      {all, "", 0, false, "Dan", true},  // a hidden modern client takes no line
      {all, "", 8, true, "Dan", false},
      {all, "", 8, true, "Zed", false},
      {all, "", 0, false, "Parlo", true},
      {all, "", 13, false, "Frank", true},  // a shard's renamed build, by its own title's shape
      {all, "Carol", 2, false, "Alice", true},
      {{bobbyWindow, razorBob}, "", 14, false, "Bobby", true},
      {{bobbyWindow, razorBob}, "", 15, true, "Bob", true},
      {{bobbyWindow}, "", 0, false, "Bob", true},
  };
  for (const Case& c : cases) {
    const std::optional<GameWindow> found =
        ChooseGameWindow(c.windows, GameChoice{c.caption, AsciiLowerTable(), c.character, characters, c.seen},
                         LeadBytes(), own);
    EXPECT_EQ(found ? found->handle : 0u, c.expected) << "caption \"" << c.caption << "\" " << c.character;
    if (found) {
      EXPECT_EQ(found->classic, c.classic) << c.caption;
    }
  }
}

TEST(SendKey, ModifiersAroundTheKeyInTableOrder) {
  struct Case {
    bool alt, ctrl, shift;
    Calls calls;
  } cases[] = {
      {true,
       true,
       true,
       {"scan 17", "scan 16", "scan 18", "scan 75", "key 18 12 1", "key 17 11 0", "key 16 10 0",
        "key 75 4b 0", "key 75 4b 2", "key 16 10 2", "key 17 11 2", "key 18 12 3"}},
      {true,
       false,
       false,
       {"scan 18", "scan 75", "key 18 12 1", "key 75 4b 0", "key 75 4b 2", "key 18 12 3"}},
      {false,
       true,
       false,
       {"scan 17", "scan 75", "key 17 11 0", "key 75 4b 0", "key 75 4b 2", "key 17 11 2"}},
      {false,
       false,
       true,
       {"scan 16", "scan 75", "key 16 10 0", "key 75 4b 0", "key 75 4b 2", "key 16 10 2"}},
      {false, false, false, {"scan 75", "key 75 4b 0", "key 75 4b 2"}},
  };
  for (const Case& c : cases) {
    RecordingGame game;
    SendKey(game, 'K', c.alt, c.ctrl, c.shift);
    EXPECT_EQ(game.calls, c.calls) << c.alt << c.ctrl << c.shift;
  }
}

TEST(KeyLParam, RepeatCountScanCodeAndKeyUpBits) {
  EXPECT_EQ(KeyLParam(0x1C, false), 0x001C0001u);
  EXPECT_EQ(KeyLParam(0x1C, true), 0xC01C0001u);
  EXPECT_EQ(KeyLParam(0x12A, false), 0x002A0001u);
}

}  // namespace
}  // namespace parlo
