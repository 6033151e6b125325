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
// code page's own rules. Empty or the default caption means "the game, whichever client it is".
struct GameChoice {
  Bytes caption;
  LowerTable lower = AsciiLowerTable();
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

// The game window among the listed ones; windows of our own process never count.
std::optional<GameWindow> ChooseGameWindow(const std::vector<TopLevelWindow>& windows,
                                           const GameChoice& choice, const LeadBytes& lead,
                                           std::uint32_t ownProcessId);

}  // namespace parlo
