#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/book/GridFind.h"
#include "core/game/GameWindow.h"
#include "core/text/Bytes.h"
#include "core/text/LeadBytes.h"

namespace parlo {

// The part of a game client's title that names the character, wherever the client and its
// assistant put it:
//   ClassicUO "<text> - ClassicUO - <version>" (or "ClassicUO [dev]"), TazUO "<text> - [TazUO ...]"
//   (or "<text> - TazUO [dev] - ..."), where <text> is the character or an assistant's line holding it
//   ("Alice (Shard)", Razor's "UO - Alice [HP ...]");
//   the classic client and the rebuilt ones "Ultima Online - Alice (Shard)";
//   Razor over the classic client "UO - Alice ...".
// The leading "Ultima Online - " or "UO - " is not part of it. Empty for a window with no character
// logged in, or of another program.
std::string_view CharacterPartOfTitle(std::string_view title);

// The character part of the title of a modern client that a shard built under its own name:
// the client's shape "<text> - <name> - <version>" or "<text> - [<name> <version>]" with the
// client's own parts taken off (two when the last is a version, else one). Empty when nothing
// stands before them.
std::string_view CharacterPartOfRenamedTitle(std::string_view title);

// The character part of a listed window's title; a shard's renamed build, which the port marks, by
// its own shape.
std::string_view CharacterPartOfWindow(const TopLevelWindow& window);

// Whether name stands in the character part as whole words: letter case folded by lower, double-byte
// characters matched byte for byte, and neither a letter, a digit nor another non-ASCII character
// right before or after it (so "Bob" is not in "Bobby", but is in "Bob (Shard)" and in "Bob:Smith").
bool HoldsName(std::string_view part, std::string_view name, const LowerTable& lower, const LeadBytes& lead);

// The same name as far as a character goes: the same length, letter case folded.
bool SameName(std::string_view a, std::string_view b, const LowerTable& lower, const LeadBytes& lead);

// The character a title belongs to among names: the longest one held in its character part (the
// first of equally long ones, which are then the same name). Nothing when none is held.
std::optional<std::size_t> CharacterOfTitle(std::string_view title, const std::vector<Bytes>& names,
                                            const LowerTable& lower, const LeadBytes& lead);
// The same for a listed window, a renamed client's title read by its own shape.
std::optional<std::size_t> CharacterOfWindow(const TopLevelWindow& window, const std::vector<Bytes>& names,
                                             const LowerTable& lower, const LeadBytes& lead);

// The game client last seen in front and the character it belonged to then.
struct FollowState {
  WindowRef client = 0;
  Bytes character;
};

// The book to open now that `front` came to the front, as an index into bookCharacters (the
// character of each listed book, empty for a book of no one). Only a game client that is not ours
// counts, and only one other than the last seen (another window, or the same one now logged in
// as someone else), so a book chosen by hand stays while the player goes to Parlo and back. A
// client Parlo itself brought to the front with a line is remembered but followed by nothing: the
// line came from the book the player chose. Nothing when the open book is already the character's;
// of two books of the same character the first listed.
std::optional<std::size_t> FollowForeground(FollowState& state, const TopLevelWindow& front,
                                            std::uint32_t ownProcessId, bool broughtByParlo,
                                            const std::vector<Bytes>& bookCharacters,
                                            std::optional<std::size_t> openBook, const LowerTable& lower,
                                            const LeadBytes& lead);

// Tells which window comes to the front, as the system reports it; nothing is polled.
class ForegroundPort {
 public:
  virtual ~ForegroundPort() = default;
  // From now on changed runs, on this thread and from its message loop, with each window that
  // comes to the front. False when the system cannot tell.
  virtual bool Watch(std::function<void(WindowRef)> changed) = 0;
  virtual void Stop() = 0;
};

}  // namespace parlo
