// Choosing a book's line hot keys runs after every edit and every row drag, over the whole book.
// Measured against the least any such pass costs: one walk over every label and text of the
// same book, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/CpuRatioReporter.h"
#include "core/book/LineHotKeys.h"

namespace parlo {
namespace {

constexpr int kRows = 100000;

// Say lines, a comment and a separator per hundred rows; one line in a thousand has a key, and
// every tenth label ends in brackets that are just text.
GridModel MakeBook() {
  GridModel grid;
  grid.SetRowCount(kRows);
  const char* keys[] = {"F1", "Ctrl+F2", "Alt+Shift+T", "Num5", "Ctrl + Home", "Win+Space"};
  for (int row = 0; row < kRows; ++row) {
    Bytes label;
    if (row % 100 == 99)
      label = "-----";
    else if (row % 100 == 50)
      label = "'note [F9]";
    else if (row % 1000 == 7)
      label = "Line " + std::to_string(row) + " [" + keys[(row / 1000) % 6] + "]";
    else if (row % 10 == 3)
      label = "Line " + std::to_string(row) + " [draft]";
    else
      label = "Line " + std::to_string(row);
    grid.SetCell(kColLabel, row, label);
    grid.SetCell(kColText, row, "a line to say, number " + std::to_string(row));
  }
  return grid;
}

const GridModel& Book() {
  static const GridModel book = MakeBook();
  return book;
}

class NoPort : public HotKeyPort {
 public:
  bool Register(int, unsigned, unsigned) override { return true; }
  void Unregister(int) override {}
};

void WalkBook(benchmark::State& state) {
  const GridModel& grid = Book();
  for (auto _ : state) {
    std::size_t bytes = 0;
    grid.ForEachLabelAndText(
        [&](std::string_view label, std::string_view text) { bytes += label.size() + text.size(); });
    benchmark::DoNotOptimize(bytes);
  }
}

void ChooseBookBindings(benchmark::State& state) {
  const GridModel& grid = Book();
  for (auto _ : state) {
    std::vector<LineBinding> bindings = ChooseBindings(grid, LeadBytes(), LineKey{5, 0x74});
    benchmark::DoNotOptimize(bindings.data());
  }
}

// What an edit that changes no key costs: choose again, and find nothing to register.
void RebindUnchanged(benchmark::State& state) {
  const GridModel& grid = Book();
  NoPort port;
  LineHotKeys keys;
  keys.Bind(port, ChooseBindings(grid, LeadBytes(), std::nullopt));
  for (auto _ : state) {
    LineHotKeys::BindResult result = keys.Bind(port, ChooseBindings(grid, LeadBytes(), std::nullopt));
    benchmark::DoNotOptimize(result.changedRows.data());
  }
}

BENCHMARK(WalkBook);
BENCHMARK(ChooseBookBindings);
BENCHMARK(RebindUnchanged);

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  parlo::CpuRatioReporter reporter(
      "WalkBook", "one walk over the labels and texts of " + std::to_string(parlo::kRows) + " rows");
  return parlo::RunWithRatios(argc, argv, reporter);
}
