// A phrase book is never lost, seen from outside: Parlo killed in the middle of its exit save,
// files Notepad wrote, and a book another program changes while Parlo runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using Content = std::optional<std::string>;

// A book of the given number of rows in Parlo's own form, about 50 bytes a row.
std::string BigBook(int rows, const char* lineEnd = "\r\n") {
  std::string book = std::string("[PARLO!]") + lineEnd;
  book.reserve(static_cast<size_t>(rows) * 52);
  for (int row = 0; row < rows; ++row) {
    if (row % 50 == 49) {
      book += "-----\t";
    } else {
      book += "Line" + std::to_string(row % 50) + "\tWell met, traveller; line " + std::to_string(row) +
              " of the book";
    }
    book += lineEnd;
  }
  return book;
}

uint64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

class BookSafety : public Scenario {
 protected:
  HWND Combo() { return Parlo().Control(IDC_COMBOBOX_FILES); }

  // The window has handled everything sent to it before this returns.
  void Sync() {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Parlo().Main(), WM_NULL, 0, 0, SMTO_BLOCK, kEventTimeoutMs, &result);
  }
  // Another window takes the foreground, then Parlo's window is activated again.
  // The switch completes asynchronously; the game's focus shows when it has.
  void ComeBackToParlo() {
    const size_t focused = Game().Events({"setfocus"}).size(), lost = Game().Events({"killfocus"}).size();
    ASSERT_TRUE(BringToFront(Game().Window())) << "the game did not come to the front";
    ASSERT_TRUE(Game().WaitForKind("setfocus", kEventTimeoutMs, focused + 1));
    ASSERT_TRUE(BringToFront(Parlo().Main())) << "Parlo did not come to the front";
    ASSERT_TRUE(Game().WaitForKind("killfocus", kEventTimeoutMs, lost + 1)) << "Parlo was not activated";
    ASSERT_TRUE(WaitUntil(
        [&] {
          GUITHREADINFO info{};
          info.cbSize = sizeof info;
          return GetGUIThreadInfo(GetWindowThreadProcessId(Parlo().Main(), nullptr), &info) &&
                 info.hwndActive == Parlo().Main();
        },
        kEventTimeoutMs));
    Sync();  // the activation has been handled
  }
  void CloseParlo() {
    std::optional<DWORD> code = Parlo().Close();
    ASSERT_TRUE(code.has_value()) << "Parlo did not end";
    EXPECT_EQ(*code, 0u);
  }
};

constexpr int kRows = 60000;

// Where a save of the file puts the new content first: beside it, under its name with ".~" and
// the first two hex digits that no file there has yet.
std::string NextTemporary(const ScenarioDir& dir, const std::string& name) {
  static const char kHex[] = "0123456789abcdef";
  std::string temp;
  for (int i = 0; i < 256 && (temp.empty() || dir.Has(temp)); ++i)
    temp = name + ".~" + kHex[i >> 4] + kHex[i & 15];
  return dir.File(temp);
}

TEST_F(BookSafety, KilledAnywhereInTheExitSaveTheBookIsOldOrNewWholeAndOnlyRealBooksAreListed) {
  // Odd runs start from the book with LF line ends, so that the save first keeps it as the backup
  // in place of the one already there.
  const std::string oldOwn = BigBook(kRows);
  const std::string oldLf = BigBook(kRows, "\n");
  const std::string added = oldOwn + "\r\n\r\n\r\n\r\n\r\n";  // Add: five empty rows
  const std::string earlierBackup = "[PARLO!]\r\nkept\tfrom an earlier save\r\n";
  Dir().Put("sayZed.txt", "[PARLO!]\r\nz\r\n");

  // Parlo opens the big book ("Big" sorts first), adds five rows, and is asked to close; the
  // result is when that was.
  auto startAndClose = [&](const std::string& old) {
    Dir().Put("sayBig.txt", old);
    Dir().Put("sayBig.txt.bak", earlierBackup);
    StartParlo();
    EXPECT_TRUE(Parlo().SendClick(IDC_BUTTON_ADD));
    PostMessageA(Parlo().Main(), WM_CLOSE, 0, 0);
    return GetTickCount64();
  };

  // A whole exit first, to know how long it takes here.
  const ULONGLONG started = startAndClose(oldLf);
  ASSERT_EQ(Parlo().Process().WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
  const int exitMs = static_cast<int>(GetTickCount64() - started);
  EXPECT_EQ(Dir().Read("sayBig.txt"), Content(added));
  EXPECT_EQ(Dir().Read("sayBig.txt.bak"), Content(oldLf));

  // What the kills found: the book old or new, the backup the earlier one or the new one, and
  // temporary files left by a kill in the middle of writing one of them.
  int oldBook = 0, newBook = 0, earlierKept = 0, newBackup = 0, bookLeft = 0, backupLeft = 0;
  auto temporaries = [&] {
    return std::pair(NextTemporary(Dir(), "sayBig.txt"), NextTemporary(Dir(), "sayBig.txt.bak"));
  };
  auto look = [&](const std::string& old, const std::pair<std::string, std::string>& temps,
                  const std::string& when) {
    const Content book = Dir().Read("sayBig.txt");
    ASSERT_TRUE(book.has_value()) << "no book after a kill " << when;
    EXPECT_TRUE(*book == old || *book == added)
        << "the book is neither old nor new after a kill " << when << " (" << book->size() << " bytes)";
    (*book == old ? oldBook : newBook) += 1;
    const Content backup = Dir().Read("sayBig.txt.bak");
    ASSERT_TRUE(backup.has_value()) << "no backup after a kill " << when;
    if (old == oldLf) {
      EXPECT_TRUE(*backup == earlierBackup || *backup == oldLf)
          << "the backup is neither the earlier one nor the old book after a kill " << when;
      (*backup == earlierBackup ? earlierKept : newBackup) += 1;
    } else {
      EXPECT_EQ(*backup, earlierBackup) << "a book in Parlo's own form needs no backup";
    }
    bookLeft += FileExists(temps.first);
    backupLeft += FileExists(temps.second);
  };

  // Killed at 14 points from the request to close until after that time.
  const int kPoints = 14;
  for (int point = 0; point < kPoints; ++point) {
    const std::string& old = point % 2 ? oldLf : oldOwn;
    const auto temps = temporaries();
    startAndClose(old);
    const int afterMs = exitMs * point / (kPoints - 2);
    Sleep(static_cast<DWORD>(afterMs));
    Parlo().Process().Kill();
    ASSERT_NO_FATAL_FAILURE(look(old, temps, std::to_string(afterMs) + " ms in"));
  }
  // And killed as soon as the book, then the backup, begins to change: a temporary file of it
  // shows, or the file itself is no longer as it was. The backup is written fastest, so it is
  // watched more often. Each such kill is noted: what it fired on, and whether Parlo still ran.
  bool bookCaught = false, backupCaught = false;
  std::string watchedKills;
  for (const bool backupWatched : {false, true, true, true}) {
    const std::string& old = backupWatched ? oldLf : oldOwn;
    const std::string name = backupWatched ? "sayBig.txt.bak" : "sayBig.txt";
    const uint64_t size = (backupWatched ? earlierBackup : old).size();
    const auto temps = temporaries();
    const std::string& temp = backupWatched ? temps.second : temps.first;
    startAndClose(old);
    // Looked at without opening either file, as often as can be: a write lasts milliseconds.
    auto unchanged = [&] { return SizeOf(Dir().File(name)) == size && !FileExists(temp); };
    bool ended = false;
    while (!(ended = !Parlo().Process().Running()) && unchanged()) Sleep(0);
    Parlo().Process().Kill();
    // Ended by the kill, not on its own: the kill landed while Parlo was still at its exit.
    const bool killed = Parlo().Process().WaitExit(0) == std::optional<DWORD>(9);
    const bool left = FileExists(temp);
    (backupWatched ? backupCaught : bookCaught) |= left || (!ended && killed);
    watchedKills +=
        "\n  " + name + ": fired " + (ended ? "after Parlo had ended" : "on a change of the file") +
        (killed ? ", Parlo still running" : ", Parlo gone") + (left ? ", temporary file left" : "");
    ASSERT_NO_FATAL_FAILURE(look(old, temps, "as soon as " + name + " began to change"));
  }
  std::printf(
      "exit %d ms; after the kills the book was old %d times and new %d times, the backup the earlier "
      "one %d times and new %d times; temporary files left: %d of the book, %d of the backup; the watched "
      "kills:%s\n",
      exitMs, oldBook, newBook, earlierKept, newBackup, bookLeft, backupLeft, watchedKills.c_str());
  // Only a kill that lands while a file is written shows what the save does then: old and new
  // alone come from the earliest and latest kills, whatever happens between.
  EXPECT_TRUE(bookCaught || bookLeft > 0) << "no kill landed in the save of the book;" << watchedKills;
  EXPECT_TRUE(backupCaught || backupLeft > 0) << "no kill landed in the save of the backup;" << watchedKills;

  // Whatever the kills left beside the books, the next start lists the two books only.
  StartParlo();
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("Big", "Zed"));
  CloseParlo();
}

TEST_F(BookSafety, NotepadsUnicodeFilesOpenWithTheirRowsAndAreWrittenBackKeepingTheOriginal) {
  // "café<TAB>naïve €" and a CJK character the code page lacks, as Notepad saves them.
  const std::u16string text = u"[PARLO!]\r\ncaf\u00E9\tna\u00EFve \u20AC \u4E00\r\nplain\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t unit : text) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  const std::string utf8 =
      "\xEF\xBB\xBF[PARLO!]\r\ncaf\xC3\xA9\tna\xC3\xAFve \xE2\x82\xAC \xE4\xB8\x80\r\nplain\r\n";
  Dir().Put("sayU16.txt", utf16);
  Dir().Put("sayU8.txt", utf8);
  StartParlo();
  ASSERT_THAT(ComboItems(Combo()), ElementsAre("U16", "U8"));

  // Code page 1252 here: e acute, i diaeresis and the euro sign have bytes, the CJK one has not.
  const std::string headed = "[PARLO!]\r\ncaf\xE9\tna\xEFve \x80 ?\r\nplain\r\n";
  PostMessageA(Combo(), WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(Combo(), WM_KEYUP, VK_DOWN, 0xC0000001);
  // Watched by its size, without opening it: an open file cannot be replaced.
  ASSERT_TRUE(WaitUntil([&] { return SizeOf(Dir().File("sayU16.txt")) == headed.size(); }, kEventTimeoutMs))
      << *Dir().Read("sayU16.txt");
  EXPECT_EQ(Dir().Read("sayU16.txt"), Content(headed));
  EXPECT_EQ(Dir().Read("sayU16.txt.bak"), Content(utf16));
  CloseParlo();
  EXPECT_EQ(Dir().Read("sayU8.txt"), Content(headed));
  EXPECT_EQ(Dir().Read("sayU8.txt.bak"), Content(utf8));
  StartParlo();
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("U16", "U8"));
}

TEST_F(BookSafety, ABookChangedByAnotherProgramIsReadAgainWhenParloIsActivated) {
  Dir().Put("sayA.txt", "[PARLO!]\r\nhi\tHello\r\n");
  StartGame();
  StartParlo();
  // Another program rewrites the book in its own way while Parlo runs.
  Dir().Put("sayA.txt", "[PARLO!]\nhi\tHello\nbye\tGood bye\n");
  ComeBackToParlo();
  CloseParlo();
  // Parlo wrote back what it read again, in its own form; nothing of the other version is lost.
  EXPECT_EQ(Dir().Read("sayA.txt"), Content("[PARLO!]\r\nhi\tHello\r\nbye\tGood bye\r\n"));
  EXPECT_EQ(Dir().Read("sayA.txt.bak"), Content("[PARLO!]\nhi\tHello\nbye\tGood bye\n"));
}

TEST_F(BookSafety, ABookChangedInBothPlacesKeepsParlosAndTheOtherVersionAsTheBackup) {
  Dir().Put("sayA.txt", "[PARLO!]\r\nhi\tHello\r\n");
  StartGame();
  StartParlo();
  ASSERT_TRUE(Parlo().SendClick(IDC_BUTTON_ADD));
  const std::string theirs = "[PARLO!]\r\nhi\tChanged elsewhere\r\n";
  Dir().Put("sayA.txt", theirs);
  ComeBackToParlo();
  CloseParlo();
  EXPECT_EQ(Dir().Read("sayA.txt"), Content("[PARLO!]\r\nhi\tHello\r\n\r\n\r\n\r\n\r\n\r\n"));
  EXPECT_EQ(Dir().Read("sayA.txt.bak"), Content(theirs));
}

}  // namespace
}  // namespace parlo::e2e
