// The Save-As dialog on its own: its layout, Enter and Esc, and the names it lets through.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/book/SayCollection.h"
#include "forms/ControlIds.h"
#include "forms/Unit_InputBox.h"
#include "platform/Win32FileStore.h"
#include "tests/win/Dpi96.h"
#include "tests/win/InputBoxScript.h"
#include "tests/win/TempFolder.h"

namespace parlo {
namespace {

using testing::Click;
using testing::InputBoxScript;
using ::testing::IsEmpty;
using testing::PressKey;
using testing::ScriptedBoxes;
using testing::TypeName;

class InputBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.Created()); }

  void Put(const Bytes& name) {
    HANDLE file = CreateFileA((dir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }

  // Shows the dialog with the script acting on it; returns the modal result.
  int Run(std::vector<InputBoxScript::Step> steps, LeadByteTest isLeadByte = {}) {
    box_ = std::make_unique<TForm_InputBox>(dir_, &store_, boxes_.Function(), std::move(isLeadByte));
    InputBoxScript script(std::move(steps));
    int result = box_->ShowModal(nullptr);
    stepsRun_ = script.StepsRun();
    shownAs_ = script.Box();
    return result;
  }

  testing::TempFolder folder_{"parlo-saveas"};
  Bytes dir_ = folder_.Path();
  Win32FileStore store_;
  ScriptedBoxes boxes_;
  std::unique_ptr<TForm_InputBox> box_;
  size_t stepsRun_ = 0;
  HWND shownAs_ = nullptr;
};

RECT ChildRect(HWND box, int id) {
  RECT rc;
  GetWindowRect(GetDlgItem(box, id), &rc);
  MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

#define EXPECT_RECT(rc, l, t, w, h)       \
  do {                                    \
    EXPECT_EQ((rc).left, l);              \
    EXPECT_EQ((rc).top, t);               \
    EXPECT_EQ((rc).right - (rc).left, w); \
    EXPECT_EQ((rc).bottom - (rc).top, h); \
  } while (0)

TEST_F(InputBoxTest, OpensAsAFixedTopmostDialogCentredOnTheScreenWithTheNameFocused) {
  bool inspected = false;
  int result = Run({[&](HWND box) {
    inspected = true;
    EXPECT_EQ(TextOf(box), "Save this \"Says\" as...");
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 233);
    EXPECT_EQ(client.bottom, 93);
    LONG style = GetWindowLongA(box, GWL_STYLE);
    LONG exStyle = GetWindowLongA(box, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_CAPTION);
    RECT outer;
    GetWindowRect(box, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    HWND label = GetDlgItem(box, IDC_INPUT_LABEL1);
    HWND edit = GetDlgItem(box, IDC_INPUT_EDIT_TEXT);
    HWND ok = GetDlgItem(box, IDOK);
    HWND cancel = GetDlgItem(box, IDCANCEL);
    EXPECT_EQ(TextOf(label), "Save this \"Says\" as...");
    RECT labelRect = ChildRect(box, IDC_INPUT_LABEL1);
    EXPECT_EQ(labelRect.left, 8);
    EXPECT_EQ(labelRect.top, 9);
    EXPECT_RECT(ChildRect(box, IDC_INPUT_EDIT_TEXT), 8, 27, 217, 20);
    EXPECT_RECT(ChildRect(box, IDOK), 70, 59, 75, 25);
    EXPECT_RECT(ChildRect(box, IDCANCEL), 150, 59, 75, 25);
    EXPECT_EQ(TextOf(edit), "");
    EXPECT_EQ(TextOf(ok), "OK");
    EXPECT_EQ(TextOf(cancel), "Cancel");
    EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(GetNextDlgTabItem(box, edit, FALSE), ok);
    EXPECT_EQ(GetNextDlgTabItem(box, ok, FALSE), cancel);
    EXPECT_EQ(GetNextDlgTabItem(box, cancel, FALSE), edit);

    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -12);
    SendMessageA(cancel, BM_CLICK, 0, 0);
  }});
  EXPECT_TRUE(inspected);
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(InputBoxTest, ItsSizeAndControlsAtEveryScale) {
  PARLO_SKIP_UNLESS_A_CHECKED_DPI();
  using testing::Expected;
  int result = Run({[&](HWND box) {
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, Expected({233, 350, 466}));
    EXPECT_EQ(client.bottom, Expected({93, 140, 186}));
    EXPECT_RECT(ChildRect(box, IDC_INPUT_EDIT_TEXT), Expected({8, 12, 16}), Expected({27, 41, 54}),
                Expected({217, 326, 434}), Expected({20, 30, 40}));
    EXPECT_RECT(ChildRect(box, IDCANCEL), Expected({150, 225, 300}), Expected({59, 89, 118}),
                Expected({75, 113, 150}), Expected({25, 38, 50}));
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(box, IDOK), WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_EQ(font.lfHeight, Expected({-12, -18, -24}));
    SendMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(InputBoxTest, ComingBackToTheDialogPutsTheFocusWhereItWas) {
  HWND focusBack = nullptr, focusAgain = nullptr, edit = nullptr, ok = nullptr;
  auto leaveAndReturn = [](HWND box) {
    HWND other = CreateWindowExA(0, "Static", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SetActiveWindow(box);
    DestroyWindow(other);
    SetActiveWindow(box);
  };
  int result = Run({[&](HWND box) {
                      edit = GetDlgItem(box, IDC_INPUT_EDIT_TEXT);
                      ok = GetDlgItem(box, IDOK);
                      leaveAndReturn(box);
                      focusBack = GetFocus();
                      SetFocus(ok);
                      leaveAndReturn(box);
                      focusAgain = GetFocus();
                    },
                    Click(IDCANCEL)});
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(focusBack, edit);
  EXPECT_EQ(focusAgain, ok);
}

TEST_F(InputBoxTest, EnterTakesAFreeNameAndEscCancels) {
  EXPECT_EQ(Run({TypeName("Fresh"), PressKey(VK_RETURN)}), IDOK);
  EXPECT_EQ(box_->Text(), "Fresh");
  EXPECT_EQ(stepsRun_, 2u);

  EXPECT_EQ(Run({TypeName("Fresh"), PressKey(VK_ESCAPE)}), IDCANCEL);
  EXPECT_EQ(box_->Text(), "");
  EXPECT_EQ(stepsRun_, 2u);
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(InputBoxTest, ATakenNameIsRefusedWhateverItsCaseUntilAFreeOneIsGiven) {
  Put("sayfoo.txt");
  boxes_.Then(kIdOk);
  bool nameFocusedAfterWarning = false;
  int result = Run({TypeName("FOO"), Click(IDOK),
                    [&](HWND box) {
                      nameFocusedAfterWarning = GetFocus() == GetDlgItem(box, IDC_INPUT_EDIT_TEXT);
                      SetWindowTextA(GetDlgItem(box, IDC_INPUT_EDIT_TEXT), "bar");
                    },
                    Click(IDOK)});
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(box_->Text(), "bar");
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].owner, shownAs_);
  EXPECT_EQ(boxes_.Calls()[0].text, "That file already exists");
  EXPECT_EQ(boxes_.Calls()[0].caption, "Parlo");
  EXPECT_EQ(boxes_.Calls()[0].flags, 0x30u);
  EXPECT_TRUE(nameFocusedAfterWarning);
}

TEST_F(InputBoxTest, TheEmptyNameIsTheUnnamedBookAndIsRefusedOnlyWhenThatExists) {
  EXPECT_EQ(Run({Click(IDOK)}), IDOK);
  EXPECT_EQ(box_->Text(), "");
  EXPECT_THAT(boxes_.Calls(), IsEmpty());

  Put("say.txt");
  boxes_.Then(kIdOk);
  EXPECT_EQ(Run({Click(IDOK), Click(IDCANCEL)}), IDCANCEL);
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].text, "That file already exists");
}

TEST_F(InputBoxTest, NamesWithSeparatorsOrCharactersWindowsRejectsAreRefusedWithTheReason) {
  const std::vector<testing::RefusedName> refused = testing::RefusedSaveAsNames();
  std::vector<InputBoxScript::Step> steps;
  for (const testing::RefusedName& r : refused) {
    boxes_.Then(kIdOk);
    steps.push_back(TypeName(r.name));
    steps.push_back(Click(IDOK));
  }
  steps.push_back(Click(IDCANCEL));
  EXPECT_EQ(Run(steps), IDCANCEL);
  EXPECT_EQ(stepsRun_, steps.size());
  ASSERT_EQ(boxes_.Calls().size(), refused.size());
  for (size_t i = 0; i < refused.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(boxes_.Calls()[i].text, refused[i].warning);
    EXPECT_EQ(boxes_.Calls()[i].caption, "Parlo");
    EXPECT_EQ(boxes_.Calls()[i].flags, 0x30u);
    EXPECT_EQ(boxes_.Calls()[i].owner, shownAs_);
  }
}

TEST_F(InputBoxTest, ADoubleByteCharacterWhoseTrailByteLooksLikeABackslashIsAName) {
  // Shift-JIS 0x95 0x5C: the trail byte is the backslash's code.
  const Bytes name = "\x95\x5C";
  auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
  EXPECT_EQ(Run({TypeName(name), Click(IDOK)}, shiftJisLead), IDOK);
  EXPECT_EQ(box_->Text(), name);

  boxes_.Then(kIdOk);
  EXPECT_EQ(Run({TypeName(name), Click(IDOK), Click(IDCANCEL)}), IDCANCEL);
  EXPECT_EQ(boxes_.Calls().size(), 1u);
}

}  // namespace
}  // namespace parlo
