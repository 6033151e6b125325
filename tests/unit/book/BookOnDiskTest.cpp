// What a save keeps of a file Parlo did not write, and a book changed by another program while
// Parlo runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/files/MemoryFileStore.h"
#include "core/book/SayCollection.h"
#include "core/book/SayFile.h"
#include "tests/unit/book/GridRows.h"
#include "tests/unit/text/Latin1CodePage.h"

namespace parlo {
namespace {

using namespace std::string_literals;

// The same verdict, found by reading the book.
bool ReadAsOwnForm(const Bytes& bytes) {
  GridModel grid;
  return ReadSayBook(bytes, grid);
}

TEST(IsOwnForm, OnlyTheBytesFormatSayBookWrites) {
  // The bytes are looked at 64 at a time: a CR LF, or an LF and a TAB, across the edge.
  const Bytes edge = "[PARLO!]\r\n" + Bytes(63, 'a') + "\r\n";
  const Bytes edgeLf = "[PARLO!]\r\n" + Bytes(62, 'a') + "\r\n";
  for (const Bytes& own : {"[PARLO!]\r\nhi\tthere\r\nplain\r\n-----\t\r\n"s, "[PARLO!]\r\n\r\n"s,
                           "[PARLO!]\r\na\tb\tc\r\n\r\n"s, edge, edgeLf + "x\tb\r\n"})
    EXPECT_TRUE(IsOwnForm(own) && ReadAsOwnForm(own)) << own;
  for (const Bytes& other : {edgeLf + "\tx\r\n", edge.substr(0, edge.size() - 1) + "x\r\n"})
    EXPECT_FALSE(IsOwnForm(other) || ReadAsOwnForm(other)) << other;
  for (const Bytes& other :
       {""s, "[PARLO!]"s, "[PARLO!]\r\n"s, "[PARLO!]\r\nx"s, "[PARLO!]\nx\n"s, "[PARLO!]\r\nx\ny\r\n"s,
        "[PARLO!]\r\nx\ry\r\n"s, "[PARLO!]\r\nx\r\n\r"s, "[PARLO!]\r\nx\0y\r\n"s, "[PARLO!]\r\n\tx\r\n"s,
        "[PARLO!]\r\n\t\r\n"s, "\xEF\xBB\xBF[PARLO!]\r\nx\r\n"s, "[parlo!]\r\nx\r\n"s, "hi\tthere\r\n"s,
        "Greet\r\nHello\r\n"s, "[PARLO!] \r\nx\r\n"s})
    EXPECT_FALSE(IsOwnForm(other) || ReadAsOwnForm(other)) << other;
}

// Own form from the rules of the format alone: the header line, then rows that each end in CR LF
// and hold no other CR or LF, no NUL and no TAB first (a row without a label loses its TAB).
bool OwnFormByTheRules(const Bytes& bytes) {
  const Bytes header = "[PARLO!]\r\n";
  if (bytes.compare(0, header.size(), header) != 0 || bytes.size() == header.size()) return false;
  for (size_t at = header.size(); at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    if (end == Bytes::npos) return false;
    const Bytes row = bytes.substr(at, end - at);
    if (row.find_first_of("\r\n\0"s) != Bytes::npos || (!row.empty() && row[0] == '\t')) return false;
    at = end + 2;
  }
  return true;
}

// The quick test must agree with the definition on any bytes: written back unchanged.
TEST(IsOwnForm, AgreesWithWritingTheBookBackOnRandomBytes) {
  std::mt19937 random(11);
  const char alphabet[] = {'a', '\t', '\r', '\n', '\0', '-'};
  for (int round = 0; round < 5000; ++round) {
    Bytes bytes = round % 2 ? "[PARLO!]\r\n" : "";
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) bytes += alphabet[random() % sizeof alphabet];
    GridModel grid;
    const bool read = ReadSayBook(bytes, grid);
    const bool own = OwnFormByTheRules(bytes);
    ASSERT_EQ(IsOwnForm(bytes), own) << testing::PrintToString(bytes);
    ASSERT_EQ(read, own) << testing::PrintToString(bytes);
    ASSERT_EQ(FormatSayBook(grid) == bytes, own) << testing::PrintToString(bytes);
    // The shortcut of writing the bytes read as they are: taken for exactly those books, and
    // never once a row has moved, come or gone, or a cell was set.
    ASSERT_EQ(IsVerbatimSource(grid, *grid.Source()), own) << testing::PrintToString(bytes);
    const int rows = grid.RowCount();
    switch (round % 4) {
      case 0:
        grid.MoveRow(static_cast<int>(random() % rows), static_cast<int>(random() % rows));
        break;
      case 1:
        grid.EditCell(kColText, static_cast<int>(random() % rows), round % 8 == 1 ? "a" : "");
        break;
      case 2:
        grid.SetRow(static_cast<int>(random() % rows));
        InsertRow(grid);
        break;
      default:
        grid.SetRow(static_cast<int>(random() % rows));
        DeleteRow(grid);
        break;
    }
    if (IsVerbatimSource(grid, *grid.Source())) {
      ASSERT_EQ(FormatSayBook(grid), bytes) << round << testing::PrintToString(bytes);
    }
    // Written in parts, partly as the bytes read, the book is the same bytes whatever changed.
    Bytes parts;
    FormatSayBookInParts(grid, [&parts](std::string_view part) {
      parts += part;
      return true;
    });
    ASSERT_EQ(parts, FormatSayBook(grid)) << round << testing::PrintToString(bytes);
  }
}

TEST(QuickHash, EveryByteAndTheLengthCount) {
  // 84 bytes: whole blocks of every lane and a tail
  const Bytes base = "[PARLO!]\r\nhi\tthere\r\n" + Bytes(64, 'x');
  for (size_t i = 0; i < base.size(); ++i) {
    Bytes changed = base;
    changed[i] ^= 1;
    EXPECT_NE(QuickHash(changed), QuickHash(base)) << i;
  }
  EXPECT_NE(QuickHash(""), QuickHash("\0"s));
  EXPECT_NE(QuickHash("a"), QuickHash("a\0"s));
  // The value a model of the same steps, written apart, gives; the same from an odd address.
  EXPECT_EQ(QuickHash(base), 0x5D27D2A1A802D06Bull);
  const Bytes around = "abc" + base + "def";
  EXPECT_EQ(QuickHash(std::string_view(around).substr(3, base.size())), 0x5D27D2A1A802D06Bull);
}

TEST(QuickHash, PartsOfAnySizeGiveTheHashOfTheWhole) {
  Bytes bytes;
  for (int i = 0; i < 300; ++i) bytes += static_cast<char>(i * 7);
  for (size_t first : {0, 1, 7, 8, 9, 150, 299, 300}) {
    for (size_t second : {0, 1, 3, 16}) {
      QuickHasher hasher;
      const size_t a = std::min(first, bytes.size()), b = std::min(a + second, bytes.size());
      hasher.Update(std::string_view(bytes).substr(0, a));
      hasher.Update(std::string_view(bytes).substr(a, b - a));
      hasher.Update(std::string_view(bytes).substr(b));
      EXPECT_EQ(hasher.Final(), QuickHash(bytes)) << first << " " << second;
    }
  }
}

TEST(FormatSayBookInParts, TheSameBytesInPartsOfAboutTheSizeAsked) {
  const GridModel grid = MakeGrid({{"hi", "Hello there"}, {"", "Good bye"}, {"-----", ""}, {"", ""}});
  for (size_t size : {1, 5, 16, 1000}) {
    Bytes whole;
    size_t parts = 0;
    EXPECT_TRUE(FormatSayBookInParts(
        grid,
        [&](std::string_view part) {
          whole.append(part.data(), part.size());
          ++parts;
          return true;
        },
        size));
    EXPECT_EQ(whole, "[PARLO!]\r\nhi\tHello there\r\nGood bye\r\n-----\t\r\n\r\n") << size;
    EXPECT_EQ(parts, size == 1000 ? 1u : size == 16 ? 3u : 4u) << size;  // a part ends after a whole row
  }
  int calls = 0;
  EXPECT_FALSE(FormatSayBookInParts(
      grid, [&](std::string_view) { return ++calls < 2; }, 1));
  EXPECT_EQ(calls, 2);  // nothing more after a refused part
}

class BookOnDiskTest : public ::testing::Test {
 protected:
  class Prompt : public MessageBoxPort {
   public:
    int Show(const Bytes& text, const Bytes&, unsigned) override {
      texts.push_back(text);
      if (answers.empty()) {
        ADD_FAILURE() << "unexpected prompt: " << text;
        return kIdNo;
      }
      int answer = answers.front();
      answers.pop_front();
      return answer;
    }
    std::deque<int> answers;
    std::vector<Bytes> texts;
  };

  SayFiles Files() {
    SayFiles files(store, prompt, dir, dir + "say-default.txt");
    files.UseCodePage(&latin1);
    files.Track(&onDisk);
    return files;
  }
  bool Load(const Bytes& name) { return Files().LoadSayFile(grid, currentFile, name); }
  bool Save() { return Files().SaveSayFile(grid, currentFile); }
  SayFiles::OutsideChange Check() { return Files().CheckOutsideChange(grid, currentFile); }
  // Copied, not pointed at: a file a fault left missing fails one check instead of the whole run.
  std::optional<Bytes> File(const Bytes& name) const {
    const Bytes* content = store.Content(dir + name);
    return content ? std::optional<Bytes>(*content) : std::nullopt;
  }

  const Bytes dir = "C:\\Parlo\\";
  MemoryFileStore store;
  Latin1CodePage latin1;
  Prompt prompt;
  BookOnDisk onDisk;
  GridModel grid;
  Bytes currentFile;
};

const Bytes kOwn = "[PARLO!]\r\nhi\tthere\r\nbye\r\n";

TEST_F(BookOnDiskTest, ABookParloWroteAndNobodyTouchedIsReadOnceAndGetsNoBackup) {
  store.Put(dir + "sayA.txt", kOwn);
  ASSERT_TRUE(Load("sayA.txt"));
  ASSERT_TRUE(Save());  // the file holds the book already
  ASSERT_TRUE(Files().SaveSayFileAtExit(grid, currentFile));
  EXPECT_EQ(store.WriteCalls(), 0);
  grid.SetCell(kColText, 1, "later");
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kNone);
  ASSERT_TRUE(Save());
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nhi\tthere\r\nlater\r\n");
  EXPECT_EQ(File("sayA.txt.bak"), std::nullopt);
  EXPECT_EQ(store.ReadCalls(), 1);
  EXPECT_EQ(store.WriteCalls(), 1);
}

// A book read ahead while the window was being made is the book loaded only for its own file and
// only while that file is as the read found it; taken, it is known as if the load had read it.
TEST_F(BookOnDiskTest, ABookReadAheadIsTakenOnlyForItsFileAsTheReadFoundIt) {
  const Rows kOwnRows = {{"hi", "there"}, {"", "bye"}};
  struct Case {
    const char* what;
    const char* aheadOf;
    bool writtenSince;
    Rows rows;
    int reads;  // the read ahead's included
  };
  const Case cases[] = {
      {"as the read found it", "sayA.txt", false, kOwnRows, 1},
      {"written since", "sayA.txt", true, {{"written", "later"}}, 2},
      {"another file", "sayB.txt", false, kOwnRows, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    store = MemoryFileStore();
    onDisk = BookOnDisk{};
    grid = GridModel();
    store.Put(dir + "sayA.txt", kOwn);
    store.Put(dir + "sayB.txt", "[PARLO!]\r\nyo\tthere\r\nbye\r\n");
    grid.EditCell(kColText, 0, "typed in the book before");
    std::unique_ptr<BookReadAhead> ahead = ReadBookAhead(store, &latin1, dir + c.aheadOf);
    ASSERT_NE(ahead, nullptr);
    // Copied together, two books can have the same size and write time.
    if (Bytes(c.aheadOf) != "sayA.txt") {
      ASSERT_TRUE(store.Stamp(dir + "sayA.txt", ahead->stamp));
    }
    if (c.writtenSince) store.Put(dir + "sayA.txt", "[PARLO!]\r\nwritten\tlater\r\n");
    SayFiles files = Files();
    files.UseReadAhead(std::move(ahead));
    ASSERT_TRUE(files.LoadSayFile(grid, currentFile, "sayA.txt"));
    EXPECT_EQ(RowsOf(grid), c.rows);
    EXPECT_EQ(currentFile, "sayA.txt");
    EXPECT_FALSE(grid.CanUndo());
    // The file holds the book as loaded: the exit has nothing to write.
    ASSERT_TRUE(Files().SaveSayFileAtExit(grid, currentFile));
    EXPECT_EQ(store.WriteCalls(), 0);
    EXPECT_EQ(store.ReadCalls(), c.reads);
  }
  EXPECT_EQ(ReadBookAhead(store, &latin1, dir + "sayGone.txt"), nullptr);
}

// Undone past the save, beyond steps the history let go: the book is not the one written.
TEST_F(BookOnDiskTest, UndoneBackPastASaveAfterTheOldestStepsWereDroppedTheBookIsWrittenAgain) {
  store.Put(dir + "sayA.txt", kOwn);
  ASSERT_TRUE(Load("sayA.txt"));
  grid.SetHistoryLimit(3 * (sizeof(GridEdit) + 4));  // three steps of two two-byte cells
  for (int n = 1; n <= 4; ++n) grid.EditCell(kColText, 1, "v" + std::to_string(n));
  ASSERT_TRUE(Save());
  grid.EditCell(kColText, 1, "v5");
  grid.EditCell(kColText, 1, "v6");
  ASSERT_EQ(grid.HistorySteps(), 3u);
  while (grid.Undo()) {
  }
  ASSERT_EQ(grid.Text(1), "v3");
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nhi\tthere\r\nv3\r\n");
}

// The file's stamp and the book's revision as noted when Parlo last read or wrote the file decide
// alone whether a save has anything to do.
TEST(IsSavedAlready, OnlyAFileInParlosFormAsNotedWithTheBookUnchanged) {
  // Noted: "sayA.txt", there, in Parlo's form, stamp {120, 7000}, book revision {3, 9}.
  const FileStamp noted{120, 7000};
  struct Case {
    const char* what;
    Bytes name;
    bool present, ownForm;
    BookRevision book;
    std::optional<FileStamp> now;
    bool saved;
  } const cases[] = {
      {"nothing changed", "sayA.txt", true, true, {3, 9}, noted, true},
      {"the name in other letters", "SAYa.TXT", true, true, {3, 9}, noted, true},
      {"the file grew", "sayA.txt", true, true, {3, 9}, FileStamp{121, 7000}, false},
      {"the file written, same size", "sayA.txt", true, true, {3, 9}, FileStamp{120, 7001}, false},
      {"the file gone", "sayA.txt", true, true, {3, 9}, std::nullopt, false},
      {"another book", "sayB.txt", true, true, {3, 9}, noted, false},
      {"read from the fallback", "sayA.txt", false, true, {3, 9}, noted, false},
      {"read in another layout", "sayA.txt", true, false, {3, 9}, noted, false},
      {"changed without undo", "sayA.txt", true, true, {4, 9}, noted, false},
      {"one change further", "sayA.txt", true, true, {3, 10}, noted, false},
      {"one change undone", "sayA.txt", true, true, {3, 8}, noted, false},
  };
  for (const Case& c : cases) {
    BookOnDisk known;
    known.name = "sayA.txt";
    known.present = c.present;
    known.stamp = noted;
    known.ownForm = c.ownForm;
    known.revision = BookRevision{3, 9};
    EXPECT_EQ(IsSavedAlready(known, c.name, c.book, c.now ? &*c.now : nullptr), c.saved) << c.what;
  }
  EXPECT_FALSE(IsSavedAlready(BookOnDisk{}, "", BookRevision{}, &noted)) << "nothing noted";
}

TEST_F(BookOnDiskTest, AFileInAnyOtherFormIsKeptAsTheBackupOnceThenTheBookIsOwn) {
  struct Case {
    Bytes other, written;
  };
  const Case cases[] = {
      {"[PARLO!]\nhi\tthere\n", "[PARLO!]\r\nhi\tthere\r\n"},        // other line ends
      {"hi\tthere\r\nbye\r\n", "[PARLO!]\r\nhi\tthere\r\nbye\r\n"},  // tabbed
      {"Greet\r\nHello\r\n", "[PARLO!]\r\nGreet\tHello\r\n"},        // paired
      {"[PARLO!]\r\nhi\r\n\0junk"s, "[PARLO!]\r\nhi\r\n"},           // a NUL
      {"[PARLO!]\r\n\tlead\r\n", "[PARLO!]\r\nlead\r\n"},            // a TAB the book does not keep
      {"[PARLO!]\r\nhi\tthere", "[PARLO!]\r\nhi\tthere\r\n"},        // no final line end
  };
  for (const auto& [other, written] : cases) {
    store = MemoryFileStore();
    store.Put(dir + "sayNotes.txt", other);
    ASSERT_TRUE(Load("sayNotes.txt"));
    ASSERT_TRUE(Save());
    EXPECT_EQ(File("sayNotes.txt"), written);
    EXPECT_EQ(File("sayNotes.txt.bak"), other);
    store.Put(dir + "sayNotes.txt.bak", "the user's own copy");
    ASSERT_TRUE(Save());
    EXPECT_EQ(File("sayNotes.txt.bak"), "the user's own copy");
  }
  EXPECT_TRUE(prompt.texts.empty());
}

TEST_F(BookOnDiskTest, NotepadsUnicodeFilesOpenWithTheirRowsAndTheOriginalIsKept) {
  const Bytes utf8 = "\xEF\xBB\xBF[PARLO!]\r\ncaf\xC3\xA9\tna\xC3\xAFve \xE2\x82\xAC\r\n";
  const Bytes utf16 = "\xFF\xFEh\0i\0\t\0\xE9\0\r\0\n\0x\0"s;
  store.Put(dir + "sayU8.txt", utf8);
  store.Put(dir + "sayU16.txt", utf16);
  ASSERT_TRUE(Load("sayU8.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"caf\xE9", "na\xEFve ?"}}));
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayU8.txt"), "[PARLO!]\r\ncaf\xE9\tna\xEFve ?\r\n");
  EXPECT_EQ(File("sayU8.txt.bak"), utf8);

  ASSERT_TRUE(Load("sayU16.txt"));
  EXPECT_EQ(RowsOf(grid), (Rows{{"hi", "\xE9"}, {"", "x"}}));
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayU16.txt"), "[PARLO!]\r\nhi\t\xE9\r\nx\r\n");
  EXPECT_EQ(File("sayU16.txt.bak"), utf16);
}

TEST_F(BookOnDiskTest, WithoutACodePageAMarkedFileIsReadAsBytes) {
  store.Put(dir + "sayU8.txt", "\xEF\xBB\xBF[PARLO!]\r\nx\r\n");
  SayFiles files(store, prompt, dir, dir + "say-default.txt");
  ASSERT_TRUE(files.LoadSayFile(grid, currentFile, "sayU8.txt"));
  // The mark makes line 0 no header, nor has it a TAB: two lines paired into one row.
  EXPECT_EQ(RowsOf(grid), (Rows{{"\xEF\xBB\xBF[PARLO!]", "x"}}));
}

TEST_F(BookOnDiskTest, AChangeByAnotherProgramIsKeptAsTheBackupWhenTheBookChangedToo) {
  // The last save before the exit, which takes no fingerprint, keeps it all the same.
  for (bool atExit : {false, true}) {
    SCOPED_TRACE(atExit);
    store.Delete(dir + "sayA.txt.bak");
    store.Put(dir + "sayA.txt", kOwn);
    ASSERT_TRUE(Load("sayA.txt"));
    grid.SetCell(kColText, 0, "mine");
    const Bytes theirs = "[PARLO!]\r\nhi\ttheirs\r\n";
    store.Put(dir + "sayA.txt", theirs);
    const int reads = store.ReadCalls();
    EXPECT_EQ(Check(), SayFiles::OutsideChange::kKeptOwn);
    EXPECT_EQ(Check(), SayFiles::OutsideChange::kKeptOwn);
    EXPECT_EQ(store.ReadCalls(), reads + 1);  // that version is looked at once
    EXPECT_EQ(grid.Text(0), "mine");
    ASSERT_TRUE(atExit ? Files().SaveSayFileAtExit(grid, currentFile) : Save());
    EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nhi\tmine\r\nbye\r\n");
    EXPECT_EQ(File("sayA.txt.bak"), theirs);
  }
}

TEST_F(BookOnDiskTest, AChangeByAnotherProgramIsReadAgainWhenTheBookIsUnchanged) {
  store.Put(dir + "sayA.txt", kOwn);
  ASSERT_TRUE(Load("sayA.txt"));
  grid.SetRow(1);
  store.Put(dir + "sayA.txt", "[PARLO!]\nnew\tone\ntwo\nthree\n");
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kReloaded);
  EXPECT_EQ(RowsOf(grid), (Rows{{"new", "one"}, {"", "two"}, {"", "three"}}));
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kNone);

  // Shorter now: the current row stays within the book. Written in another form, it is kept.
  grid.SetRow(2);
  const Bytes shorter = "only\tone\n";
  store.Put(dir + "sayA.txt", shorter);
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kReloaded);
  EXPECT_EQ(RowsOf(grid), (Rows{{"only", "one"}}));
  EXPECT_EQ(grid.Row(), 0);
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nonly\tone\r\n");
  EXPECT_EQ(File("sayA.txt.bak"), shorter);

  // Written in Parlo's own form, read again, and the reload undone: the save still keeps it.
  const Bytes theirsOwn = "[PARLO!]\r\nnew\tone\r\n";
  store.Put(dir + "sayA.txt", theirsOwn);
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kReloaded);
  ASSERT_TRUE(grid.Undo());
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nonly\tone\r\n");
  EXPECT_EQ(File("sayA.txt.bak"), theirsOwn);

  // A book read from another layout or in Parlo's own, a cell changed and changed back: the
  // same rows as read, so the other version is read in rather than Parlo's rows kept.
  for (const Bytes& read : {"[PARLO!]\nhi\tthere\n"s, "[PARLO!]\r\nhi\tthere\r\n"s}) {
    store.Put(dir + "sayB.txt", read);
    ASSERT_TRUE(Load("sayB.txt"));
    grid.SetCell(kColText, 0, "mine");
    grid.SetCell(kColText, 0, "there");
    store.Put(dir + "sayB.txt", "[PARLO!]\nhi\tagain\n");
    EXPECT_EQ(Check(), SayFiles::OutsideChange::kReloaded) << read;
    EXPECT_EQ(RowsOf(grid), (Rows{{"hi", "again"}})) << read;
  }
}

TEST_F(BookOnDiskTest, AFileTouchedButNotChangedIsNeitherReloadedNorKeptOneChangedToTheSameSizeIsKept) {
  store.Put(dir + "sayA.txt", kOwn);
  ASSERT_TRUE(Load("sayA.txt"));
  grid.SetCell(kColText, 0, "mine");
  store.Put(dir + "sayA.txt", kOwn);  // a new write time, the same bytes
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kNone);
  EXPECT_EQ(grid.Text(0), "mine");
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt.bak"), std::nullopt);
  EXPECT_EQ(store.ReadCalls(), 2);

  // Changed to the same size just before the next save, unseen till then: told by its bytes.
  const Bytes theirs = "[PARLO!]\r\nhi\tMINE\r\nbye\r\n";
  store.Put(dir + "sayA.txt", theirs);
  grid.SetCell(kColText, 1, "later");
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nhi\tmine\r\nlater\r\n");
  EXPECT_EQ(File("sayA.txt.bak"), theirs);
}

TEST_F(BookOnDiskTest, AFileThatAppearedOrWentAway) {
  // Missing when opened: the fallback's rows under the wanted name; nothing is there to keep.
  store.Put(dir + "say-default.txt", kOwn);
  ASSERT_TRUE(Load("sayNew.txt"));
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayNew.txt"), kOwn);
  EXPECT_EQ(File("sayNew.txt.bak"), std::nullopt);

  // Gone behind Parlo's back: nothing to look at, and the save puts the book back.
  ASSERT_TRUE(store.Delete(dir + "sayNew.txt"));
  EXPECT_EQ(Check(), SayFiles::OutsideChange::kNone);
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayNew.txt"), kOwn);

  // Made by another program while the fallback was shown and changed: theirs is kept.
  ASSERT_TRUE(Load("sayOther.txt"));
  grid.SetCell(kColLabel, 0, "edited");
  store.Put(dir + "sayOther.txt", "[PARLO!]\r\ntheirs\r\n");
  ASSERT_TRUE(Save());
  EXPECT_EQ(File("sayOther.txt.bak"), "[PARLO!]\r\ntheirs\r\n");
}

TEST_F(BookOnDiskTest, ABackupThatCannotBeWrittenFailsTheSaveAndTheBookStays) {
  const Bytes lf = "[PARLO!]\nx\n";
  store.Put(dir + "sayA.txt", lf);
  ASSERT_TRUE(Load("sayA.txt"));
  store.FailWrites(1);
  prompt.answers = {kIdNo};
  EXPECT_FALSE(Save());
  EXPECT_EQ(File("sayA.txt"), lf);
  EXPECT_EQ(File("sayA.txt.bak"), std::nullopt);

  store.FailWrites(1);
  prompt.answers = {kIdYes};
  EXPECT_TRUE(Save());
  EXPECT_EQ(File("sayA.txt"), "[PARLO!]\r\nx\r\n");
  EXPECT_EQ(File("sayA.txt.bak"), lf);
  EXPECT_EQ(prompt.texts, (std::vector<Bytes>{"File Save Error. Retry?", "File Save Error. Retry?"}));
}

TEST_F(BookOnDiskTest, SavingUnderAnotherNameOverAFileThatAppearedKeepsIt) {
  store.Put(dir + "sayA.txt", kOwn);
  ASSERT_TRUE(Load("sayA.txt"));
  store.Put(dir + "sayB.txt", "[PARLO!]\r\nb\r\n");
  ASSERT_TRUE(Files().SaveSayFile(grid, "sayB.txt"));
  EXPECT_EQ(File("sayB.txt"), kOwn);
  EXPECT_EQ(File("sayB.txt.bak"), "[PARLO!]\r\nb\r\n");
}

TEST(SayFileTaken, AnyLetterCaseEvenInACaseSensitiveFolder) {
  MemoryFileStore store(true);
  const Bytes dir = "/books/";
  store.Put(dir + "sayNote.txt", "x");
  store.Put(dir + "say\x83\x41.txt", "x");  // a double-byte name
  EXPECT_FALSE(store.FileExists(dir + "sayNOTE.txt"));
  for (const char* taken : {"Note", "NOTE", "note"}) EXPECT_TRUE(SayFileTaken(store, dir, taken)) << taken;
  EXPECT_FALSE(SayFileTaken(store, dir, "Notes"));
  EXPECT_FALSE(SayFileTaken(store, dir, ""));
  // 0x83 0x61 is another character than 0x83 0x41, though its trail byte folds to it as ASCII.
  auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  EXPECT_TRUE(SayFileTaken(store, dir, "\x83\x41", shiftJisLead));
  EXPECT_FALSE(SayFileTaken(store, dir, "\x83\x61", shiftJisLead));
}

}  // namespace
}  // namespace parlo
