// Choosing a book's line hot keys runs after every edit and every row drag, over the whole book.
// Measured against the least any such pass costs: one walk over every label and text of the
// same book, in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/LineHotKeys.h"

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

// Prints the usual table, then each pass against the bare walk.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    auto base = times_.find("WalkBook");
    if (base == times_.end() || base->second <= 0) return;
    std::printf("\nAgainst one walk over the labels and texts of %d rows (%.0f ns CPU):\n", kRows,
                base->second);
    for (const auto& [name, time] : times_)
      if (name != base->first)
        std::printf("  %-20s %12.0f ns  ratio %6.2f\n", name.c_str(), time, time / base->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  parlo::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
