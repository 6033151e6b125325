// Reading and writing a large phrase book, measured against a plain memchr scan for line ends
// over the same bytes in the same run: the reader and writer should stay within a small factor
// of merely looking at every byte once.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>
#include <string>
#include <vector>

#include "core/book/GridFind.h"
#include "core/book/SayFile.h"
#include "core/files/MemoryFileStore.h"

namespace parlo {
namespace {

constexpr int kRows = 100000;

// Sections of 50 rows: labelled lines, unlabelled lines, a comment and a closing separator,
// about 50 bytes a row.
GridModel MakeBook() {
  GridModel grid;
  grid.SetRowCount(kRows);
  for (int row = 0; row < kRows; ++row) {
    int i = row % 50;
    if (i == 49) {
      grid.SetCell(kColLabel, row, "-----");
    } else if (i == 0) {
      grid.SetCell(kColLabel, row, "'section " + std::to_string(row / 50));
      grid.SetCell(kColText, row, "notes for whoever recites this part of the book");
    } else if (i % 3 == 0) {
      grid.SetCell(kColText, row, "an unlabelled line number " + std::to_string(row) + " to be said aloud");
    } else {
      grid.SetCell(kColLabel, row, "Line" + std::to_string(i));
      grid.SetCell(kColText, row, "Well met, traveller; line " + std::to_string(row) + " of the book");
    }
  }
  return grid;
}

const GridModel& Book() {
  static const GridModel book = MakeBook();
  return book;
}

const Bytes& BookBytes() {
  static const Bytes bytes = FormatSayBook(Book());
  return bytes;
}

void MemchrLineScan(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  for (auto _ : state) {
    size_t lines = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (const void* hit = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
      ++lines;
      p = static_cast<const char*>(hit) + 1;
    }
    benchmark::DoNotOptimize(lines);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void CutLinesOnly(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  std::vector<std::string_view> lines;
  for (auto _ : state) {
    CutLines(bytes, lines);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// What any reader pays to the grid model, with the lines already cut and split: the old book is
// emptied, then every cell is set. The reader cannot get below this.
void FillGridOnly(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  // The rows as the reader splits them, pointing into the kept bytes.
  auto source = std::make_shared<const Bytes>(bytes);
  std::vector<std::string_view> lines;
  CutLines(*source, lines);
  std::vector<std::pair<std::string_view, std::string_view>> cells;
  for (size_t i = 1; i < lines.size(); ++i) {
    size_t tab = lines[i].find('\t');
    if (tab == std::string_view::npos)
      cells.emplace_back(std::string_view(), lines[i]);
    else
      cells.emplace_back(lines[i].substr(0, tab), lines[i].substr(tab + 1));
  }
  GridModel grid;
  Bytes currentFile;
  for (auto _ : state) {
    ClearSays(grid, currentFile);
    grid.AdoptSource(source);
    grid.SetRowCount(static_cast<int>(cells.size()));
    for (size_t r = 0; r < cells.size(); ++r) {
      grid.SetLoadedCell(kColLabel, static_cast<int>(r), cells[r].first);
      grid.SetLoadedCell(kColText, static_cast<int>(r), cells[r].second);
    }
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// As a load does it: the grid is emptied first, then filled from the bytes the file was read into.
void ReadBook(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  auto content = std::make_shared<const Bytes>(bytes);
  GridModel grid;
  Bytes currentFile;
  for (auto _ : state) {
    ClearSays(grid, currentFile);
    ReadSayBook(content, grid);
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// The whole of a load at the start, as the main window has it done: the file's bytes copied out
// of the store (as out of the system's cache), the rows read, and what is known of the file noted.
void LoadBook(benchmark::State& state) {
  MemoryFileStore store;
  store.Put("C:\\Parlo\\sayA.txt", BookBytes());
  // A load that works asks nothing.
  class : public MessageBoxPort {
   public:
    int Show(const Bytes&, const Bytes&, unsigned) override { return kIdNo; }
  } prompt;
  SayFiles files(store, prompt, "C:\\Parlo\\", "C:\\Parlo\\say-default.txt");
  BookOnDisk onDisk;
  files.Track(&onDisk);
  GridModel grid;
  Bytes currentFile;
  for (auto _ : state) {
    files.LoadSayFile(grid, currentFile, "sayA.txt");
    benchmark::DoNotOptimize(grid.RowCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(BookBytes().size()));
}

void WriteBook(benchmark::State& state) {
  const GridModel& grid = Book();
  size_t size = 0;
  for (auto _ : state) {
    Bytes out = FormatSayBook(grid);
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

// Find through every row (the word is in none), against memmem over the same bytes.
constexpr char kAbsentWord[] = "wyvern";

void MemmemScan(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  for (auto _ : state) {
    const void* hit = memmem(bytes.data(), bytes.size(), kAbsentWord, sizeof kAbsentWord - 1);
    benchmark::DoNotOptimize(hit);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// As the find box does it, on a loaded book (cells still views into the file's bytes).
void FindEveryRow(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  GridModel grid;
  ReadSayBook(std::make_shared<const Bytes>(bytes), grid);
  const LowerTable lower = AsciiLowerTable();
  const LeadBytes lead;
  for (auto _ : state) {
    FindHit hit = FindInGrid(grid, kAbsentWord, 0, true, lower, lead);
    benchmark::DoNotOptimize(hit.row);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// The same with the lead bytes of a double-byte code page (Shift-JIS).
void FindEveryRowDoubleByte(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  GridModel grid;
  ReadSayBook(std::make_shared<const Bytes>(bytes), grid);
  const LowerTable lower = AsciiLowerTable();
  const LeadBytes lead{{0x81, 0x9F}, {0xE0, 0xFC}};
  for (auto _ : state) {
    FindHit hit = FindInGrid(grid, kAbsentWord, 0, true, lower, lead);
    benchmark::DoNotOptimize(hit.row);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

// A file's 1,000 lines imported at the end of the loaded book, then taken back with undo: a pass
// over the book's texts for the repeats, and one move of the rows each way. New lines are of
// lengths the book's texts do not have; the book's own lines make every row of the book a
// candidate, are all found there and add nothing.
void ImportIntoBook(benchmark::State& state, bool booksOwnLines) {
  const Bytes& bytes = BookBytes();
  GridModel grid;
  ReadSayBook(std::make_shared<const Bytes>(bytes), grid);
  std::vector<ImportedLine> lines;
  for (int i = 0; i < 1000; ++i) {
    const int row = i * (kRows / 1000) + 1;
    lines.push_back(
        {"Greet", booksOwnLines ? Book().Text(row) : "an imported line number " + std::to_string(i)});
  }
  for (auto _ : state) {
    const ImportOutcome outcome = ImportLines(grid, "macros.xml", lines);
    if (outcome.added) grid.Undo();
    benchmark::DoNotOptimize(outcome.added);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

BENCHMARK(MemchrLineScan)->Unit(benchmark::kMillisecond);
BENCHMARK(MemmemScan)->Unit(benchmark::kMillisecond);
BENCHMARK(FindEveryRow)->Unit(benchmark::kMillisecond);
BENCHMARK(FindEveryRowDoubleByte)->Unit(benchmark::kMillisecond);
BENCHMARK(CutLinesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(FillGridOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadBook)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadBook)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteBook)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportIntoBook, NewLines, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ImportIntoBook, BooksOwnLines, true)->Unit(benchmark::kMillisecond);

// Prints the usual table, then each throughput against the memchr scan.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // With repetitions the median stands for the benchmark; otherwise its single run does.
    for (const Run& run : runs) {
      auto rate = run.counters.find("bytes_per_second");
      if (rate == run.counters.end()) continue;
      const std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians_[name] = rate->second;
      else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !medians_.count(name))
        rates_[name] = rate->second;
    }
    for (const auto& [name, rate] : medians_) rates_[name] = rate;
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    auto base = rates_.find("MemchrLineScan");
    if (base == rates_.end() || base->second <= 0) return;
    std::printf("\nBook of %d rows, %zu bytes. Against the memchr line scan (%.0f MB/s):\n", kRows,
                BookBytes().size(), base->second / 1e6);
    for (const auto& [name, rate] : rates_)
      if (name != base->first)
        std::printf("  %-16s %8.0f MB/s  ratio %5.2f\n", name.c_str(), rate / 1e6, rate / base->second);
    auto memmemRate = rates_.find("MemmemScan");
    if (memmemRate == rates_.end() || memmemRate->second <= 0) return;
    std::printf("Find through all %d rows against memmem over the same bytes (%.0f MB/s):\n", kRows,
                memmemRate->second / 1e6);
    for (const char* name : {"FindEveryRow", "FindEveryRowDoubleByte"}) {
      auto rate = rates_.find(name);
      if (rate != rates_.end())
        std::printf("  %-22s %8.0f MB/s  ratio %5.2f  (%.2f ms a search)\n", name, rate->second / 1e6,
                    rate->second / memmemRate->second,
                    1e3 * static_cast<double>(BookBytes().size()) / rate->second);
    }
  }

 private:
  std::map<std::string, double> rates_;
  std::map<std::string, double> medians_;
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
