// The phrase grid driven like a player does: rows typed into cells, send buttons pressed and
// released with the real mouse, rows dragged by their grip. Watched from the fake game's side.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The grid's current cell is painted in this lighter parchment; the rest of the grid in kParchment.
constexpr COLORREF kCurrentCell = RGB(236, 224, 194);
constexpr COLORREF kParchment = RGB(206, 185, 140);
constexpr int kGripWidth = 8;
constexpr int kButtonWidth = 14;

COLORREF ScreenPixel(POINT p) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// One button transition, then a wait until the system has taken it in: the button's state
// follows the event once it has entered the input queue.
void MouseButtonEvent(DWORD flags) {
  const bool down = (flags & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_RIGHTDOWN)) != 0;
  const int vk = (flags & (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP)) ? VK_LBUTTON : VK_RBUTTON;
  mouse_event(flags, 0, 0, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return (GetAsyncKeyState(vk) < 0) == down; }, kEventTimeoutMs, 1))
      << "the button event never arrived";
}

class Grid : public Scenario {
 protected:
  // Parlo and the game side by side, Parlo in front, and the grid's row height read off the
  // screen: the current cell (row 0, the label) is painted as one block of its own colour. A
  // book's first text shows where an empty grid's text column is plain parchment.
  void Start(const FakeGame::Options& game = FakeGame::Options(), bool firstTextEmpty = true) {
    StartGame(game);
    StartParlo();
    grid_ = Parlo().Control(IDC_STRINGGRID1);
    Front();
    ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(At(kGripWidth + kButtonWidth + 6, 4)) == kCurrentCell; },
                          kEventTimeoutMs))
        << "the grid never showed its current cell";
    // The current cell ends where the plain parchment of row 1 begins; the focus rectangle
    // inside the cell is neither colour, so look for the parchment itself.
    int y = 5;
    while (y < 80 && ScreenPixel(At(kGripWidth + kButtonWidth + 6, y)) != kParchment) ++y;
    rowHeight_ = y;
    ASSERT_GE(rowHeight_, 10);
    ASSERT_LE(rowHeight_, 40);
    // The label column is four rows wide; the text column starts after it.
    EXPECT_EQ(ScreenPixel(At(kGripWidth + kButtonWidth + 4 * rowHeight_ - 4, rowHeight_ / 2)), kCurrentCell);
    if (firstTextEmpty) {
      EXPECT_EQ(ScreenPixel(At(kGripWidth + kButtonWidth + 4 * rowHeight_ + 2, rowHeight_ / 2)), kParchment);
    }
  }

  void Front() { ASSERT_TRUE(BringToFront(Parlo().Main())); }
  POINT At(int x, int y) const { return ScreenPointOf(grid_, x, y); }
  POINT Button(int row) const { return At(kGripWidth + kButtonWidth / 2, row * rowHeight_ + rowHeight_ / 2); }
  POINT Grip(int row) const { return At(kGripWidth / 2, row * rowHeight_ + rowHeight_ / 2); }
  POINT Label(int row) const { return At(kGripWidth + kButtonWidth + 10, row * rowHeight_ + rowHeight_ / 2); }

  // Types the rows into the grid from row 0 on, through the keyboard: label, Tab, text, Tab.
  void TypeRows(const std::vector<std::pair<std::string, std::string>>& rows) {
    for (size_t added = 1; added < rows.size(); added += 5) Parlo().Click(IDC_BUTTON_ADD);
    Front();
    ClickAt(Label(0));
    // Keys typed before the grid has the keyboard would work the buttons through their
    // mnemonics instead: wait for the click to have put the focus in the grid.
    ASSERT_TRUE(WaitUntil([&] { return HasKeyboard(); }, kEventTimeoutMs))
        << "the grid never took the keyboard";
    for (const auto& [label, text] : rows) {
      // An empty cell is skipped with Tab alone.
      if (!label.empty()) TypeText(label);
      PressKey(VK_TAB);
      if (!text.empty()) TypeText(text);
      PressKey(VK_TAB);
    }
  }

  // Whether the grid, or its cell editor, has the keyboard focus in Parlo.
  bool HasKeyboard() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(grid_, nullptr), &info)) return false;
    return info.hwndFocus == grid_ || (info.hwndFocus && IsChild(grid_, info.hwndFocus));
  }

  void Release(POINT p) { MouseUp(p); }
  void PressAndRelease(POINT p) {
    MouseDown(p);
    MouseUp(p);
  }

  // The player chose Enter-to-chat in the client, whose profile Parlo finds beside it by the
  // character's name in the title. The chat may be closed, or left open by the player: either way
  // a line from the Bard key and then one from a gem are each said once, and the chat is left as
  // it was for the next.
  void SayTwiceWithEnterToChat(bool leftOpen) {
    // No labels: the start reads the grid's rows off the screen.
    Dir().Put("sayA.txt", "[PARLO!]\r\n\tline one\r\n\tline two\r\n");
    Dir().Put("parlo.ini",
              "[BardKey]\r\nALT=1\r\nCTRL=0\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
    PutClientProfile(Dir().File("client"), "account", "Practice Shard", "Alice",
                     "{\"activate_chat_after_enter\": true}");
    FakeGame::Options client;
    client.modern = true;
    client.enterChat = true;
    client.chatLeftOpen = leftOpen;
    client.title = "Alice - ClassicUO - 1.0.0.0";
    client.clientFolder = "client";
    Start(client, false);
    ASSERT_TRUE(BringToFront(Game().Window()));
    PressKey(VK_F5, Modifiers{true, false, true});
    ASSERT_TRUE(Game().WaitForKind("sent"));
    Front();
    PressAndRelease(Button(1));
    ASSERT_TRUE(Game().WaitForKind("sent", kEventTimeoutMs, 2));
    // The chat is left as it was after the last line's Enter, at the end of a pause of its own.
    ASSERT_TRUE(Game().WaitForKind("chat", kEventTimeoutMs, 5));
    Game().WaitQuiet();
    const std::string open = "chat open", closed = "chat closed";
    const std::string one = "sent mode=say hex=" + ToHex("line one");
    const std::string two = "sent mode=say hex=" + ToHex("line two");
    if (leftOpen) {
      EXPECT_THAT(Game().Trace({"chat", "sent"}), ElementsAre(open, one, closed, open, two, closed, open));
    } else {
      EXPECT_THAT(Game().Trace({"chat", "sent"}), ElementsAre(closed, open, one, closed, open, two, closed));
    }
  }

  HWND grid_ = nullptr;
  int rowHeight_ = 0;
};

TEST_F(Grid, ASendButtonTypesItsRowIntoTheGameFollowedByEnter) {
  Start();
  TypeRows({{"hi", "hello there"}, {"", "waves"}});
  Front();
  PressAndRelease(Button(1));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("waves", "hello there"));
  EXPECT_THAT(Game().Trace({"keydown"}),
              ElementsAre("keydown vk=0x0D scan=0x1C ext=0", "keydown vk=0x0D scan=0x1C ext=0"));
}

// A modern client throws away what reaches it in the background, and Parlo is in front at the
// click: the whole line arrives only if the client is brought forward before it is typed.
TEST_F(Grid, ASendButtonTypesItsRowWholeIntoAModernClient) {
  FakeGame::Options modern;
  modern.modern = true;
  Start(modern);
  TypeRows({{"hi", "hello there"}});
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("hello there"));
  // Enter's own character is a control character, which these clients drop.
  for (const GameEvent& typed : Game().Events({"char"})) {
    if (typed.Number("wparam") < 0x20) continue;
    EXPECT_EQ(typed.Field("kept"), "1") << typed.raw;
  }
  EXPECT_TRUE(Game().IsForeground());
}

TEST_F(Grid, AGemAndTheBardKeyIntoEnterToChatEachSayTheirLineOnceAndLeaveTheChatClosed) {
  SayTwiceWithEnterToChat(false);
}

TEST_F(Grid, AGemAndTheBardKeyIntoAChatLeftOpenEachSayTheirLineOnceAndLeaveItOpen) {
  SayTwiceWithEnterToChat(true);
}

// A shortcut started the client in another folder than its program's, and the client keeps its
// profiles in the folder it works in: a gem opens the chat the profile asks for.
TEST_F(Grid, AClientStartedInAnotherFolderKeepsItsProfileThereAndAGemOpensTheChat) {
  Dir().Put("sayA.txt", "[PARLO!]\r\n\tline one\r\n");
  Dir().Put("parlo.ini", "[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  PutClientProfile(Dir().Path(), "account", "Practice Shard", "Alice",
                   "{\"activate_chat_after_enter\": true}");
  FakeGame::Options client;
  client.modern = true;
  client.enterChat = true;
  client.title = "Alice - ClassicUO - 1.0.0.0";
  client.clientFolder = "client";
  Start(client, false);
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("sent"));
  Game().WaitQuiet();
  EXPECT_THAT(
      Game().Trace({"chat", "sent"}),
      ElementsAre("chat closed", "chat open", "sent mode=say hex=" + ToHex("line one"), "chat closed"));
}

// Two clients, one for each of two characters with a book: the client in front opens its book,
// and every line of a book goes to its own character's client, whichever is in front.
TEST_F(Grid, EachCharactersClientInFrontOpensItsBookAndItsLinesGoToItsClientOnly) {
  Dir().Put("sayAlice.txt", "[PARLO!]\r\n\tfrom alice\r\n");
  Dir().Put("say-Bob.txt", "[PARLO!]\r\n\tfrom bob\r\n");
  Dir().Put("parlo.ini",
            "[BardKey]\r\nALT=1\r\nCTRL=0\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayAlice.txt\"\r\n");
  FakeGame::Options bob;
  bob.title = "Ultima Online - Bob (Practice)";
  bob.logName = "bob.log";
  bob.y = 470;  // below Alice's, both in sight
  FakeGame& bobs = StartSecondGame(bob);
  FakeGame::Options alice;
  alice.title = "Ultima Online - Alice (Practice)";
  Start(alice, false);
  FakeGame& alices = Game();
  HWND combo = Parlo().Control(IDC_COMBOBOX_FILES);
  auto open = [&](const std::string& entry) {
    return WaitUntil(
        [&] {
          const int at = ComboSelection(combo);
          const std::vector<std::string> items = ComboItems(combo);
          return at >= 0 && static_cast<size_t>(at) < items.size() && items[static_cast<size_t>(at)] == entry;
        },
        kEventTimeoutMs);
  };
  ASSERT_TRUE(BringToFront(bobs.Window()));
  ASSERT_TRUE(open("-Bob")) << "Bob's client in front never opened his book";
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(bobs.WaitForKind("line"));
  ASSERT_TRUE(BringToFront(alices.Window()));
  ASSERT_TRUE(open("Alice"));
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(alices.WaitForKind("line"));
  Shot("following");

  // Bob's book chosen by hand; back in Alice's client, which was in front before, it stays open
  // and its line goes to Bob.
  Front();
  const std::vector<std::string> items = ComboItems(combo);
  const int bobsBook = static_cast<int>(std::find(items.begin(), items.end(), "-Bob") - items.begin());
  PostMessageA(combo, WM_KEYDOWN, bobsBook < ComboSelection(combo) ? VK_UP : VK_DOWN, 1);
  ASSERT_TRUE(open("-Bob"));
  ASSERT_TRUE(BringToFront(alices.Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(bobs.WaitForKind("line", kEventTimeoutMs, 2));
  EXPECT_TRUE(open("-Bob"));

  // Bob gone: his lines have nowhere to go, and the title says so.
  bobs.Close();
  ASSERT_TRUE(BringToFront(alices.Window()));
  PressKey(VK_F5, Modifiers{true, false, true});
  EXPECT_TRUE(WaitUntil([&] { return TextOf(Parlo().Main()) == "Parlo! - Bob is not in the game"; },
                        kEventTimeoutMs));
  alices.WaitQuiet();
  EXPECT_THAT(alices.Lines(), ElementsAre("from alice"));
  EXPECT_THAT(bobs.Lines(), ElementsAre("from bob", "from bob"));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(Parlo().Main()) == "Parlo!"; }, 10000));
}

TEST_F(Grid, WithYellCheckedAnEmoteArrivesYelled) {
  Start();
  TypeRows({{"wave", ": waves"}});
  Parlo().Click(IDC_CHECKBOX_YELL);
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre("! *waves*"));
}

TEST_F(Grid, WithPasteCheckedNoKeyIsPressedAndTheGameComesToTheFront) {
  Start();
  TypeRows({{"p", "ab"}});
  Parlo().Click(IDC_CHECKBOX_PASTE);
  Front();
  ASSERT_FALSE(Game().IsForeground());
  PressAndRelease(Button(0));
  // Without a window manager Wine may hand the activation back to the clicked window a moment
  // later, so the proof is the game's activation after the characters, not who is in front now.
  ASSERT_TRUE(Game().WaitFor([](const GameEvent& e) { return e.Is("activate") && e.Number("state") != 0; },
                             kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Trace({"ime_char", "keydown", "keyup"}),
              ElementsAre("ime_char wparam=0x0061 lparam=1", "ime_char wparam=0x0062 lparam=1"));
  std::vector<std::string> trace = Game().Trace({"ime_char", "activate"});
  ASSERT_FALSE(trace.empty());
  auto lastChar = std::find(trace.rbegin(), trace.rend(), "ime_char wparam=0x0062 lparam=1");
  EXPECT_NE(std::find_if(trace.rbegin(), lastChar,
                         [](const std::string& line) { return line.rfind("activate state=1", 0) == 0; }),
            lastChar)
      << "the game was not brought to the front after the line";
  EXPECT_THAT(Game().Lines(), IsEmpty());
}

TEST_F(Grid, PressMoveOutAndReleaseOutsideTheWindowSendsNothing) {
  Start();
  TypeRows({{"hi", "hello"}});
  Front();
  RECT bounds = Parlo().Bounds();
  MouseDown(Button(0));
  MoveMouse(POINT{bounds.left - 40, bounds.top + 100});
  Release(POINT{bounds.left - 40, bounds.top + 100});
  Game().WaitQuiet();
  EXPECT_THAT(Game().Events({"ime_char", "line"}), IsEmpty());

  // The press is over: the next click sends once.
  Front();
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("hello"));
}

TEST_F(Grid, PressOnOneRowAndReleaseOnAnotherSendsNothing) {
  Start();
  TypeRows({{"a", "first"}, {"b", "second"}, {"c", "third"}});
  Front();
  MouseDown(Button(1));
  MoveMouse(Button(2));
  Release(Button(2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Events({"ime_char", "line"}), IsEmpty());

  // The same place pressed and released whole sends its row, and only that.
  Front();
  PressAndRelease(Button(2));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("third"));
  EXPECT_EQ(Game().Typed(), "third");
}

TEST_F(Grid, ARightClickOnASendButtonSendsNothing) {
  Start();
  TypeRows({{"a", "first"}});
  Front();
  MoveMouse(Button(0));
  MouseButtonEvent(MOUSEEVENTF_RIGHTDOWN);
  MouseButtonEvent(MOUSEEVENTF_RIGHTUP);
  // The release opens the grid's context menu; Esc closes it.
  HWND menu = Parlo().WaitForWindow("#32768");
  EXPECT_NE(menu, nullptr) << "no context menu";
  if (menu) {
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, kEventTimeoutMs));
  }
  Game().WaitQuiet();
  EXPECT_THAT(Game().Events({"ime_char", "line"}), IsEmpty());

  // A left click in the same place sends, once: had the right click sent as well, its line
  // would come first, since the input is handled in order.
  Front();
  MoveMouse(Button(0));
  MouseButtonEvent(MOUSEEVENTF_LEFTDOWN);
  MouseButtonEvent(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(Game().WaitForKind("line"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre("first"));
  EXPECT_EQ(Game().Typed(), "first");
}

TEST_F(Grid, ARowDeletedWithTheButtonAndBroughtBackWithCtrlZIsWrittenAtExit) {
  const std::string book = "[PARLO!]\r\na\talpha\r\nb\tbeta\r\nc\tgamma\r\n";
  Dir().Put("sayA.txt", book);
  Start();
  // Five rows added first change the book, so that it is written at exit whatever follows.
  Click(Parlo().Control(IDC_BUTTON_ADD));
  ClickAt(Label(1));
  Click(Parlo().Control(IDC_BUTTON_DELETE));
  // Row 1 now holds what was row 2.
  Front();
  PressAndRelease(Button(1));
  ASSERT_TRUE(Game().WaitForKind("line"));
  Front();
  ClickAt(Label(0));
  PressKey('Z', Modifiers{false, true, false});
  Front();
  PressAndRelease(Button(1));
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  EXPECT_THAT(Game().Lines(), ElementsAre("gamma", "beta"));
  std::optional<DWORD> code = Parlo().Close();
  ASSERT_TRUE(code.has_value()) << "Parlo did not end";
  EXPECT_EQ(Dir().Read("sayA.txt"), std::optional<std::string>(book + "\r\n\r\n\r\n\r\n\r\n"));
}

TEST_F(Grid, LinesImportedFromTheClientsMacrosComeInAsASectionThatCtrlZTakesBack) {
  const std::string book = "[PARLO!]\r\na\talpha\r\n";
  Dir().Put("sayA.txt", book);
  // Where a modern client keeps a character's macros, as it writes them.
  const std::string profile = Dir().File("Bob");
  ASSERT_TRUE(CreateDirectoryA(profile.c_str(), nullptr));
  const std::string macros = profile + "\\macros.xml";
  WriteFileBytes(
      macros,
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n<macros>\r\n"
      "\t<macro name=\"Greet\" key=\"0\" mousebutton=\"0\" wheelscroll=\"False\" wheelup=\"False\" "
      "alt=\"False\" ctrl=\"False\" shift=\"False\">\r\n\t\t<actions>\r\n"
      "\t\t\t<action code=\"1\" subcode=\"0\" submenutype=\"0\" text=\"Hail and well met!\" />\r\n"
      "\t\t\t<action code=\"2\" subcode=\"0\" submenutype=\"0\" text=\"waves\" />\r\n"
      "\t\t</actions>\r\n\t</macro>\r\n</macros>");
  Start();
  // A right click below the rows opens the grid's menu; M, its item's own letter, imports at once.
  Front();
  MoveMouse(Label(3));
  MouseButtonEvent(MOUSEEVENTF_RIGHTDOWN);
  MouseButtonEvent(MOUSEEVENTF_RIGHTUP);
  HWND menu = Parlo().WaitForWindow("#32768");
  ASSERT_NE(menu, nullptr) << "no context menu";
  PressKey('M');
  HWND dialog = Parlo().WaitForWindow("#32770", std::string("Import lines"));
  ASSERT_NE(dialog, nullptr) << "no Open dialog";
  ASSERT_TRUE(BringToFront(dialog));
  TypeText(macros);
  PressKey(VK_RETURN);
  auto box = Parlo().WaitForMessageBox("Parlo");
  ASSERT_TRUE(box) << "nothing was said about the import";
  EXPECT_EQ(box->Text(), "Imported 2 lines from macros.xml.");
  ASSERT_TRUE(box->Answer(IDOK));
  // The section: a separator, the comment, the two lines.
  Front();
  PressAndRelease(Button(4));
  ASSERT_TRUE(Game().WaitForKind("line"));
  EXPECT_THAT(Game().Lines(), ElementsAre(": waves"));

  // Ctrl+Z takes the whole import back: row 3 is gone, so its button sends nothing, and the
  // first row still sends.
  Front();
  ClickAt(Label(0));
  PressKey('Z', Modifiers{false, true, false});
  Front();
  PressAndRelease(Button(3));
  PressAndRelease(Button(0));
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 2));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Lines(), ElementsAre(": waves", "alpha"));

  // Ctrl+Y makes it again, and the book at exit holds it. The grid still has the keyboard (a
  // click on its current cell would open the cell's editor, which keeps Ctrl+Y to itself).
  Front();
  ASSERT_TRUE(WaitUntil([&] { return HasKeyboard(); }, kEventTimeoutMs));
  PressKey('Y', Modifiers{false, true, false});
  Front();
  PressAndRelease(Button(3));
  ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, 3));
  EXPECT_THAT(Game().Lines(), ElementsAre(": waves", "alpha", "Hail and well met!"));
  std::optional<DWORD> code = Parlo().Close();
  ASSERT_TRUE(code.has_value()) << "Parlo did not end";
  EXPECT_EQ(Dir().Read("sayA.txt"),
            std::optional<std::string>(book + "-----\t\r\n'From macros.xml\t\r\nGreet\tHail and well met!\r\n"
                                              "Greet 2\t: waves\r\n"));
}

// The second click of a double click comes while the first line is on its way; a press then is
// dropped, not queued. The line is typed whole, once (or twice when the first had already gone),
// and said: the second click taking the front back must not leave it unsent.
TEST_F(Grid, ADoubleClickSaysTheLine) {
  Start();
  TypeRows({{"a", "again"}});
  Front();
  MoveMouse(Button(0));
  for (int i = 0; i < 2; ++i) {
    MouseButtonEvent(MOUSEEVENTF_LEFTDOWN);
    MouseButtonEvent(MOUSEEVENTF_LEFTUP);
  }
  ASSERT_TRUE(Game().WaitForKind("ime_char", kEventTimeoutMs, 5));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Typed(), AnyOf("again", "againagain"));
  EXPECT_FALSE(Game().Lines().empty()) << "the line was left unsaid";
}

// An emote to a modern client waits a frame after each of its signs, so the second click comes
// while it is on its way: it neither takes the game's keyboard nor says the emote again.
TEST_F(Grid, ADoubleClickOnAnEmotesGemSaysTheEmoteWholeOnce) {
  FakeGame::Options modern;
  modern.modern = true;
  Start(modern);
  TypeRows({{"w", ": waves to everyone"}});
  Front();
  MoveMouse(Button(0));
  MouseButtonEvent(MOUSEEVENTF_LEFTDOWN);
  MouseButtonEvent(MOUSEEVENTF_LEFTUP);
  // The second click as a player's comes, within the double-click time: once the emote's first
  // sign has reached the game.
  ASSERT_TRUE(Game().WaitForKind("char"));
  MouseButtonEvent(MOUSEEVENTF_LEFTDOWN);
  MouseButtonEvent(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(Game().WaitForKind("sent"));
  Game().WaitQuiet();
  EXPECT_THAT(Game().Trace({"sent"}), ElementsAre("sent mode=emote hex=" + ToHex("*waves to everyone*")));
  EXPECT_TRUE(Game().IsForeground());
}

TEST_F(Grid, DraggingARowByItsGripReordersTheBook) {
  Start();
  TypeRows({{"a", "alpha"}, {"b", "beta"}, {"c", "gamma"}});
  Front();
  POINT from = Grip(0);
  MouseDown(from);
  MoveMouse(POINT{from.x, from.y + 2});
  MoveMouse(POINT{from.x, from.y + rowHeight_});
  MoveMouse(Grip(2));
  MouseUp(Grip(2));
  // Each row's button now sends what the drag put there.
  for (int row = 0; row < 3; ++row) {
    Front();
    PressAndRelease(Button(row));
    ASSERT_TRUE(Game().WaitForKind("line", kEventTimeoutMs, static_cast<size_t>(row + 1)));
  }
  EXPECT_THAT(Game().Lines(), ElementsAre("beta", "gamma", "alpha"));
}

TEST_F(Grid, ASmallPhraseBookLooksRight) {
  Start();
  TypeRows({{"greet", "hello there"},
            {"-----", ""},
            {"'note", "a comment, never sent"},
            {"wave", ": waves"},
            {"empty", ""},
            {"", "no label"},
            {"-----", "dashes"}});
  // Gems on the sendable rows only: the gem's blue centre, or plain parchment.
  auto gemAt = [&](int row) { return ScreenPixel(Button(row)) != kParchment; };
  // The keys are queued input: wait until the last row typed has its button.
  ASSERT_TRUE(WaitUntil([&] { return gemAt(5); }, kEventTimeoutMs));
  Front();
  ClickAt(Label(3));
  POINT clear = At(kGripWidth + kButtonWidth + 4 * rowHeight_ - 4, 3 * rowHeight_ + rowHeight_ / 2);
  ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(clear) == kCurrentCell; }, kEventTimeoutMs));
  std::string path = Shot("book", Parlo().Main());
  std::printf("screenshot: %s\n", path.c_str());
  EXPECT_TRUE(gemAt(0));
  EXPECT_FALSE(gemAt(1));
  EXPECT_FALSE(gemAt(2));
  EXPECT_TRUE(gemAt(3));
  EXPECT_FALSE(gemAt(4));
  EXPECT_TRUE(gemAt(5));
  EXPECT_FALSE(gemAt(6));
}

}  // namespace
}  // namespace parlo::e2e
