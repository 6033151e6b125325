// Each window that comes to the front asks which character it belongs to and whether a book
// follows: a few microseconds at most, set against the choice of the game window every line
// already makes, measured in the same run. A window that is no game is turned away at once.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/CpuRatioReporter.h"
#include "core/game/Character.h"
#include "core/game/GameWindow.h"

namespace parlo {
namespace {

// A player's desktop: a browser, an editor, some tools, two clients at the back.
std::vector<TopLevelWindow> Desktop() {
  std::vector<TopLevelWindow> windows;
  for (int i = 0; i < 28; ++i)
    windows.push_back({static_cast<WindowRef>(100 + i), "Chrome_WidgetWin_" + std::to_string(i),
                       "Some page about the game " + std::to_string(i) + " - Google Chrome", true,
                       static_cast<std::uint32_t>(50 + i)});
  windows.push_back({1, "SDL_app", "Alice (Atlantic) - ClassicUO - 1.0.0.0", true, 20});
  windows.push_back({2, "SDL_app", "Bobbyann (Atlantic) - ClassicUO - 1.0.0.0", true, 21});
  return windows;
}

// Fifty books, the characters' among them.
std::vector<Bytes> Books() {
  std::vector<Bytes> books;
  for (int i = 0; i < 47; ++i) books.push_back("Greetings " + std::to_string(i));
  books.push_back("Alice");
  books.push_back("Bob");
  books.push_back("Bobbyann");
  return books;
}

void ChooseTheGameWindow(benchmark::State& state) {
  const std::vector<TopLevelWindow> windows = Desktop();
  const GameChoice choice;
  for (auto _ : state) benchmark::DoNotOptimize(ChooseGameWindow(windows, choice, LeadBytes(), 1));
}

void FollowAClientToTheFront(benchmark::State& state) {
  const std::vector<TopLevelWindow> windows = Desktop();
  const std::vector<Bytes> books = Books();
  const LowerTable lower = AsciiLowerTable();
  FollowState follow;
  bool alice = false;
  for (auto _ : state) {
    // Two clients in turn, so that every event is a change to decide.
    alice = !alice;
    benchmark::DoNotOptimize(FollowForeground(follow, windows[alice ? 28 : 29], 5, false, books, 0, lower, {}));
  }
}

void IgnoreANonGameWindow(benchmark::State& state) {
  const std::vector<TopLevelWindow> windows = Desktop();
  const std::vector<Bytes> books = Books();
  const LowerTable lower = AsciiLowerTable();
  FollowState follow;
  for (auto _ : state)
    benchmark::DoNotOptimize(FollowForeground(follow, windows[3], 5, false, books, 0, lower, {}));
}

BENCHMARK(ChooseTheGameWindow);
BENCHMARK(FollowAClientToTheFront);
BENCHMARK(IgnoreANonGameWindow);

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  parlo::CpuRatioReporter reporter("ChooseTheGameWindow", "the choice of the game window a line makes");
  return parlo::RunWithRatios(argc, argv, reporter);
}
