// The About box as a player meets it: opened from the main window, read, closed with OK or Enter,
// and nothing of the main window touched, except that stay-on-top is put back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

const char kBook[] = "[PARLO!]\r\nhi\thello there\r\n-----\t\r\nbye\tfarewell\r\n";
// Away from the screen's centre, so a box centred on its owner would show.
const char kIni[] =
    "[Window]\r\nLeft=20\r\nTop=30\r\nWidth=373\r\nHeight=472\r\nStayOnTop=1\r\n"
    "[Parlo]\r\nPaste=0\r\nYell=1\r\nRandom=0\r\n"
    "[UO]\r\nLastOpen=sayb.txt\r\n";

class About : public Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    Dir().Put("saya.txt", kBook);
    Dir().Put("sayb.txt", kBook);
    Dir().Put("parlo.ini", kIni);
  }

  // Opens the box with the About button; returns it once it shows.
  HWND OpenAbout() {
    Parlo().PostClick(IDC_BUTTON_ABOUT);
    HWND box = Parlo().WaitForWindow(PARLO_CLASS_ABOUT, std::string("Parlo!"));
    if (!box) ADD_FAILURE() << "no About box";
    if (box) WaitUntil([&] { return IsWindowVisible(box) != FALSE; }, kEventTimeoutMs);
    return box;
  }
  static bool Gone(HWND box) {
    return WaitUntil([&] { return !IsWindow(box); }, kEventTimeoutMs);
  }
  // Takes the main window's topmost state away from outside, so that only the program can
  // give it back.
  void DropTopmost() {
    SetWindowPos(Parlo().Main(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return !IsTopmost(Parlo().Main()); }, kEventTimeoutMs));
  }
  // What Parlo leaves after a run: the settings and both books.
  std::string LeftBehind() const {
    return Dir().Read("parlo.ini").value_or("(none)") + "|" + Dir().Read("saya.txt").value_or("(none)") +
           "|" + Dir().Read("sayb.txt").value_or("(none)");
  }
};

TEST_F(About, ShowsNameAndVersionCentredOnTheScreenAndOkClosesIt) {
  ParloApp& parlo = StartParlo();
  ASSERT_TRUE(IsTopmost(parlo.Main()));
  DropTopmost();

  HWND box = OpenAbout();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(box), "Parlo!");
  EXPECT_EQ(TextOf(WaitForControl(box, IDC_ABOUT_LABEL1)), "Parlo!");
  EXPECT_EQ(TextOf(WaitForControl(box, IDC_ABOUT_LABEL4)), "version 1.14");
  EXPECT_TRUE(IsTopmost(box));
  RECT outer = WindowRectOf(box);
  EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_FALSE(IsWindowEnabled(parlo.Main())) << "the main window takes no input meanwhile";
  Shot("about", box);

  Click(WaitForControl(box, IDOK));
  ASSERT_TRUE(Gone(box));
  EXPECT_TRUE(WaitUntil([&] { return IsTopmost(parlo.Main()); }, kEventTimeoutMs))
      << "stay-on-top applied again after the box closed";
  EXPECT_TRUE(IsWindowEnabled(parlo.Main()));
}

TEST_F(About, EnterClosesItAndStayOnTopComesBack) {
  ParloApp& parlo = StartParlo();
  DropTopmost();
  HWND box = OpenAbout();
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(BringToFront(box));
  PressKey(VK_RETURN);
  ASSERT_TRUE(Gone(box));
  EXPECT_TRUE(WaitUntil([&] { return IsTopmost(parlo.Main()); }, kEventTimeoutMs));
}

TEST_F(About, TheCloseBoxClosesItToo) {
  StartParlo();
  HWND box = OpenAbout();
  ASSERT_NE(box, nullptr);
  PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(Gone(box));
  EXPECT_TRUE(Parlo().Running());
}

TEST_F(About, OpeningAndClosingItChangesNoSettingNoBookAndNotTheCurrentBook) {
  // A run without the box, for what Parlo itself writes back at exit.
  StartParlo();
  ASSERT_EQ(Parlo().Close(), std::optional<DWORD>(0));
  const std::string plain = LeftBehind();

  ParloApp& parlo = StartParlo();
  HWND combo = parlo.Control(IDC_COMBOBOX_FILES);
  const std::vector<std::string> items = ComboItems(combo);
  const int selected = ComboSelection(combo);
  ASSERT_THAT(items, ::testing::ElementsAre("a", "b"));
  ASSERT_EQ(selected, 1);

  for (int i = 0; i < 2; ++i) {
    HWND box = OpenAbout();
    ASSERT_NE(box, nullptr);
    Click(WaitForControl(box, IDOK));
    ASSERT_TRUE(Gone(box));
  }
  EXPECT_EQ(ComboItems(combo), items);
  EXPECT_EQ(ComboSelection(combo), selected);
  EXPECT_TRUE(IsChecked(parlo.Control(IDC_CHECKBOX_YELL)));
  EXPECT_FALSE(IsChecked(parlo.Control(IDC_CHECKBOX_PASTE)));
  EXPECT_FALSE(IsChecked(parlo.Control(IDC_CHECKBOX_RANDOM)));
  ASSERT_EQ(parlo.Close(), std::optional<DWORD>(0));
  EXPECT_EQ(LeftBehind(), plain);
}

}  // namespace
}  // namespace parlo::e2e
