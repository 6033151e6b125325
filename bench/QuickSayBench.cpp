// Quick Say filters the book on every keystroke. Measured against one memmem pass over the book's
// bytes in the same run: the least any look at every label and text can cost.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/CpuRatioReporter.h"
#include "core/book/GridFind.h"
#include "core/book/SayFile.h"

namespace parlo {
namespace {

constexpr int kRows = 100000;
const LeadBytes kShiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};

// Sections of 50 rows: a comment, then lines of a few words each from a small stock, labelled
// with a word and a number, and a closing separator; about 45 bytes a row.
const Bytes& BookBytes() {
  static const Bytes bytes = [] {
    const char* words[] = {"hail",     "traveller", "guards", "heal", "me",    "please", "sell", "buy",
                           "reagents", "bank",      "meet",   "at",   "the",   "gate",   "well", "met",
                           "friend",   "thanks",    "kindly", "bye",  "later", "arrows", "for",  "sale"};
    const size_t count = sizeof words / sizeof words[0];
    Bytes book = "[PARLO!]\r\n";
    for (int row = 0; row < kRows; ++row) {
      const int i = row % 50;
      if (i == 49) {
        book += "-----\t\r\n";
      } else if (i == 0) {
        book += "'section " + std::to_string(row / 50) + "\tnotes for whoever recites this part\r\n";
      } else {
        book += Bytes(words[row % count]) + std::to_string(i) + "\t";
        for (int w = 0; w < 5; ++w) book += Bytes(w ? " " : "") + words[(row * 7 + w * 5) % count];
        book += "\r\n";
      }
    }
    return book;
  }();
  return bytes;
}

// A loaded book: the labels and texts stay views into the file's bytes, as after start-up.
const GridModel& Book() {
  static const GridModel book = [] {
    GridModel grid;
    ReadSayBook(std::make_shared<const Bytes>(BookBytes()), grid);
    return grid;
  }();
  return book;
}

void MemmemPass(benchmark::State& state) {
  const Bytes& bytes = BookBytes();
  for (auto _ : state) {
    const void* hit = memmem(bytes.data(), bytes.size(), "wyvern", 6);
    benchmark::DoNotOptimize(hit);
  }
}

// The first keystroke walks every row: one letter is the most common case and the dearest.
void FirstLetter(benchmark::State& state, const char* typed, const LeadBytes& lead) {
  const GridModel& grid = Book();
  const LowerTable lower = AsciiLowerTable();
  for (auto _ : state) {
    std::vector<int> rows = FilterSayRows(grid, typed, lower, lead);
    benchmark::DoNotOptimize(rows.data());
  }
}

// Typing a word letter by letter from an empty box: the first letter walks the book, each one
// after narrows what is left. The time is for the six keystrokes together.
void TypeSixLetters(benchmark::State& state) {
  const GridModel& grid = Book();
  const LowerTable lower = AsciiLowerTable();
  const char* keystrokes[] = {"g", "gu", "gua", "guar", "guard", "guards"};
  SayRowFilter filter;
  for (auto _ : state) {
    filter.Reset();
    for (const char* typed : keystrokes)
      benchmark::DoNotOptimize(filter.Apply(grid, typed, lower, LeadBytes()).data());
  }
}

// A pasted or retyped phrase of several words, filtered from scratch.
void ThreeWordsAtOnce(benchmark::State& state) {
  const GridModel& grid = Book();
  const LowerTable lower = AsciiLowerTable();
  for (auto _ : state) {
    std::vector<int> rows = FilterSayRows(grid, "heal me please", lower, LeadBytes());
    benchmark::DoNotOptimize(rows.data());
  }
}

BENCHMARK(MemmemPass);
BENCHMARK_CAPTURE(FirstLetter, OneLetter, "e", LeadBytes());
BENCHMARK_CAPTURE(FirstLetter, OneLetterShiftJis, "e", kShiftJis);
BENCHMARK_CAPTURE(FirstLetter, AbsentWord, "wyvern", LeadBytes());
BENCHMARK(TypeSixLetters);
BENCHMARK(ThreeWordsAtOnce);

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  parlo::CpuRatioReporter reporter("MemmemPass", "one memmem pass over the " +
                                                     std::to_string(parlo::BookBytes().size()) +
                                                     " bytes of " + std::to_string(parlo::kRows) + " rows");
  return parlo::RunWithRatios(argc, argv, reporter);
}
