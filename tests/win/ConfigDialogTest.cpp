// The configuration dialog on its own: layout, what it shows of the values it is given, the
// hot-key edit's rules, the font choice, the caption rule and the keys that close it.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "forms/ControlIds.h"
#include "forms/Fonts.h"
#include "forms/Gdi.h"
#include "forms/Unit_Congif.h"
#include "tests/win/Dpi96.h"
#include "tests/win/MainSettingsSupport.h"
#include "tests/win/PhraseGridTestSupport.h"

namespace parlo {
namespace {

using ::testing::ElementsAre;
using testing::ModalScript;

LOGFONTA MakeFont(const char* face, LONG height, LONG weight = FW_NORMAL) {
  LOGFONTA font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  return font;
}

std::string Text(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// Position and size of a control relative to its parent's client area.
RECT RectInParent(HWND control) {
  RECT rc{};
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

LONG FontWeight(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  LOGFONTA lf{};
  GetObjectA(font, sizeof lf, &lf);
  return lf.lfWeight;
}

class ConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(owner_, nullptr);
    TForm_Config::Values& in = form_.Data();
    in.captionText = "Ultima Online - ";
    in.captionItems = {"a", "b", "c", "d", "e"};
    form_.SetGameFinder([](const Bytes& caption) -> std::optional<Bytes> {
      if (caption == "Ultima Online - ") return Bytes("Ultima Online - Bob");
      return std::nullopt;
    });
    in.labelFont = MakeFont("Arial", -12);
    in.alt = true;
    in.shift = true;
    in.hotKey = VK_F5;
  }
  void TearDown() override { DestroyWindow(owner_); }

  // Shows the dialog and runs the steps while it shows.
  int Run(std::vector<std::function<void(HWND)>> steps) {
    ModalScript script(PARLO_CLASS_CONFIG, nullptr, std::move(steps));
    int result = form_.ShowModal(owner_);
    stepsRun_ = script.StepsRun();
    return result;
  }

  std::vector<LOGFONTA> chooserCalls_;
  LOGFONTA chooserAnswer_ = MakeFont("Courier New", -16, FW_BOLD);
  bool chooserAccepts_ = true;
  TForm_Config form_{[this](HWND, LOGFONTA& font) {
    chooserCalls_.push_back(font);
    // What some systems do on a cancel too: the structure is changed all the same.
    font = chooserAnswer_;
    return chooserAccepts_;
  }};
  HWND owner_ = nullptr;
  size_t stepsRun_ = 0;
};

TEST_F(ConfigDialogTest, LayoutIsAsDesigned) {
  PARLO_SKIP_UNLESS_96_DPI();
  struct Expected {
    int id;
    int parent;
    RECT rect;  // left, top, right, bottom; right and bottom 0: auto-sized
    const char* caption;
    bool visible;
    bool tabStop;
    bool bold;
  };
  const Expected expected[] = {
      {IDC_CFG_PANEL1, 0, {4, 8, 305, 302}, "", true, false, false},
      {IDC_CFG_CHECKBOX_ONTOP, IDC_CFG_PANEL1, {8, 16, 137, 33}, "&Always on Top", true, true, true},
      {IDC_CFG_LABEL_BARD, IDC_CFG_PANEL1, {8, 40, 0, 0}, "&Hotkey for Bard Button", true, false, true},
      {IDC_CFG_CHECKBOX_ALT, IDC_CFG_PANEL1, {8, 56, 57, 73}, "ALT", true, true, false},
      {IDC_CFG_CHECKBOX_CTRL, IDC_CFG_PANEL1, {64, 56, 113, 73}, "CTRL", true, true, false},
      {IDC_CFG_CHECKBOX_SHIFT, IDC_CFG_PANEL1, {120, 56, 177, 73}, "SHIFT", true, true, false},
      {IDC_CFG_HOTKEY_BARD, IDC_CFG_PANEL1, {192, 56, 233, 74}, "", true, true, false},
      {IDC_CFG_LABEL2, IDC_CFG_PANEL1, {8, 88, 0, 0}, "Screen Font", true, false, true},
      {IDC_CFG_LABEL_FONT, IDC_CFG_PANEL1, {8, 104, 0, 0}, "Arial, 9point", true, false, false},
      {IDC_CFG_BUTTON1, IDC_CFG_PANEL1, {202, 100, 289, 125}, "Change &Font...", true, true, false},
      {IDC_CFG_LABEL1,
       IDC_CFG_PANEL1,
       {16, 152, 0, 0},
       "The &Caption of UO starts with...",
       true,
       false,
       true},
      {IDC_CFG_COMBOBOX_CAPTION, IDC_CFG_PANEL1, {16, 168, 297, 0}, "Ultima Online - ", true, true, false},
      {IDC_CFG_LABEL_GAME,
       IDC_CFG_PANEL1,
       {16, 192, 297, 0},
       "Lines go to: Ultima Online - Bob",
       true,
       false,
       false},
      {IDC_CFG_LABEL_QUICKSAY, IDC_CFG_PANEL1, {8, 216, 0, 0}, "Hotkey for &Quick Say", true, false, true},
      {IDC_CFG_CHECKBOX_QS_ALT, IDC_CFG_PANEL1, {8, 232, 57, 249}, "ALT", true, true, false},
      {IDC_CFG_CHECKBOX_QS_CTRL, IDC_CFG_PANEL1, {64, 232, 113, 249}, "CTRL", true, true, false},
      {IDC_CFG_CHECKBOX_QS_SHIFT, IDC_CFG_PANEL1, {120, 232, 177, 249}, "SHIFT", true, true, false},
      {IDC_CFG_HOTKEY_QUICKSAY, IDC_CFG_PANEL1, {192, 232, 233, 250}, "", true, true, false},
      {IDC_CFG_CHECKBOX_FOLLOW, IDC_CFG_PANEL1, {8, 256, 289, 273}, "&Follow the character in front", true, true,
       true},
      {IDOK, 0, {147, 309, 222, 334}, "OK", true, true, false},
      {IDCANCEL, 0, {231, 309, 306, 334}, "Cancel", true, true, false},
  };
  int result = Run({[&](HWND dialog) {
    EXPECT_EQ(Text(dialog), "Parlo! - Configuration");
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 313);
    EXPECT_EQ(client.bottom, 341);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
    EXPECT_FALSE(IsWindowEnabled(owner_));
    RECT outer{};
    GetWindowRect(dialog, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    for (const Expected& e : expected) {
      SCOPED_TRACE("control " + std::to_string(e.id));
      HWND control = form_.Control(e.id);
      ASSERT_NE(control, nullptr);
      EXPECT_EQ(GetParent(control), e.parent ? form_.Control(e.parent) : dialog);
      RECT rc = RectInParent(control);
      EXPECT_EQ(rc.left, e.rect.left);
      EXPECT_EQ(rc.top, e.rect.top);
      if (e.rect.right) {
        EXPECT_EQ(rc.right, e.rect.right);
      }
      if (e.rect.bottom) {
        EXPECT_EQ(rc.bottom, e.rect.bottom);
      }
      if (e.id != IDC_CFG_PANEL1 && e.id != IDC_CFG_HOTKEY_BARD && e.id != IDC_CFG_HOTKEY_QUICKSAY) {
        EXPECT_EQ(Text(control), e.caption);
      }
      EXPECT_EQ(IsWindowVisible(control) != FALSE, e.visible);
      EXPECT_EQ((GetWindowLongA(control, GWL_STYLE) & WS_TABSTOP) != 0, e.tabStop);
      if (e.id != IDC_CFG_PANEL1) {
        EXPECT_EQ(FontWeight(control) >= FW_BOLD, e.bold);
      }
    }
    EXPECT_EQ(SendMessageA(form_.Control(IDOK), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    // The form's font is the Japanese design face, at -12 pixels.
    HFONT formFont = reinterpret_cast<HFONT>(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_ALT), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    GetObjectA(formFont, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -12);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(ConfigDialogTest, ItsSizeControlsAndFontsAtEveryScale) {
  PARLO_SKIP_UNLESS_A_CHECKED_DPI();
  using testing::Expected;
  auto place = [](HWND control) {
    RECT rc = RectInParent(control);
    return std::array<LONG, 4>{rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
  };
  auto height = [](HWND control) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
  };
  Run({[&](HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, Expected({313, 470, 626}));
    EXPECT_EQ(client.bottom, Expected({341, 512, 682}));
    EXPECT_EQ(place(form_.Control(IDC_CFG_PANEL1)),
              (std::array<LONG, 4>{Expected({4, 6, 8}), Expected({8, 12, 16}), Expected({301, 452, 602}),
                                   Expected({294, 441, 588})}));
    EXPECT_EQ(place(form_.Control(IDC_CFG_COMBOBOX_CAPTION))[1], Expected({168, 252, 336}));
    EXPECT_EQ(place(form_.Control(IDC_CFG_LABEL_GAME))[2], Expected({281, 422, 562}));
    EXPECT_EQ(place(form_.Control(IDC_CFG_BUTTON1)),
              (std::array<LONG, 4>{Expected({202, 303, 404}), Expected({100, 150, 200}),
                                   Expected({87, 131, 174}), Expected({25, 38, 50})}));
    EXPECT_EQ(place(form_.Control(IDC_CFG_HOTKEY_QUICKSAY)),
              (std::array<LONG, 4>{Expected({192, 288, 384}), Expected({232, 348, 464}),
                                   Expected({41, 62, 82}), Expected({18, 27, 36})}));
    EXPECT_EQ(place(form_.Control(IDOK)),
              (std::array<LONG, 4>{Expected({147, 221, 294}), Expected({309, 464, 618}),
                                   Expected({75, 113, 150}), Expected({25, 38, 50})}));
    EXPECT_EQ(height(form_.Control(IDC_CFG_CHECKBOX_ALT)), Expected({-12, -18, -24}));
    // The chosen font is shown at the screen's scale and named with its size as at 96 dpi.
    EXPECT_EQ(height(form_.Control(IDC_CFG_LABEL_FONT)), Expected({-12, -18, -24}));
    EXPECT_EQ(Text(form_.Control(IDC_CFG_LABEL_FONT)), "Arial, 9point");
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  // What it hands back is as at 96 dpi too.
  EXPECT_EQ(form_.Data().labelFont.lfHeight, -12);
}

TEST_F(ConfigDialogTest, MovingTo144DpiLaysItOutAgainWithItsFonts) {
  PARLO_SKIP_UNLESS_96_DPI();
  Run({[&](HWND dialog) {
    RECT outer{}, client{};
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    RECT suggested{outer.left, outer.top, outer.right + 470 - client.right,
                   outer.bottom + 476 - client.bottom};
    SendMessageA(dialog, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 470);
    EXPECT_EQ(client.bottom, 476);
    RECT rc = RectInParent(form_.Control(IDC_CFG_BUTTON1));
    EXPECT_EQ(rc.left, 303);
    EXPECT_EQ(rc.top, 150);
    EXPECT_EQ(rc.right - rc.left, 131);
    EXPECT_EQ(rc.bottom - rc.top, 38);
    LOGFONTA shown{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form_.Control(IDC_CFG_LABEL_FONT), WM_GETFONT, 0, 0)),
               sizeof shown, &shown);
    EXPECT_EQ(shown.lfHeight, -18);
    EXPECT_EQ(FontWeight(form_.Control(IDC_CFG_LABEL2)), FW_BOLD);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form_.Control(IDC_CFG_LABEL2), WM_GETFONT, 0, 0)), sizeof shown,
               &shown);
    EXPECT_EQ(shown.lfHeight, -18);
    // The name still gives the size as at 96 dpi, and the label grew to the larger text.
    EXPECT_EQ(Text(form_.Control(IDC_CFG_LABEL_FONT)), "Arial, 9point");
    rc = RectInParent(form_.Control(IDC_CFG_LABEL_FONT));
    EXPECT_GT(rc.bottom - rc.top, 14);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }});
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_EQ(form_.Data().labelFont.lfHeight, -12);
}

TEST_F(ConfigDialogTest, TabGoesFromTheCaptionThroughThePanelToOkAndCancel) {
  std::vector<int> order;
  Run({[&](HWND dialog) {
    HWND focus = GetFocus();
    // The combo box's edit field has the focus; the combo box is the tab stop.
    if (focus && GetDlgCtrlID(focus) != IDC_CFG_COMBOBOX_CAPTION) focus = GetParent(focus);
    for (int i = 0; i < 15 && focus; ++i) {
      order.push_back(GetDlgCtrlID(focus));
      focus = GetNextDlgTabItem(dialog, focus, FALSE);
    }
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }});
  EXPECT_THAT(order,
              ElementsAre(IDC_CFG_COMBOBOX_CAPTION, IDC_CFG_CHECKBOX_ALT, IDC_CFG_CHECKBOX_CTRL,
                          IDC_CFG_CHECKBOX_SHIFT, IDC_CFG_HOTKEY_BARD, IDC_CFG_CHECKBOX_QS_ALT,
                          IDC_CFG_CHECKBOX_QS_CTRL, IDC_CFG_CHECKBOX_QS_SHIFT, IDC_CFG_HOTKEY_QUICKSAY,
                          IDC_CFG_CHECKBOX_FOLLOW, IDC_CFG_BUTTON1, IDC_CFG_CHECKBOX_ONTOP, IDOK, IDCANCEL, IDC_CFG_COMBOBOX_CAPTION));
}

TEST_F(ConfigDialogTest, TheLabelsAcceleratorsFocusTheAltBoxAndTheCaption) {
  const std::pair<char, int> cases[] = {
      {'h', IDC_CFG_CHECKBOX_ALT}, {'c', IDC_CFG_COMBOBOX_CAPTION}, {'q', IDC_CFG_CHECKBOX_QS_ALT}};
  for (const auto& [letter, id] : cases) {
    int focused = 0;
    Run({[&](HWND) { SetFocus(form_.Control(IDC_CFG_BUTTON1)); },
         [&, letter = letter](HWND) { PostMessageA(GetFocus(), WM_SYSCHAR, letter, 0x20000001); },
         [&](HWND dialog) {
           // The combo box hands the focus on to its edit field.
           HWND focus = GetFocus();
           focused = GetDlgCtrlID(
               GetParent(focus) == form_.Control(IDC_CFG_COMBOBOX_CAPTION) ? GetParent(focus) : focus);
           PostMessageA(dialog, WM_CLOSE, 0, 0);
         }});
    EXPECT_EQ(focused, id) << letter;
  }
}

TEST_F(ConfigDialogTest, ShowsTheValuesItIsGivenAndHandsBackWhatTheControlsHold) {
  PARLO_SKIP_UNLESS_96_DPI();
  form_.Data().onTop = true;
  form_.Data().labelFont = MakeFont("Arial", -16);
  form_.Data().quickSayCtrl = true;
  form_.Data().quickSayKey = VK_F9;
  int result = Run({[&](HWND) {
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_ONTOP), BM_GETCHECK, 0, 0), BST_CHECKED);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_ALT), BM_GETCHECK, 0, 0), BST_CHECKED);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_CTRL), BM_GETCHECK, 0, 0), BST_UNCHECKED);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_SHIFT), BM_GETCHECK, 0, 0), BST_CHECKED);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_HOTKEY_BARD), HKM_GETHOTKEY, 0, 0), VK_F5);
                      for (int box :
                           {IDC_CFG_CHECKBOX_QS_ALT, IDC_CFG_CHECKBOX_QS_CTRL, IDC_CFG_CHECKBOX_QS_SHIFT})
                        EXPECT_EQ(SendMessageA(form_.Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED,
                                  box == IDC_CFG_CHECKBOX_QS_CTRL);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_HOTKEY_QUICKSAY), HKM_GETHOTKEY, 0, 0),
                                VK_F9);
                      EXPECT_EQ(SendMessageA(form_.Control(IDC_CFG_CHECKBOX_FOLLOW), BM_GETCHECK, 0, 0),
                                BST_CHECKED);
                      HWND combo = form_.Control(IDC_CFG_COMBOBOX_CAPTION);
                      EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 5);
                      EXPECT_EQ(Text(combo), "Ultima Online - ");
                      // The label names its font, two-digit sizes included, and is drawn in it.
                      HWND label = form_.Control(IDC_CFG_LABEL_FONT);
                      EXPECT_EQ(Text(label), "Arial, 12point");
                      HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
                      LOGFONTA lf{};
                      GetObjectA(font, sizeof lf, &lf);
                      EXPECT_EQ(lf.lfHeight, -16);
                      // Measured at 96 dpi with the fonts scripts/setup.sh installs.
                      EXPECT_EQ(RectInParent(label).bottom - RectInParent(label).top, 17);
                    },
                    [&](HWND) {
                      SendMessageA(form_.Control(IDC_CFG_CHECKBOX_ONTOP), BM_CLICK, 0, 0);
                      SendMessageA(form_.Control(IDC_CFG_CHECKBOX_CTRL), BM_CLICK, 0, 0);
                      SendMessageA(form_.Control(IDC_CFG_HOTKEY_BARD), HKM_SETHOTKEY, 'Q', 0);
                      SendMessageA(form_.Control(IDC_CFG_CHECKBOX_QS_SHIFT), BM_CLICK, 0, 0);
                      SendMessageA(form_.Control(IDC_CFG_HOTKEY_QUICKSAY), HKM_SETHOTKEY, 'W', 0);
                      SendMessageA(form_.Control(IDC_CFG_CHECKBOX_FOLLOW), BM_CLICK, 0, 0);
                      SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0);
                    }});
  EXPECT_EQ(result, IDOK);
  const TForm_Config::Values& out = form_.Data();
  EXPECT_FALSE(out.onTop);
  EXPECT_TRUE(out.alt);
  EXPECT_TRUE(out.ctrl);
  EXPECT_TRUE(out.shift);
  EXPECT_EQ(out.hotKey, static_cast<unsigned>('Q'));
  EXPECT_FALSE(out.quickSayAlt);
  EXPECT_TRUE(out.quickSayCtrl);
  EXPECT_TRUE(out.quickSayShift);
  EXPECT_EQ(out.quickSayKey, static_cast<unsigned>('W'));
  EXPECT_FALSE(out.followCharacter);
  EXPECT_EQ(out.labelFontHeight, 17);  // the label's height, as above
}

TEST_F(ConfigDialogTest, TheHotkeyEditTakesOnlyBareKeys) {
  unsigned value = 1;
  Run({[&](HWND dialog) {
         SetForegroundWindow(dialog);
         SetFocus(form_.Control(IDC_CFG_HOTKEY_BARD));
         keybd_event(VK_CONTROL, static_cast<BYTE>(MapVirtualKeyA(VK_CONTROL, 0)), 0, 0);
         keybd_event(VK_SHIFT, static_cast<BYTE>(MapVirtualKeyA(VK_SHIFT, 0)), 0, 0);
         keybd_event('Q', static_cast<BYTE>(MapVirtualKeyA('Q', 0)), 0, 0);
         keybd_event('Q', static_cast<BYTE>(MapVirtualKeyA('Q', 0)), KEYEVENTF_KEYUP, 0);
         keybd_event(VK_SHIFT, static_cast<BYTE>(MapVirtualKeyA(VK_SHIFT, 0)), KEYEVENTF_KEYUP, 0);
         keybd_event(VK_CONTROL, static_cast<BYTE>(MapVirtualKeyA(VK_CONTROL, 0)), KEYEVENTF_KEYUP, 0);
       },
       [&](HWND) {},
       [&](HWND dialog) {
         value = static_cast<unsigned>(SendMessageA(form_.Control(IDC_CFG_HOTKEY_BARD), HKM_GETHOTKEY, 0, 0));
         PostMessageA(dialog, WM_CLOSE, 0, 0);
       }});
  EXPECT_EQ(value, static_cast<unsigned>('Q'));
}

TEST_F(ConfigDialogTest, EnterGivesOkAndEscGivesCancel) {
  EXPECT_EQ(Run({[&](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1); }}), IDOK);
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_EQ(Run({[&](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); }}), IDCANCEL);
  EXPECT_EQ(stepsRun_, 1u);
  EXPECT_EQ(Run({[&](HWND) { SendMessageA(form_.Control(IDCANCEL), BM_CLICK, 0, 0); }}), IDCANCEL);
}

TEST_F(ConfigDialogTest, AChosenFontGoesToTheLabelWithItsName) {
  std::string caption;
  Run({[&](HWND) { PostMessageA(form_.Control(IDC_CFG_BUTTON1), BM_CLICK, 0, 0); },
       [&](HWND dialog) {
         caption = Text(form_.Control(IDC_CFG_LABEL_FONT));
         SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0);
         (void)dialog;
       }});
  ASSERT_EQ(chooserCalls_.size(), 1u);
  // The choice starts from the label's font.
  EXPECT_STREQ(chooserCalls_[0].lfFaceName, "Arial");
  EXPECT_EQ(chooserCalls_[0].lfHeight, -12);
  EXPECT_EQ(caption, "Courier New, 12point");
  EXPECT_STREQ(form_.Data().labelFont.lfFaceName, "Courier New");
  EXPECT_EQ(form_.Data().labelFont.lfWeight, FW_BOLD);
}

TEST_F(ConfigDialogTest, ACancelledFontChoiceChangesNothingEvenWhenTheSystemTouchedTheFont) {
  chooserAccepts_ = false;
  std::string caption;
  Run({[&](HWND) { PostMessageA(form_.Control(IDC_CFG_BUTTON1), BM_CLICK, 0, 0); },
       [&](HWND) {
         caption = Text(form_.Control(IDC_CFG_LABEL_FONT));
         SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0);
       }});
  EXPECT_EQ(chooserCalls_.size(), 1u);
  EXPECT_EQ(caption, "Arial, 9point");
  EXPECT_STREQ(form_.Data().labelFont.lfFaceName, "Arial");
  EXPECT_EQ(form_.Data().labelFont.lfHeight, -12);
}

TEST_F(ConfigDialogTest, TheCaptionTypedSaysWhereLinesGoAndOkRemembersIt) {
  std::vector<std::string> looked;
  std::string before, typing, afterWindowClosed;
  bool gameOpen = true;
  form_.SetGameFinder([&](const Bytes& caption) -> std::optional<Bytes> {
    looked.push_back(caption);
    if (gameOpen && Bytes("Ultima Online - Bob").rfind(caption, 0) == 0) return Bytes("Ultima Online - Bob");
    return std::nullopt;
  });
  HWND label = nullptr;
  EXPECT_EQ(
      Run({[&](HWND) {
             label = form_.Control(IDC_CFG_LABEL_GAME);
             before = Text(label);
             // Typed into the combo box's edit field, key by key.
             HWND edit = GetWindow(form_.Control(IDC_CFG_COMBOBOX_CAPTION), GW_CHILD);
             SendMessageA(edit, EM_SETSEL, 0, -1);
             for (char c : std::string("Carol")) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
             typing = Text(label);
             SetWindowTextA(edit, "Ultima Online - B");
             SendMessageA(form_.Handle(), WM_COMMAND, MAKEWPARAM(IDC_CFG_COMBOBOX_CAPTION, CBN_EDITCHANGE),
                          reinterpret_cast<LPARAM>(form_.Control(IDC_CFG_COMBOBOX_CAPTION)));
             gameOpen = false;  // and the window closes while the dialog is open
           },
           [&](HWND) {
             ASSERT_TRUE(testing_support::PumpUntil([&] { return Text(label) == "No game window is open"; },
                                                    3 * TForm_Config::kGameRefreshMs));
             SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0);
           }}),
      IDOK);
  EXPECT_EQ(before, "Lines go to: Ultima Online - Bob");
  EXPECT_EQ(typing, "No game window is open");
  EXPECT_EQ(looked.front(), "Ultima Online - ");
  EXPECT_NE(std::find(looked.begin(), looked.end(), "Carol"), looked.end());
  EXPECT_EQ(form_.Data().captionText, "Ultima Online - B");
  EXPECT_THAT(form_.Data().captionItems, ElementsAre("Ultima Online - B", "a", "b", "c", "d"));
}

TEST_F(ConfigDialogTest, OkPutsANewCaptionOnTopAndDropsTheLast) {
  form_.Data().captionText = "new shard";
  std::vector<std::string> comboItems;
  EXPECT_EQ(Run({[&](HWND) { SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0); }}), IDOK);
  EXPECT_THAT(form_.Data().captionItems, ElementsAre("new shard", "a", "b", "c", "d"));
  EXPECT_EQ(form_.Data().captionText, "new shard");
}

TEST_F(ConfigDialogTest, OkLeavesTheListAsItIsWhenTheCaptionIsInIt) {
  form_.Data().captionText = "c";
  EXPECT_EQ(Run({[&](HWND) { SendMessageA(form_.Control(IDOK), BM_CLICK, 0, 0); }}), IDOK);
  EXPECT_THAT(form_.Data().captionItems, ElementsAre("a", "b", "c", "d", "e"));
}

TEST_F(ConfigDialogTest, CancelLeavesTheCaptionListAlone) {
  form_.Data().captionText = "new shard";
  EXPECT_EQ(Run({[&](HWND) { SendMessageA(form_.Control(IDCANCEL), BM_CLICK, 0, 0); }}), IDCANCEL);
  EXPECT_THAT(form_.Data().captionItems, ElementsAre("a", "b", "c", "d", "e"));
}

}  // namespace
}  // namespace parlo
