#pragma once
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/book/GridFind.h"
#include "core/text/LeadBytes.h"

namespace parlo {

using WindowRef = std::uintptr_t;  // 0 = no window

// The classic client registers this class; rebuilt classic clients register their own and keep
// the classic title, and the modern clients run on SDL, whose windows share one class.
inline constexpr const char kGameWindowClass[] = "Ultima Online";
inline constexpr const char kDefaultGameCaption[] = "Ultima Online - ";
// The classes of the rebuilt classic clients, as their sources register them. A title alone is
// no proof: a browser tab or a document about the game carries the same one.
inline constexpr const char* const kRebuiltClientClasses[] = {"Orion UO Client"};
inline constexpr const char kModernClientClass[] = "SDL_app";
inline constexpr const char* const kModernClientNames[] = {"ClassicUO", "TazUO"};

// One top-level window as the system lists them, front to back.
struct TopLevelWindow {
  WindowRef handle = 0;
  Bytes className;
  Bytes title;
  bool visible = false;
  std::uint32_t processId = 0;
  // The program's folder holds a modern client's settings.json: a shard's own build of a modern
  // client, whatever it calls itself. Looked up only where NamesNoClient holds.
  bool modernClientFolder = false;
};

// Which window the player sends to: the caption the title starts with, letter case folded by the
// code page's own rules. Empty or the default caption means "the game, whichever client it is",
// and then a character's book goes to its character's client.
struct GameChoice {
  Bytes caption;
  LowerTable lower = AsciiLowerTable();
  // The open book's character; empty for a book of no one.
  Bytes character;
  // The characters of all books: a client belongs to the longest of them its title holds.
  std::vector<Bytes> characters;
  // The character has been seen in a client: its lines go to its client or nowhere. A book named
  // after no character ever seen goes where any book goes.
  bool characterSeen = false;
};

struct GameWindow {
  WindowRef handle = 0;
  // The classic client takes characters in the background; every other client only in front.
  bool classic = false;
  Bytes title;
  std::uint32_t processId = 0;
};

// An SDL window whose title names no modern client: a shard's renamed build, or another program.
bool NamesNoClient(const TopLevelWindow& window, const LeadBytes& lead);

// The caption leaves the choice to the game: empty, or the default with or without its blank.
bool IsDefaultCaption(const GameChoice& choice, const LeadBytes& lead);

// A window of a game client: the classic client by its class, a rebuilt one by its class and
// title, a modern one by its class and its name in the title.
bool IsGameClient(const TopLevelWindow& window, const LowerTable& lower, const LeadBytes& lead);

// The characters of choice.characters that have a game client among the windows.
std::vector<Bytes> CharactersInGame(const std::vector<TopLevelWindow>& windows, const GameChoice& choice,
                                    const LeadBytes& lead, std::uint32_t ownProcessId);

// The game window among the listed ones; windows of our own process never count.
std::optional<GameWindow> ChooseGameWindow(const std::vector<TopLevelWindow>& windows,
                                           const GameChoice& choice, const LeadBytes& lead,
                                           std::uint32_t ownProcessId);

}  // namespace parlo
