#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <utility>
#include <vector>

#include "core/files/MemoryFileStore.h"
#include "core/book/SayFile.h"
#include "tests/unit/book/GridRows.h"

namespace parlo {
namespace {

Rows Read(std::string_view content) {
  GridModel grid;
  ReadSayBook(content, grid);
  return RowsOf(grid);
}

std::vector<Bytes> Lines(std::string_view text) {
  std::vector<std::string_view> views;
  CutLines(text, views);
  return std::vector<Bytes>(views.begin(), views.end());
}

const Rows kOneEmptyRow = {{"", ""}};

TEST(CutLines, EveryBreakKindEndsALine) {
  EXPECT_EQ(Lines("a\r\nb\nc\rd"), (std::vector<Bytes>{"a", "b", "c", "d"}));
  EXPECT_EQ(Lines("a\r\r\nb"), (std::vector<Bytes>{"a", "", "b"}));  // CR, then CR LF
  EXPECT_EQ(Lines("a\n\rb"), (std::vector<Bytes>{"a", "", "b"}));    // LF CR is two breaks
  EXPECT_EQ(Lines("\r\n\n\r"), (std::vector<Bytes>{"", "", ""}));
}

TEST(CutLines, FinalBreakAddsNoLineButInnerEmptyLinesStay) {
  EXPECT_EQ(Lines(""), std::vector<Bytes>{});
  EXPECT_EQ(Lines("a"), std::vector<Bytes>{"a"});
  EXPECT_EQ(Lines("a\r\n"), std::vector<Bytes>{"a"});
  EXPECT_EQ(Lines("a\r"), std::vector<Bytes>{"a"});
  EXPECT_EQ(Lines("a\n\n"), (std::vector<Bytes>{"a", ""}));
  EXPECT_EQ(Lines("\r\n"), std::vector<Bytes>{""});
  EXPECT_EQ(Lines("a\r\n\r\nb\r\n"), (std::vector<Bytes>{"a", "", "b"}));
}

TEST(CutLines, TextEndsAtFirstNul) {
  using namespace std::string_literals;
  EXPECT_EQ(Lines("a\nb\0c\nd"s), (std::vector<Bytes>{"a", "b"}));
  EXPECT_EQ(Lines("a\r\0\nb"s), std::vector<Bytes>{"a"});  // the CR before NUL is the final break
  EXPECT_EQ(Lines("\0abc"s), std::vector<Bytes>{});
}

TEST(CutLines, BreaksAndNulAtEveryOffsetOfALongLine) {
  // Searches go a block of bytes at a time; a break or NUL may sit anywhere in or after a block,
  // and bytes with the high bit set must not be taken for one.
  const Bytes filler(140, '\xE9');  // over two spans of 64 and a part
  for (size_t at = 0; at < filler.size(); ++at) {
    // A TAB ends no line; it splits a row.
    Bytes tabbed = filler;
    tabbed[at] = '\t';
    EXPECT_EQ(Lines(tabbed), std::vector<Bytes>{tabbed}) << at;
    EXPECT_EQ(Read("[PARLO!]\r\n" + tabbed + "\t\r\n"), (Rows{{filler.substr(0, at), filler.substr(at + 1) + "\t"}}))
        << at;
    if (at + 1 < filler.size()) {  // a CR LF is one break, also across the edge of a span
      Bytes text = filler;
      text[at] = '\r';
      text[at + 1] = '\n';
      std::vector<Bytes> expected = {filler.substr(0, at)};
      if (at + 2 < filler.size()) expected.push_back(filler.substr(at + 2));
      EXPECT_EQ(Lines(text), expected) << at;
    }
    for (const char brk : {'\r', '\n', '\0'}) {
      Bytes text = filler;
      text[at] = brk;
      std::vector<Bytes> expected;
      if (brk != '\0' || at > 0) expected.push_back(filler.substr(0, at));
      if (brk != '\0' && at + 1 < filler.size())
        expected.push_back(filler.substr(at + 1));  // a final break adds none
      EXPECT_EQ(Lines(text), expected) << at << " " << int(brk);
    }
  }
}

TEST(ChooseLayout, HeaderMustMatchExactly) {
  EXPECT_EQ(ChooseLayout("[PARLO!]"), SayLayout::kHeaded);
  EXPECT_EQ(ChooseLayout("[parlo!]"), SayLayout::kPaired);
  EXPECT_EQ(ChooseLayout("[PARLO!] "), SayLayout::kPaired);
  EXPECT_EQ(ChooseLayout(" [PARLO!]"), SayLayout::kPaired);
  EXPECT_EQ(ChooseLayout("\xEF\xBB\xBF[PARLO!]"), SayLayout::kPaired);
  EXPECT_EQ(ChooseLayout("[PARLO!]\t"), SayLayout::kTabbed);
  EXPECT_EQ(ChooseLayout("a\tb"), SayLayout::kTabbed);
  EXPECT_EQ(ChooseLayout(""), SayLayout::kPaired);
}

TEST(ReadSayBook, WorkedExampleInAllThreeLayouts) {
  EXPECT_EQ(Read("[PARLO!]\r\nhi\tHello there\r\nGood bye\r\n-----\t\r\n"),
            (Rows{{"hi", "Hello there"}, {"", "Good bye"}, {"-----", ""}}));
  EXPECT_EQ(Read("hi\tHello\r\nThanks\r\n"), (Rows{{"hi", "Hello"}, {"", "Thanks"}}));
  EXPECT_EQ(Read("Greet\r\nHello\r\nBye\r\nGood bye\r\nextra\r\n"),
            (Rows{{"Greet", "Hello"}, {"Bye", "Good bye"}}));
}

TEST(ReadSayBook, RowCountRulesNeverGiveFewerThanOneRow) {
  EXPECT_EQ(Read(""), kOneEmptyRow);
  EXPECT_EQ(Read("[PARLO!]"), kOneEmptyRow);
  EXPECT_EQ(Read("[PARLO!]\r\n"), kOneEmptyRow);
  EXPECT_EQ(Read("just one line"), kOneEmptyRow);
  EXPECT_EQ(Read("\r\n"), kOneEmptyRow);
  EXPECT_EQ(Read("[PARLO!]\r\n\r\n\r\n\r\n"), (Rows{{"", ""}, {"", ""}, {"", ""}}));  // empty rows survive
  EXPECT_EQ(Read("a\r\nb\r\n\r\n\r\n"), (Rows{{"a", "b"}, {"", ""}}));
}

TEST(ReadSayBook, SplitsAtTheFirstTabOnly) {
  EXPECT_EQ(Read("[PARLO!]\n\t\na\tb\tc\nlabel\t\n\tlead\n"),
            (Rows{{"", ""}, {"a", "b\tc"}, {"label", ""}, {"", "lead"}}));
  // Paired lines are taken whole, TABs included.
  EXPECT_EQ(Read("x y\na\tb\n"), (Rows{{"x y", "a\tb"}}));
}

TEST(ReadSayBook, HeaderVariantsFallToOtherLayouts) {
  EXPECT_EQ(Read("[parlo!]\r\nA\r\nB\r\n"), (Rows{{"[parlo!]", "A"}}));
  EXPECT_EQ(Read("\xEF\xBB\xBF[PARLO!]\r\nx\ty\r\n"), (Rows{{"\xEF\xBB\xBF[PARLO!]", "x\ty"}}));
  EXPECT_EQ(Read("[PARLO!] \tz\r\nq\r\n"), (Rows{{"[PARLO!] ", "z"}, {"", "q"}}));
}

TEST(ReadSayBook, LineEndsAndNulDoNotMatter) {
  using namespace std::string_literals;
  const Rows expected = {{"a", "1"}, {"", "two"}, {"c", ""}};
  EXPECT_EQ(Read("[PARLO!]\na\t1\ntwo\nc\t"), expected);
  EXPECT_EQ(Read("[PARLO!]\ra\t1\rtwo\rc\t\r"), expected);
  EXPECT_EQ(Read("[PARLO!]\r\na\t1\ntwo\rc\t\r\n"), expected);
  EXPECT_EQ(Read("[PARLO!]\r\na\t1\r\ntwo\r\nc\t\r\n\0ignored\r\nrows\r\n"s), expected);
}

TEST(ReadSayBook, ReplacesEveryRowOfABiggerGrid) {
  GridModel grid = MakeGrid({{"old", "1"}, {"old", "2"}, {"old", "3"}});
  grid.SetCell(kColButton, 0, "kept");
  ReadSayBook("[PARLO!]\r\nnew\r\n", grid);
  EXPECT_EQ(RowsOf(grid), (Rows{{"", "new"}}));
  EXPECT_EQ(grid.Cell(kColButton, 0), "kept");
  ReadSayBook("only", grid);
  EXPECT_EQ(RowsOf(grid), kOneEmptyRow);
}

TEST(FormatSayBook, WritesHeadedLayoutWithCrLfAfterEveryLine) {
  GridModel grid = MakeGrid({{"hi", "Hello there"}, {"", "Good bye"}, {"-----", ""}});
  EXPECT_EQ(FormatSayBook(grid), "[PARLO!]\r\nhi\tHello there\r\nGood bye\r\n-----\t\r\n");
  EXPECT_EQ(FormatSayBook(GridModel()), "[PARLO!]\r\n\r\n");
  EXPECT_EQ(FormatSayBook(MakeGrid({{"", ""}, {"", ""}})), "[PARLO!]\r\n\r\n\r\n");
}

TEST(FormatSayBook, EmptyLabelWithTabInTextSplitsOnReadBack) {
  GridModel grid = MakeGrid({{"", "before\tafter"}});
  EXPECT_EQ(FormatSayBook(grid), "[PARLO!]\r\nbefore\tafter\r\n");
  EXPECT_EQ(Read(FormatSayBook(grid)), (Rows{{"before", "after"}}));
}

TEST(FormatSayBook, LfAndCrFilesComeBackWithCrLf) {
  GridModel grid;
  ReadSayBook("[PARLO!]\na\tb\rc\n", grid);
  EXPECT_EQ(FormatSayBook(grid), "[PARLO!]\r\na\tb\r\nc\r\n");
}

// The inputs a save and reload change, written out: a TAB in a label moves the rest of the label
// into the text, a TAB in the text of a row without a label splits it, and every line break in a
// cell starts another row.
TEST(FormatSayBook, TabsInLabelsAndLineBreaksInCellsReshapeTheBookOnReload) {
  struct Case {
    Rows before, after;
  } cases[] = {
      {{{"a\tb", "c"}}, {{"a", "b\tc"}}},
      {{{"", "x\ty\tz"}}, {{"x", "y\tz"}}},
      {{{"l", "one\r\ntwo"}}, {{"l", "one"}, {"", "two"}}},
      {{{"", "a\nb"}, {"k", "v"}}, {{"", "a"}, {"", "b"}, {"k", "v"}}},
      {{{"", "a\rb\tc"}}, {{"", "a"}, {"b", "c"}}},
      {{{"l\r", "t"}}, {{"", "l"}, {"", "t"}}},
      {{{"", "x\r"}}, {{"", "x"}, {"", ""}}},  // the row's own CR LF follows the CR
      {{{"", "x\n"}, {"", "y"}}, {{"", "x"}, {"", ""}, {"", "y"}}},
      {{{"", "\n"}}, {{"", ""}, {"", ""}}},
      {{{"a\n", ""}}, {{"", "a"}, {"", ""}}},  // a label that is only a line, then an empty text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatSayBook(MakeGrid(c.before)));
    EXPECT_EQ(Read(FormatSayBook(MakeGrid(c.before))), c.after);
  }
}

// What a save and reload make of rows, from the file's layout: one line per row, "label TAB
// text" or the text alone when the label is empty; a CR, an LF or a CR LF in a cell ends a line
// there, and each line splits at its first TAB.
Rows Reloaded(const Rows& rows) {
  Bytes file;
  for (const auto& [label, text] : rows) file += (label.empty() ? text : label + "\t" + text) + "\r\n";
  Rows out;
  Bytes line;
  auto endLine = [&] {
    size_t tab = line.find('\t');
    if (tab == Bytes::npos)
      out.emplace_back("", line);
    else
      out.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    line.clear();
  };
  for (size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\r') {
      endLine();
      if (i + 1 < file.size() && file[i + 1] == '\n') ++i;
    } else if (file[i] == '\n') {
      endLine();
    } else {
      line.push_back(file[i]);
    }
  }
  return out;
}

// Any grid reads back as the layout says after a write: unchanged when no cell holds a line
// break, no label a TAB and no row without a label a TAB in its text; reshaped as above otherwise.
TEST(FormatSayBook, RoundTripPropertyOnRandomGrids) {
  std::mt19937 rng(20240611);
  const char alphabet[] = {'a', 'Z',    ' ',    '\t',   '-',    '\'',   '[',  ']',
                           '!', '\x82', '\xA0', '\x5C', '\xFF', '\x01', '\r', '\n'};
  auto randomCell = [&] {
    Bytes cell;
    int length = std::uniform_int_distribution<int>(0, 12)(rng);
    if (std::uniform_int_distribution<int>(0, 4)(rng) == 0) length = 0;
    // Most cells stay clear of TAB and line breaks, so that both kinds of grid are common.
    bool plain = std::uniform_int_distribution<int>(0, 9)(rng) != 0;
    for (int i = 0; i < length; ++i) {
      char c = alphabet[std::uniform_int_distribution<size_t>(0, sizeof(alphabet) - 1)(rng)];
      if (plain && (c == '\t' || c == '\r' || c == '\n')) c = 'x';
      cell.push_back(c);
    }
    return cell;
  };
  int unchanged = 0, reshaped = 0;
  for (int iteration = 0; iteration < 500; ++iteration) {
    Rows rows(static_cast<size_t>(std::uniform_int_distribution<int>(1, 30)(rng)));
    bool clean = true;
    for (auto& [label, text] : rows) {
      label = randomCell();
      text = randomCell();
      if (label.find_first_of("\t\r\n") != Bytes::npos || text.find_first_of("\r\n") != Bytes::npos ||
          (label.empty() && text.find('\t') != Bytes::npos))
        clean = false;
    }
    GridModel grid = MakeGrid(rows);
    Bytes written = FormatSayBook(grid);
    Rows back = Read(written);
    if (clean) {
      ++unchanged;
      ASSERT_EQ(back, rows) << "iteration " << iteration;
    } else {
      ++reshaped;
      ASSERT_EQ(back, Reloaded(rows)) << "iteration " << iteration;
    }
    // What was read is written as it was read: a grid of reloaded rows writes the same lines.
    GridModel again;
    ReadSayBook(written, again);
    ASSERT_EQ(Read(FormatSayBook(again)), Reloaded(back)) << "iteration " << iteration;
    if (clean) {
      ASSERT_EQ(FormatSayBook(again), written);
    }
  }
  EXPECT_GT(unchanged, 50);
  EXPECT_GT(reshaped, 50);
}

TEST(IsUnnamedBook, AnyLetterCaseOfSayTxt) {
  for (const char* name : {"say.txt", "SAY.TXT", "Say.txt", "sAy.TxT"})
    EXPECT_TRUE(IsUnnamedBook(name)) << name;
  for (const char* name : {"", "say", "say.txt ", "sayA.txt", "say.tx", "say_txt", "say-default.txt"})
    EXPECT_FALSE(IsUnnamedBook(name)) << name;
}

// Answers message boxes from a script and records what they asked.
class ScriptedPrompt : public MessageBoxPort {
 public:
  struct Call {
    Bytes text, caption;
    unsigned flags;
  };
  explicit ScriptedPrompt(std::deque<int> answers = {}) : answers_(std::move(answers)) {}
  int Show(const Bytes& text, const Bytes& caption, unsigned flags) override {
    calls.push_back({text, caption, flags});
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected prompt: " << text;
      return kIdNo;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  std::vector<Call> calls;

 private:
  std::deque<int> answers_;
};

class SayFilesTest : public ::testing::Test {
 protected:
  const Bytes dir = "C:\\Parlo\\";
  const Bytes fallback = "C:\\Parlo\\say-default.txt";
  MemoryFileStore store;
  ScriptedPrompt prompt;
  GridModel grid;
  Bytes currentFile = "sayOld.txt";

  SayFiles Files() { return SayFiles(store, prompt, dir, fallback); }
  bool Load(const Bytes& name) { return Files().LoadSayFile(grid, currentFile, name); }
  bool Save(const Bytes& name) { return Files().SaveSayFile(grid, name); }
  void ExpectPrompts(const char* text, size_t count) {
    ASSERT_EQ(prompt.calls.size(), count);
    for (const auto& call : prompt.calls) {
      EXPECT_EQ(call.text, text);
      EXPECT_EQ(call.caption, "ERROR");
      EXPECT_EQ(call.flags, 0x24u);
    }
  }
};

TEST_F(SayFilesTest, LoadsTheNamedFile) {
  store.Put(dir + "sayfoo.txt", "[PARLO!]\r\nhi\tthere\r\n");
  store.Put(fallback, "[PARLO!]\r\nfrom\tfallback\r\n");
  grid = MakeGrid({{"a", "b"}, {"c", "d"}});
  EXPECT_TRUE(Load("sayfoo.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"hi", "there"}}));
  EXPECT_EQ(currentFile, "sayfoo.txt");
  EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(SayFilesTest, EmptyFileLoadsAsOneEmptyRowUnderItsName) {
  store.Put(dir + "sayE.txt", "");
  grid = MakeGrid({{"a", "b"}, {"c", "d"}});
  EXPECT_TRUE(Load("sayE.txt"));
  EXPECT_EQ(RowsOf(grid), kOneEmptyRow);
  EXPECT_EQ(currentFile, "sayE.txt");
  EXPECT_TRUE(Save("sayE.txt"));
  EXPECT_EQ(*store.Content(dir + "sayE.txt"), "[PARLO!]\r\n\r\n");
}

TEST_F(SayFilesTest, MissingFileUsesFallbackAsTemplateUnderTheWantedName) {
  store.Put(fallback, "[PARLO!]\r\nfrom\tfallback\r\n");
  EXPECT_TRUE(Load("sayNew.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"from", "fallback"}}));
  EXPECT_EQ(currentFile, "sayNew.txt");
  EXPECT_TRUE(Save(currentFile));
  EXPECT_EQ(*store.Content(dir + "sayNew.txt"), "[PARLO!]\r\nfrom\tfallback\r\n");
  EXPECT_EQ(*store.Content(fallback), "[PARLO!]\r\nfrom\tfallback\r\n");
}

TEST_F(SayFilesTest, FolderOfTheWantedNameIsNotAFile) {
  store.AddFolder(dir + "sayDir.txt");
  store.Put(fallback, "[PARLO!]\r\nt\r\n");
  EXPECT_TRUE(Load("sayDir.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"", "t"}}));

  store.Delete(fallback);
  store.AddFolder(fallback);
  grid = MakeGrid({{"a", "b"}});
  EXPECT_TRUE(Load("sayDir.txt"));
  EXPECT_EQ(RowsOf(grid), kOneEmptyRow);
  EXPECT_EQ(store.ReadCalls(), 1);
}

TEST_F(SayFilesTest, BothMissingGivesOneEmptyRowSilently) {
  grid = MakeGrid({{"a", "b"}, {"c", "d"}});
  EXPECT_TRUE(Load("sayGone.txt"));
  EXPECT_EQ(RowsOf(grid), kOneEmptyRow);
  EXPECT_EQ(currentFile, "sayGone.txt");
  EXPECT_EQ(store.ReadCalls(), 0);
  EXPECT_TRUE(prompt.calls.empty());
}

TEST_F(SayFilesTest, LoadRetryNoLeavesEmptyBookWithoutName) {
  store.Put(dir + "sayA.txt", "[PARLO!]\r\nx\r\n");
  store.FailReads(1);
  prompt = ScriptedPrompt({kIdNo});
  grid = MakeGrid({{"a", "b"}, {"c", "d"}});
  EXPECT_FALSE(Load("sayA.txt"));
  EXPECT_EQ(RowsOf(grid), kOneEmptyRow);
  EXPECT_EQ(currentFile, "");
  ExpectPrompts("File Load Error. Retry?", 1);
}

TEST_F(SayFilesTest, LoadRetryYesThenSuccessRestoresTheName) {
  store.Put(dir + "sayA.txt", "[PARLO!]\r\nx\ty\r\n");
  store.FailReads(2);
  prompt = ScriptedPrompt({kIdYes, kIdYes});
  EXPECT_TRUE(Load("sayA.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"x", "y"}}));
  EXPECT_EQ(currentFile, "sayA.txt");
  EXPECT_EQ(store.ReadCalls(), 3);
  ExpectPrompts("File Load Error. Retry?", 2);
}

TEST_F(SayFilesTest, LoadRetryOfTheFallbackReadsTheFallbackAgain) {
  store.Put(fallback, "[PARLO!]\r\nf\r\n");
  store.FailReads(1);
  prompt = ScriptedPrompt({kIdYes});
  EXPECT_TRUE(Load("sayMissing.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"", "f"}}));
  EXPECT_EQ(currentFile, "sayMissing.txt");
}

TEST_F(SayFilesTest, EmptyUnnamedBookIsNotWrittenInAnyLetterCase) {
  for (const char* name : {"say.txt", "SAY.TXT", "Say.txt"}) {
    EXPECT_TRUE(Save(name)) << name;
  }
  EXPECT_EQ(store.WriteCalls(), 0);
  EXPECT_EQ(store.FileCount(), 0u);
}

TEST_F(SayFilesTest, UnnamedBookIsWrittenOnceItHoldsAnything) {
  const std::vector<std::pair<Rows, Bytes>> cases = {
      {{{"", ""}, {"", ""}}, "[PARLO!]\r\n\r\n\r\n"},
      {{{"l", ""}}, "[PARLO!]\r\nl\t\r\n"},
      {{{"", "t"}}, "[PARLO!]\r\nt\r\n"},
  };
  for (const auto& [rows, expected] : cases) {
    grid = MakeGrid(rows);
    EXPECT_TRUE(Save("Say.txt"));
    ASSERT_NE(store.Content(dir + "say.txt"), nullptr);
    EXPECT_EQ(*store.Content(dir + "say.txt"), expected);
    store.Delete(dir + "say.txt");
  }
}

TEST_F(SayFilesTest, SaveRetryYesWritesTheSameBytesAgain) {
  grid = MakeGrid({{"hi", "there"}});
  store.FailWrites(1);
  prompt = ScriptedPrompt({kIdYes});
  EXPECT_TRUE(Save("sayA.txt"));
  EXPECT_EQ(*store.Content(dir + "sayA.txt"), "[PARLO!]\r\nhi\tthere\r\n");
  EXPECT_EQ(store.WriteCalls(), 2);
  ExpectPrompts("File Save Error. Retry?", 1);
}

TEST_F(SayFilesTest, SaveRetryNoReportsFailureAndChangesNothing) {
  store.Put(dir + "sayA.txt", "old");
  store.Put(dir + "sayB.txt", "other");
  grid = MakeGrid({{"hi", "there"}});
  store.FailWrites(3);
  prompt = ScriptedPrompt({kIdYes, kIdYes, kIdNo});
  EXPECT_FALSE(Save("sayA.txt"));
  // What a save could have touched: the files' bytes, the folder, and the prompts it showed.
  EXPECT_EQ(*store.Content(dir + "sayA.txt"), "old");
  EXPECT_EQ(*store.Content(dir + "sayB.txt"), "other");
  EXPECT_EQ(store.FileCount(), 2u);
  EXPECT_EQ(store.WriteCalls(), 3);
  ExpectPrompts("File Save Error. Retry?", 3);

  // The declined save gave up for good: the next save writes once, with no prompt.
  EXPECT_TRUE(Save("sayA.txt"));
  EXPECT_EQ(*store.Content(dir + "sayA.txt"), "[PARLO!]\r\nhi\tthere\r\n");
  EXPECT_EQ(store.WriteCalls(), 4);
  EXPECT_EQ(prompt.calls.size(), 3u);
}

}  // namespace
}  // namespace parlo
