// The cost of one Bard press on a large phrase book, measured against reading the rows of one
// section in the same run: a press should cost about a section's worth of work, whatever the
// size of the book.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/CpuRatioReporter.h"
#include "core/book/Bard.h"

namespace parlo {
namespace {

constexpr int kRowsPerSection = 100;

// Sections of 100 rows: sendable lines, one comment row, and a closing separator.
GridModel MakeBook(int sections) {
  GridModel grid;
  grid.SetRowCount(sections * kRowsPerSection);
  for (int s = 0; s < sections; ++s) {
    for (int i = 0; i < kRowsPerSection; ++i) {
      int row = s * kRowsPerSection + i;
      if (i == kRowsPerSection - 1) {
        grid.SetCell(kColLabel, row, "-----");
      } else if (i == kRowsPerSection / 2) {
        grid.SetCell(kColLabel, row, "'verse " + std::to_string(s));
        grid.SetCell(kColText, row, "a note for the reciter");
      } else {
        grid.SetCell(kColLabel, row, "Song" + std::to_string(i));
        grid.SetCell(kColText, row, "line " + std::to_string(i) + " of song " + std::to_string(s));
      }
    }
  }
  return grid;
}

const GridModel& Book(int sections) {
  static std::map<int, GridModel> books;
  auto found = books.find(sections);
  if (found == books.end()) found = books.emplace(sections, MakeBook(sections)).first;
  return found->second;
}

int MiddleSectionRow(int sections) {
  return (sections / 2) * kRowsPerSection + 3;
}

void ReadSection(benchmark::State& state) {
  int sections = static_cast<int>(state.range(0));
  const GridModel& grid = Book(sections);
  int first = MiddleSectionRow(sections) - 3;
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (int r = first; r < first + kRowsPerSection; ++r) {
      const Bytes& label = grid.Label(r);
      const Bytes& text = grid.Text(r);
      benchmark::DoNotOptimize(label.data());
      benchmark::DoNotOptimize(text.data());
      bytes += label.size() + text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
}

void Press(benchmark::State& state, bool randomize) {
  int sections = static_cast<int>(state.range(0));
  GridModel grid = Book(sections);  // a private copy: presses move its current row
  grid.SetRow(MiddleSectionRow(sections));
  BardRandom random;
  std::function<void(const Bytes&)> send = [](const Bytes& text) { benchmark::DoNotOptimize(text.data()); };
  for (auto _ : state) BardPress(grid, random, randomize, send);
  benchmark::DoNotOptimize(grid.Row());
}

void SequentialPress(benchmark::State& state) {
  Press(state, false);
}
void RandomPress(benchmark::State& state) {
  Press(state, true);
}

BENCHMARK(ReadSection)->Arg(1000);
BENCHMARK(SequentialPress)->Arg(1000)->Arg(10);
BENCHMARK(RandomPress)->Arg(1000)->Arg(10);

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  parlo::CpuRatioReporter reporter("ReadSection/1000", "reading one section's 100 label/text pairs");
  return parlo::RunWithRatios(argc, argv, reporter);
}
