#include <gtest/gtest.h>

#include "core/game/Character.h"

namespace parlo {
namespace {

const LeadBytes kShiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};

TEST(Character, PartOfTheTitleForEachClientAndAssistant) {
  const std::pair<Bytes, Bytes> cases[] = {
      {"Bob - ClassicUO - 1.1.0.0", "Bob"},
      {"Bob - ClassicUO [dev] - 1.1.0.0", "Bob"},
      {"Bob - [TazUO 3.21.0]", "Bob"},
      {"Bob - TazUO [dev] - 3.21.0", "Bob"},
      {"Bob (Atlantic) - ClassicUO - 1.1.0.0", "Bob (Atlantic)"},  // ClassicAssist
      // Razor's title text, as it ships for the classic client and for ClassicUO.
      {"UO - Bob (Crim: 30s) - 90/90 - ClassicUO - 1.1.0.0", "Bob (Crim: 30s) - 90/90"},
      {"UO - Bob [HP: 50/50]", "Bob [HP: 50/50]"},
      {"Bob - TazUO fan - [TazUO 3.21.0]", "Bob - TazUO fan"},  // the client's own text comes last
      {"Ultima Online - Bob (Atlantic)", "Bob (Atlantic)"},
      {"ClassicUO - 1.1.0.0", ""},
      {"[TazUO 3.21.0]", ""},
      {"Ultima Online", ""},
      {"Bob's notes - Notepad", ""},
  };
  for (const auto& [title, part] : cases) EXPECT_EQ(CharacterPartOfTitle(title), part) << title;
}

TEST(Character, OfATitleIsTheLongestBookNameItHoldsAsWholeWords) {
  const std::vector<Bytes> names = {"Bob", "Bobby", "Bobbyann", "Bob Smith", "\x83\x5C", "UO"};
  struct Case {
    Bytes title;
    const char* character;  // nullptr: no one's
  } cases[] = {
      {"Bob - ClassicUO - 1.1.0.0", "Bob"},
      {"Bobby (Atlantic) - ClassicUO - 1.1.0.0", "Bobby"},
      {"bobbyann - [TazUO 3.21.0]", "Bobbyann"},
      {"Ultima Online - BOBBY (Atlantic)", "Bobby"},
      {"UO - Bobbyann [HP: 50/50]", "Bobbyann"},
      {"UO - Bob - ClassicUO - 1.1.0.0", "Bob"},
      {"Bob Smith - ClassicUO - 1.1.0.0", "Bob Smith"},
      {"Bobbyanne - ClassicUO - 1.1.0.0", nullptr},
      {"Bob2 - ClassicUO - 1.1.0.0", nullptr},
      // A name no file can hold: the book of its part that one can.
      {"Bob: the Great - ClassicUO - 1.1.0.0", "Bob"},
      // The trail byte 5C of a double-byte character is no boundary of a word.
      {"\x83\x5C" "Bob - ClassicUO - 1.1.0.0", nullptr},
      {"Al \x83\x5C - ClassicUO - 1.1.0.0", "\x83\x5C"},
      {"Bob's notes - Notepad", nullptr},
      {"ClassicUO - 1.1.0.0", nullptr},
  };
  for (const Case& c : cases) {
    auto owner = CharacterOfTitle(c.title, names, AsciiLowerTable(), kShiftJis);
    EXPECT_EQ(owner ? names[*owner] : Bytes("(no one)"), c.character ? c.character : "(no one)") << c.title;
  }
}

TEST(Character, FollowedWhenAnotherClientComesToTheFront) {
  constexpr std::uint32_t own = 1;
  const TopLevelWindow parlo{1, "TForm_Main", "Parlo!", true, own};
  const TopLevelWindow parloBox{2, "#32770", "Parlo", true, own};
  const TopLevelWindow notepad{3, "Notepad", "Alice - Notepad", true, 9};
  const TopLevelWindow alice{10, "SDL_app", "Alice (Atlantic) - ClassicUO - 1.1.0.0", true, 20};
  const TopLevelWindow bob{11, "Ultima Online", "Ultima Online - Bob", true, 21};
  const TopLevelWindow carolOnAlices{10, "SDL_app", "Carol - ClassicUO - 1.1.0.0", true, 20};
  const TopLevelWindow alicesOther{12, "SDL_app", "Alice - [TazUO 3.21.0]", true, 22};
  // A shard's renamed build, marked by the port for the settings in its folder.
  const TopLevelWindow frank{13, "SDL_app", "Frank - UOAlive - 1.0.2.0", true, 23, true};
  // The list: the unnamed book, "-Alice", "alice", "Bob", "Greetings", "Frank".
  const std::vector<Bytes> books = {"", "Alice", "alice", "Bob", "Greetings", "Frank"};
  struct Step {
    TopLevelWindow front;
    std::optional<std::size_t> open;
    std::optional<std::size_t> follow;
    bool brought = false;
  } steps[] = {
      {parlo, 0, std::nullopt},
      {notepad, 0, std::nullopt},
      {alice, 0, 1},               // the first of Alice's two books
      {parloBox, 3, std::nullopt},  // Bob's book chosen by hand meanwhile
      {alice, 3, std::nullopt},     // back to the same client: the hand's choice stays
      {bob, 3, std::nullopt},       // Bob's own book is open already
      {alice, 3, 1},
      {carolOnAlices, 1, std::nullopt},  // logged in as one with no book
      {alice, 2, std::nullopt},          // Alice again, in the other of her books
      {bob, 4, std::nullopt, true},      // a line brought Bob's client to the front
      {bob, 4, std::nullopt},
      {alice, 4, 1},
      {alicesOther, 4, 1},  // another client of hers is another client
      {frank, 1, 5},
  };
  FollowState state;
  int n = 0;
  for (const Step& s : steps) {
    EXPECT_EQ(FollowForeground(state, s.front, own, s.brought, books, s.open, AsciiLowerTable(), LeadBytes()),
              s.follow)
        << "step " << n;
    ++n;
  }
}

}  // namespace
}  // namespace parlo
