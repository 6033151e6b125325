// The configuration dialog as the main window runs it: what goes in, what comes back on OK, and
// that Cancel leaves everything, the hot-key registration included, as it was.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/settings/FontLabel.h"
#include "core/files/MemoryFileStore.h"
#include "core/book/PhraseGrid.h"
#include "forms/ControlIds.h"
#include "forms/Fonts.h"
#include "forms/Gdi.h"
#include "forms/Layout.h"
#include "forms/Unit_Main.h"
#include "tests/win/Dpi96.h"
#include "tests/win/InputBoxScript.h"
#include "tests/win/MainSettingsSupport.h"

namespace parlo {
namespace {

// The height DrawText gives one line in the font, measured without the program's font code.
int OneLineHeight(const LOGFONTA& logFont) {
  HFONT font = CreateFontIndirectA(&logFont);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rc{0, 0, 1000, 0};
  DrawTextA(dc, "Wg", 2, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  return rc.bottom - rc.top;
}

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::EventLog;
using testing::FakeHotKeys;
using testing::LoggingProfileStore;
using testing::ModalScript;
using testing::Pump;
using testing::RecordingGame;
using testing::ScriptedBoxes;

const Bytes kDir = "C:\\parlo-config-test\\";

std::string Text(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND Item(HWND dialog, int id) {
  // Controls sit inside the dialog's panel.
  HWND panel = GetDlgItem(dialog, IDC_CFG_PANEL1);
  HWND inPanel = panel ? GetDlgItem(panel, id) : nullptr;
  return inPanel ? inPanel : GetDlgItem(dialog, id);
}
bool IsOn(HWND dialog, int id) { return SendMessageA(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void Click(HWND dialog, int id) { SendMessageA(Item(dialog, id), BM_CLICK, 0, 0); }
bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class MainSettingsConfigTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (main_) {
      SendMessageA(main_->Handle(), WM_CLOSE, 0, 0);
      Pump();
      main_.reset();
    }
  }

  void Start(const Bytes& ini) {
    store_.Memory().SetFile(kDir + "parlo.ini", ini);
    files_.Put(kDir + "sayA.txt", "[PARLO!]\r\nfirst\tline one\r\nsecond\tline two\r\n");
    MainServices services;
    services.exePath = kDir + "parlo.exe";
    services.files = &files_;
    services.game = &game_;
    services.profile = &store_;
    services.hotKeys = &hotKeys_;
    services.messageBox = boxes_.Function();
    main_ = std::make_unique<TForm_Main>(services);
    main_->Create();
    ASSERT_NE(main_->Handle(), nullptr);
    main_->Show(SW_SHOWNOACTIVATE);
    log_.clear();
  }
  void Config(std::vector<std::function<void(HWND)>> steps) {
    ModalScript script(PARLO_CLASS_CONFIG, nullptr, std::move(steps));
    main_->Button_ConfigClick();
    stepsRun_ = script.StepsRun();
  }

  EventLog log_;
  LoggingProfileStore store_{log_};
  FakeHotKeys hotKeys_{log_};
  ScriptedBoxes boxes_;
  MemoryFileStore files_;
  RecordingGame game_;
  std::unique_ptr<TForm_Main> main_;
  size_t stepsRun_ = 0;
};

const Bytes kAltShiftF5 =
    "[BardKey]\r\nALT=1\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\nCaption=\"Shard\"\r\n"
    "Caption0=\"k0\"\r\nCaption1=\"k1\"\r\nCaption2=\"k2\"\r\nCaption3=\"k3\"\r\nCaption4=\"k4\"\r\n"
    "[Font]\r\nName=Tahoma\r\nCharset=0\r\nSize=9\r\n";

TEST_F(MainSettingsConfigTest, TheDialogShowsTheMainWindowsValues) {
  Start(kAltShiftF5);
  Config({[&](HWND dialog) {
    EXPECT_FALSE(IsOn(dialog, IDC_CFG_CHECKBOX_ONTOP));
    EXPECT_TRUE(IsOn(dialog, IDC_CFG_CHECKBOX_ALT));
    EXPECT_FALSE(IsOn(dialog, IDC_CFG_CHECKBOX_CTRL));
    EXPECT_TRUE(IsOn(dialog, IDC_CFG_CHECKBOX_SHIFT));
    EXPECT_EQ(SendMessageA(Item(dialog, IDC_CFG_HOTKEY_BARD), HKM_GETHOTKEY, 0, 0), VK_F5);
    EXPECT_EQ(Text(Item(dialog, IDC_CFG_LABEL_FONT)), "Tahoma, 9point");
    HWND combo = Item(dialog, IDC_CFG_COMBOBOX_CAPTION);
    EXPECT_EQ(Text(combo), "Shard");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 5);
    // Modal: the main window waits.
    EXPECT_FALSE(IsWindowEnabled(main_->Handle()));
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
}

TEST_F(MainSettingsConfigTest, OkCopiesEveryValueBackAndRegistersTheNewHotKey) {
  Start(kAltShiftF5);
  Config({[&](HWND dialog) {
    Click(dialog, IDC_CFG_CHECKBOX_ALT);
    Click(dialog, IDC_CFG_CHECKBOX_CTRL);
    Click(dialog, IDC_CFG_CHECKBOX_ONTOP);
    SendMessageA(Item(dialog, IDC_CFG_HOTKEY_BARD), HKM_SETHOTKEY, VK_F6, 0);
    Click(dialog, IDOK);
  }});
  EXPECT_FALSE(main_->BardAlt);
  EXPECT_TRUE(main_->BardCtrl);
  EXPECT_TRUE(main_->BardShift);
  EXPECT_EQ(main_->BardKey, VK_F6);
  EXPECT_THAT(log_, ElementsAre("unregister 14", "register 14 mod=16390 key=0x75"));
  EXPECT_EQ(hotKeys_.Registered(14), std::make_pair(6u | kModNoRepeat, 0x75u));
  EXPECT_TRUE(main_->StayOnTop);
  EXPECT_TRUE(IsTopmost(main_->Handle()));
  // The caption was not in the list: it goes on top and the last one drops out.
  EXPECT_EQ(main_->GameCaption, "Shard");
  EXPECT_THAT(*main_->CaptionList, ElementsAre("Shard", "k0", "k1", "k2", "k3"));
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(MainSettingsConfigTest, OkWithoutChangesStillReregistersAndRefitsTheGridToTheFont) {
  PARLO_SKIP_UNLESS_96_DPI();
  Start(kAltShiftF5);
  PhraseGridControl& grid = main_->Grid();
  grid.SetDefaultRowHeight(60);
  grid.SetColWidth(kColLabel, 7);
  Config({[&](HWND dialog) { Click(dialog, IDOK); }});
  EXPECT_THAT(log_, ElementsAre("unregister 14", "register 14 mod=16389 key=0x74"));
  // The design font's rows, measured at 96 dpi with the fonts scripts/setup.sh installs.
  EXPECT_EQ(grid.DefaultRowHeight(), 18);
  EXPECT_EQ(grid.ColWidth(kColLabel), 72);
  EXPECT_GT(grid.ColWidth(kColText), 0);
  EXPECT_FALSE(IsTopmost(main_->Handle()));
}

TEST_F(MainSettingsConfigTest, AFailedReregistrationIsToldAndTheValuesStay) {
  Start(kAltShiftF5);
  hotKeys_.Refuse(true);
  boxes_.Then(kIdOk);
  Config({[&](HWND dialog) { Click(dialog, IDOK); }});
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].text, "Filed to register hot key");
  EXPECT_FALSE(hotKeys_.IsRegistered(14));
  EXPECT_EQ(main_->BardKey, VK_F5);
}

TEST_F(MainSettingsConfigTest, CancelChangesNothingAndKeepsTheOldRegistration) {
  Start(kAltShiftF5);
  const LOGFONTA before = main_->Grid().GridFont();
  const int rowHeight = main_->Grid().DefaultRowHeight();
  for (int how = 0; how < 3; ++how) {
    SCOPED_TRACE(how);
    Config({[&](HWND dialog) {
      Click(dialog, IDC_CFG_CHECKBOX_ALT);
      Click(dialog, IDC_CFG_CHECKBOX_CTRL);
      Click(dialog, IDC_CFG_CHECKBOX_ONTOP);
      SendMessageA(Item(dialog, IDC_CFG_HOTKEY_BARD), HKM_SETHOTKEY, 'Z', 0);
      if (how == 0) Click(dialog, IDCANCEL);
      if (how == 1) PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
      if (how == 2) PostMessageA(dialog, WM_CLOSE, 0, 0);
    }});
    EXPECT_EQ(stepsRun_, 1u);
  }
  EXPECT_TRUE(main_->BardAlt);
  EXPECT_FALSE(main_->BardCtrl);
  EXPECT_TRUE(main_->BardShift);
  EXPECT_EQ(main_->BardKey, VK_F5);
  EXPECT_FALSE(main_->StayOnTop);
  EXPECT_FALSE(IsTopmost(main_->Handle()));
  EXPECT_THAT(log_, IsEmpty());
  EXPECT_EQ(hotKeys_.Registered(14), std::make_pair(5u | kModNoRepeat, 0x74u));
  EXPECT_THAT(*main_->CaptionList, ElementsAre("k0", "k1", "k2", "k3", "k4"));
  EXPECT_EQ(std::memcmp(&main_->Grid().GridFont(), &before, sizeof before), 0);
  EXPECT_EQ(main_->Grid().DefaultRowHeight(), rowHeight);
  // And the old hot key still recites.
  SendMessageA(main_->Handle(), WM_HOTKEY, 14, 0);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one"));
}

TEST_F(MainSettingsConfigTest, StayOnTopIsAppliedAgainAfterTheDialogWhateverItsResult) {
  Start(kAltShiftF5 + "[Window]\r\nStayOnTop=1\r\n");
  ASSERT_TRUE(IsTopmost(main_->Handle()));
  // Something else took the window off the top while the dialog showed.
  Config({[&](HWND dialog) {
    SetWindowPos(main_->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Click(dialog, IDCANCEL);
  }});
  EXPECT_TRUE(IsTopmost(main_->Handle()));
  // Turned off in the dialog: off as soon as it closes.
  Config({[&](HWND dialog) {
    Click(dialog, IDC_CFG_CHECKBOX_ONTOP);
    Click(dialog, IDOK);
  }});
  EXPECT_FALSE(main_->StayOnTop);
  EXPECT_FALSE(IsTopmost(main_->Handle()));
}

TEST_F(MainSettingsConfigTest, TheHotKeySendsTheCurrentLineWhileTheDialogShows) {
  Start(kAltShiftF5);
  Config({[&](HWND dialog) {
    SendMessageA(main_->Handle(), WM_HOTKEY, 14, 0);
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one"));
  EXPECT_EQ(main_->Grid().Model().Row(), 1);
}

// The system's own font dialog, driven as a user would: the grid takes the font only on OK.
TEST_F(MainSettingsConfigTest, AFontChosenInTheSystemDialogReachesTheGridOnOkOnly) {
  PARLO_SKIP_UNLESS_96_DPI();
  Start(kAltShiftF5);
  const LOGFONTA before = main_->Grid().GridFont();
  // Wine's list may lack the face it starts from and then falls on a vertical "@" face without
  // Latin letters: pick a plain one.
  auto pickCourier = [](HWND fontDialog) {
    HWND faces = GetDlgItem(fontDialog, 0x470);  // cmb1
    HWND sizes = GetDlgItem(fontDialog, 0x472);  // cmb3
    ASSERT_NE(faces, nullptr);
    LRESULT index = SendMessageA(faces, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>("Courier New"));
    for (LRESULT i = 0; index < 0 && i < SendMessageA(faces, CB_GETCOUNT, 0, 0); ++i) {
      char face[LF_FACESIZE + 1] = {};
      if (SendMessageA(faces, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) > LF_FACESIZE) continue;
      SendMessageA(faces, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(face));
      if (face[0] != '@') index = i;
    }
    ASSERT_GE(index, 0);
    SendMessageA(faces, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(fontDialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faces));
    SetWindowTextA(sizes, "16");
    SendMessageA(fontDialog, WM_COMMAND, MAKEWPARAM(0x472, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(sizes));
  };
  std::string labelAfterChoice;
  // First the font is chosen and the configuration cancelled.
  {
    ModalScript script({{PARLO_CLASS_CONFIG, nullptr,
                         [](HWND dialog) { PostMessageA(Item(dialog, IDC_CFG_BUTTON1), BM_CLICK, 0, 0); }},
                        {"#32770", "Font",
                         [&](HWND fontDialog) {
                           pickCourier(fontDialog);
                           PostMessageA(GetDlgItem(fontDialog, IDOK), BM_CLICK, 0, 0);
                         }},
                        {PARLO_CLASS_CONFIG, nullptr, [&](HWND dialog) {
                           labelAfterChoice = Text(Item(dialog, IDC_CFG_LABEL_FONT));
                           Click(dialog, IDCANCEL);
                         }}});
    main_->Button_ConfigClick();
    ASSERT_EQ(script.StepsRun(), 3u);
  }
  EXPECT_THAT(labelAfterChoice, ::testing::EndsWith(", 16point"));
  EXPECT_EQ(std::memcmp(&main_->Grid().GridFont(), &before, sizeof before), 0);

  // Then chosen and confirmed.
  {
    ModalScript script({{PARLO_CLASS_CONFIG, nullptr,
                         [](HWND dialog) { PostMessageA(Item(dialog, IDC_CFG_BUTTON1), BM_CLICK, 0, 0); }},
                        {"#32770", "Font",
                         [&](HWND fontDialog) {
                           pickCourier(fontDialog);
                           PostMessageA(GetDlgItem(fontDialog, IDOK), BM_CLICK, 0, 0);
                         }},
                        {PARLO_CLASS_CONFIG, nullptr, [&](HWND dialog) { Click(dialog, IDOK); }}});
    main_->Button_ConfigClick();
    ASSERT_EQ(script.StepsRun(), 3u);
  }
  const LOGFONTA& font = main_->Grid().GridFont();
  EXPECT_EQ(Bytes(font.lfFaceName) + ", 16point", labelAfterChoice);
  EXPECT_EQ(font.lfHeight, -21);  // 16 points at 96 pixels per inch: 21.3 pixels
  // The face picked is whichever the system lists: its line is measured here apart from the
  // program, by what DrawText needs for one line, and a row is 4 pixels more.
  EXPECT_EQ(main_->Grid().DefaultRowHeight(), OneLineHeight(font) + 4) << font.lfFaceName;
}

TEST_F(MainSettingsConfigTest, ACancelledSystemFontDialogLeavesTheLabelAsItWas) {
  Start(kAltShiftF5);
  std::string label;
  ModalScript script({{PARLO_CLASS_CONFIG, nullptr,
                       [](HWND dialog) { PostMessageA(Item(dialog, IDC_CFG_BUTTON1), BM_CLICK, 0, 0); }},
                      {"#32770", "Font", [](HWND fontDialog) { PostMessageA(fontDialog, WM_COMMAND, IDCANCEL, 0); }},
                      {PARLO_CLASS_CONFIG, nullptr, [&](HWND dialog) {
                         label = Text(Item(dialog, IDC_CFG_LABEL_FONT));
                         Click(dialog, IDOK);
                       }}});
  main_->Button_ConfigClick();
  ASSERT_EQ(script.StepsRun(), 3u);
  EXPECT_EQ(label, "Tahoma, 9point");
  EXPECT_STREQ(main_->Grid().GridFont().lfFaceName, "Tahoma");
}

}  // namespace
}  // namespace parlo
