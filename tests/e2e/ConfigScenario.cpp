// The configuration dialog from outside: OK changes the hot key, stay-on-top and the font, and
// Cancel changes nothing.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

const char kBook[] = "[PARLO!]\r\nfirst\tline one\r\nsecond\tline two\r\nthird\tline three\r\n";
const char kIni[] =
    "[BardKey]\r\nALT=1\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n"
    "[Font]\r\nName=Tahoma\r\nCharset=0\r\nSize=9\r\n";

class Config : public Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    Dir().Put("sayA.txt", kBook);
    Dir().Put("parlo.ini", kIni);
    StartGame();
    StartParlo();
  }

  HWND OpenConfig() {
    Parlo().PostClick(IDC_BUTTON_CONFIG);
    HWND dialog = Parlo().WaitForWindow(PARLO_CLASS_CONFIG, std::string("Parlo! - Configuration"));
    if (dialog) WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }, 5000);
    return dialog;
  }
  static HWND In(HWND dialog, int id) { return WaitForControl(dialog, id); }

  // Types a caption that still names the practice window (letter case is no matter), ticks ALT
  // off and CTRL on, takes F7, turns stay-on-top on and picks a 16-point font.
  void ChangeEverything(HWND dialog) {
    // The caption's field has the keyboard when the dialog opens.
    HWND captionEdit = FindWindowExA(In(dialog, IDC_CFG_COMBOBOX_CAPTION), nullptr, "Edit", nullptr);
    ASSERT_TRUE(BringToFront(dialog));
    SendMessageA(captionEdit, EM_SETSEL, 0, -1);
    TypeText("ultima online - practice");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(captionEdit) == "ultima online - practice"; }, 5000));
    SendClick(In(dialog, IDC_CFG_CHECKBOX_ALT));
    SendClick(In(dialog, IDC_CFG_CHECKBOX_CTRL));
    SendClick(In(dialog, IDC_CFG_CHECKBOX_ONTOP));
    SendMessageA(In(dialog, IDC_CFG_HOTKEY_BARD), HKM_SETHOTKEY, VK_F7, 0);
    PostClick(In(dialog, IDC_CFG_BUTTON1));
    HWND fontDialog = Parlo().WaitForWindow("#32770", std::string("Font"), 10000);
    ASSERT_NE(fontDialog, nullptr) << "no font dialog";
    HWND faces = GetDlgItem(fontDialog, 0x470);
    HWND sizes = GetDlgItem(fontDialog, 0x472);
    ASSERT_NE(faces, nullptr);
    ASSERT_NE(sizes, nullptr);
    // Wine's list may lack the face it starts from and then falls on a vertical "@" face without
    // Latin letters: pick the first plain one.
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(faces, CB_GETCOUNT, 0, 0) > 0; }, 5000));
    std::vector<std::string> names = ComboItems(faces);
    size_t plain = 0;
    while (plain < names.size() && (names[plain].empty() || names[plain][0] == '@')) ++plain;
    ASSERT_LT(plain, names.size());
    chosenFace_ = names[plain];
    SendMessageW(faces, CB_SETCURSEL, plain, 0);
    SendMessageW(fontDialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
    SetWindowTextA(sizes, "16");
    SendMessageA(fontDialog, WM_COMMAND, MAKEWPARAM(0x472, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(sizes));
    Shot("font-dialog", fontDialog);
    PostClick(GetDlgItem(fontDialog, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(fontDialog); }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(In(dialog, IDC_CFG_LABEL_FONT)) == chosenFace_ + ", 16point"; }, 5000))
        << TextOf(In(dialog, IDC_CFG_LABEL_FONT));
  }
  std::string chosenFace_;

  std::string IniValue(const std::string& section, const std::string& key) {
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", value, sizeof value,
                             Dir().File("parlo.ini").c_str());
    return value;
  }

  void PressBardKey(BYTE vk, Modifiers modifiers) {
    ASSERT_TRUE(BringToFront(Game().Window()));
    PressKey(vk, modifiers);
  }
};

TEST_F(Config, TheDialogShowsTheSettingsInItsOwnLayout) {
  HWND dialog = OpenConfig();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsChecked(In(dialog, IDC_CFG_CHECKBOX_ALT)));
  EXPECT_FALSE(IsChecked(In(dialog, IDC_CFG_CHECKBOX_CTRL)));
  EXPECT_TRUE(IsChecked(In(dialog, IDC_CFG_CHECKBOX_SHIFT)));
  EXPECT_FALSE(IsChecked(In(dialog, IDC_CFG_CHECKBOX_ONTOP)));
  EXPECT_EQ(SendMessageA(In(dialog, IDC_CFG_HOTKEY_BARD), HKM_GETHOTKEY, 0, 0), VK_F5);
  EXPECT_EQ(TextOf(In(dialog, IDC_CFG_LABEL_FONT)), "Tahoma, 9point");
  // A settings file without the key gives the default back without its trailing blank.
  EXPECT_EQ(TextOf(In(dialog, IDC_CFG_COMBOBOX_CAPTION)), "Ultima Online -");
  EXPECT_EQ(TextOf(In(dialog, IDC_CFG_LABEL_GAME)), "Lines go to: Ultima Online - practice");
  // The list follows the windows while the dialog is open.
  Game().Close();
  EXPECT_TRUE(
      WaitUntil([&] { return TextOf(In(dialog, IDC_CFG_LABEL_GAME)) == "No game window is open"; }, 5000));
  EXPECT_TRUE(IsTopmost(dialog));
  EXPECT_FALSE(IsWindowEnabled(Parlo().Main()));
  Shot("dialog", dialog);
  PostClick(In(dialog, IDCANCEL));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
}

TEST_F(Config, OkChangesTheHotKeyStayOnTopAndTheFont) {
  HWND dialog = OpenConfig();
  ASSERT_NE(dialog, nullptr);
  ChangeEverything(dialog);
  Shot("changed", dialog);
  PostClick(In(dialog, IDOK));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  ASSERT_TRUE(WaitUntil([&] { return IsTopmost(Parlo().Main()); }, 5000)) << "not on top after OK";

  // The old combination is free again, the new one recites.
  PressBardKey(VK_F5, Modifiers{true, false, true});
  Game().WaitQuiet();
  EXPECT_EQ(Game().Typed(), "");
  PressBardKey(VK_F7, Modifiers{false, true, true});
  ASSERT_TRUE(Game().WaitForEnter());
  EXPECT_EQ(Game().Typed(), "line one");
  Shot("main-after-ok", Parlo().Main());

  ASSERT_TRUE(Parlo().Close().has_value());
  EXPECT_EQ(IniValue("BardKey", "ALT"), "0");
  EXPECT_EQ(IniValue("BardKey", "CTRL"), "1");
  EXPECT_EQ(IniValue("BardKey", "SHIFT"), "1");
  EXPECT_EQ(IniValue("BardKey", "Key"), "118");
  EXPECT_EQ(IniValue("Window", "StayOnTop"), "1");
  EXPECT_EQ(IniValue("Font", "Size"), "16");
  EXPECT_EQ(IniValue("Font", "Name"), chosenFace_);
  EXPECT_EQ(IniValue("UO", "Caption"), "ultima online - practice");
  EXPECT_EQ(IniValue("UO", "Caption0"), "ultima online - practice");
  EXPECT_EQ(IniValue("UO", "Caption1"), "Ultima Online -");
}

TEST_F(Config, CancelChangesNothing) {
  HWND dialog = OpenConfig();
  ASSERT_NE(dialog, nullptr);
  ChangeEverything(dialog);
  PostClick(In(dialog, IDCANCEL));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_FALSE(IsTopmost(Parlo().Main()));

  // The old hot key still recites; the one chosen and cancelled does nothing.
  PressBardKey(VK_F7, Modifiers{false, true, true});
  Game().WaitQuiet();
  EXPECT_EQ(Game().Typed(), "");
  PressBardKey(VK_F5, Modifiers{true, false, true});
  ASSERT_TRUE(Game().WaitForEnter());
  EXPECT_EQ(Game().Typed(), "line one");

  ASSERT_TRUE(Parlo().Close().has_value());
  EXPECT_EQ(IniValue("BardKey", "ALT"), "1");
  EXPECT_EQ(IniValue("BardKey", "CTRL"), "0");
  EXPECT_EQ(IniValue("BardKey", "Key"), "116");
  EXPECT_EQ(IniValue("Window", "StayOnTop"), "0");
  EXPECT_EQ(IniValue("Font", "Size"), "9");
  EXPECT_EQ(IniValue("Font", "Name"), "Tahoma");
  EXPECT_EQ(IniValue("UO", "Caption"), "Ultima Online -");
}

}  // namespace
}  // namespace parlo::e2e
