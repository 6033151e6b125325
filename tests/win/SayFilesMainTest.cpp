// The main window's phrase books on disk: the start-up selection, the list, switching, Save As,
// Delete, the retry prompts and the save at exit, with real windows over a temporary folder.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/IniFile.h"
#include "core/book/SayCollection.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32FileStore.h"
#include "platform/Win32ProfileStore.h"
#include "tests/common/HeldFile.h"
#include "tests/win/InputBoxScript.h"
#include "tests/win/TempFolder.h"

namespace parlo {
namespace {

using testing::BoxCall;
using testing::HeldFile;
using testing::Click;
using ::testing::ElementsAre;
using testing::InputBoxScript;
using ::testing::IsEmpty;
using testing::ScriptedBoxes;
using testing::TypeName;

using Row = std::pair<Bytes, Bytes>;  // label, text

constexpr unsigned kQuestion = 0x24;
constexpr unsigned kWarning = 0x30;

class SayFilesMainTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Created()); }

  void TearDown() override {
    main_.reset();
    Pump();
  }


  // Handles what is queued, as the message loop would; the quit a closed main window posts is
  // dropped so that it cannot end a later modal loop.
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  void Put(const Bytes& name, const Bytes& content) {
    HANDLE file = CreateFileA((dir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
    CloseHandle(file);
  }
  // Reads the file's write time into time, or sets it from time.
  bool WriteTime(const Bytes& name, FILETIME* time, bool set) {
    HANDLE file = CreateFileA((dir_ + name).c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool done =
        set ? SetFileTime(file, nullptr, nullptr, time) : GetFileTime(file, nullptr, nullptr, time);
    CloseHandle(file);
    return done;
  }
  std::optional<Bytes> Read(const Bytes& name) {
    Bytes content;
    if (!store_.FileExists(dir_ + name) || !store_.ReadWhole(dir_ + name, content)) return std::nullopt;
    return content;
  }
  bool Has(const Bytes& name) const { return store_.FileExists(dir_ + name); }
  std::vector<Bytes> SayFilesOnDisk() {
    std::vector<Bytes> names = store_.List(dir_, "say*.txt");
    std::sort(names.begin(), names.end());
    return names;
  }

  // Creates the main window over the folder, as the program does at start-up. lastOpen stands
  // for the settings file's "LastOpen".
  void Start(const Bytes& lastOpen = Bytes(), GamePort* game = nullptr) {
    if (!lastOpen.empty()) Put("parlo.ini", "[UO]\r\nLastOpen=" + lastOpen + "\r\n");
    MainServices services;
    services.exePath = dir_ + "parlo.exe";
    services.files = &store_;
    services.messageBox = boxes_.Function();
    services.profile = profile_;
    services.codePage = &codePage_;
    services.game = game;
    services.readAhead = readAhead_;
    main_ = std::make_unique<TForm_Main>(services);
    main_->SetLastOpen(lastOpen);
    main_->Create();
    ASSERT_NE(main_->Handle(), nullptr);
  }

  // Closes the main window as the user does: the exit save runs.
  void Close() {
    SendMessageA(main_->Handle(), WM_CLOSE, 0, 0);
    Pump();
    main_.reset();
  }

  HWND Combo() const { return main_->Control(IDC_COMBOBOX_FILES); }
  std::vector<Bytes> ComboItems() const {
    std::vector<Bytes> items;
    LRESULT count = SendMessageA(Combo(), CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
      char text[300] = {};
      SendMessageA(Combo(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.emplace_back(text);
    }
    return items;
  }
  int Selection() const { return static_cast<int>(SendMessageA(Combo(), CB_GETCURSEL, 0, 0)); }
  int IndexOf(const Bytes& entry) const {
    return static_cast<int>(SendMessageA(Combo(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(entry.c_str())));
  }

  // The user picks an entry: the list tells the window, as it does for a mouse or key choice.
  void Pick(const Bytes& entry) {
    int index = IndexOf(entry);
    ASSERT_GE(index, 0) << entry;
    SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(GetParent(Combo()), WM_COMMAND, MAKEWPARAM(IDC_COMBOBOX_FILES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Combo()));
  }
  // Stay-on-top switched on behind the window's back: only ApplyStayOnTop can make it topmost.
  // Under Wine a topmost popup owned by the window (the check box's tool tip) keeps the window
  // itself from becoming topmost, so the tip goes first; this test is about when the state is
  // applied, not about that.
  void ShowTopmostCapable() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM owner) {
          if (GetWindow(hwnd, GW_OWNER) == reinterpret_cast<HWND>(owner) &&
              (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST))
            DestroyWindow(hwnd);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(main_->Handle()));
    main_->StayOnTop = true;
    ASSERT_FALSE(GetWindowLongA(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  void ClickButton(int id) { SendMessageA(main_->Control(id), BM_CLICK, 0, 0); }

  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    const GridModel& grid = main_->Grid().Model();
    for (int r = 0; r < grid.RowCount(); ++r) rows.emplace_back(grid.Label(r), grid.Text(r));
    return rows;
  }
  void SetText(int row, const Bytes& text) { main_->Grid().Model().SetCell(kColText, row, text); }

  static void ExpectBox(const BoxCall& call, HWND owner, const Bytes& text, const Bytes& caption,
                        unsigned flags) {
    EXPECT_EQ(call.owner, owner) << text;
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.caption, caption);
    EXPECT_EQ(call.flags, flags) << text;
  }

  testing::TempFolder folder_{"parlo-books"};
  Bytes dir_ = folder_.Path();
  Win32FileStore store_;
  Win32CodePage codePage_;
  ScriptedBoxes boxes_;
  ProfileStore* profile_ = nullptr;                            // none: no settings are read or written
  std::function<std::unique_ptr<BookReadAhead>()> readAhead_;  // none: every book is read at its load
  std::unique_ptr<TForm_Main> main_;
};

// Game clients as the system lists them; nothing is ever sent to them here.
struct ListedClients : GamePort {
  std::vector<TopLevelWindow> windows;
  std::vector<TopLevelWindow> TopLevelWindows() override { return windows; }
  std::uint32_t OwnProcessId() override { return 1; }
  PostResult PostImeChar(WindowRef, unsigned) override { return PostResult::kFailed; }
  PostResult PostChar(WindowRef, unsigned) override { return PostResult::kFailed; }
  PostResult PostKey(WindowRef, unsigned, bool) override { return PostResult::kFailed; }
  bool IsVisible(WindowRef) override { return true; }
  void BringToFront(WindowRef) override {}
  bool IsForeground(WindowRef) override { return false; }
  bool ModifiersDown() override { return false; }
  std::uint64_t NowMs() override { return 0; }
  unsigned ScanCode(unsigned) override { return 0; }
  void KeyEvent(unsigned, unsigned, unsigned) override {}
};

const Bytes kBookA = "[PARLO!]\r\nhi\tHello\r\n";
const Bytes kBookB = "[PARLO!]\r\nbye\tGood bye\r\n";
const Bytes kUnnamed = "[PARLO!]\r\nplain\r\n";

// ---- Start-up selection and the list ----

TEST_F(SayFilesMainTest, WithoutSayFilesStartsWithAnEmptyUnnamedBookAndLeavesNoFileAtExit) {
  Start();
  EXPECT_THAT(ComboItems(), IsEmpty());
  EXPECT_THAT(Rows(), ElementsAre(Row("", "")));
  EXPECT_EQ(main_->CurrentFile, "say.txt");
  Close();
  EXPECT_THAT(SayFilesOnDisk(), IsEmpty());
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(SayFilesMainTest, ListsTheUnnamedBookFirstThenTheOthersIgnoringCaseAndOpensTheFirst) {
  Put("sayb.txt", kBookB);
  Put("sayA.txt", kBookA);
  Put("say.txt", kUnnamed);
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sayFolder.txt").c_str(), nullptr));
  Put("sayHidden.txt", kBookA);
  SetFileAttributesA((dir_ + "sayHidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  Put("notes.txt", kBookA);

  Start();
  EXPECT_THAT(ComboItems(), ElementsAre("", "A", "b"));
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(main_->CurrentFile, "say.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("", "plain")));
}

TEST_F(SayFilesMainTest, WithoutAnUnnamedBookOpensTheFirstInSortedOrder) {
  Put("sayb.txt", kBookB);
  Put("sayA.txt", kBookA);
  Start();
  EXPECT_THAT(ComboItems(), ElementsAre("A", "b"));
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello")));
}

TEST_F(SayFilesMainTest, OpensTheLastOpenBookWhenItIsListed) {
  Put("say.txt", kUnnamed);
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start("sayb.txt");
  EXPECT_EQ(Selection(), IndexOf("b"));
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));
}

TEST_F(SayFilesMainTest, OpensTheFirstEntryWhenLastOpenNamesNoListedBookExactly) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  for (const char* lastOpen : {"sayGone.txt", "sayB.txt"}) {
    SCOPED_TRACE(lastOpen);
    Start(lastOpen);
    EXPECT_EQ(Selection(), 0);
    EXPECT_EQ(main_->CurrentFile, "sayA.txt");
    Close();
  }
  EXPECT_FALSE(Has("sayGone.txt"));
}

// The book left open is read while the window is being made. sayb.txt is written again after
// that read with rows of the same size: kept at its old write time, only the rows tell which read
// the book came from.
TEST_F(SayFilesMainTest, TheBookLeftOpenIsReadAheadAndTakenOnlyWhileItsFileIsAsTheReadFoundIt) {
  struct Case {
    const char* what;
    const char* lastOpen;
    bool timeKept;
    const char* current;
    Row row;
  };
  const Case cases[] = {
      {"as the read found it", "sayb.txt", true, "sayb.txt", Row("bye", "Good bye")},
      {"written since", "sayb.txt", false, "sayb.txt", Row("eyb", "Good eyb")},
      {"LastOpen names no entry exactly", "sayB.txt", true, "sayA.txt", Row("hi", "Hello")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Put("sayA.txt", kBookA);
    Put("sayb.txt", kBookB);
    Put("parlo.ini", Bytes("[UO]\r\nLastOpen=") + c.lastOpen + "\r\n");
    Win32ProfileStore settings;
    MainServices reading;
    reading.exePath = dir_ + "parlo.exe";
    reading.files = &store_;
    reading.profile = &settings;
    reading.codePage = &codePage_;
    auto ahead = std::make_shared<std::unique_ptr<BookReadAhead>>(ReadStartBookAhead(reading));
    ASSERT_NE(*ahead, nullptr);
    FILETIME written{};
    ASSERT_TRUE(WriteTime("sayb.txt", &written, false));
    Put("sayb.txt", "[PARLO!]\r\neyb\tGood eyb\r\n");
    if (c.timeKept) {
      ASSERT_TRUE(WriteTime("sayb.txt", &written, true));
    }
    readAhead_ = [ahead] { return std::move(*ahead); };
    Start(c.lastOpen);
    EXPECT_EQ(main_->CurrentFile, c.current);
    EXPECT_THAT(Rows(), ElementsAre(c.row));
    Close();
  }
}

// ---- Switching ----

TEST_F(SayFilesMainTest, SwitchingWritesTheBookLeftInTheHeadedLayoutWithCrLfThenLoadsThePickedOne) {
  Put("sayA.txt", "hi\tHello\nThanks\n");  // tabbed, LF
  Put("sayb.txt", kBookB);
  Start();
  ASSERT_EQ(main_->CurrentFile, "sayA.txt");
  ASSERT_THAT(Rows(), ElementsAre(Row("hi", "Hello"), Row("", "Thanks")));
  SetText(1, "Thanks a lot");

  Pick("b");
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\nhi\tHello\r\nThanks a lot\r\n");
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));
  EXPECT_EQ(Read("sayb.txt"), kBookB);
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(SayFilesMainTest, ArrowKeysInTheClosedListSwitchBooksAtEveryStep) {
  Put("sayA.txt", "[PARLO!]\none\n");
  Put("sayb.txt", "[PARLO!]\ntwo\n");
  Put("sayc.txt", "[PARLO!]\nthree\n");
  Start();
  ASSERT_EQ(main_->CurrentFile, "sayA.txt");

  PostMessageA(Combo(), WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(Combo(), WM_KEYUP, VK_DOWN, 0xC0000001);
  Pump();
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("", "two")));
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\none\r\n");
  EXPECT_EQ(Read("sayb.txt"), "[PARLO!]\ntwo\n");

  PostMessageA(Combo(), WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(Combo(), WM_KEYUP, VK_DOWN, 0xC0000001);
  Pump();
  EXPECT_EQ(main_->CurrentFile, "sayc.txt");
  EXPECT_EQ(Read("sayb.txt"), "[PARLO!]\r\ntwo\r\n");
}

TEST_F(SayFilesMainTest, PickingABookRemovedBehindTheProgramsBackShowsTheFallbackUnderItsName) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Put("say-default.txt", "[PARLO!]\r\ntemplate\r\n");
  Start();
  ASSERT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_GE(IndexOf("-default"), 0);

  ASSERT_TRUE(DeleteFileA((dir_ + "sayb.txt").c_str()));
  Pick("b");
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("", "template")));

  Pick("A");
  EXPECT_EQ(Read("sayb.txt"), "[PARLO!]\r\ntemplate\r\n");
  EXPECT_EQ(Read("say-default.txt"), "[PARLO!]\r\ntemplate\r\n");
}

// A client coming to the front opens its character's book as a switch in the list does; of two
// books of one character the first listed; a book deleted behind the program's back is not made
// again; nothing follows with following off.
TEST_F(SayFilesMainTest, AClientInFrontOpensItsCharactersBookAsASwitchDoes) {
  Put("sayAlice.txt", kBookA);
  Put("say_ALICE.txt", kBookB);
  Put("sayBob.txt", kUnnamed);
  ListedClients game;
  game.windows = {{10, "SDL_app", "Alice (Atlantic) - ClassicUO - 1.0", true, 20},
                  {11, "Ultima Online", "Ultima Online - Bob (Atlantic)", true, 21}};
  Start("sayBob.txt", &game);
  ASSERT_EQ(main_->CurrentFile, "sayBob.txt");
  const Bytes alices = IndexOf("Alice") < IndexOf("_ALICE") ? "sayAlice.txt" : "say_ALICE.txt";

  main_->OnForegroundChanged(10);
  EXPECT_EQ(main_->CurrentFile, alices);
  EXPECT_EQ(Selection(), IndexOf(DisplayNameOf(alices)));
  SetText(0, "changed in Alice's");
  main_->OnForegroundChanged(11);
  EXPECT_EQ(main_->CurrentFile, "sayBob.txt");
  EXPECT_NE(Read(alices).value_or("").find("\tchanged in Alice's\r\n"), Bytes::npos);

  main_->OnForegroundChanged(10);
  ASSERT_TRUE(DeleteFileA((dir_ + "sayBob.txt").c_str()));
  main_->OnForegroundChanged(11);
  EXPECT_EQ(main_->CurrentFile, alices);
  EXPECT_EQ(IndexOf("Bob"), -1);
  EXPECT_FALSE(Has("sayBob.txt"));

  Put("sayBob.txt", kUnnamed);
  main_->FollowCharacter = false;
  main_->OnForegroundChanged(10);
  main_->OnForegroundChanged(11);
  EXPECT_EQ(main_->CurrentFile, alices);
}

// ---- Exit ----

TEST_F(SayFilesMainTest, ClosingWritesTheCurrentBookBack) {
  Start();
  SetText(0, "hello");
  Close();
  EXPECT_EQ(Read("say.txt"), "[PARLO!]\r\nhello\r\n");
}

TEST_F(SayFilesMainTest, TextStillInTheCellEditorIsPartOfTheBookWrittenAndStaysWithIt) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start();
  PhraseGridControl& grid = main_->Grid();
  ASSERT_TRUE(grid.ShowEditor());
  SetWindowTextA(grid.Editor(), "typed");
  Pick("b");
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\ntyped\tHello\r\n");
  EXPECT_FALSE(grid.IsEditing());
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));

  ASSERT_TRUE(grid.ShowEditor());
  SetWindowTextA(grid.Editor(), "at exit");
  Close();
  EXPECT_EQ(Read("sayb.txt"), "[PARLO!]\r\nat exit\tGood bye\r\n");
}

TEST_F(SayFilesMainTest, AnotherCloseRequestWhileTheExitAsksToRetryIsIgnored) {
  Put("sayA.txt", kBookA);
  MemoryProfileStore profile;
  profile_ = &profile;
  Start();
  MoveWindow(main_->Handle(), 100, 120, 400, 500, TRUE);
  main_->SetChecked(IDC_CHECKBOX_YELL, true);
  SetText(0, "edited");
  HeldFile held(dir_ + "sayA.txt");
  ASSERT_TRUE(held.Held());
  bool aliveAfterSecondClose = false;
  boxes_.Then([&](const BoxCall&) {
    SendMessageA(main_->Handle(), WM_CLOSE, 0, 0);
    aliveAfterSecondClose = IsWindow(main_->Handle()) != FALSE;
    held.Release();
    return kIdYes;
  });
  Close();
  EXPECT_TRUE(aliveAfterSecondClose);
  EXPECT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\nhi\tedited\r\n");
  // The settings come from the window as it was, not from one already gone.
  const std::optional<Bytes> ini = profile.File(dir_ + "parlo.ini");
  ASSERT_TRUE(ini.has_value());
  EXPECT_NE(ini->find("Width=400\r\n"), Bytes::npos) << *ini;
  EXPECT_NE(ini->find("Yell=1\r\n"), Bytes::npos) << *ini;
  EXPECT_NE(ini->find("LastOpen=\"sayA.txt\"\r\n"), Bytes::npos) << *ini;
}

// ---- Changes made by other programs ----

TEST_F(SayFilesMainTest, ActivationReadsABookChangedElsewhereAgainUnlessItChangedHereToo) {
  Put("sayA.txt", kBookA);
  Start();
  main_->Grid().Model().SetRow(0);
  auto activate = [&] {
    SendMessageA(main_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    Pump();
  };
  Put("sayA.txt", "[PARLO!]\r\nhi\tHello again\r\nbye\tGood bye\r\n");
  activate();
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello again"), Row("bye", "Good bye")));

  SetText(1, "mine");
  Put("sayA.txt", kBookB);
  activate();
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello again"), Row("bye", "mine")));
  Close();
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\nhi\tHello again\r\nbye\tmine\r\n");
  EXPECT_EQ(Read("sayA.txt.bak"), kBookB);
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayA.txt"));
}

TEST_F(SayFilesMainTest, UndoTakesBackAReloadWholeAndTheSaveKeepsTheVersionItReplaced) {
  const Bytes good = "[PARLO!]\r\nhi\tHello\r\nbye\tGood bye\r\nthird\tline\r\n";
  // Cut short by a sync tool, yet in Parlo's own form: only what it read says it is not Parlo's.
  const Bytes cut = "[PARLO!]\r\nhi\tHello\r\n";
  Put("sayA.txt", good);
  Start();
  GridModel& model = main_->Grid().Model();
  model.EditCell(kColText, 1, "Later");  // taken back: the book is as read, in a cell of its own
  ASSERT_TRUE(main_->Grid().Undo());
  model.SetRow(2);
  Put("sayA.txt", cut);
  SendMessageA(main_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  Pump();
  ASSERT_THAT(Rows(), ElementsAre(Row("hi", "Hello")));
  EXPECT_EQ(model.Row(), 0);

  ASSERT_TRUE(main_->Grid().Undo());
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello"), Row("bye", "Good bye"), Row("third", "line")));
  EXPECT_EQ(model.Row(), 2);
  EXPECT_FALSE(model.CanUndo());
  ASSERT_TRUE(main_->Grid().Redo());
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello")));
  ASSERT_TRUE(main_->Grid().Undo());
  Close();
  EXPECT_EQ(Read("sayA.txt"), good);
  EXPECT_EQ(Read("sayA.txt.bak"), cut);
}

TEST_F(SayFilesMainTest, AUnicodeBookFromNotepadIsWrittenBackInTheHeadedLayoutKeepingTheOriginal) {
  const Bytes utf16 = Bytes("\xFF\xFE[\0P\0A\0R\0L\0O\0!\0]\0\r\0\n\0h\0i\0\t\0x\0\r\0\n\0", 30);
  Put("sayU.txt", utf16);
  Put("sayV.txt", kBookB);
  Start();
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "x")));
  Pick("V");
  EXPECT_TRUE(boxes_.Calls().empty());
  EXPECT_EQ(Read("sayU.txt"), "[PARLO!]\r\nhi\tx\r\n");
  EXPECT_EQ(Read("sayU.txt.bak"), utf16);
}

// ---- Retry prompts ----

TEST_F(SayFilesMainTest, ABookThatCouldNotBeReadIsWrittenNeitherAtExitNorOnSwitching) {
  const Bytes kept = "[PARLO!]\nkeep\n";
  Put("sayA.txt", kept);
  Put("sayb.txt", kBookB);
  {
    HeldFile held(dir_ + "sayA.txt");
    ASSERT_TRUE(held.Held());
    boxes_.Then(kIdNo);
    Start();
  }
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  ExpectBox(boxes_.Calls()[0], nullptr, "File Load Error. Retry?", "ERROR", kQuestion);
  EXPECT_TRUE(main_->CurrentFile.empty());
  EXPECT_THAT(Rows(), ElementsAre(Row("", "")));
  Close();
  EXPECT_EQ(Read("sayA.txt"), kept);

  {
    HeldFile held(dir_ + "sayA.txt");
    boxes_.Then(kIdNo);
    Start();
  }
  Pick("b");
  EXPECT_EQ(Read("sayA.txt"), kept);
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_EQ(boxes_.Calls().size(), 2u);
}

TEST_F(SayFilesMainTest, LoadRetryReadsTheBookOnceTheFileIsReleased) {
  Put("sayA.txt", kBookA);
  HeldFile held(dir_ + "sayA.txt");
  ASSERT_TRUE(held.Held());
  boxes_.Then(kIdYes);  // still held: asked again
  boxes_.Then([&](const BoxCall&) {
    held.Release();
    return kIdYes;
  });
  Start();
  ASSERT_EQ(boxes_.Calls().size(), 2u);
  ExpectBox(boxes_.Calls()[1], nullptr, "File Load Error. Retry?", "ERROR", kQuestion);
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello")));
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
}

TEST_F(SayFilesMainTest, SaveRetryAnsweredNoKeepsTheOldFileAndTheSwitchGoesOn) {
  const Bytes old = "[PARLO!]\nold\n";
  Put("sayA.txt", old);
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "edited");
  HeldFile held(dir_ + "sayA.txt");
  ASSERT_TRUE(held.Held());
  boxes_.Then(kIdNo);
  Pick("b");
  held.Release();

  ASSERT_EQ(boxes_.Calls().size(), 1u);
  ExpectBox(boxes_.Calls()[0], nullptr, "File Save Error. Retry?", "ERROR", kQuestion);
  EXPECT_EQ(Read("sayA.txt"), old);
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayA.txt", "sayb.txt"));
  EXPECT_THAT(store_.List(dir_, "sayA.txt*"), ElementsAre("sayA.txt"));  // nothing left beside it
}

TEST_F(SayFilesMainTest, SaveRetryWritesTheBookOnceTheFileIsReleased) {
  Put("sayA.txt", "[PARLO!]\nold\n");
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "edited");
  HeldFile held(dir_ + "sayA.txt");
  boxes_.Then(kIdYes);
  boxes_.Then([&](const BoxCall&) {
    held.Release();
    return kIdYes;
  });
  Pick("b");
  EXPECT_EQ(boxes_.Calls().size(), 2u);
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\nedited\r\n");
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
}

TEST_F(SayFilesMainTest, ABardStepDuringARetryPromptLeavesBothBooksWhole) {
  Put("sayA.txt", "[PARLO!]\r\none\tfirst\r\ntwo\tsecond\r\n");
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "edited");
  HeldFile held(dir_ + "sayA.txt");
  int rowDuringPrompt = -1;
  boxes_.Then([&](const BoxCall&) {
    // The player recites from the game while the prompt waits.
    SendMessageA(main_->Handle(), WM_HOTKEY, 14, 0);
    rowDuringPrompt = main_->Grid().Model().Row();
    held.Release();
    return kIdYes;
  });
  Pick("b");
  EXPECT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(rowDuringPrompt, 1) << "the step moved on in the book being saved";
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\none\tedited\r\ntwo\tsecond\r\n");
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));
}

// ---- Save As ----

TEST_F(SayFilesMainTest, SaveAsWritesTheGridUnderTheNewNameThenSelectsAndOpensIt) {
  Put("sayA.txt", "[PARLO!]\r\nold\r\n");
  Start();
  SetText(0, "new text");
  ShowTopmostCapable();
  HWND owner = nullptr;
  InputBoxScript script({TypeName("Note"), [&](HWND box) {
                           owner = GetWindow(box, GW_OWNER);
                           SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                         }});
  ClickButton(IDC_BUTTON_SAVE);

  EXPECT_EQ(script.StepsRun(), 2u);
  EXPECT_EQ(owner, main_->Handle());
  EXPECT_EQ(Read("sayNote.txt"), "[PARLO!]\r\nnew text\r\n");
  EXPECT_EQ(Read("sayA.txt"), "[PARLO!]\r\nold\r\n");  // the book left is not saved again
  EXPECT_THAT(ComboItems(), ElementsAre("A", "Note"));
  EXPECT_EQ(Selection(), 1);
  EXPECT_EQ(main_->CurrentFile, "sayNote.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("", "new text")));
  EXPECT_TRUE(GetWindowLongA(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(testing::FindInputBox());
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(SayFilesMainTest, SaveAsToATakenNameWarnsAndTheDialogStaysOpen) {
  Put("sayA.txt", kBookA);
  Put("sayNote.txt", kBookB);
  Start();
  boxes_.Then(kIdOk);
  bool stillOpen = false;
  InputBoxScript script({TypeName("NOTE"), Click(IDOK), [&](HWND box) {
                           stillOpen = IsWindowVisible(box) != FALSE;
                           SendMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
                         }});
  ClickButton(IDC_BUTTON_SAVE);

  ASSERT_EQ(boxes_.Calls().size(), 1u);
  ExpectBox(boxes_.Calls()[0], script.Box(), "That file already exists", "Parlo", kWarning);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(Read("sayNote.txt"), kBookB);
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(ComboItems(), ElementsAre("A", "Note"));
}

TEST_F(SayFilesMainTest, SaveAsRefusesNamesThatWouldLeaveTheFolderOrThatWindowsRejects) {
  Put("sayA.txt", kBookA);
  Start();
  const std::vector<testing::RefusedName> refused = testing::RefusedSaveAsNames();
  std::vector<InputBoxScript::Step> steps;
  for (const testing::RefusedName& r : refused) {
    boxes_.Then(kIdOk);
    steps.push_back(TypeName(r.name));
    steps.push_back(Click(IDOK));
  }
  steps.push_back(Click(IDCANCEL));
  InputBoxScript script(steps);
  ClickButton(IDC_BUTTON_SAVE);

  ASSERT_EQ(boxes_.Calls().size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectBox(boxes_.Calls()[i], script.Box(), refused[i].warning, "Parlo", kWarning);
  }
  EXPECT_EQ(script.StepsRun(), steps.size());
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayA.txt"));
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
}

TEST_F(SayFilesMainTest, CancelledSaveAsChangesNothingButReappliesStayOnTop) {
  Put("sayA.txt", kBookA);
  Start();
  SetText(0, "unsaved");
  ShowTopmostCapable();
  InputBoxScript script({TypeName("Other"), Click(IDCANCEL)});
  ClickButton(IDC_BUTTON_SAVE);

  EXPECT_EQ(script.StepsRun(), 2u);
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayA.txt"));
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "unsaved")));
  EXPECT_TRUE(GetWindowLongA(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SayFilesMainTest, SaveAsThatCannotBeWrittenKeepsTheBookOpenUnderItsOldName) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "precious");
  // A folder of the new book's name is no book, and no file can be written in its place.
  ASSERT_TRUE(CreateDirectoryA((dir_ + "sayNew.txt").c_str(), nullptr));
  boxes_.Then(kIdNo);
  InputBoxScript script({TypeName("New"), Click(IDOK)});
  ClickButton(IDC_BUTTON_SAVE);

  ASSERT_EQ(boxes_.Calls().size(), 1u);
  ExpectBox(boxes_.Calls()[0], nullptr, "File Save Error. Retry?", "ERROR", kQuestion);
  EXPECT_FALSE(Has("sayNew.txt"));
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "precious")));
  EXPECT_THAT(ComboItems(), ElementsAre("A", "b"));
  EXPECT_EQ(Selection(), 0);
}

// ---- Delete ----

TEST_F(SayFilesMainTest, DeleteAsksThenRemovesTheFileAndOpensTheFirstEntryWithoutSaving) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "gone with the file");
  boxes_.Then(kIdYes);
  ClickButton(IDC_BUTTON1);

  ASSERT_EQ(boxes_.Calls().size(), 1u);
  ExpectBox(boxes_.Calls()[0], main_->Handle(), "Delete this file?", "Parlo", kQuestion);
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayb.txt"));
  EXPECT_THAT(ComboItems(), ElementsAre("b"));
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(main_->CurrentFile, "sayb.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("bye", "Good bye")));
}

TEST_F(SayFilesMainTest, DeleteAnsweredNoChangesNothing) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "kept");
  boxes_.Then(kIdNo);
  ClickButton(IDC_BUTTON1);

  EXPECT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_THAT(SayFilesOnDisk(), ElementsAre("sayA.txt", "sayb.txt"));
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "kept")));
  EXPECT_EQ(Read("sayA.txt"), kBookA);
}

TEST_F(SayFilesMainTest, DeletingTheLastBookLeavesAnEmptyUnnamedBookThatIsNotWritten) {
  Put("sayA.txt", kBookA);
  Start();
  boxes_.Then(kIdYes);
  ClickButton(IDC_BUTTON1);

  EXPECT_THAT(SayFilesOnDisk(), IsEmpty());
  EXPECT_THAT(ComboItems(), IsEmpty());
  EXPECT_EQ(main_->CurrentFile, "say.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("", "")));
  Close();
  EXPECT_THAT(SayFilesOnDisk(), IsEmpty());
}

TEST_F(SayFilesMainTest, DeletingAFileHeldByAnotherProgramFailsSilentlyAndStillMovesOn) {
  Put("sayA.txt", kBookA);
  Put("sayb.txt", kBookB);
  Start();
  SetText(0, "not written back");
  HeldFile held(dir_ + "sayA.txt");
  boxes_.Then(kIdYes);
  // The first entry is the file that stayed, still held: its load asks too.
  boxes_.Then([&](const BoxCall&) {
    held.Release();
    return kIdYes;
  });
  ClickButton(IDC_BUTTON1);

  ASSERT_EQ(boxes_.Calls().size(), 2u);
  ExpectBox(boxes_.Calls()[1], nullptr, "File Load Error. Retry?", "ERROR", kQuestion);
  EXPECT_EQ(Read("sayA.txt"), kBookA);
  EXPECT_EQ(Selection(), 0);
  EXPECT_EQ(main_->CurrentFile, "sayA.txt");
  EXPECT_THAT(Rows(), ElementsAre(Row("hi", "Hello")));
}

}  // namespace
}  // namespace parlo
