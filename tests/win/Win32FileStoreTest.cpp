#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "core/book/SayFile.h"
#include "core/game/ClientProfile.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32FileStore.h"
#include "platform/Win32GamePort.h"
#include "platform/Win32Module.h"
#include "tests/win/TempFolder.h"

namespace parlo {
namespace {

class Win32FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Created()); }

  // Everything in the folder, hidden files included, sorted.
  std::vector<Bytes> AllNames() const {
    std::vector<Bytes> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((dir_ + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      Bytes name = data.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
  }

  void Create(const Bytes& name, const Bytes& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file =
        CreateFileA((dir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    CloseHandle(file);
  }

  Bytes ReadBack(const Bytes& name) {
    Bytes content;
    EXPECT_TRUE(store_.ReadWhole(dir_ + name, content)) << name;
    return content;
  }

  // Opens a file the way another program that shares nothing would.
  HANDLE HoldWithoutSharing(const Bytes& name) {
    return CreateFileA((dir_ + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  testing::TempFolder folder_{"parlo-fs"};
  Bytes dir_ = folder_.Path();
  Win32FileStore store_;
};

TEST_F(Win32FileStoreTest, WritesAndReadsBackEveryByte) {
  Bytes content = "[PARLO!]\r\nhi\tthere\r\n";
  for (int b = 0; b < 256; ++b) content.push_back(static_cast<char>(b));
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", content));
  EXPECT_TRUE(store_.FileExists(dir_ + "sayA.txt"));
  EXPECT_EQ(ReadBack("sayA.txt"), content);

  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "short"));
  EXPECT_EQ(ReadBack("sayA.txt"), "short");
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", ""));
  EXPECT_EQ(ReadBack("sayA.txt"), "");

  Bytes big(5 * 1024 * 1024 + 7, 'x');
  for (size_t i = 0; i < big.size(); i += 4093) big[i] = static_cast<char>(i);
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayBig.txt", big));
  EXPECT_EQ(ReadBack("sayBig.txt"), big);
  EXPECT_EQ(AllNames(), (std::vector<Bytes>{"sayA.txt", "sayBig.txt"}));  // no temporary file left
}

TEST_F(Win32FileStoreTest, ReplacesAFileNamedInOtherLetterCase) {
  Create("SAYNOTE.TXT", "old");
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayNOTE.txt", "new"));
  EXPECT_EQ(ReadBack("saynote.txt"), "new");
  std::vector<Bytes> names = AllNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, names[0].c_str(), -1, "saynote.txt", -1),
            CSTR_EQUAL);
}

TEST_F(Win32FileStoreTest, MissingFileAndMissingFolder) {
  Bytes content = "untouched";
  EXPECT_FALSE(store_.FileExists(dir_ + "sayNone.txt"));
  EXPECT_FALSE(store_.ReadWhole(dir_ + "sayNone.txt", content));
  EXPECT_FALSE(store_.Delete(dir_ + "sayNone.txt"));
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_ + "no such folder\\say.txt", "x"));
  EXPECT_FALSE(store_.FileExists(""));
  EXPECT_FALSE(store_.ReadWhole("", content));
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_, "x"));
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_ + Bytes("say\0.txt", 8), "x"));
  EXPECT_TRUE(AllNames().empty());
}

TEST_F(Win32FileStoreTest, FolderIsNotAFile) {
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sayDir.txt").c_str(), nullptr));
  Bytes content;
  EXPECT_FALSE(store_.FileExists(dir_ + "sayDir.txt"));
  EXPECT_FALSE(store_.ReadWhole(dir_ + "sayDir.txt", content));
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_ + "sayDir.txt", "x"));
  EXPECT_FALSE(store_.Delete(dir_ + "sayDir.txt"));
  EXPECT_EQ(AllNames(), std::vector<Bytes>{"sayDir.txt"});
  EXPECT_EQ(GetFileAttributesA((dir_ + "sayDir.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            DWORD{FILE_ATTRIBUTE_DIRECTORY});
}

TEST_F(Win32FileStoreTest, DeleteRemovesThePlainFile) {
  Create("sayA.txt", "x");
  EXPECT_TRUE(store_.Delete(dir_ + "SAYA.TXT"));
  EXPECT_FALSE(store_.FileExists(dir_ + "sayA.txt"));
  EXPECT_TRUE(AllNames().empty());
}

TEST_F(Win32FileStoreTest, ListingKeepsOnlyVisiblePlainFilesThatReallyMatchAndFoldersApart) {
  Create("sayA.txt", "");
  Create("say.txt", "");
  Create("SAYNOTE.TXT", "");
  Create("say-default.txt", "");
  Create("sayHidden.txt", "", FILE_ATTRIBUTE_HIDDEN);
  Create("saySystem.txt", "", FILE_ATTRIBUTE_SYSTEM);
  Create("other.txt", "");
  Create("sayA.txt.tmp", "");
  Create("sayx.txtx", "");
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sayFolder.txt").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sub").c_str(), nullptr));
  Create("sub\\sayDeep.txt", "");
  // A name the ANSI code page cannot spell comes back with '?' and could not be opened.
  HANDLE wide = CreateFileW((std::wstring(dir_.begin(), dir_.end()) + L"say\u4E00\u4E01.txt").c_str(),
                            GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(wide, INVALID_HANDLE_VALUE);
  CloseHandle(wide);

  const std::vector<Bytes> expected = {"SAYNOTE.TXT", "say-default.txt", "say.txt", "sayA.txt"};
  std::vector<Bytes> names = store_.List(dir_, "say*.txt");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  names = store_.List(dir_.substr(0, dir_.size() - 1), "say*.txt");  // without the final backslash
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(store_.List(dir_ + "missing\\", "say*.txt").empty());

  ASSERT_TRUE(CreateDirectoryA((dir_ + "hiddenFolder").c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesA((dir_ + "hiddenFolder").c_str(), FILE_ATTRIBUTE_HIDDEN));
  const std::vector<Bytes> folders = {"hiddenFolder", "sayFolder.txt", "sub"};
  names = store_.ListFolders(dir_.substr(0, dir_.size() - 1));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, folders);
  EXPECT_EQ(store_.ListFolders(dir_ + "sub"), std::vector<Bytes>());
  EXPECT_TRUE(store_.ListFolders(dir_ + "missing").empty());
}

TEST_F(Win32FileStoreTest, FileHeldWithoutSharingFailsToReadAndToReplace) {
  Create("sayA.txt", "old content");
  HANDLE held = HoldWithoutSharing("sayA.txt");
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Bytes content;
  EXPECT_FALSE(store_.ReadWhole(dir_ + "sayA.txt", content));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "new content"));
  CloseHandle(held);
  EXPECT_EQ(ReadBack("sayA.txt"), "old content");
  EXPECT_EQ(AllNames(), std::vector<Bytes>{"sayA.txt"});  // the temporary file is gone
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "new content"));
  EXPECT_EQ(ReadBack("sayA.txt"), "new content");
}

// A client's own file is read while the client keeps it open for writing, never past a limit.
TEST_F(Win32FileStoreTest, SharedReadOfAFileItsOwnerHoldsForWriting) {
  Create("profile.json", "{\"a\": true}");
  HANDLE owner = CreateFileA((dir_ + "profile.json").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(owner, INVALID_HANDLE_VALUE);
  Bytes content;
  EXPECT_FALSE(store_.ReadWhole(dir_ + "profile.json", content));
  EXPECT_TRUE(store_.ReadShared(dir_ + "profile.json", 11, content));
  EXPECT_EQ(content, "{\"a\": true}");
  EXPECT_FALSE(store_.ReadShared(dir_ + "profile.json", 10, content));
  CloseHandle(owner);

  HANDLE exclusive = HoldWithoutSharing("profile.json");
  ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(store_.ReadShared(dir_ + "profile.json", 100, content));
  CloseHandle(exclusive);
  EXPECT_FALSE(store_.ReadShared(dir_ + "missing.json", 100, content));
}

TEST_F(Win32FileStoreTest, FilesBesideTheBookAreNeverWrittenOrRemoved) {
  // A user's file with a name an older save used, and what an interrupted save left, one held.
  Create("sayA.txt", "old content");
  Create("sayA.txt.tmp", "someone else's");
  Create("sayA.txt.~00", "half a bo");
  Create("sayA.txt.~01", "held");
  HANDLE held = HoldWithoutSharing("sayA.txt.~01");
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  FileStamp written;
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "new content", &written));
  CloseHandle(held);
  EXPECT_EQ(ReadBack("sayA.txt"), "new content");
  EXPECT_EQ(ReadBack("sayA.txt.tmp"), "someone else's");
  EXPECT_EQ(ReadBack("sayA.txt.~00"), "half a bo");
  EXPECT_EQ(ReadBack("sayA.txt.~01"), "held");
  EXPECT_EQ(AllNames(), (std::vector<Bytes>{"sayA.txt", "sayA.txt.tmp", "sayA.txt.~00", "sayA.txt.~01"}));
  EXPECT_EQ(store_.List(dir_, "say*.txt"), std::vector<Bytes>{"sayA.txt"});
}

TEST_F(Win32FileStoreTest, AReadOnlyBookIsNotReplacedAndNothingIsLeftBeside) {
  Create("sayA.txt", "old content", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "new content"));
  EXPECT_EQ(ReadBack("sayA.txt"), "old content");
  EXPECT_EQ(AllNames(), std::vector<Bytes>{"sayA.txt"});
  ASSERT_TRUE(SetFileAttributesA((dir_ + "sayA.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "new content"));
  EXPECT_EQ(ReadBack("sayA.txt"), "new content");
}

TEST_F(Win32FileStoreTest, TheStampOfAWriteIsWhatTheFileShowsUntilItIsWrittenAgain) {
  FileStamp none;
  EXPECT_FALSE(store_.Stamp(dir_ + "sayA.txt", none));
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sayDir.txt").c_str(), nullptr));
  EXPECT_FALSE(store_.Stamp(dir_ + "sayDir.txt", none));

  FileStamp written, seen;
  ASSERT_TRUE(store_.WriteWholeAtomic(dir_ + "sayA.txt", "twelve bytes", &written));
  ASSERT_TRUE(store_.Stamp(dir_ + "sayA.txt", seen));
  EXPECT_EQ(written.size, 12u);
  EXPECT_EQ(seen, written);
  Bytes content;
  ASSERT_TRUE(store_.ReadWhole(dir_ + "sayA.txt", content));
  ASSERT_TRUE(store_.Stamp(dir_ + "sayA.txt", seen));
  EXPECT_EQ(seen, written);  // reading changes nothing

  // Another program writes as many bytes, and its write time is a second later.
  Create("sayA.txt", "twelve BYTES");
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += 10 * 1000 * 1000;
  const FILETIME later{t.LowPart, t.HighPart};
  HANDLE file =
      CreateFileA((dir_ + "sayA.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &later));
  CloseHandle(file);
  ASSERT_TRUE(store_.Stamp(dir_ + "sayA.txt", seen));
  EXPECT_EQ(seen.size, 12u);
  EXPECT_NE(seen, written);
}

// A modern client's folder is its process's image folder, or the working folder a shortcut gave
// it, and its character's profile is found there through the real file system.
TEST_F(Win32FileStoreTest, ProfileOfAModernClientBesideItsProcessImageOrInItsWorkingFolder) {
  const Bytes profiles = dir_ + "Data\\Profiles\\acct\\Atlantic\\";
  Bytes play = dir_ + "Play";
  for (const char* sub :
       {"Data", "Data\\Profiles", "Data\\Profiles\\acct", "Data\\Profiles\\acct\\Atlantic",
        "Data\\Profiles\\acct\\Atlantic\\Bob", "Data\\Profiles\\acct\\Atlantic\\Bobby", "Play", "Play\\Data",
        "Play\\Data\\Profiles", "Play\\Data\\Profiles\\acct", "Play\\Data\\Profiles\\acct\\Atlantic",
        "Play\\Data\\Profiles\\acct\\Atlantic\\Carol"})
    ASSERT_TRUE(CreateDirectoryA((dir_ + sub).c_str(), nullptr)) << sub;
  ASSERT_TRUE(
      store_.WriteWholeAtomic(profiles + "Bob\\profile.json", "{\"activate_chat_after_enter\": true}"));
  ASSERT_TRUE(
      store_.WriteWholeAtomic(profiles + "Bobby\\profile.json", "{\"activate_chat_after_enter\": false}"));
  ASSERT_TRUE(store_.WriteWholeAtomic(play + "\\Data\\Profiles\\acct\\Atlantic\\Carol\\profile.json",
                                      "{\"activate_chat_after_enter\": true}"));

  // The practice window beside this program stands for the client, started as a shortcut whose
  // "Start in" names another folder starts it. No console child: its console host would outlive it.
  const Bytes self = ExecutablePath();
  Bytes image = dir_ + "ClassicUO.exe";
  ASSERT_TRUE(CopyFileA((self.substr(0, self.find_last_of('\\') + 1) + "fakegame.exe").c_str(), image.c_str(),
                        FALSE));
  Bytes commandLine = "ClassicUO.exe";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  ASSERT_TRUE(CreateProcessA(image.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                             play.c_str(), &startup, &child));
  WaitForInputIdle(child.hProcess, 5000);
  Bytes seen = ProcessImagePath(child.dwProcessId);
  Bytes working;
  for (int tries = 0; tries < 100 && working.empty(); ++tries, Sleep(20))
    working = ProcessWorkingFolder(child.dwProcessId);
  ProfileChatSettings chat(store_, ProcessImagePath, SystemLeadBytes(), nullptr, ProcessWorkingFolder);
  bool bob = chat.For(GameWindow{1, false, "Bob - ClassicUO - 1.1.0.0", child.dwProcessId}).enterToChat;
  bool bobby = chat.For(GameWindow{1, false, "Bobby - ClassicUO - 1.1.0.0", child.dwProcessId}).enterToChat;
  bool carol = chat.For(GameWindow{1, false, "Carol - ClassicUO - 1.1.0.0", child.dwProcessId}).enterToChat;
  TerminateProcess(child.hProcess, 0);
  WaitForSingleObject(child.hProcess, 5000);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);

  // The system may spell the folders in other letter case.
  for (Bytes* path : {&seen, &image, &working, &play})
    if (!path->empty()) CharUpperA(&(*path)[0]);
  EXPECT_EQ(seen, image);
  EXPECT_EQ(working, play);
  EXPECT_TRUE(bob);
  EXPECT_FALSE(bobby);
  EXPECT_TRUE(carol);
  EXPECT_EQ(ProcessImagePath(0), "");  // the idle process, which no one opens
  EXPECT_EQ(ProcessWorkingFolder(0), "");
  EXPECT_EQ(ProcessImagePath(GetCurrentProcessId()), ExecutablePath());
}

// Answers every prompt by running an action first, as a user who closes the other program would.
class PromptThatActs : public MessageBoxPort {
 public:
  explicit PromptThatActs(std::function<int()> act) : act_(std::move(act)) {}
  int Show(const Bytes& text, const Bytes&, unsigned) override {
    texts.push_back(text);
    return act_();
  }
  std::vector<Bytes> texts;

 private:
  std::function<int()> act_;
};

TEST_F(Win32FileStoreTest, BookHeldElsewhereIsRetriedOnceReleased) {
  Create("sayA.txt", "[PARLO!]\r\nold\r\n");
  HANDLE held = HoldWithoutSharing("sayA.txt");
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PromptThatActs prompt([&] {
    CloseHandle(held);
    held = INVALID_HANDLE_VALUE;
    return kIdYes;
  });
  SayFiles files(store_, prompt, dir_, dir_ + "say-default.txt");
  GridModel grid;
  Bytes currentFile;
  EXPECT_TRUE(files.LoadSayFile(grid, currentFile, "sayA.txt"));
  EXPECT_EQ(grid.Text(0), "old");
  EXPECT_EQ(currentFile, "sayA.txt");

  held = HoldWithoutSharing("sayA.txt");
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  grid.SetCell(kColText, 0, "new");
  EXPECT_TRUE(files.SaveSayFile(grid, "sayA.txt"));
  EXPECT_EQ(ReadBack("sayA.txt"), "[PARLO!]\r\nnew\r\n");
  EXPECT_EQ(prompt.texts, (std::vector<Bytes>{"File Load Error. Retry?", "File Save Error. Retry?"}));
  EXPECT_EQ(AllNames(), std::vector<Bytes>{"sayA.txt"});
}

TEST(Win32CodePage, UnicodeBecomesTheAnsiCodePageWithAQuestionMarkForWhatItLacks) {
  Win32CodePage codePage;
  EXPECT_EQ(codePage.FromUtf16(u"[PARLO!]\r\nhi\tthere"), "[PARLO!]\r\nhi\tthere");
  EXPECT_EQ(codePage.FromUtf16(u""), "");
  EXPECT_EQ(codePage.FromUtf16(std::u16string(u"a\0b", 3)), Bytes("a\0b", 3));
  EXPECT_EQ(codePage.FromUtf16(u"x\uFFFDy"), "x?y");
  if (GetACP() == 1252) {
    EXPECT_EQ(codePage.FromUtf16(u"caf\u00E9 \u20AC"), "caf\xE9 \x80");
    // No best fit: a macron a does not become a plain a.
    EXPECT_EQ(codePage.FromUtf16(u"\u0101\u4E00"), "??");
  }
  // The exact form says whether a '?' stands for a character the code page lacks.
  Bytes out = "stale";
  EXPECT_TRUE(codePage.FromUtf16Exact(u"a?b", out));
  EXPECT_EQ(out, "a?b");
  EXPECT_FALSE(codePage.FromUtf16Exact(u"x\uFFFDy", out));
  EXPECT_EQ(out, "x?y");
  EXPECT_FALSE(codePage.FromUtf16Exact(u"\U0001F600", out));
  if (GetACP() == 1252) {
    EXPECT_TRUE(codePage.FromUtf16Exact(u"caf\u00E9", out));
    EXPECT_EQ(out, "caf\xE9");
    EXPECT_FALSE(codePage.FromUtf16Exact(u"\u0101", out));
  }
}

}  // namespace
}  // namespace parlo
