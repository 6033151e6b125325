#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/settings/HotKey.h"
#include "core/book/LineHotKeys.h"
#include "core/book/QuickSay.h"
#include "tests/unit/book/GridRows.h"

namespace parlo {
namespace {

// Records every call on the hot-key and message-box ports in one log.
class FakeHotKeys : public HotKeyPort, public MessageBoxPort {
 public:
  bool Register(int id, unsigned modifiers, unsigned virtualKey) override {
    log.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                  std::to_string(virtualKey));
    return accept;
  }
  void Unregister(int id) override { log.push_back("unregister " + std::to_string(id)); }
  int Show(const Bytes& text, const Bytes& caption, unsigned flags) override {
    log.push_back("box " + text + " / " + caption + " / " + std::to_string(flags));
    return kIdOk;
  }
  bool accept = true;
  std::vector<std::string> log;
};

TEST(BardHotKey, ModifiersFromTheThreeFlags) {
  EXPECT_EQ(BardModifiers({false, false, false, 65}), 0u);
  EXPECT_EQ(BardModifiers({true, false, false, 65}), 1u);
  EXPECT_EQ(BardModifiers({false, true, false, 65}), 2u);
  EXPECT_EQ(BardModifiers({false, false, true, 65}), 4u);
  EXPECT_EQ(BardModifiers({true, false, true, 65}), 5u);
  EXPECT_EQ(BardModifiers({true, true, true, 65}), 7u);
}

TEST(BardHotKey, KeyZeroRegistersNothingAndSaysNothing) {
  FakeHotKeys fake;
  EXPECT_FALSE(RegisterBardHotKey(fake, fake, {true, true, true, 0}));
  EXPECT_TRUE(fake.log.empty());
}

TEST(BardHotKey, RegistersId14WithTheModifiersAndTheKey) {
  FakeHotKeys fake;
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {true, false, true, 0x74}));
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {false, false, false, 0x41}));
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {false, false, false, 0xFFFF}));
  // Held down, the key says one line, not one per auto-repeat.
  EXPECT_EQ(fake.log, (std::vector<std::string>{"register 14 16389 116", "register 14 16384 65",
                                                "register 14 16384 65535"}));
}

TEST(BardHotKey, RefusalShowsThePlainErrorBoxOnce) {
  FakeHotKeys fake;
  fake.accept = false;
  EXPECT_FALSE(RegisterBardHotKey(fake, fake, {false, true, false, 0x70}));
  EXPECT_EQ(fake.log,
            (std::vector<std::string>{"register 14 16386 112", "box Filed to register hot key / Error / 0"}));
}

TEST(BardHotKey, ReregisteringAlwaysUnregistersFirst) {
  FakeHotKeys fake;
  EXPECT_FALSE(ReregisterBardHotKey(fake, fake, {false, false, false, 0}));
  EXPECT_TRUE(ReregisterBardHotKey(fake, fake, {false, false, true, 0x51}));
  fake.accept = false;
  EXPECT_FALSE(ReregisterBardHotKey(fake, fake, {false, false, false, 0x51}));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"unregister 14", "unregister 14", "register 14 16388 81",
                                                "unregister 14", "register 14 16384 81",
                                                "box Filed to register hot key / Error / 0"}));
}

TEST(BardHotKey, ControlValueBecomesTheBareKey) {
  // HOTKEYF_ALT|HOTKEYF_SHIFT with F5, as the control reports it.
  EXPECT_EQ(BardKeyFromHotKeyControl(0x0574), 0x74);
  EXPECT_EQ(BardKeyFromHotKeyControl((kHotKeyfControl | kHotKeyfExt) << 8 | 0x2E), 0x2E);
  EXPECT_EQ(BardKeyFromHotKeyControl(0x0051), 0x51);
  EXPECT_EQ(BardKeyFromHotKeyControl(0), 0);
  EXPECT_EQ(HotKeyControlFromBardKey(0x41), 0x41u);
  EXPECT_EQ(HotKeyControlFromBardKey(0), 0u);
  // A hand-edited key wider than a byte shows only its key byte, never stray modifiers.
  EXPECT_EQ(HotKeyControlFromBardKey(0x2041), 0x41u);
}

// --- Quick Say's key: after the Bard key and the lines --------------------------------------------

TEST(QuickSayHotKey, FreeOnlyWhenNeitherTheBardNorALineHasIt) {
  const GridModel grid = MakeGrid({{"Heal [F7]", "heal"}, {"Guards [Ctrl+F8]", "guards"}});
  const std::vector<LineBinding> lines = ChooseBindings(grid, LeadBytes(), std::nullopt);
  const BardHotKey bard{true, false, true, 0x74};
  const struct {
    BardHotKey quickSay;
    bool free;
  } cases[] = {
      {{false, true, true, 0x51}, true},     // Ctrl+Shift+Q
      {{true, true, true, 0}, false},        // no key
      {{true, false, true, 0x74}, false},    // the Bard's Alt+Shift+F5
      {{false, false, true, 0x74}, true},    // Shift+F5: other modifiers, another key
      {{false, false, false, 0x76}, false},  // a line's F7
      {{false, true, false, 0x77}, false},   // a line's Ctrl+F8
      {{false, false, false, 0x77}, true},   // F8 alone
  };
  for (const auto& c : cases)
    EXPECT_EQ(QuickSayKeyIsFree(c.quickSay, bard, lines), c.free) << c.quickSay.key << " " << c.quickSay.ctrl;
  EXPECT_TRUE(QuickSayKeyIsFree({false, false, false, 0x76}, {}, {}));
}

TEST(QuickSayHotKey, RegistersId15OnceReleasesWhatIsTakenAndRetriesARefusal) {
  FakeHotKeys port;
  QuickSayRegistration quickSay;
  const BardHotKey ctrlShiftQ{false, true, true, 0x51};
  EXPECT_TRUE(quickSay.Bind(port, ctrlShiftQ, true));
  EXPECT_TRUE(quickSay.Bind(port, ctrlShiftQ, true));  // held already: nothing to do
  EXPECT_TRUE(quickSay.Held());
  EXPECT_TRUE(quickSay.Bind(port, ctrlShiftQ, false));  // a line took it
  EXPECT_FALSE(quickSay.Held());
  port.accept = false;
  EXPECT_FALSE(quickSay.Bind(port, ctrlShiftQ, true));
  EXPECT_FALSE(quickSay.Held());
  port.accept = true;
  EXPECT_TRUE(quickSay.Bind(port, ctrlShiftQ, true));
  EXPECT_TRUE(quickSay.Bind(port, {true, false, false, 0x70}, true));  // another key: the old one goes first
  quickSay.Release(port);
  quickSay.Release(port);
  EXPECT_TRUE(quickSay.Bind(port, {}, true));  // no key: nothing registered, nothing refused
  const std::string ctrlShift = std::to_string(kModControl | kModShift | kModNoRepeat);
  const std::string alt = std::to_string(kModAlt | kModNoRepeat);
  EXPECT_EQ(port.log,
            (std::vector<std::string>{"register 15 " + ctrlShift + " 81", "unregister 15",
                                      "register 15 " + ctrlShift + " 81", "register 15 " + ctrlShift + " 81",
                                      "unregister 15", "register 15 " + alt + " 112", "unregister 15"}));
  EXPECT_EQ(QuickSayTakenMessage(ctrlShiftQ),
            "These hot keys are used by another program: Ctrl+Shift+Q (Quick Say)");
  EXPECT_EQ(QuickSayTakenMessage({true, false, false, 0xC0}),
            "These hot keys are used by another program: Alt+key 192 (Quick Say)");
}

// --- A line's own hot key ---------------------------------------------------------------------

constexpr unsigned kCtrl = kModControl, kAlt = kModAlt, kShift = kModShift, kWin = kModWin;

// "mods/vk" of a label's key, or "-" when the label binds nothing.
std::string KeyOf(const Bytes& label, const LeadBytes& leads = LeadBytes()) {
  const std::optional<LabelKey> key = ParseLabelKey(label, leads);
  if (!key) return "-";
  return std::to_string(key->key.modifiers) + "/" + std::to_string(key->key.virtualKey);
}
std::string Key(unsigned modifiers, unsigned vk) {
  return std::to_string(modifiers) + "/" + std::to_string(vk);
}

TEST(LineKeyNames, EveryNameMapsToItsKeyAndBack) {
  const struct {
    const char* name;
    unsigned vk;
  } table[] = {{"A", 0x41},      {"Z", 0x5A},    {"0", 0x30},    {"9", 0x39},      {"F1", 0x70},
               {"F12", 0x7B},    {"F24", 0x87},  {"Num0", 0x60}, {"Num9", 0x69},   {"Insert", 0x2D},
               {"Delete", 0x2E}, {"Home", 0x24}, {"End", 0x23},  {"PageUp", 0x21}, {"PageDown", 0x22},
               {"Up", 0x26},     {"Down", 0x28}, {"Left", 0x25}, {"Right", 0x27},  {"Space", 0x20}};
  for (const auto& entry : table) {
    EXPECT_EQ(KeyFromName(entry.name), std::optional<unsigned>(entry.vk)) << entry.name;
    EXPECT_EQ(NameOfKey(entry.vk), entry.name) << entry.vk;
  }
  // Every named key reads back as itself, and no two names share a key.
  int named = 0;
  for (unsigned vk = 0; vk < 256; ++vk) {
    const std::string_view name = NameOfKey(vk);
    if (name.empty()) continue;
    ++named;
    EXPECT_EQ(KeyFromName(name), std::optional<unsigned>(vk)) << name;
  }
  EXPECT_EQ(named, 26 + 10 + 24 + 10 + 11);
  EXPECT_EQ(KeyFromName("pageDOWN"), std::optional<unsigned>(0x22));
  EXPECT_EQ(KeyFromName("f7"), std::optional<unsigned>(0x76));
  for (const char* unknown :
       {"", "F0", "F25", "Num10", "Esc", "Enter", "Tab", "Ctrl", "AA", "Page Up", "F 7"})
    EXPECT_EQ(KeyFromName(unknown), std::nullopt) << unknown;
  EXPECT_EQ(NameOfKey(0x0D), "");  // Enter: not a key a line may take
  EXPECT_EQ(KeyText({kCtrl | kAlt | kShift | kWin, 0x76}), "Ctrl+Alt+Shift+Win+F7");
  EXPECT_EQ(KeyText({0, 0x22}), "PageDown");
}

TEST(LabelKeyGrammar, KeysThatBind) {
  EXPECT_EQ(KeyOf("Heal [F7]"), Key(0, 0x76));
  EXPECT_EQ(KeyOf("Guards [Ctrl+F8]"), Key(kCtrl, 0x77));
  EXPECT_EQ(KeyOf("Trade [Alt+Shift+T]"), Key(kAlt | kShift, 0x54));
  EXPECT_EQ(KeyOf("[shift+alt+ctrl+win+num5]"), Key(kCtrl | kAlt | kShift | kWin, 0x65));
  EXPECT_EQ(KeyOf("x [Ctrl + Alt  +  Delete]"), Key(kCtrl | kAlt, 0x2E));
  EXPECT_EQ(KeyOf("Note [a] then [PageUp]"), Key(0, 0x21));
  EXPECT_EQ(KeyOf("Heal[F7]"), Key(0, 0x76));
  // Letters, digits and Space are keys with Ctrl, Alt or Win; other keys bare or with Shift too
  // (whether they may bind is another question).
  EXPECT_EQ(KeyOf("a [Win+Space]"), Key(kWin, 0x20));
  EXPECT_EQ(KeyOf("a [Ctrl+1]"), Key(kCtrl, 0x31));
  EXPECT_EQ(KeyOf("a [Shift+Home]"), Key(kShift, 0x24));
  EXPECT_EQ(KeyOf("a [Num0]"), Key(0, 0x60));
  const std::optional<LabelKey> key = ParseLabelKey("Guards [ctrl + f8]", LeadBytes());
  ASSERT_TRUE(key);
  EXPECT_EQ(key->open, 7u);
  EXPECT_EQ(key->written, "ctrl + f8");
}

TEST(LabelKeyGrammar, BracketsThatAreJustText) {
  for (const char* label : {"",
                            "Heal",
                            "[F7",
                            "F7]",
                            "Heal [F7] ",
                            "Heal [F7]x",
                            "[]",
                            "[ F7]",
                            "[F7 ]",
                            "[Ctrl+]",
                            "[+F7]",
                            "[Ctrl++F7]",
                            "[Ctrl+Ctrl+F7]",
                            "[F7+Ctrl]",
                            "[Control+F7]",
                            "[Esc]",
                            "[F25]",
                            "[Ctrl+F7+F8]",
                            "[[F7]]",
                            "[F7]]",
                            "'Heal [F7]x",
                            "[Ctrl-F7]",
                            "[Ctrl F7]"})
    EXPECT_EQ(KeyOf(label), "-") << label;
  // A letter, digit or Space alone, or with Shift only, would take the player's typing.
  for (const char* label : {"[A]", "[z]", "[7]", "[Space]", "[Shift+A]", "[Shift+0]", "[Shift+Space]"})
    EXPECT_EQ(KeyOf(label), "-") << label;
}

TEST(LabelKeyGrammar, DoubleByteTrailBytesAreNeverBrackets) {
  const LeadBytes shiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};
  // 0x83 0x5D and 0x83 0x5B are one character each whose trail byte is "]" or "[".
  EXPECT_EQ(KeyOf("[F7\x83\x5D", shiftJis), "-");
  EXPECT_EQ(KeyOf("\x83\x5B"
                  "F7]",
                  shiftJis),
            "-");
  EXPECT_EQ(KeyOf("\x83\x5B\x83\x5D [F7]", shiftJis), Key(0, 0x76));
  EXPECT_EQ(KeyOf("\x83\x5D[Ctrl+F8]", shiftJis), Key(kCtrl, 0x77));
  // Read byte by byte the same labels look like keys; on a single-byte code page they are ones.
  EXPECT_EQ(KeyOf("\x83\x5B"
                  "F7]"),
            Key(0, 0x76));
  // A lead byte right before the closing bracket swallows it.
  EXPECT_EQ(KeyOf("[F7\x83]", shiftJis), "-");
}

// "row key" of each binding.
std::vector<std::string> Bound(const std::vector<LineBinding>& bindings) {
  std::vector<std::string> out;
  for (const LineBinding& b : bindings) out.push_back(std::to_string(b.row) + " " + b.written);
  return out;
}

TEST(LineBindings, SayRowsOnlyFirstRowWinsBardKeyWins) {
  const GridModel grid = MakeGrid({{"Heal [F7]", "heal me"},
                                   {"'Note [F9]", "comment"},
                                   {"Empty [F10]", ""},
                                   {"-----", ""},
                                   {"Again [f7]", "second heal"},
                                   {"Guards [Ctrl+F8]", "guards!"},
                                   {"Bard's [Alt+Shift+F5]", "clash"},
                                   {"Shift [Shift+F5]", "no clash"},
                                   {"Trade [Ctrl + F8]", "later"}});
  EXPECT_EQ(Bound(ChooseBindings(grid, LeadBytes(), std::nullopt)),
            (std::vector<std::string>{"0 F7", "5 Ctrl+F8", "6 Alt+Shift+F5", "7 Shift+F5"}));
  const std::optional<LineKey> bard = BardLineKey({true, false, true, 0x74});
  EXPECT_EQ(Bound(ChooseBindings(grid, LeadBytes(), bard)),
            (std::vector<std::string>{"0 F7", "5 Ctrl+F8", "7 Shift+F5"}));
  EXPECT_EQ(BardLineKey({true, true, true, 0}), std::nullopt);
}

// Line keys register from 0x100 up with no auto-repeat; the Bard's log format above.
std::string Reg(int id, unsigned modifiers, unsigned vk) {
  return "register " + std::to_string(id) + " " + std::to_string(modifiers | kModNoRepeat) + " " +
         std::to_string(vk);
}

TEST(LineHotKeyRegistration, BindsRebindsAndReleases) {
  FakeHotKeys port;
  LineHotKeys keys;
  GridModel grid =
      MakeGrid({{"Heal [F7]", "heal"}, {"Guards [Ctrl+F8]", "guards"}, {"Trade [Alt+T]", "wts"}});
  LineHotKeys::BindResult result = keys.Bind(port, ChooseBindings(grid, LeadBytes(), std::nullopt));
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(port.log,
            (std::vector<std::string>{Reg(0x100, 0, 0x76), Reg(0x101, kCtrl, 0x77), Reg(0x102, kAlt, 0x54)}));
  ASSERT_NE(keys.Find(0x101), nullptr);
  EXPECT_EQ(keys.Find(0x101)->row, 1);
  EXPECT_EQ(keys.Find(14), nullptr);
  EXPECT_TRUE(keys.Works({kCtrl, 0x77}, 1));
  EXPECT_FALSE(keys.Works({kCtrl, 0x77}, 0));

  // An edit takes F7 off row 0 and moves Ctrl+F8 down: only what changed reaches the system,
  // and the freed id is the next one given out.
  port.log.clear();
  grid.SetCell(kColLabel, 0, "Heal");
  grid.MoveRow(1, 2);
  grid.SetCell(kColLabel, 0, "Heal [Ctrl+Home]");
  result = keys.Bind(port, ChooseBindings(grid, LeadBytes(), std::nullopt));
  EXPECT_EQ(port.log, (std::vector<std::string>{"unregister 256", Reg(0x100, kCtrl, 0x24)}));
  EXPECT_EQ(keys.Find(0x101)->row, 2);
  EXPECT_FALSE(keys.Works({0, 0x76}, 0));
  EXPECT_TRUE(keys.Works({kCtrl, 0x77}, 2));

  // The Bard key becomes Ctrl+F8: the line lets it go, and its row alone is drawn again (struck
  // through now).
  port.log.clear();
  result = keys.Bind(port, ChooseBindings(grid, LeadBytes(), BardLineKey({false, true, false, 0x77})));
  EXPECT_EQ(port.log, (std::vector<std::string>{"unregister 257"}));
  EXPECT_EQ(result.changedRows, (std::vector<int>{2}));
  EXPECT_FALSE(keys.Works({kCtrl, 0x77}, 2));

  port.log.clear();
  keys.ReleaseAll(port);
  std::sort(port.log.begin(), port.log.end());
  EXPECT_EQ(port.log, (std::vector<std::string>{"unregister 256", "unregister 258"}));
  EXPECT_TRUE(keys.Empty());
  EXPECT_EQ(keys.Find(0x100), nullptr);
}

TEST(LineHotKeyRegistration, RefusedKeysAreToldInRowOrderAndRetried) {
  // Refuses the first two registrations only.
  struct Picky : FakeHotKeys {
    bool Register(int id, unsigned modifiers, unsigned vk) override {
      FakeHotKeys::Register(id, modifiers, vk);
      return ++calls > 2;
    }
    int calls = 0;
  } port;
  LineHotKeys keys;
  const GridModel grid =
      MakeGrid({{"Heal [f7]", "heal"}, {"Guards [ctrl + f8]", "guards"}, {"[Ctrl+Home]", "home"}});
  const std::vector<LineBinding> bindings = ChooseBindings(grid, LeadBytes(), std::nullopt);
  LineHotKeys::BindResult result = keys.Bind(port, bindings);
  EXPECT_EQ(Bound(result.refused), (std::vector<std::string>{"0 f7", "1 ctrl + f8"}));
  EXPECT_EQ(LineHotKeysTakenMessage(result.refused),
            "These hot keys are used by another program: f7, ctrl + f8");
  EXPECT_FALSE(keys.Works({0, 0x76}, 0));
  EXPECT_EQ(keys.Find(0x100), nullptr);
  EXPECT_TRUE(keys.Works({kCtrl, 0x24}, 2));
  // A rebind tries the refused keys again and leaves the registered one alone.
  port.log.clear();
  result = keys.Bind(port, bindings);
  EXPECT_TRUE(result.refused.empty());
  EXPECT_EQ(port.log, (std::vector<std::string>{Reg(0x100, 0, 0x76), Reg(0x101, kCtrl, 0x77)}));
  EXPECT_TRUE(keys.Works({0, 0x76}, 0));
}

TEST(LineKeyRule, KeysNeededForTypingNeverBindWhateverTheLabelSays) {
  const char* const neverBind[] = {"Up",       "Down",       "Left",        "Right",      "Home",
                                   "End",      "PageUp",     "PageDown",    "Insert",     "Delete",
                                   "Num0",     "num9",       "Shift+Up",    "Shift+Num5", "shift + end",
                                   "Ctrl+C",   "Ctrl+V",     "Ctrl+X",      "ctrl+z",     "Ctrl+Y",
                                   "Ctrl+A"};
  const char* const bind[] = {"Ctrl+Up",   "Alt+Home",     "Win+Left", "Ctrl+Shift+Delete", "Alt+Num5",
                              "Ctrl+Num0", "Ctrl+B",       "Alt+C",    "Ctrl+Alt+Z",        "Ctrl+Shift+V",
                              "F7",        "Shift+F7",     "Ctrl+1"};
  std::vector<std::pair<Bytes, Bytes>> rows;
  std::vector<std::string> expected;
  for (const char* key : neverBind) rows.push_back({Bytes("x [") + key + "]", "never"});
  for (const char* key : bind) {
    expected.push_back(std::to_string(rows.size()) + " " + key);
    rows.push_back({Bytes("x [") + key + "]", "bound"});
  }
  EXPECT_EQ(Bound(ChooseBindings(MakeGrid(rows), LeadBytes(), std::nullopt)), expected);
  // Still a key part, so that the label shows it struck through.
  for (const char* key : neverBind) EXPECT_NE(KeyOf(Bytes("[") + key + "]"), "-") << key;
}

TEST(LineKeyRule, ATipSaysWhyAKeyDoesNotWork) {
  struct RefusesF9 : FakeHotKeys {
    bool Register(int id, unsigned modifiers, unsigned vk) override {
      FakeHotKeys::Register(id, modifiers, vk);
      return vk != 0x78;
    }
  } port;
  const GridModel grid = MakeGrid({{"Walk [up]", "north"},
                                   {"Heal [F7]", "heal"},
                                   {"Copy [ctrl+c]", "copy"},
                                   {"Again [F7]", "again"},
                                   {"Bard [Alt+Shift+F5]", "clash"},
                                   {"Taken [F9]", "held elsewhere"},
                                   {"Nav [Shift+PageDown]", "down"}});
  const std::optional<LineKey> bard = BardLineKey({true, false, true, 0x74});
  LineHotKeys keys;
  keys.Bind(port, ChooseBindings(grid, LeadBytes(), bard));
  std::vector<std::string> tips;
  for (int row = 0; row < grid.RowCount(); ++row) {
    const std::optional<LabelKey> key = ParseLabelKey(grid.Cell(kColLabel, row), LeadBytes());
    ASSERT_TRUE(key) << row;
    tips.push_back(LineKeyTip(key->key, keys.Trouble(key->key, row, bard)));
  }
  EXPECT_EQ(tips, (std::vector<std::string>{
                      "Up is needed for typing: add Ctrl or Alt, or use a function key",
                      "",
                      "Ctrl+C is needed for typing: add Alt, or use a function key",
                      "F7 belongs to a line higher up",
                      "Alt+Shift+F5 is the Bard hot key",
                      "F9 is used by another program",
                      "Shift+PageDown is needed for typing: add Ctrl or Alt, or use a function key",
                  }));
}

}  // namespace
}  // namespace parlo
