// Phrase books on disk, seen from outside: the list, switching, Save As, Delete, the retry
// prompts and the save at exit. Which book is open shows in the file it writes back: a book read
// with LF line ends comes back with CR LF.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "tests/common/HeldFile.h"
#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using parlo::testing::HeldFile;
using Content = std::optional<std::string>;

// The control with the keyboard focus in the thread of the window.
HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

class SayFiles : public Scenario {
 protected:
  HWND Combo() { return Parlo().Control(IDC_COMBOBOX_FILES); }

  // Moves the closed list one entry, as the arrow keys do; the program switches books at once.
  void Step(BYTE vk) {
    PostMessageA(Combo(), WM_KEYDOWN, vk, 1);
    PostMessageA(Combo(), WM_KEYUP, vk, 0xC0000001);
  }
  bool WaitForSelection(int index) {
    return WaitUntil([&] { return ComboSelection(Combo()) == index; }, kEventTimeoutMs);
  }
  bool WaitForContent(const std::string& name, const Content& content) {
    return WaitUntil([&] { return Dir().Read(name) == content; }, kEventTimeoutMs);
  }

  HWND OpenSaveAs() {
    Parlo().PostClick(IDC_BUTTON_SAVE);
    HWND box = Parlo().WaitForWindow(PARLO_CLASS_INPUTBOX);
    EXPECT_NE(box, nullptr) << "no Save-As dialog";
    return box;
  }
  // Types the name into the dialog's edit box as the user does, then Enter.
  void EnterName(HWND box, const std::string& name) {
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(box) != FALSE; }, kEventTimeoutMs));
    ASSERT_TRUE(BringToFront(box));
    HWND edit = FindControl(box, IDC_INPUT_EDIT_TEXT);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(box) == edit; }, kEventTimeoutMs)) << "the name has no focus";
    TypeText(name);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == name; }, kEventTimeoutMs)) << TextOf(edit);
    PressKey(VK_RETURN);
  }

  // Starts Parlo while answering the retry prompt it shows during start-up, before its window
  // is shown; returns the prompt's text (empty when none came).
  std::string StartAnswering(int answer, const std::function<void()>& beforeAnswer) {
    std::string text;
    std::thread answerer([&] {
      std::optional<MessageBoxWindow> prompt = WaitForMessageBox("ERROR", 0, kStartTimeoutMs);
      if (!prompt) return;
      text = prompt->Text();
      beforeAnswer();
      prompt->Answer(answer);
    });
    try {
      StartParlo();
    } catch (...) {
      answerer.join();
      throw;
    }
    answerer.join();
    return text;
  }

  void CloseParlo() {
    std::optional<DWORD> code = Parlo().Close();
    ASSERT_TRUE(code.has_value()) << "Parlo did not end";
    EXPECT_EQ(*code, 0u);
  }
};

TEST_F(SayFiles, TheListShowsTheUnnamedBookFirstThenTheOthersIgnoringCase) {
  Dir().Put("sayb.txt", "[PARLO!]\r\nb\r\n");
  Dir().Put("sayA.txt", "[PARLO!]\r\na\r\n");
  Dir().Put("say.txt", "[PARLO!]\nunnamed\n");
  StartParlo();
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("", "A", "b"));
  EXPECT_EQ(ComboSelection(Combo()), 0);
  CloseParlo();
  EXPECT_EQ(Dir().Read("say.txt"), Content("[PARLO!]\r\nunnamed\r\n"));
}

TEST_F(SayFiles, PickingAnotherEntryWritesTheBookLeftBackAndClosingWritesTheCurrentOne) {
  Dir().Put("sayA.txt", "hi\tHello\nThanks\n");
  Dir().Put("sayb.txt", "[PARLO!]\nbye\n");
  StartParlo();
  ASSERT_EQ(ComboSelection(Combo()), 0);

  Step(VK_DOWN);
  ASSERT_TRUE(WaitForSelection(1));
  EXPECT_TRUE(WaitForContent("sayA.txt", "[PARLO!]\r\nhi\tHello\r\nThanks\r\n")) << *Dir().Read("sayA.txt");
  EXPECT_EQ(Dir().Read("sayb.txt"), Content("[PARLO!]\nbye\n"));

  CloseParlo();
  EXPECT_EQ(Dir().Read("sayb.txt"), Content("[PARLO!]\r\nbye\r\n"));
}

TEST_F(SayFiles, SaveAsCreatesTheNewBookAndSelectsIt) {
  Dir().Put("sayA.txt", "[PARLO!]\nhi\tHello\n");
  StartParlo();
  HWND box = OpenSaveAs();
  ASSERT_NE(box, nullptr);
  Shot("save-as", box);
  EnterName(box, "Note");

  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kEventTimeoutMs)) << "the dialog stayed";
  EXPECT_TRUE(WaitForContent("sayNote.txt", "[PARLO!]\r\nhi\tHello\r\n"));
  EXPECT_TRUE(WaitForSelection(1));
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("A", "Note"));
  EXPECT_EQ(Dir().Read("sayA.txt"), Content("[PARLO!]\nhi\tHello\n"));  // not saved again
  CloseParlo();
  EXPECT_EQ(Dir().Read("sayA.txt"), Content("[PARLO!]\nhi\tHello\n"));
}

TEST_F(SayFiles, SaveAsToAnExistingNameIsRefusedAndTheDialogStays) {
  Dir().Put("sayA.txt", "[PARLO!]\r\na\r\n");
  Dir().Put("sayNote.txt", "[PARLO!]\r\nnote\r\n");
  StartParlo();
  HWND box = OpenSaveAs();
  ASSERT_NE(box, nullptr);
  EnterName(box, "note");

  std::optional<MessageBoxWindow> warning = Parlo().WaitForMessageBox("Parlo");
  ASSERT_TRUE(warning.has_value()) << "no warning";
  EXPECT_EQ(warning->Text(), "That file already exists");
  EXPECT_THAT(warning->ButtonTexts(), ElementsAre("OK"));
  EXPECT_EQ(GetWindow(warning->Handle(), GW_OWNER), box);
  Shot("already-exists");
  ASSERT_TRUE(warning->Answer(IDOK));
  EXPECT_TRUE(IsWindow(box) && IsWindowVisible(box));

  PostClick(FindControl(box, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kEventTimeoutMs));
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("A", "Note"));
  EXPECT_EQ(Dir().Read("sayNote.txt"), Content("[PARLO!]\r\nnote\r\n"));
}

TEST_F(SayFiles, DeleteAsksRemovesTheFileAndOpensTheFirstEntry) {
  Dir().Put("sayA.txt", "[PARLO!]\r\na\r\n");
  Dir().Put("sayb.txt", "[PARLO!]\nb\n");
  StartParlo();
  Parlo().PostClick(IDC_BUTTON1);
  std::optional<MessageBoxWindow> ask = Parlo().WaitForMessageBox("Parlo");
  ASSERT_TRUE(ask.has_value());
  EXPECT_EQ(ask->Text(), "Delete this file?");
  EXPECT_TRUE(ask->HasButton(IDYES));
  EXPECT_TRUE(ask->HasButton(IDNO));
  EXPECT_EQ(GetWindow(ask->Handle(), GW_OWNER), Parlo().Main());
  ASSERT_TRUE(ask->Answer(IDYES));

  ASSERT_TRUE(WaitUntil([&] { return !Dir().Has("sayA.txt"); }, kEventTimeoutMs));
  EXPECT_THAT(ComboItems(Combo()), ElementsAre("b"));
  EXPECT_EQ(ComboSelection(Combo()), 0);
  CloseParlo();
  EXPECT_FALSE(Dir().Has("sayA.txt"));
  EXPECT_EQ(Dir().Read("sayb.txt"), Content("[PARLO!]\r\nb\r\n"));
}

TEST_F(SayFiles, ABookThatCannotBeWrittenGetsTheSaveRetryPromptAndKeepsItsOldContent) {
  const std::string old = "[PARLO!]\nold\n";
  Dir().Put("sayA.txt", old);
  Dir().Put("sayb.txt", "[PARLO!]\r\nb\r\n");
  StartParlo();
  {
    HeldFile held(Dir().File("sayA.txt"));
    ASSERT_TRUE(held.Held());
    Step(VK_DOWN);
    std::optional<MessageBoxWindow> prompt = Parlo().WaitForMessageBox("ERROR");
    ASSERT_TRUE(prompt.has_value()) << "no save retry prompt";
    EXPECT_EQ(prompt->Text(), "File Save Error. Retry?");
    EXPECT_TRUE(prompt->HasButton(IDYES));
    ASSERT_TRUE(prompt->Answer(IDNO));
    ASSERT_TRUE(WaitForSelection(1)) << "the switch did not go on";
  }
  EXPECT_EQ(Dir().Read("sayA.txt"), Content(old));

  Step(VK_UP);
  ASSERT_TRUE(WaitForSelection(0));
  {
    HeldFile held(Dir().File("sayA.txt"));
    ASSERT_TRUE(held.Held());
    Step(VK_DOWN);
    std::optional<MessageBoxWindow> prompt = Parlo().WaitForMessageBox("ERROR");
    ASSERT_TRUE(prompt.has_value());
    ASSERT_TRUE(prompt->Answer(IDYES));
    prompt = Parlo().WaitForMessageBox("ERROR");
    ASSERT_TRUE(prompt.has_value()) << "still held: asked again";
    EXPECT_EQ(prompt->Text(), "File Save Error. Retry?");
    held.Release();
    ASSERT_TRUE(prompt->Answer(IDYES));
  }
  EXPECT_TRUE(WaitForContent("sayA.txt", "[PARLO!]\r\nold\r\n"));
  // Nothing is left beside the book but the backup of the file Parlo did not write.
  EXPECT_THAT(Dir().Files("sayA.txt*"), ElementsAre("sayA.txt", "sayA.txt.bak"));
  EXPECT_EQ(Dir().Read("sayA.txt.bak"), Content(old));
}

TEST_F(SayFiles, ABookThatCannotBeReadGetsTheLoadRetryPrompt) {
  const std::string kept = "[PARLO!]\nkept\n";
  Dir().Put("sayA.txt", kept);
  {
    HeldFile held(Dir().File("sayA.txt"));
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(StartAnswering(IDNO, [] {}), "File Load Error. Retry?");
  }
  // Given up: the empty book is not written over the file, not even at exit.
  CloseParlo();
  EXPECT_EQ(Dir().Read("sayA.txt"), Content(kept));

  {
    HeldFile held(Dir().File("sayA.txt"));
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(StartAnswering(IDYES, [&] { held.Release(); }), "File Load Error. Retry?");
  }
  // Read on the retry: the book is open under its name and written back at exit.
  CloseParlo();
  EXPECT_EQ(Dir().Read("sayA.txt"), Content("[PARLO!]\r\nkept\r\n"));
}

TEST_F(SayFiles, StartingWithoutBooksAndClosingLeavesNoBook) {
  StartParlo();
  EXPECT_THAT(ComboItems(Combo()), IsEmpty());
  CloseParlo();
  EXPECT_THAT(Dir().Files("say*.txt"), IsEmpty());
}

}  // namespace
}  // namespace parlo::e2e
