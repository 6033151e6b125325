// The settings file as the main window reads it at start-up and writes it at exit, the Bard hot
// key's registration and its message, with real windows over an in-memory settings file.
#include <windows.h>

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/book/Bard.h"
#include "core/files/MemoryFileStore.h"
#include "core/book/PhraseGrid.h"
#include "core/settings/Settings.h"
#include "forms/ControlIds.h"
#include "forms/ExceptionBox.h"
#include "forms/Unit_Main.h"
#include "tests/win/Dpi96.h"
#include "tests/win/InputBoxScript.h"
#include "tests/win/MainSettingsSupport.h"
#include "tests/win/PhraseGridTestSupport.h"

namespace parlo {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using testing::EventLog;
using testing::FakeHotKeys;
using testing::LoggingProfileStore;
using testing::ModalScript;
using testing::Pump;
using testing::RecordingGame;
using testing::ScriptedBoxes;

const Bytes kDir = "C:\\parlo-settings-test\\";
const Bytes kIni = kDir + "parlo.ini";
const Bytes kFace = kGridDesignFace;

class MainSettingsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (main_) Close();
  }

  void Ini(const Bytes& content) { store_.Memory().SetFile(kIni, content); }
  void Book(const Bytes& name, const Bytes& content) { files_.Put(kDir + name, content); }

  void Start(MessageBoxFunction boxes = {}) {
    MainServices services;
    services.exePath = kDir + "parlo.exe";
    services.files = &files_;
    services.game = &game_;
    services.profile = &store_;
    services.hotKeys = &hotKeys_;
    services.messageBox = boxes ? boxes : boxes_.Function();
    services.bardRandom = bardRandom_;
    if (openFile_) services.openFile = openFile_;
    services.processImagePath = [](std::uint32_t pid) {
      return pid == 7 ? Bytes("C:\\UO\\ClassicUO\\ClassicUO.exe") : Bytes();
    };
    main_ = std::make_unique<TForm_Main>(services);
    main_->Create();
    ASSERT_NE(main_->Handle(), nullptr);
  }
  // Closes the main window as the user does: the exit writes run.
  void Close() {
    SendMessageA(main_->Handle(), WM_CLOSE, 0, 0);
    Pump();
    main_.reset();
  }

  // Only the log entries that begin with one of the prefixes.
  std::vector<std::string> Log(std::initializer_list<const char*> prefixes) const {
    std::vector<std::string> kept;
    for (const std::string& entry : log_)
      for (const char* prefix : prefixes)
        if (entry.rfind(prefix, 0) == 0) kept.push_back(entry);
    return kept;
  }

  RECT Bounds() const {
    RECT rc{};
    GetWindowRect(main_->Handle(), &rc);
    return rc;
  }

  BardRandom* bardRandom_ = nullptr;
  OpenFileFunction openFile_;
  EventLog log_;
  LoggingProfileStore store_{log_};
  FakeHotKeys hotKeys_{log_};
  ScriptedBoxes boxes_;
  MemoryFileStore files_;
  RecordingGame game_;
  std::unique_ptr<TForm_Main> main_;
};

// Every key, in the order in which the exit writes them, with the value a first exit writes.
std::vector<std::string> FirstExitWrites() {
  return {
      "write Window/Left=671",
      "write Window/Top=112",
      "write Window/Width=373",
      "write Window/Height=472",
      "write Parlo/Paste=0",
      "write Parlo/Yell=0",
      "write Parlo/Random=0",
      "write Window/StayOnTop=0",
      "write BardKey/ALT=0",
      "write BardKey/CTRL=0",
      "write BardKey/SHIFT=0",
      "write BardKey/Key=0",
      "write UO/LastOpen=\"say.txt\"",
      // A missing text's default loses its trailing blank, as the system's reader does.
      "write UO/Caption=\"Ultima Online -\"",
      "write UO/Caption0=\"Ultima Online -\"",
      "write UO/Caption1=\"Ultima Online -\"",
      "write UO/Caption2=\"Ultima Online -\"",
      "write UO/Caption3=\"Ultima Online -\"",
      "write UO/Caption4=\"Ultima Online -\"",
      "write Font/Charset=128",
      "write Font/Name=" + kFace,
      "write Font/Size=9",
      "write Font/Bold=1",
      "write Font/Italic=0",
      "write QuickSay/ALT=0",
      "write QuickSay/CTRL=0",
      "write QuickSay/SHIFT=0",
      "write QuickSay/Key=0",
      "write QuickSay/Width=380",
      "write QuickSay/Height=300",
      "write Import/Folder=\"\"",
      "write Parlo/FollowCharacter=1",
  };
}

// ---- Start-up ----

TEST_F(MainSettingsTest, StartupReadsEveryKeyInOrderAndRegistersTheHotKeyBetweenTheBardKeyAndTheCaptions) {
  Ini("[BardKey]\r\nALT=1\r\nSHIFT=1\r\nKey=116\r\n");
  Start();
  EXPECT_THAT(
      Log({"read ", "register", "unregister"}),
      ElementsAre("read Window/Left", "read Window/Top", "read Window/Width", "read Window/Height",
                  "read Parlo/Paste", "read Parlo/Yell", "read Parlo/Random", "read Window/StayOnTop",
                  "read BardKey/ALT", "read BardKey/CTRL", "read BardKey/SHIFT", "read BardKey/Key",
                  "register 14 mod=16389 key=0x74", "read UO/Caption", "read UO/Caption0", "read UO/Caption1",
                  "read UO/Caption2", "read UO/Caption3", "read UO/Caption4", "read Font/Charset",
                  "read Font/Name", "read Font/Size", "read Font/Bold", "read Font/Italic",
                  "read UO/LastOpen", "read QuickSay/ALT", "read QuickSay/CTRL", "read QuickSay/SHIFT",
                  "read QuickSay/Key", "read QuickSay/Width", "read QuickSay/Height", "read Import/Folder",
                  "read Parlo/FollowCharacter"));
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(MainSettingsTest, StartupAppliesEveryValue) {
  PARLO_SKIP_UNLESS_96_DPI();
  Ini("[Window]\r\nLeft=100\r\nTop=$32\r\nWidth=0x190\r\nHeight=300\r\nStayOnTop=1\r\n"
      "[Parlo]\r\nPaste=1\r\nYell=0\r\nRandom=2\r\n"
      "[BardKey]\r\nALT=0\r\nCTRL=1\r\nSHIFT=0\r\nKey=65601\r\n"
      "[UO]\r\nCaption=\"UO - Shard\"\r\nCaption0=\"c0\"\r\nCaption1=\"c1\"\r\nCaption2=\r\nCaption4=\"c4\"\r\n"
      "LastOpen=\"sayB.txt\"\r\n"
      "[Font]\r\nCharset=0\r\nName=Arial\r\nSize=12\r\nBold=0\r\nItalic=1\r\n");
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Book("sayB.txt", "[PARLO!]\r\nb\tfrom B\r\n");
  Start();

  RECT rc = Bounds();
  EXPECT_EQ(rc.left, 100);
  EXPECT_EQ(rc.top, 50);
  EXPECT_EQ(rc.right - rc.left, 400);
  EXPECT_EQ(rc.bottom - rc.top, 300);
  EXPECT_TRUE(main_->Checked(IDC_CHECKBOX_PASTE));
  EXPECT_FALSE(main_->Checked(IDC_CHECKBOX_YELL));
  EXPECT_TRUE(main_->Checked(IDC_CHECKBOX_RANDOM));  // any number but 0 is on
  EXPECT_TRUE(main_->StayOnTop);
  EXPECT_FALSE(main_->BardAlt);
  EXPECT_TRUE(main_->BardCtrl);
  EXPECT_FALSE(main_->BardShift);
  EXPECT_EQ(main_->BardKey, 0x41);  // the low 16 bits of 65601
  EXPECT_EQ(hotKeys_.Registered(14), std::make_pair(2u | kModNoRepeat, 0x41u));
  EXPECT_EQ(main_->GameCaption, "UO - Shard");
  ASSERT_NE(main_->CaptionList, nullptr);
  EXPECT_THAT(*main_->CaptionList, ElementsAre("c0", "c1", "", "Ultima Online -", "c4"));

  const LOGFONTA& font = main_->Grid().GridFont();
  EXPECT_STREQ(font.lfFaceName, "Arial");
  EXPECT_EQ(font.lfCharSet, 0);
  EXPECT_EQ(font.lfHeight, -16);  // 12 points at 96 pixels per inch
  EXPECT_EQ(font.lfWeight, FW_NORMAL);
  EXPECT_TRUE(font.lfItalic);
  EXPECT_EQ(main_->CurrentFile, "sayB.txt");

  // Shown, the window takes the stay-on-top state it read.
  main_->Show(SW_SHOWNOACTIVATE);
  EXPECT_TRUE(GetWindowLongA(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MainSettingsTest, OnAFirstStartTheGridFontIsTheBoldDesignFontAndNothingIsRegistered) {
  PARLO_SKIP_UNLESS_96_DPI();
  Start();
  const LOGFONTA& font = main_->Grid().GridFont();
  EXPECT_EQ(Bytes(font.lfFaceName), kFace);
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(font.lfHeight, -12);
  EXPECT_EQ(font.lfWeight, FW_BOLD);
  EXPECT_FALSE(font.lfItalic);
  RECT rc = Bounds();
  EXPECT_EQ(rc.left, 671);
  EXPECT_EQ(rc.top, 112);
  EXPECT_EQ(rc.right - rc.left, 373);
  EXPECT_EQ(rc.bottom - rc.top, 472);
  EXPECT_THAT(Log({"register"}), IsEmpty());
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(MainSettingsTest, FontStyleFollowsBoldAndItalicAsAWhole) {
  struct Case {
    const char* bold;
    const char* italic;
    LONG weight;
    bool italicSet;
  };
  // Neither flag leaves the design style, which is regular.
  for (const Case& c : {Case{"1", "0", FW_BOLD, false}, Case{"0", "1", FW_NORMAL, true},
                        Case{"2", "1", FW_BOLD, true}, Case{"0", "0", FW_NORMAL, false}}) {
    Ini(std::string("[Font]\r\nBold=") + c.bold + "\r\nItalic=" + c.italic + "\r\n");
    Start();
    EXPECT_EQ(main_->Grid().GridFont().lfWeight, c.weight) << c.bold << c.italic;
    EXPECT_EQ(main_->Grid().GridFont().lfItalic != 0, c.italicSet) << c.bold << c.italic;
    Close();
  }
}

TEST_F(MainSettingsTest, AKeyOfZeroRegistersNothingAndSaysNothing) {
  Ini("[BardKey]\r\nALT=1\r\nCTRL=1\r\nSHIFT=1\r\nKey=0\r\n");
  Start();
  EXPECT_THAT(Log({"register"}), IsEmpty());
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
  EXPECT_TRUE(main_->BardAlt);
}

TEST_F(MainSettingsTest, ABareKeyIsRegisteredWithoutModifiers) {
  Ini("[BardKey]\r\nKey=120\r\n");
  Start();
  EXPECT_THAT(Log({"register"}), ElementsAre("register 14 mod=16384 key=0x78"));
}

TEST_F(MainSettingsTest, ARefusedRegistrationShowsTheErrorToTheWholeApplicationAndStartupGoesOn) {
  Ini("[BardKey]\r\nALT=1\r\nSHIFT=1\r\nKey=116\r\n[UO]\r\nCaption=\"after\"\r\n[Font]\r\nSize=14\r\n");
  hotKeys_.Refuse(true);
  boxes_.Then(kIdOk);
  Start();
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  const testing::BoxCall& box = boxes_.Calls()[0];
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_EQ(box.text, "Filed to register hot key");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.flags, 0u);  // OK only, no icon
  // The rest of the file is still read and applied, and the values stay for the exit.
  EXPECT_EQ(main_->GameCaption, "after");
  EXPECT_EQ(main_->Grid().GridFont().lfHeight, -19);
  EXPECT_EQ(main_->CurrentFile, "say.txt");
  EXPECT_FALSE(hotKeys_.IsRegistered(14));
  Close();
  EXPECT_THAT(Log({"write BardKey/"}),
              ElementsAre("write BardKey/ALT=1", "write BardKey/CTRL=0", "write BardKey/SHIFT=1",
                          "write BardKey/Key=116"));
}

// Values that are no numbers fall back to the defaults; none of them may bring the program down.
TEST_F(MainSettingsTest, GarbageAndEmptyValuesInEveryKeyStartWithTheDefaults) {
  PARLO_SKIP_UNLESS_96_DPI();
  for (const char* junk : {"", "garbage", "12px", "7x", "0x", "$", "-$10", "1e3", "99999999999", "$123456789"}) {
    SCOPED_TRACE(std::string("value \"") + junk + "\"");
    const std::string v = junk;
    Ini("[Window]\r\nLeft=" + v + "\r\nTop=" + v + "\r\nWidth=" + v + "\r\nHeight=" + v + "\r\nStayOnTop=" + v +
        "\r\n[Parlo]\r\nPaste=" + v + "\r\nYell=" + v + "\r\nRandom=" + v + "\r\n[BardKey]\r\nALT=" + v +
        "\r\nCTRL=" + v + "\r\nSHIFT=" + v + "\r\nKey=" + v + "\r\n[UO]\r\nLastOpen=" + v + "\r\n[Font]\r\nCharset=" +
        v + "\r\nSize=" + v + "\r\nBold=" + v + "\r\nItalic=" + v + "\r\n");
    log_.clear();
    Start();
    RECT rc = Bounds();
    EXPECT_EQ(rc.left, 671);
    EXPECT_EQ(rc.top, 112);
    EXPECT_EQ(rc.right - rc.left, 373);
    EXPECT_EQ(rc.bottom - rc.top, 472);
    EXPECT_FALSE(main_->Checked(IDC_CHECKBOX_PASTE));
    EXPECT_FALSE(main_->Checked(IDC_CHECKBOX_YELL));
    EXPECT_FALSE(main_->Checked(IDC_CHECKBOX_RANDOM));
    EXPECT_FALSE(main_->StayOnTop);
    EXPECT_FALSE(main_->BardAlt || main_->BardCtrl || main_->BardShift);
    EXPECT_EQ(main_->BardKey, 0);
    EXPECT_THAT(Log({"register"}), IsEmpty());
    const LOGFONTA& font = main_->Grid().GridFont();
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
    EXPECT_FALSE(font.lfItalic);
    EXPECT_EQ(main_->CurrentFile, "say.txt");
    Close();
  }
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
}

TEST_F(MainSettingsTest, ExtremeNumbersStartWithoutHarmAndAreWrittenBackAsTheWindowTookThem) {
  PARLO_SKIP_UNLESS_96_DPI();
  Ini("[Window]\r\nLeft=2147483647\r\nTop=-2147483648\r\nWidth=2147483647\r\nHeight=-5\r\n"
      "[BardKey]\r\nKey=$FFFFFFFF\r\n[Font]\r\nCharset=-1\r\nSize=2147483647\r\nName=" +
      std::string(1200, 'N') + "\r\n");
  Start();
  // Key -1 keeps its low 16 bits; the system refuses such a key, which is told like any refusal.
  EXPECT_EQ(main_->BardKey, 0xFFFF);
  EXPECT_THAT(Log({"register"}), ElementsAre("register 14 mod=16384 key=0xFFFF"));
  const LOGFONTA& font = main_->Grid().GridFont();
  EXPECT_EQ(font.lfCharSet, 255);
  EXPECT_EQ(Bytes(font.lfFaceName), std::string(31, 'N'));
  // Still a working window.
  main_->Show(SW_SHOWNOACTIVATE);
  UpdateWindow(main_->Handle());
  EXPECT_TRUE(IsWindow(main_->Handle()));
  Close();
  // What the system made of the numbers, measured once on the 1280 x 1024 screen of 96 dpi that
  // scripts/wine-env.sh sets up: the width at the screen's widest frame and the height at the
  // smallest a caption allows. The corner, at the ends of a 16-bit coordinate out of all sight,
  // is brought to the screen's top left, where a window wider than the screen starts.
  EXPECT_THAT(Log({"write Window/Left", "write Window/Top", "write Window/Width", "write Window/Height"}),
              ElementsAre("write Window/Left=0", "write Window/Top=0", "write Window/Width=1292",
                          "write Window/Height=27"));
  EXPECT_THAT(Log({"write Font/Charset", "write Font/Name"}),
              ElementsAre("write Font/Charset=255", "write Font/Name=" + std::string(31, 'N')));
}

// ---- Exit ----

TEST_F(MainSettingsTest, TheFirstExitWritesEveryKeyInOrderWithTheDefaults) {
  PARLO_SKIP_UNLESS_96_DPI();
  Start();
  Close();
  EXPECT_THAT(Log({"write "}), ElementsAreArray(FirstExitWrites()));
  // And the keys read back as written, LastOpen without its quotes.
  MemoryProfileStore& file = store_.Memory();
  EXPECT_EQ(file.Read(kIni, "UO", "LastOpen", "?"), "say.txt");
  EXPECT_EQ(file.Read(kIni, "Font", "Name", "?"), kFace);
}

TEST_F(MainSettingsTest, TheImportStartsInTheCharactersProfileElseWhereTheLastImportWasElseInParlosFolder) {
  std::vector<Bytes> startedIn;
  openFile_ = [&](HWND, const OpenFileRequest& request) -> std::optional<Bytes> {
    startedIn.push_back(request.folder);
    return Bytes("E:\\UO\\Razor\\Macros\\heal.macro");
  };
  // Even a file that cannot be read was where the player looked.
  boxes_.Then(kIdOk);
  Start();
  main_->ImportLinesClick();
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].text, "Parlo cannot read lines from heal.macro.");
  Close();
  EXPECT_THAT(Log({"write Import/"}), ElementsAre("write Import/Folder=\"E:\\UO\\Razor\\Macros\""));
  boxes_.Then(kIdOk);
  Start();
  main_->ImportLinesClick();
  // Parlo sends to a modern client: its character's profile folder comes first.
  files_.Put("C:\\UO\\ClassicUO\\Data\\Profiles\\acc\\Atlantic\\Bob\\profile.json", "{}");
  game_.windows = {{5, "SDL_app", "Bob - ClassicUO 1.1.0.0", true, 7}};
  boxes_.Then(kIdOk);
  main_->ImportLinesClick();
  EXPECT_THAT(startedIn, ElementsAre("C:\\parlo-settings-test", "E:\\UO\\Razor\\Macros",
                                     "C:\\UO\\ClassicUO\\Data\\Profiles\\acc\\Atlantic\\Bob"));
}

TEST_F(MainSettingsTest, ExitWritesTheWindowAsItIsNow) {
  PARLO_SKIP_UNLESS_96_DPI();
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Start();
  MoveWindow(main_->Handle(), 30, 40, 500, 350, TRUE);
  main_->SetChecked(IDC_CHECKBOX_YELL, true);
  main_->SetChecked(IDC_CHECKBOX_RANDOM, true);
  main_->StayOnTop = true;
  main_->BardCtrl = true;
  main_->BardShift = true;
  main_->BardKey = 0x7B;
  main_->GameCaption = "Shard";
  main_->FollowCharacter = false;
  *main_->CaptionList = {"e0", "e1", "e2", "e3", "e4"};
  LOGFONTA font{};
  font.lfHeight = -19;
  font.lfWeight = FW_BOLD;
  font.lfItalic = TRUE;
  font.lfCharSet = ANSI_CHARSET;
  lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  main_->Grid().SetGridFont(font, 0);
  Close();
  EXPECT_THAT(Log({"write "}),
              ElementsAre("write Window/Left=30", "write Window/Top=40", "write Window/Width=500",
                          "write Window/Height=350", "write Parlo/Paste=0", "write Parlo/Yell=1",
                          "write Parlo/Random=1", "write Window/StayOnTop=1", "write BardKey/ALT=0",
                          "write BardKey/CTRL=1", "write BardKey/SHIFT=1", "write BardKey/Key=123",
                          "write UO/LastOpen=\"sayA.txt\"", "write UO/Caption=\"Shard\"", "write UO/Caption0=\"e0\"",
                          "write UO/Caption1=\"e1\"", "write UO/Caption2=\"e2\"", "write UO/Caption3=\"e3\"",
                          "write UO/Caption4=\"e4\"", "write Font/Charset=0", "write Font/Name=Tahoma",
                          "write Font/Size=14", "write Font/Bold=1", "write Font/Italic=1",
                          "write QuickSay/ALT=0", "write QuickSay/CTRL=0", "write QuickSay/SHIFT=0",
                          "write QuickSay/Key=0", "write QuickSay/Width=380", "write QuickSay/Height=300",
                          "write Import/Folder=\"\"", "write Parlo/FollowCharacter=0"));
}

TEST_F(MainSettingsTest, TheFileKeepsBoundsAndFontAsAt96DpiAtEveryScale) {
  PARLO_SKIP_UNLESS_A_CHECKED_DPI();
  using testing::Expected;
  Ini("[Window]\r\nLeft=100\r\nTop=50\r\nWidth=373\r\nHeight=472\r\n[Font]\r\nCharset=0\r\nName=Tahoma\r\n"
      "Size=12\r\n");
  Start();
  RECT outer{}, client{};
  GetWindowRect(main_->Handle(), &outer);
  GetClientRect(main_->Handle(), &client);
  EXPECT_EQ(outer.left, Expected({100, 150, 200}));
  EXPECT_EQ(outer.top, Expected({50, 75, 100}));
  EXPECT_EQ(client.right, Expected({365, 548, 730}));
  EXPECT_EQ(client.bottom, Expected({445, 668, 890}));
  // 12 points are 16 pixels at 96 dpi, and shown at the screen's scale.
  EXPECT_EQ(main_->Grid().GridFont().lfHeight, -16);
  LOGFONTA shown{};
  GetObjectA(main_->Grid().GridFontHandle(), sizeof shown, &shown);
  EXPECT_EQ(shown.lfHeight, Expected({-16, -24, -32}));
  Close();
  EXPECT_THAT(Log({"write Window/L", "write Window/T", "write Window/W", "write Window/H", "write Font/S"}),
              ElementsAre("write Window/Left=100", "write Window/Top=50", "write Window/Width=373",
                          "write Window/Height=472", "write Font/Size=12"));
}

TEST_F(MainSettingsTest, AMinimisedOrMaximisedWindowWritesItsRestoredBounds) {
  for (int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
    SCOPED_TRACE(state == SW_MINIMIZE ? "minimised" : "maximised");
    log_.clear();
    Start();
    main_->Show(SW_SHOWNOACTIVATE);
    MoveWindow(main_->Handle(), 120, 80, 300, 400, TRUE);
    ShowWindow(main_->Handle(), state);
    Pump();
    ASSERT_TRUE(state == SW_MINIMIZE ? IsIconic(main_->Handle()) : IsZoomed(main_->Handle()));
    Close();
    EXPECT_THAT(Log({"write Window/Left", "write Window/Top", "write Window/Width", "write Window/Height"}),
                ElementsAre("write Window/Left=120", "write Window/Top=80", "write Window/Width=300",
                            "write Window/Height=400"));
  }
}

TEST_F(MainSettingsTest, ExitUnregistersTheHotKeyBeforeWritingTheSettings) {
  Ini("[BardKey]\r\nKey=116\r\n");
  Start();
  log_.clear();
  Close();
  ASSERT_GE(log_.size(), 2u);
  EXPECT_EQ(log_[0], "unregister 14");
  EXPECT_EQ(log_[1], "write Window/Left=671");
  EXPECT_FALSE(hotKeys_.IsRegistered(14));
}

TEST_F(MainSettingsTest, AFailingWriteShowsTheExceptionBoxNamingTheFileAfterTheBookWasSaved) {
  Ini("[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Start();
  ASSERT_EQ(main_->CurrentFile, "sayA.txt");
  main_->Grid().Model().SetCell(kColText, 0, "changed");
  store_.Memory().SetReadOnly(kIni, true);
  log_.clear();

  std::wstring shown;
  std::wstring caption;
  bool bookSavedFirst = false;
  {
    ModalScript script("#32770", "Parlo!", {[&](HWND box) {
                                              shown = testing::MessageBoxTextW(box);
                                              wchar_t text[64] = {};
                                              GetWindowTextW(box, text, 64);
                                              caption = text;
                                              const Bytes* book = files_.Content(kDir + "sayA.txt");
                                              bookSavedFirst = book && book->find("changed") != Bytes::npos;
                                              SendMessageA(box, WM_COMMAND, IDOK, 0);
                                            }});
    Close();
    EXPECT_EQ(script.StepsRun(), 1u);
  }
  EXPECT_EQ(shown, L"C:\\parlo-settings-test\\parlo.ini \x306B\x66F8\x304D\x8FBC\x3081\x307E\x305B\x3093.");
  EXPECT_EQ(caption, L"Parlo!");
  EXPECT_TRUE(bookSavedFirst);
  // The first write failed, and nothing after it was tried.
  EXPECT_THAT(Log({"write "}), ElementsAre("write Window/Left=671"));
  EXPECT_EQ(store_.Memory().File(kIni), std::optional<Bytes>("[UO]\r\nLastOpen=\"sayA.txt\"\r\n"));
}

TEST_F(MainSettingsTest, ABookThatFailsToSaveAtExitIsRetriedWithTheWindowHiddenThenTheExitGoesOn) {
  Ini("[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Start();
  main_->Show(SW_SHOWNOACTIVATE);
  main_->Grid().Model().SetCell(kColText, 0, "changed");
  const HWND window = main_->Handle();
  std::vector<bool> shownWhileVisible;
  auto answer = [&](int id) {
    return [&, id](const testing::BoxCall&) {
      shownWhileVisible.push_back(IsWindowVisible(window) != FALSE);
      return id;
    };
  };
  files_.FailWrites(2);
  boxes_.Then(answer(kIdYes));
  boxes_.Then(answer(kIdYes));
  log_.clear();
  Close();

  ASSERT_EQ(boxes_.Calls().size(), 2u);
  for (const testing::BoxCall& call : boxes_.Calls()) {
    EXPECT_EQ(call.text, "File Save Error. Retry?");
    EXPECT_EQ(call.caption, "ERROR");
    EXPECT_EQ(call.flags, 0x24u);
    EXPECT_EQ(call.owner, nullptr);
  }
  EXPECT_THAT(shownWhileVisible, ElementsAre(false, false));
  EXPECT_EQ(files_.WriteCalls(), 3);
  EXPECT_EQ(*files_.Content(kDir + "sayA.txt"), "[PARLO!]\r\na\tchanged\r\n");
  // The settings follow the book, and the window is gone.
  EXPECT_THAT(Log({"write Window/Left", "write UO/LastOpen"}),
              ElementsAre("write Window/Left=671", "write UO/LastOpen=\"sayA.txt\""));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainSettingsTest, ABookSaveGivenUpAtExitKeepsTheFileAndStillWritesTheSettings) {
  Ini("[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Start();
  main_->Grid().Model().SetCell(kColText, 0, "changed");
  const HWND window = main_->Handle();
  files_.FailWrites(1);
  boxes_.Then(kIdNo);
  log_.clear();
  Close();
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].text, "File Save Error. Retry?");
  EXPECT_EQ(*files_.Content(kDir + "sayA.txt"), "[PARLO!]\r\na\tfrom A\r\n");
  EXPECT_THAT(Log({"write UO/LastOpen"}), ElementsAre("write UO/LastOpen=\"sayA.txt\""));
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainSettingsTest, TheEndOfTheSessionSavesTheBookAndTheSettingsOnce) {
  Ini("[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  Book("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Start();
  main_->Grid().Model().SetCell(kColText, 0, "changed");
  log_.clear();
  // A session that goes on after all saves nothing.
  EXPECT_EQ(SendMessageA(main_->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageA(main_->Handle(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(files_.WriteCalls(), 0);
  EXPECT_THAT(Log({"write "}), IsEmpty());

  SendMessageA(main_->Handle(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(files_.WriteCalls(), 1);
  EXPECT_EQ(*files_.Content(kDir + "sayA.txt"), "[PARLO!]\r\na\tchanged\r\n");
  EXPECT_THAT(Log({"write UO/LastOpen"}), ElementsAre("write UO/LastOpen=\"sayA.txt\""));
  // A close that still comes writes nothing a second time.
  Close();
  EXPECT_EQ(files_.WriteCalls(), 1);
  EXPECT_THAT(Log({"write UO/LastOpen"}), ElementsAre("write UO/LastOpen=\"sayA.txt\""));
}

TEST_F(MainSettingsTest, TheExceptionBoxGivesTheActivationBackToTheWindowThatHadIt) {
  Start();
  ShowWindow(main_->Handle(), SW_SHOW);
  SetActiveWindow(main_->Handle());
  SetFocus(main_->Grid().Handle());
  ASSERT_EQ(GetActiveWindow(), main_->Handle());
  HWND shownBox = nullptr;
  {
    ModalScript script("#32770", "Parlo!", {[&](HWND box) {
                         shownBox = box;
                         SendMessageA(box, WM_COMMAND, IDOK, 0);
                       }});
    ShowExceptionBox(std::runtime_error("Something went wrong"));
    EXPECT_EQ(script.StepsRun(), 1u);
  }
  EXPECT_NE(shownBox, nullptr);
  EXPECT_EQ(GetActiveWindow(), main_->Handle());
  EXPECT_EQ(GetFocus(), main_->Grid().Handle());
}

TEST_F(MainSettingsTest, TheBookListsClosedFieldIs20PixelsHighWhateverTheFont) {
  PARLO_SKIP_UNLESS_96_DPI();
  Start();
  HWND combo = main_->Control(IDC_COMBOBOX_FILES);
  auto height = [combo] {
    RECT bounds;
    GetWindowRect(combo, &bounds);
    return bounds.bottom - bounds.top;
  };
  // Its sunken edge included; the font alone would make it 22.
  EXPECT_EQ(height(), 20);
  // Systems draw the list's font with faces of other sizes: smaller and larger ones, each sized
  // again as a change of screen sizes it.
  const HGDIOBJ designed = reinterpret_cast<HGDIOBJ>(SendMessageA(combo, WM_GETFONT, 0, 0));
  for (int pixels : {-8, -11, -16, -28}) {
    HFONT font =
        CreateFontA(pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    RECT window;
    GetWindowRect(main_->Handle(), &window);
    SendMessageA(main_->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&window));
    EXPECT_EQ(height(), 20) << "a font " << -pixels << " pixels high";
    SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(designed), FALSE);
    DeleteObject(font);
  }
}

// ---- The hot-key message ----

class MainHotKeyTest : public MainSettingsTest {
 protected:
  void StartWithBook(MessageBoxFunction boxes = {}) {
    Ini("[BardKey]\r\nKey=116\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
    Book("sayA.txt", "[PARLO!]\r\nfirst\tline one\r\nsecond\tline two\r\nthird\tline three\r\n");
    Start(std::move(boxes));
    ASSERT_EQ(main_->CurrentFile, "sayA.txt");
  }
  void HotKey(WPARAM id) { SendMessageA(main_->Handle(), WM_HOTKEY, id, MAKELPARAM(0, 0x74)); }
};

TEST_F(MainHotKeyTest, Identifier14RecitesTheNextLineAndOtherIdentifiersDoNothing) {
  StartWithBook();
  HotKey(14);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one"));
  HotKey(15);
  HotKey(0);
  HotKey(0x14E);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one"));
  EXPECT_EQ(main_->Grid().Model().Row(), 1);
  HotKey(14);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one", "line two"));
}

// The Bard button with Randomize, Yell and Paste Only, on a generator of its own from the start of
// the sequence, so that no other test's presses move it.
TEST_F(MainHotKeyTest, TheBardButtonWalksAtRandomYellsAndLeavesAPastedLineUnsent) {
  BardRandom fresh;
  bardRandom_ = &fresh;
  Ini("[UO]\r\nLastOpen=\"sayR.txt\"\r\n[Parlo]\r\nRandom=1\r\nYell=1\r\n");
  Book("sayR.txt", "[PARLO!]\r\nl0\tline 0\r\nl1\tline 1\r\nl2\tline 2\r\nl3\tline 3\r\nl4\tline 4\r\n");
  Start();
  ASSERT_EQ(main_->CurrentFile, "sayR.txt");
  auto bard = [&] { SendMessageA(main_->Control(IDC_BUTTON_BARD), BM_CLICK, 0, 0); };
  // The draws 346, 13854878, 1621890440 and 816282396 leave 1, 3, 0 and 1 over the five rows: from
  // row 0 the walk goes to 1, then 3, then 0, then 1 (in order it would have gone 0, 1, 2, 3).
  for (int i = 0; i < 4; ++i) bard();
  EXPECT_THAT(game_.Lines(), ElementsAre("! line 0", "! line 1", "! line 3", "! line 0"));
  EXPECT_EQ(main_->Grid().Model().Row(), 1);
  EXPECT_EQ(game_.Fronts(), 4);  // each Enter brings the game forward first

  // Paste Only: typed, yelled, brought to the front, no Enter.
  main_->SetChecked(IDC_CHECKBOX_PASTE, true);
  bard();
  EXPECT_EQ(game_.Pending(), "! line 1");
  EXPECT_EQ(game_.Lines().size(), 4u);
  EXPECT_EQ(game_.Fronts(), 5);
}

TEST_F(MainHotKeyTest, APressWhileAMessageBoxOfOursShowsSendsTheCurrentLine) {
  // Real boxes: what matters is what the system does to the main window while one shows.
  std::vector<Bytes> shownBoxes;
  StartWithBook([&](HWND owner, const Bytes& text, const Bytes& caption, unsigned flags) {
    shownBoxes.push_back(text);
    return ShowMessageBox(owner, text, caption, flags);
  });
  hotKeys_.Refuse(true);

  bool enabledDuringBox = true;
  {
    ModalScript script("#32770", "Error", {[&](HWND box) {
                                             enabledDuringBox = IsWindowEnabled(main_->Handle()) != FALSE;
                                             HotKey(14);
                                             SendMessageA(box, WM_COMMAND, IDOK, 0);
                                           }});
    main_->RegisterBardHotKey();
    EXPECT_EQ(script.StepsRun(), 1u);
  }
  EXPECT_THAT(shownBoxes, ElementsAre("Filed to register hot key"));
  EXPECT_FALSE(enabledDuringBox);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one"));
  EXPECT_EQ(main_->Grid().Model().Row(), 1);
  HotKey(14);
  EXPECT_THAT(game_.Lines(), ElementsAre("line one", "line two"));
}

TEST_F(MainHotKeyTest, APressWhileTheAboutBoxShowsSendsTheCurrentLine) {
  StartWithBook();
  main_->Grid().Model().SetRow(2);
  size_t steps = 0;
  {
    ModalScript script(PARLO_CLASS_ABOUT, nullptr, {[&](HWND box) {
                         ++steps;
                         EXPECT_FALSE(IsWindowEnabled(main_->Handle()));
                         HotKey(14);
                         SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                       }});
    main_->Button_AboutClick();
  }
  EXPECT_EQ(steps, 1u);
  EXPECT_THAT(game_.Lines(), ElementsAre("line three"));
  EXPECT_EQ(main_->Grid().Model().Row(), 0) << "the section's last line leads back to its first";
}


// ---- Hot keys at the end of labels ----

class MainLineKeyTest : public MainSettingsTest {
 protected:
  // Bard on Alt+Shift+F5; book A binds F7 and Ctrl+F8, and names the Bard's key and F7 again.
  void StartWithKeys(const char* bard = "ALT=1\r\nSHIFT=1\r\nKey=116") {
    Ini(std::string("[BardKey]\r\n") + bard + "\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
    Book("sayA.txt",
         "[PARLO!]\r\nHeal [F7]\theal me\r\nGuards [ctrl + F8]\tguards!\r\nBard's [Alt+Shift+F5]\tnever\r\n"
         "Heal again [F7]\tnever either\r\n'Note [F9]\tcomment\r\n");
    Book("sayB.txt", "[PARLO!]\r\nplain\tno keys here\r\n");
    Start();
    ASSERT_EQ(main_->CurrentFile, "sayA.txt");
  }
  void HotKey(WPARAM id) { SendMessageA(main_->Handle(), WM_HOTKEY, id, 0); }
  void Pick(const Bytes& entry) {
    HWND combo = main_->Control(IDC_COMBOBOX_FILES);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_GE(index, 0) << entry;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(main_->Handle(), WM_COMMAND, MAKEWPARAM(IDC_COMBOBOX_FILES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
  }
  // A label stored as the grid's editor stores it.
  void EditLabel(int row, const Bytes& label) {
    main_->Grid().Model().SetCell(kColLabel, row, label);
    main_->StringGrid1SetEditText(kColLabel, row, label);
  }
};

TEST_F(MainLineKeyTest, ABooksKeysAreRegisteredAtLoadSayTheirRowAndGoWithTheBook) {
  StartWithKeys();
  // The Bard first, then the book's keys without auto-repeat (0x4000); the first row of two with
  // F7 and the line with the Bard's own key bind nothing.
  EXPECT_THAT(Log({"register", "unregister"}),
              ElementsAre("register 14 mod=16389 key=0x74", "register 256 mod=16384 key=0x76",
                          "register 257 mod=16386 key=0x77"));
  EXPECT_THAT(boxes_.Calls(), IsEmpty());

  // A key says its row as the gem does, Yell and Paste as checked; the current row stays.
  main_->SetChecked(IDC_CHECKBOX_YELL, true);
  HotKey(257);
  HotKey(256);
  HotKey(258);
  EXPECT_THAT(game_.Lines(), ElementsAre("! guards!", "! heal me"));
  EXPECT_EQ(main_->Grid().Model().Row(), 0);
  main_->SetChecked(IDC_CHECKBOX_YELL, false);

  // Editing a label re-binds at once. F9 is new; F7 passes to the next row that names it and
  // keeps its registration.
  log_.clear();
  EditLabel(0, "Heal [F9]");
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("register 258 mod=16384 key=0x78"));
  HotKey(258);
  HotKey(256);
  EXPECT_THAT(game_.Lines(), ElementsAre("! guards!", "! heal me", "heal me", "never either"));
  log_.clear();
  EditLabel(1, "Guards");
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("unregister 257"));
  HotKey(257);
  log_.clear();
  EditLabel(1, "Guards [F7]");
  EXPECT_THAT(Log({"register", "unregister"}), IsEmpty());
  HotKey(256);
  EXPECT_THAT(game_.Lines(), ElementsAre("! guards!", "! heal me", "heal me", "never either", "guards!"));

  // Leaving the book releases its keys; the next one binds none.
  log_.clear();
  Pick("B");
  ASSERT_EQ(main_->CurrentFile, "sayB.txt");
  std::vector<std::string> released = Log({"register", "unregister"});
  std::sort(released.begin(), released.end());
  EXPECT_THAT(released, ElementsAre("unregister 256", "unregister 258"));
  HotKey(256);
  HotKey(258);
  EXPECT_EQ(game_.Lines().size(), 5u);

  // Back to A as it was saved, then exit: the keys come back at the load and go at the exit.
  log_.clear();
  Pick("A");
  EXPECT_THAT(Log({"register", "unregister"}),
              ElementsAre("register 256 mod=16384 key=0x78", "register 257 mod=16384 key=0x76"));
  log_.clear();
  Close();
  released = Log({"register", "unregister"});
  std::sort(released.begin(), released.end());
  EXPECT_THAT(released, ElementsAre("unregister 14", "unregister 256", "unregister 257"));
}

TEST_F(MainLineKeyTest, UndoAndRedoOfADeletedRowReleaseAndBindItsKeyAgain) {
  StartWithKeys();
  main_->Grid().Model().SetRow(1);
  log_.clear();
  main_->Button_DeleteClick();
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("unregister 257"));
  log_.clear();
  ASSERT_TRUE(main_->Grid().Undo());
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("register 257 mod=16386 key=0x77"));
  HotKey(257);
  EXPECT_THAT(game_.Lines(), ElementsAre("guards!"));
  log_.clear();
  ASSERT_TRUE(main_->Grid().Redo());
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("unregister 257"));
}

TEST_F(MainLineKeyTest, ABookReadAgainAfterAnOutsideEditBindsItsNewKeys) {
  StartWithKeys();
  Book("sayA.txt", "[PARLO!]\r\nHeal [F9]\theal me\r\n");
  log_.clear();
  SendMessageA(main_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  Pump();
  ASSERT_EQ(main_->Grid().Model().Cell(kColLabel, 0), "Heal [F9]");
  std::vector<std::string> changes = Log({"register", "unregister"});
  std::sort(changes.begin(), changes.end());
  EXPECT_THAT(changes, ElementsAre("register 256 mod=16384 key=0x78", "unregister 256", "unregister 257"));
  HotKey(256);
  EXPECT_THAT(game_.Lines(), ElementsAre("heal me"));
}

TEST_F(MainLineKeyTest, KeysAnotherProgramHoldsAreToldOnceAtEachLoadInOneWarning) {
  boxes_.Then(kIdOk);  // the Bard's box
  boxes_.Then(kIdOk);  // the book's
  hotKeys_.Refuse(true);
  StartWithKeys();
  ASSERT_EQ(boxes_.Calls().size(), 2u);
  const testing::BoxCall& box = boxes_.Calls()[1];
  EXPECT_EQ(box.text, "These hot keys are used by another program: F7, ctrl + F8");
  EXPECT_EQ(box.caption, "Parlo");
  EXPECT_EQ(box.flags, 0x30u);  // OK, warning icon
  EXPECT_EQ(box.owner, nullptr);
  // An edit retries quietly; a reload tells again.
  EditLabel(1, "Guards [Ctrl+F10]");
  EXPECT_EQ(boxes_.Calls().size(), 2u);
  boxes_.Then(kIdOk);
  Pick("A");
  ASSERT_EQ(boxes_.Calls().size(), 3u);
  EXPECT_EQ(boxes_.Calls()[2].text, "These hot keys are used by another program: F7, Ctrl+F10");
  HotKey(256);
  EXPECT_THAT(game_.Lines(), IsEmpty());
}

TEST_F(MainLineKeyTest, ANewBardKeyTakesItsKeyFromALineAndTheOldOneFreesItsLine) {
  StartWithKeys("CTRL=1\r\nKey=119");  // the Bard on Ctrl+F8, so row 1 binds nothing
  EXPECT_THAT(Log({"register", "unregister"}),
              ElementsAre("register 14 mod=16386 key=0x77", "register 256 mod=16384 key=0x76",
                          "register 257 mod=16389 key=0x74"));
  main_->Show(SW_SHOWNOACTIVATE);
  log_.clear();
  // The configuration dialog: the Bard moves to Alt+Shift+F5, which row 2 held.
  auto item = [](HWND dialog, int id) {
    HWND panel = GetDlgItem(dialog, IDC_CFG_PANEL1);
    HWND inPanel = panel ? GetDlgItem(panel, id) : nullptr;
    return inPanel ? inPanel : GetDlgItem(dialog, id);
  };
  {
    ModalScript script(PARLO_CLASS_CONFIG, nullptr, {[&](HWND dialog) {
                         for (int box : {IDC_CFG_CHECKBOX_CTRL, IDC_CFG_CHECKBOX_ALT, IDC_CFG_CHECKBOX_SHIFT})
                           SendMessageA(item(dialog, box), BM_CLICK, 0, 0);
                         SendMessageA(item(dialog, IDC_CFG_HOTKEY_BARD), HKM_SETHOTKEY, VK_F5, 0);
                         SendMessageA(item(dialog, IDOK), BM_CLICK, 0, 0);
                       }});
    main_->Button_ConfigClick();
    ASSERT_EQ(script.StepsRun(), 1u);
  }
  // The line lets the key go before the Bard asks for it; Ctrl+F8 passes to its line.
  EXPECT_THAT(Log({"register", "unregister"}),
              ElementsAre("unregister 14", "unregister 257", "register 257 mod=16386 key=0x77",
                          "register 14 mod=16389 key=0x74"));
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
  HotKey(257);
  EXPECT_THAT(game_.Lines(), ElementsAre("guards!"));
}

TEST_F(MainLineKeyTest, RestingOnAKeyThatDoesNotWorkShowsWhyAndOnAnythingElseNothing) {
  StartWithKeys();
  EditLabel(1, "Walk [Up]");
  PhraseGridControl& grid = main_->Grid();
  grid.SetColWidth(kColLabel, 200);
  const HWND gridWindow = grid.Handle();
  // Where a label's key part begins: after the text before it in the grid's font, 2 pixels in.
  auto keyStart = [&](int row, const char* before) {
    HDC dc = GetDC(gridWindow);
    HGDIOBJ old = SelectObject(dc, grid.GridFontHandle());
    SIZE size{};
    GetTextExtentPoint32A(dc, before, static_cast<int>(strlen(before)), &size);
    SelectObject(dc, old);
    ReleaseDC(gridWindow, dc);
    return static_cast<int>(grid.CellRect(kColLabel, row).left) + 2 + size.cx;
  };
  auto tipAt = [&](int x, int row) {
    const RECT cell = grid.CellRect(kColLabel, row);
    SendMessageA(gridWindow, WM_MOUSEMOVE, 0, MAKELPARAM(x, (cell.top + cell.bottom) / 2));
    char text[256] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = gridWindow;
    tool.uId = PhraseGridControl::kKeyTipToolId;
    tool.lpszText = text;
    SendMessageA(grid.KeyTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return std::string(text);
  };
  EXPECT_EQ(tipAt(keyStart(1, "Walk ") + 4, 1),
            "Up is needed for typing: add Ctrl or Alt, or use a function key");
  EXPECT_EQ(tipAt(keyStart(1, "Walk ") - 4, 1), "") << "the label's own text";
  EXPECT_EQ(tipAt(keyStart(2, "Bard's ") + 4, 2), "Alt+Shift+F5 is the Bard hot key");
  EXPECT_EQ(tipAt(keyStart(3, "Heal again ") + 4, 3), "F7 belongs to a line higher up");
  EXPECT_EQ(tipAt(keyStart(0, "Heal ") + 4, 0), "") << "a key that works";
  EXPECT_EQ(tipAt(keyStart(4, "'Note ") + 4, 4), "") << "a comment";
}

TEST_F(MainLineKeyTest, TheGridDrawsAKeyMutedAndAKeyThatDoesNotWorkStruckThrough) {
  StartWithKeys();
  main_->Show(SW_SHOWNOACTIVATE);
  PhraseGridControl& grid = main_->Grid();
  grid.SetColWidth(kColLabel, 200);
  grid.Model().SetRow(4);  // the current cell's own colour stays off the rows looked at
  const COLORREF text = PhraseGridControl::kTextColor, paper = PhraseGridControl::kColor;
  const COLORREF muted = RGB((GetRValue(text) + GetRValue(paper)) / 2, (GetGValue(text) + GetGValue(paper)) / 2,
                             (GetBValue(text) + GetBValue(paper)) / 2);
  RECT last = grid.CellRect(kColLabel, 4);
  testing_support::Canvas canvas(last.right, last.bottom);
  grid.PaintTo(canvas.Dc(), canvas.Area());

  struct Look {
    int textPixels = 0, mutedPixels = 0;
    int firstMutedX = 1 << 30;
    int longestMutedRun = 0;  // along one pixel row
    int lastTextX = -1;
  };
  auto look = [&](int row) {
    Look seen;
    const RECT cell = grid.CellRect(kColLabel, row);
    for (int y = cell.top; y < cell.bottom; ++y) {
      int run = 0;
      for (int x = cell.left; x < cell.right; ++x) {
        const COLORREF c = canvas.At(x, y);
        if (c == text) {
          ++seen.textPixels;
          seen.lastTextX = std::max(seen.lastTextX, x);
        }
        run = c == muted ? run + 1 : 0;
        if (c == muted) {
          ++seen.mutedPixels;
          seen.firstMutedX = std::min(seen.firstMutedX, x);
        }
        seen.longestMutedRun = std::max(seen.longestMutedRun, run);
      }
    }
    return seen;
  };
  const Look working = look(0), shadowed = look(3), bardsKey = look(2);
  // "Heal " in the text's colour, then "[F7]" muted after it, not struck through.
  EXPECT_GT(working.textPixels, 0);
  EXPECT_GT(working.mutedPixels, 0);
  EXPECT_LT(working.lastTextX, working.firstMutedX);
  // F7 again further down, and the Bard's own key: muted with a line through them.
  for (const Look& struck : {shadowed, bardsKey}) {
    EXPECT_GT(struck.textPixels, 0);
    EXPECT_LT(struck.lastTextX, struck.firstMutedX);
    EXPECT_GT(struck.longestMutedRun, 2 * working.longestMutedRun);
  }
  // A comment keeps the plain look, brackets and all.
  const Look comment = look(4);
  EXPECT_EQ(comment.mutedPixels, 0);
}

// ---- Quick Say ----

TEST_F(MainLineKeyTest, QuickSaysKeyWaitsForTheLinesAndIsToldWhenAnotherProgramHasIt) {
  // Quick Say on Ctrl+F8, which row 1 of book A names.
  Ini("[BardKey]\r\nALT=1\r\nSHIFT=1\r\nKey=116\r\n[QuickSay]\r\nCTRL=1\r\nKey=119\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  Book("sayA.txt", "[PARLO!]\r\nHeal [F7]\theal me\r\nGuards [ctrl + F8]\tguards!\r\n");
  Start();
  EXPECT_THAT(Log({"register", "unregister"}),
              ElementsAre("register 14 mod=16389 key=0x74", "register 256 mod=16384 key=0x76",
                          "register 257 mod=16386 key=0x77"));
  // The line lets the key go, and only then does Quick Say take it; given back, the other way.
  log_.clear();
  EditLabel(1, "Guards");
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("unregister 257", "register 15 mod=16386 key=0x77"));
  log_.clear();
  EditLabel(1, "Guards [Ctrl+F8]");
  EXPECT_THAT(Log({"register", "unregister"}), ElementsAre("unregister 15", "register 257 mod=16386 key=0x77"));
  HotKey(15);
  EXPECT_FALSE(main_->QuickSay().IsOpen()) << "a key it does not hold opens nothing";
  EXPECT_THAT(boxes_.Calls(), IsEmpty());
  Close();

  // Held by another program: told with the line keys' box once the book is open.
  log_.clear();
  Ini("[QuickSay]\r\nCTRL=1\r\nSHIFT=1\r\nKey=81\r\n[UO]\r\nLastOpen=\"sayB.txt\"\r\n");
  Book("sayB.txt", "[PARLO!]\r\nplain\tno keys here\r\n");
  hotKeys_.Refuse(true);
  boxes_.Then(kIdOk);
  Start();
  ASSERT_EQ(boxes_.Calls().size(), 1u);
  EXPECT_EQ(boxes_.Calls()[0].text, "These hot keys are used by another program: Ctrl+Shift+Q (Quick Say)");
  EXPECT_EQ(boxes_.Calls()[0].caption, "Parlo");
}

// A box of ours disables the other windows: the key brings the box that waits for an answer in
// front of whatever the player went to, and opens no box of its own beneath it.
TEST_F(MainLineKeyTest, UnderOneOfParlosBoxesTheQuickSayKeyBringsThatBoxForwardAndOpensNothing) {
  struct Case {
    int button;
    const char* className;
    const char* caption;
    int answer;
  } cases[] = {
      {IDC_BUTTON1, "#32770", "Parlo", IDNO},  // the delete question
      {IDC_BUTTON_CONFIG, PARLO_CLASS_CONFIG, nullptr, IDCANCEL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className);
    Ini("[QuickSay]\r\nCTRL=1\r\nKey=81\r\n[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
    Book("sayA.txt", "[PARLO!]\r\nHeal\theal me\r\n");
    Start(ShowMessageBox);
    main_->Show(SW_SHOWNORMAL);
    HWND elsewhere = CreateWindowExA(0, "Static", "elsewhere", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND shown = nullptr, inFront = nullptr;
    bool elsewhereWasInFront = false, quickSayOpened = true;
    {
      ModalScript script(c.className, c.caption, {[&](HWND box) {
                           shown = box;
                           SetForegroundWindow(elsewhere);
                           elsewhereWasInFront = GetForegroundWindow() == elsewhere;
                           HotKey(15);
                           inFront = GetForegroundWindow();
                           quickSayOpened = main_->QuickSay().IsOpen();
                           SendMessageA(box, WM_COMMAND, c.answer, 0);
                         }});
      SendMessageA(main_->Control(c.button), BM_CLICK, 0, 0);
      ASSERT_EQ(script.StepsRun(), 1u);
    }
    DestroyWindow(elsewhere);
    EXPECT_TRUE(elsewhereWasInFront);
    EXPECT_EQ(inFront, shown);
    EXPECT_FALSE(quickSayOpened);
    // With the box answered the key opens Quick Say again.
    HotKey(15);
    EXPECT_TRUE(main_->QuickSay().IsOpen());
    Close();
  }
  EXPECT_TRUE(files_.Content(kDir + "sayA.txt")) << "the delete question was answered No";
}

TEST_F(MainLineKeyTest, TheBoxSaysTheChosenLineAsItsGemWouldAndLeavesTheGridsRowAlone) {
  PARLO_SKIP_UNLESS_96_DPI();
  StartWithKeys();
  main_->Show(SW_SHOWNOACTIVATE);
  main_->Grid().Model().SetRow(1);
  main_->SetChecked(IDC_CHECKBOX_YELL, true);
  main_->OpenQuickSay();
  QuickSayBox& box = main_->QuickSay();
  ASSERT_TRUE(box.IsOpen());
  EXPECT_THAT(box.Rows(), ElementsAre(0, 1, 2, 3)) << "every say line, no comment";
  RECT shown{};
  GetWindowRect(box.Handle(), &shown);
  EXPECT_EQ(shown.right - shown.left, 380);
  EXPECT_EQ(shown.bottom - shown.top, 300);
  SetWindowTextA(box.TextEdit(), "HEAL");
  EXPECT_THAT(box.Rows(), ElementsAre(0, 3));
  EXPECT_EQ(box.ChosenRow(), 0);
  SendMessageA(box.TextEdit(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(box.ChosenRow(), 3);
  SendMessageA(box.TextEdit(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_FALSE(box.IsOpen());
  EXPECT_THAT(game_.Lines(), ElementsAre("! never either"));
  EXPECT_EQ(main_->Grid().Model().Row(), 1);

  // Nothing chosen, nothing said: the box stays until Esc.
  main_->OpenQuickSay();
  EXPECT_EQ(GetWindowTextLengthA(box.TextEdit()), 0) << "each opening starts afresh";
  SetWindowTextA(box.TextEdit(), "heal wyvern");
  EXPECT_EQ(box.ChosenRow(), -1);
  SendMessageA(box.TextEdit(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(box.IsOpen());
  // Made larger, it keeps that size; the file gets it at exit.
  SetWindowPos(box.Handle(), nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
  SendMessageA(box.TextEdit(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(box.IsOpen());
  EXPECT_THAT(game_.Lines(), ElementsAre("! never either"));
  main_->OpenQuickSay();
  GetWindowRect(box.Handle(), &shown);
  EXPECT_EQ(shown.right - shown.left, 420);
  main_->OpenQuickSay();
  EXPECT_FALSE(box.IsOpen()) << "the key again closes it";
  Close();
  EXPECT_THAT(Log({"write QuickSay/Width", "write QuickSay/Height"}),
              ElementsAre("write QuickSay/Width=420", "write QuickSay/Height=260"));
}

}  // namespace
}  // namespace parlo
