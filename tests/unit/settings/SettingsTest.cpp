#include "core/settings/Settings.h"

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <vector>

#include "core/screen/DpiScale.h"
#include "core/prompts/Errors.h"
#include "core/screen/ScreenPlacement.h"

namespace parlo {
namespace {

const Bytes kPath = "C:\\Parlo\\parlo.ini";

// Keeps every call in one log, beside the events of the read hooks, and can refuse one write.
class RecordingStore : public ProfileStore {
 public:
  Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) override {
    log.push_back("R " + section + "/" + key);
    return files.Read(path, section, key, def);
  }
  bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) override {
    log.push_back("W " + section + "/" + key + "=" + value);
    if (writes++ == failingWrite) return false;
    return files.Write(path, section, key, value);
  }
  std::vector<Bytes> Writes() const {
    std::vector<Bytes> out;
    for (const Bytes& entry : log)
      if (entry[0] == 'W') out.push_back(entry.substr(2));
    return out;
  }

  MemoryProfileStore files;
  std::vector<Bytes> log;
  int failingWrite = -1;
  int writes = 0;
};

Settings ReadFrom(const Bytes& content, Settings settings = {}) {
  MemoryProfileStore store;
  store.SetFile(kPath, content);
  TIniFile ini(kPath, store);
  ReadSettings(ini, settings);
  return settings;
}

Settings Sample() {
  Settings s;
  s.bounds = {-5, 20, 640, 480};
  s.paste = true;
  s.yell = false;
  s.random = true;
  s.stayOnTop = true;
  s.bardAlt = true;
  s.bardCtrl = false;
  s.bardShift = true;
  s.bardKey = 0x74;
  s.gameCaption = "Ultima Online - Bob";
  s.captionList = {"Ultima Online - Bob", " lead", "trail ", "'single'", ""};
  s.font = {0, "Arial", 11, false, true};
  s.lastOpen = "say my book.txt";
  s.quickSayCtrl = true;
  s.quickSayShift = true;
  s.quickSayKey = 0x51;
  s.quickSayWidth = 420;
  s.quickSayHeight = 260;
  s.importFolder = "C:\\Games\\CUO\\Data\\Profiles\\acc ";
  s.followCharacter = false;
  return s;
}

TEST(SettingsRead, MissingFileGivesTheDefaultsOfEveryKey) {
  MemoryProfileStore store;
  TIniFile ini(kPath, store);
  Settings s;
  ReadSettings(ini, s);
  EXPECT_EQ(s.bounds, (WindowBounds{671, 112, 373, 472}));
  EXPECT_FALSE(s.paste || s.yell || s.random || s.stayOnTop || s.bardAlt || s.bardCtrl || s.bardShift);
  EXPECT_EQ(s.bardKey, 0);
  // The store trims the trailing blank of the default, as the platform does.
  EXPECT_EQ(s.gameCaption, "Ultima Online -");
  for (const Bytes& caption : s.captionList) EXPECT_EQ(caption, "Ultima Online -");
  EXPECT_EQ(s.font.charset, 128);
  EXPECT_EQ(s.font.name, kGridDesignFace);
  EXPECT_EQ(s.font.size, 9);
  EXPECT_TRUE(s.font.bold);  // Bold defaults to on
  EXPECT_FALSE(s.font.italic);
  EXPECT_EQ(s.lastOpen, "");
  EXPECT_FALSE(s.quickSayAlt || s.quickSayCtrl || s.quickSayShift);
  EXPECT_EQ(s.quickSayKey, 0);
  EXPECT_EQ(s.quickSayWidth, 380);
  EXPECT_EQ(s.quickSayHeight, 300);
  EXPECT_EQ(s.importFolder, "");
  EXPECT_TRUE(s.followCharacter);
  EXPECT_FALSE(store.File(kPath));  // reading creates nothing
}

TEST(SettingsRead, KeysAreReadInOrderWithTheWindowStepsBetween) {
  RecordingStore store;
  TIniFile ini(kPath, store);
  Settings s;
  SettingsReadSteps steps;
  steps.applyBounds = [&](const WindowBounds& b) {
    store.log.push_back("apply " + std::to_string(b.left));
    return b;
  };
  steps.bardKeyRead = [&](const Settings&) { store.log.push_back("register"); };
  ReadSettings(ini, s, steps);
  std::vector<Bytes> expected = {
      "R Window/Left",    "apply 671",     "R Window/Top",     "apply 671",       "R Window/Width",
      "apply 671",        "R Window/Height", "apply 671",      "R Parlo/Paste",   "R Parlo/Yell",
      "R Parlo/Random",   "R Window/StayOnTop", "R BardKey/ALT", "R BardKey/CTRL", "R BardKey/SHIFT",
      "R BardKey/Key",    "register",      "R UO/Caption",     "R UO/Caption0",   "R UO/Caption1",
      "R UO/Caption2",    "R UO/Caption3", "R UO/Caption4",    "R Font/Charset",  "R Font/Name",
      "R Font/Size",      "R Font/Bold",   "R Font/Italic",    "R UO/LastOpen",   "R QuickSay/ALT",
      "R QuickSay/CTRL",  "R QuickSay/SHIFT", "R QuickSay/Key", "R QuickSay/Width", "R QuickSay/Height",
      "R Import/Folder",  "R Parlo/FollowCharacter"};
  EXPECT_EQ(store.log, expected);
}

TEST(SettingsRead, HotKeyStepSeesTheBardGroupButNotTheCaptions) {
  MemoryProfileStore store;
  store.SetFile(kPath, "[BardKey]\r\nALT=1\r\nKey=116\r\n[UO]\r\nCaption=\"x\"\r\n");
  TIniFile ini(kPath, store);
  Settings s;
  SettingsReadSteps steps;
  Settings seen;
  steps.bardKeyRead = [&](const Settings& now) { seen = now; };
  ReadSettings(ini, s, steps);
  EXPECT_TRUE(seen.bardAlt);
  EXPECT_EQ(seen.bardKey, 116);
  EXPECT_EQ(seen.gameCaption, "");
  EXPECT_EQ(s.gameCaption, "x");
}

TEST(SettingsRead, EachBoundDefaultsToWhereTheWindowReallyIs) {
  MemoryProfileStore store;
  store.SetFile(kPath, "[Window]\r\nLeft=10\r\nHeight=300\r\n");
  TIniFile ini(kPath, store);
  std::vector<WindowBounds> applied;
  // A window that refuses to be narrower than 400 pixels.
  ReadWindowBounds(ini, WindowBounds{}, [&](const WindowBounds& b) {
    WindowBounds real = b;
    if (real.width < 400) real.width = 400;
    applied.push_back(real);
    return real;
  });
  ASSERT_EQ(applied.size(), 4u);
  EXPECT_EQ(applied[0], (WindowBounds{10, 112, 400, 472}));
  EXPECT_EQ(applied[3], (WindowBounds{10, 112, 400, 300}));
}

TEST(SettingsRead, BoundsTakeDecimalAndHexButKeepTheCurrentValueOtherwise) {
  EXPECT_EQ(ReadFrom("[Window]\r\nLeft=0x40\r\nTop=$40\r\nWidth=64px\r\nHeight=\r\n").bounds,
            (WindowBounds{64, 64, 373, 472}));
  EXPECT_EQ(ReadFrom("[window]\r\nleft=-2147483648\r\ntop=x7FFFFFFF\r\nwidth=2147483648\r\nheight=-0\r\n").bounds,
            (WindowBounds{INT32_MIN, INT32_MAX, 373, 0}));
  Settings moved;
  moved.bounds = {1, 2, 3, 4};
  EXPECT_EQ(ReadFrom("", moved).bounds, (WindowBounds{1, 2, 3, 4}));
}

TEST(SettingsRead, FlagsAreOnForAnyNonZeroNumber) {
  Settings s = ReadFrom(
      "[Parlo]\r\nPaste=2\r\nYell=-1\r\nRandom=0x0\r\n[Window]\r\nStayOnTop=$10\r\n"
      "[BardKey]\r\nALT=yes\r\nCTRL=1 \r\nSHIFT=\" 1\"\r\n");
  EXPECT_TRUE(s.paste);
  EXPECT_TRUE(s.yell);
  EXPECT_FALSE(s.random);
  EXPECT_TRUE(s.stayOnTop);
  EXPECT_FALSE(s.bardAlt);   // not a number: the default
  EXPECT_TRUE(s.bardCtrl);   // the reader trims the unquoted value
  EXPECT_TRUE(s.bardShift);  // leading spaces of the number are allowed
}

TEST(SettingsRead, KeyKeepsItsLow16BitsAndCharsetItsLow8) {
  EXPECT_EQ(ReadFrom("[BardKey]\r\nKey=0x12345\r\n").bardKey, 0x2345);
  EXPECT_EQ(ReadFrom("[BardKey]\r\nKey=-1\r\n").bardKey, 0xFFFF);
  EXPECT_EQ(ReadFrom("[BardKey]\r\nKey=65536\r\n").bardKey, 0);
  EXPECT_EQ(ReadFrom("[QuickSay]\r\nKey=0x12351\r\n").quickSayKey, 0x2351);
  EXPECT_EQ(ReadFrom("[Font]\r\nCharset=384\r\n").font.charset, 128);
  EXPECT_EQ(ReadFrom("[Font]\r\nCharset=-1\r\n").font.charset, 255);
  EXPECT_EQ(ReadFrom("[Font]\r\nCharset=0\r\n").font.charset, 0);
  Settings current;
  current.font.charset = 1;
  EXPECT_EQ(ReadFrom("[Font]\r\nCharset=bad\r\n", current).font.charset, 1);
}

TEST(SettingsRead, FontNameIsCutTo31BytesAndAnEmptyOneKeepsTheCurrentName) {
  const Bytes forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  EXPECT_EQ(ReadFrom("[Font]\r\nName=" + forty + "\r\n").font.name, forty.substr(0, 31));
  EXPECT_EQ(ReadFrom("[Font]\r\nName=" + forty.substr(0, 31) + "\r\n").font.name, forty.substr(0, 31));
  EXPECT_EQ(ReadFrom("[Font]\r\nName=\r\n").font.name, kGridDesignFace);
  EXPECT_EQ(ReadFrom("[Font]\r\nName=\"\"\r\n").font.name, kGridDesignFace);
  EXPECT_EQ(ReadFrom("[Font]\r\nName=Arial\r\n").font.name, "Arial");
}

TEST(SettingsRead, SizeIsTakenAsItStands) {
  EXPECT_EQ(ReadFrom("[Font]\r\nSize=14\r\n").font.size, 14);
  EXPECT_EQ(ReadFrom("[Font]\r\nSize=-3\r\n").font.size, -3);
  EXPECT_EQ(ReadFrom("[Font]\r\nSize=big\r\n").font.size, 9);
}

TEST(SettingsRead, StyleTable) {
  struct Row {
    const char* file;
    bool bold, italic;
  } rows[] = {
      {"Bold=1\r\nItalic=0", true, false},  {"Bold=0\r\nItalic=1", false, true},
      {"Bold=1\r\nItalic=1", true, true},   {"Bold=0\r\nItalic=0", false, false},
      {"Bold=2\r\nItalic=0", true, false},  {"Italic=1", true, true},
      {"Bold=x\r\nItalic=x", true, false},
  };
  for (const Row& row : rows) {
    Settings s = ReadFrom(Bytes("[Font]\r\n") + row.file + "\r\n");
    EXPECT_EQ(s.font.bold, row.bold) << row.file;
    EXPECT_EQ(s.font.italic, row.italic) << row.file;
  }
  // Off and off leaves the style as it was; any other pair sets it as a whole.
  Settings styled;
  styled.font.italic = true;
  EXPECT_TRUE(ReadFrom("[Font]\r\nBold=0\r\nItalic=0\r\n", styled).font.italic);
  Settings s = ReadFrom("[Font]\r\nBold=1\r\nItalic=0\r\n", styled);
  EXPECT_TRUE(s.font.bold);
  EXPECT_FALSE(s.font.italic);
}

TEST(SettingsRead, GarbageHugeAndEmptyValuesGiveTheDefaults) {
  Bytes huge(5000, '9');
  const char* numberKeys[][2] = {{"Window", "Left"},    {"Window", "Top"},   {"Window", "Width"},
                                 {"Window", "Height"},  {"Parlo", "Paste"},  {"Parlo", "Yell"},
                                 {"Parlo", "Random"},   {"Window", "StayOnTop"}, {"BardKey", "ALT"},
                                 {"BardKey", "CTRL"},   {"BardKey", "SHIFT"}, {"BardKey", "Key"},
                                 {"Font", "Charset"},   {"Font", "Size"},    {"Font", "Bold"},
                                 {"Font", "Italic"},    {"QuickSay", "ALT"}, {"QuickSay", "CTRL"},
                                 {"QuickSay", "SHIFT"}, {"QuickSay", "Key"}, {"QuickSay", "Width"},
                                 {"QuickSay", "Height"}};
  for (const Bytes& bad : {Bytes("garbage"), huge, Bytes(""), Bytes("\"\""), Bytes("1x"), Bytes("0x")}) {
    MemoryProfileStore store;
    for (auto& key : numberKeys) ASSERT_TRUE(store.Write(kPath, key[0], key[1], bad));
    TIniFile ini(kPath, store);
    Settings s;
    ReadSettings(ini, s);
    EXPECT_EQ(s.bounds, WindowBounds{}) << bad.substr(0, 10);
    EXPECT_FALSE(s.paste || s.yell || s.random || s.stayOnTop || s.bardAlt || s.bardCtrl || s.bardShift);
    EXPECT_EQ(s.bardKey, 0);
    EXPECT_EQ(s.font.charset, 128);
    EXPECT_EQ(s.font.size, 9);
    EXPECT_TRUE(s.font.bold);
    EXPECT_FALSE(s.font.italic);
    EXPECT_FALSE(s.quickSayAlt || s.quickSayCtrl || s.quickSayShift);
    EXPECT_EQ(s.quickSayKey, 0);
    EXPECT_EQ(s.quickSayWidth, 380);
    EXPECT_EQ(s.quickSayHeight, 300);
  }
  // Text keys take any text, cut to 1023 bytes.
  Settings s = ReadFrom("[UO]\r\nCaption=" + huge + "\r\nCaption3=\r\nLastOpen=" + huge + "\r\n[Font]\r\nName=" + huge);
  EXPECT_EQ(s.gameCaption, huge.substr(0, 1023));
  EXPECT_EQ(s.captionList[3], "");
  EXPECT_EQ(s.lastOpen, huge.substr(0, 1023));
  EXPECT_EQ(s.font.name, huge.substr(0, 31));
}

TEST(SettingsWrite, EveryKeyInOrder) {
  RecordingStore store;
  TIniFile ini(kPath, store);
  WriteSettings(ini, Sample());
  std::vector<Bytes> expected = {
      "Window/Left=-5",
      "Window/Top=20",
      "Window/Width=640",
      "Window/Height=480",
      "Parlo/Paste=1",
      "Parlo/Yell=0",
      "Parlo/Random=1",
      "Window/StayOnTop=1",
      "BardKey/ALT=1",
      "BardKey/CTRL=0",
      "BardKey/SHIFT=1",
      "BardKey/Key=116",
      "UO/LastOpen=\"say my book.txt\"",
      "UO/Caption=\"Ultima Online - Bob\"",
      "UO/Caption0=\"Ultima Online - Bob\"",
      "UO/Caption1=\" lead\"",
      "UO/Caption2=\"trail \"",
      "UO/Caption3=\"'single'\"",
      "UO/Caption4=\"\"",
      "Font/Charset=0",
      "Font/Name=Arial",
      "Font/Size=11",
      "Font/Bold=0",
      "Font/Italic=1",
      "QuickSay/ALT=0",
      "QuickSay/CTRL=1",
      "QuickSay/SHIFT=1",
      "QuickSay/Key=81",
      "QuickSay/Width=420",
      "QuickSay/Height=260",
      "Import/Folder=\"C:\\Games\\CUO\\Data\\Profiles\\acc \"",
      "Parlo/FollowCharacter=0",
  };
  EXPECT_EQ(store.Writes(), expected);
}

TEST(SettingsWrite, KeyIsWrittenUnsigned) {
  RecordingStore store;
  TIniFile ini(kPath, store);
  Settings s;
  s.bardKey = 0xFFFF;
  s.font.charset = 255;
  s.quickSayKey = 0xFFFF;
  WriteSettings(ini, s);
  EXPECT_EQ(store.Writes()[11], "BardKey/Key=65535");
  EXPECT_EQ(store.Writes()[27], "QuickSay/Key=65535");
  EXPECT_EQ(store.Writes()[19], "Font/Charset=255");
}

TEST(SettingsWrite, FirstExitWritesTheFormDefaults) {
  MemoryProfileStore store;
  TIniFile ini(kPath, store);
  Settings s;
  ReadSettings(ini, s);
  s.lastOpen = "say.txt";
  WriteSettings(ini, s);
  EXPECT_EQ(store.File(kPath),
            "[Window]\r\nLeft=671\r\nTop=112\r\nWidth=373\r\nHeight=472\r\nStayOnTop=0\r\n"
            "[Parlo]\r\nPaste=0\r\nYell=0\r\nRandom=0\r\nFollowCharacter=1\r\n"
            "[BardKey]\r\nALT=0\r\nCTRL=0\r\nSHIFT=0\r\nKey=0\r\n"
            "[UO]\r\nLastOpen=\"say.txt\"\r\nCaption=\"Ultima Online -\"\r\n"
            "Caption0=\"Ultima Online -\"\r\nCaption1=\"Ultima Online -\"\r\nCaption2=\"Ultima Online -\"\r\n"
            "Caption3=\"Ultima Online -\"\r\nCaption4=\"Ultima Online -\"\r\n"
            "[Font]\r\nCharset=128\r\nName=" +
                Bytes(kGridDesignFace) + "\r\nSize=9\r\nBold=1\r\nItalic=0\r\n" +
                "[QuickSay]\r\nALT=0\r\nCTRL=0\r\nSHIFT=0\r\nKey=0\r\nWidth=380\r\nHeight=300\r\n" +
                "[Import]\r\nFolder=\"\"\r\n");
}

void ExpectEveryValueReadsBack(const Settings& written);

TEST(SettingsWrite, EverythingReadsBackUnchanged) {
  ExpectEveryValueReadsBack(Sample());
  // Every flag the other way round too: a flag left at its default would read back equal even if
  // it were never written.
  Settings flipped = Sample();
  for (bool* flag : {&flipped.paste, &flipped.yell, &flipped.random, &flipped.stayOnTop, &flipped.bardAlt,
                     &flipped.bardCtrl, &flipped.bardShift, &flipped.font.bold, &flipped.font.italic,
                     &flipped.quickSayAlt, &flipped.quickSayCtrl, &flipped.quickSayShift, &flipped.followCharacter})
    *flag = !*flag;
  ExpectEveryValueReadsBack(flipped);
}

void ExpectEveryValueReadsBack(const Settings& written) {
  MemoryProfileStore store;
  TIniFile ini(kPath, store);
  WriteSettings(ini, written);
  Settings read;
  ReadSettings(ini, read);
  EXPECT_EQ(read.bounds, written.bounds);
  EXPECT_EQ(read.paste, written.paste);
  EXPECT_EQ(read.yell, written.yell);
  EXPECT_EQ(read.random, written.random);
  EXPECT_EQ(read.stayOnTop, written.stayOnTop);
  EXPECT_EQ(read.bardAlt, written.bardAlt);
  EXPECT_EQ(read.bardCtrl, written.bardCtrl);
  EXPECT_EQ(read.bardShift, written.bardShift);
  EXPECT_EQ(read.bardKey, written.bardKey);
  EXPECT_EQ(read.gameCaption, written.gameCaption);
  EXPECT_EQ(read.captionList, written.captionList);
  EXPECT_EQ(read.font.charset, written.font.charset);
  EXPECT_EQ(read.font.name, written.font.name);
  EXPECT_EQ(read.font.size, written.font.size);
  EXPECT_EQ(read.font.bold, written.font.bold);
  EXPECT_EQ(read.font.italic, written.font.italic);
  EXPECT_EQ(read.lastOpen, written.lastOpen);
  EXPECT_EQ(read.quickSayAlt, written.quickSayAlt);
  EXPECT_EQ(read.quickSayCtrl, written.quickSayCtrl);
  EXPECT_EQ(read.quickSayShift, written.quickSayShift);
  EXPECT_EQ(read.quickSayKey, written.quickSayKey);
  EXPECT_EQ(read.quickSayWidth, written.quickSayWidth);
  EXPECT_EQ(read.quickSayHeight, written.quickSayHeight);
  EXPECT_EQ(read.importFolder, written.importFolder);
  EXPECT_EQ(read.followCharacter, written.followCharacter);
}

TEST(SettingsWrite, EmptyCurrentFileIsWrittenAsTwoQuotesAndReadsBackEmpty) {
  MemoryProfileStore store;
  TIniFile ini(kPath, store);
  Settings s;
  WriteSettings(ini, s);
  EXPECT_NE(store.File(kPath)->find("LastOpen=\"\"\r\n"), Bytes::npos);
  EXPECT_EQ(ReadLastOpen(ini), "");
}

TEST(SettingsWrite, AFailingWriteStopsTheRestAndNamesTheFile) {
  for (int failing : {0, 12, 23}) {
    RecordingStore store;
    store.failingWrite = failing;
    TIniFile ini(kPath, store);
    try {
      WriteSettings(ini, Sample());
      ADD_FAILURE() << "no error at write " << failing;
    } catch (const ParloError& e) {
      EXPECT_EQ(e.AnsiText(), kPath);
      EXPECT_EQ(e.Utf8Tail(), kCannotWriteTail);
    }
    EXPECT_EQ(store.Writes().size(), static_cast<size_t>(failing + 1));
  }
}

// The exit writes the settings only when they change the file.
TEST(SettingsWrite, AFileThatHoldsTheSettingsAlreadyIsNotChanged) {
  MemoryProfileStore store;
  TIniFile ini(kPath, store);
  WriteSettings(ini, Sample());
  const Bytes written = *store.File(kPath);
  Settings yell = Sample();
  yell.yell = !yell.yell;
  const size_t left = written.find("Left=-5");
  const size_t folder = written.find("Folder=");
  ASSERT_NE(left, Bytes::npos);
  ASSERT_NE(folder, Bytes::npos);
  const struct {
    std::optional<Bytes> content;
    Settings settings;
    bool changes;
  } cases[] = {
      {std::nullopt, Sample(), true},
      {written, Sample(), false},
      {written, yell, true},
      {written.substr(0, left) + "Left = -5" + written.substr(left + 7), Sample(), false},
      {written.substr(0, folder), Sample(), true},  // the last key is missing
      {written + "[Mine]\r\nkept=1\r\n", Sample(), false},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(SettingsChangeFile(cases[i].content, cases[i].settings), cases[i].changes) << i;
}

TEST(SettingsWrite, ReadOnlyFileKeepsEveryOldValue) {
  MemoryProfileStore store;
  store.SetFile(kPath, "[Window]\r\nLeft=5\r\n");
  store.SetReadOnly(kPath, true);
  TIniFile ini(kPath, store);
  EXPECT_THROW(WriteSettings(ini, Sample()), ParloError);
  EXPECT_EQ(store.File(kPath), "[Window]\r\nLeft=5\r\n");
}

// The bounds and font sizes are kept as at 96 dpi; every layout number goes through one rule.
TEST(SettingsAtDpi, LayoutNumbersScaleByDpiOver96RoundingTheHalfAwayFromZero) {
  EXPECT_EQ(ScaleForDpi(373, 96), 373);
  EXPECT_EQ(ScaleForDpi(-12, 96), -12);
  EXPECT_EQ(ScaleForDpi(28, 144), 42);
  EXPECT_EQ(ScaleForDpi(11, 144), 17);    // 16.5
  EXPECT_EQ(ScaleForDpi(-11, 144), -17);  // a font height: larger, as its positive twin
  EXPECT_EQ(ScaleForDpi(193, 120), 241);  // 241.25
  EXPECT_EQ(ScaleForDpi(19, 192), 38);
  EXPECT_EQ(ScaleForDpi(1, 144), 2);
  EXPECT_EQ(ScaleForDpi(0, 192), 0);
  EXPECT_EQ(ScaleForDpi(40, 0), 40);  // no dpi known: the layout as it is
  EXPECT_EQ(ScaleForDpi(2147483647, 192), 2147483647);
  EXPECT_EQ(ScaleForDpi(-2147483647 - 1, 144), -2147483647 - 1);
}

TEST(SettingsAtDpi, EveryLayoutNumberComesBackFromItsPixels) {
  for (int dpi : {96, 120, 144, 168, 192, 288})
    for (int n = -600; n <= 600; ++n)
      ASSERT_EQ(LayoutFromDpi(ScaleForDpi(n, dpi), dpi), n) << n << " at " << dpi;
  EXPECT_EQ(LayoutFromDpi(560, 144), 373);
  EXPECT_EQ(LayoutFromDpi(17, 144), 11);
}

TEST(SettingsAtDpi, BoundsScaleTheClientAreaAndTakeTheFrameOfEachDpi) {
  const WindowBounds layout{671, 112, 373, 472};
  const FrameSize frame96{8, 27}, frame144{10, 38};
  const WindowBounds same = BoundsForDpi(layout, frame96, frame96, 96);
  EXPECT_EQ(same, layout);
  // The client area 365 x 445 becomes 548 x 668 (667.5).
  const WindowBounds big = BoundsForDpi(layout, frame96, frame144, 144);
  EXPECT_EQ(big, (WindowBounds{1007, 168, 558, 706}));
  EXPECT_EQ(LayoutBoundsFromDpi(big, frame96, frame144, 144), layout);
  // A window the player sized at 144 dpi is written as its nearest 96-dpi bounds.
  EXPECT_EQ(LayoutBoundsFromDpi(WindowBounds{-301, 0, 611, 700}, frame96, frame144, 144),
            (WindowBounds{-201, 0, 409, 468}));
  // Whatever a hand-edited file holds comes through at 96 dpi untouched, and saturates above.
  const WindowBounds extreme{-2147483647 - 1, 2147483647, -2147483647 - 1, 2147483647};
  EXPECT_EQ(BoundsForDpi(extreme, frame96, frame96, 96), extreme);
  EXPECT_EQ(LayoutBoundsFromDpi(extreme, frame96, frame96, 96), extreme);
  EXPECT_EQ(BoundsForDpi(extreme, frame96, frame144, 192), extreme);
  // On a desktop of 96 dpi a window on a monitor of 144 keeps its pixel position through the file
  // and back, while its content takes that monitor's scale.
  EXPECT_EQ(BoundsForDpi(layout, frame96, frame144, 144, 96), (WindowBounds{671, 112, 558, 706}));
  EXPECT_EQ(LayoutBoundsFromDpi(WindowBounds{2500, 41, 558, 706}, frame96, frame144, 144, 96),
            (WindowBounds{2500, 41, 373, 472}));
  EXPECT_EQ(BoundsForDpi(WindowBounds{2500, 41, 373, 472}, frame96, frame144, 144, 96),
            (WindowBounds{2500, 41, 558, 706}));
}

TEST(SettingsAtDpi, AWindowNoMonitorShowsTheCaptionOfGoesOntoTheNearest) {
  // Frames as a system draws them: 16 x 39 around the client area at 96 dpi, with the border and
  // caption 31 high; 22 x 55 and 44 at 144.
  const auto frameAt = [](int dpi) {
    return dpi == 144 ? WindowFrame{{22, 55}, 44} : WindowFrame{{16, 39}, 31};
  };
  const MonitorArea primary{{0, 0, 1920, 1040}, 96};         // 1920 x 1080, task bar below
  const MonitorArea right144{{1920, 0, 4800, 1520}, 144};    // 2880 x 1620 at 150 %
  const MonitorArea leftLower{{-1280, 300, 0, 1324}, 96};    // 1280 x 1024, lower down
  const struct {
    const char* layout;
    std::vector<MonitorArea> monitors;
    int dpi;
    WindowBounds saved, expected;
  } cases[] = {
      {"wholly shown", {primary}, 96, {100, 50, 373, 472}, {100, 50, 373, 472}},
      {"partly off the left, caption to take", {primary}, 96, {-250, 200, 373, 472}, {-250, 200, 373, 472}},
      {"hanging out at the bottom", {primary}, 96, {500, 900, 373, 472}, {500, 900, 373, 472}},
      {"its monitor gone", {primary}, 96, {2200, 100, 373, 472}, {1547, 100, 373, 472}},
      {"its monitor gone, a sliver left", {primary}, 96, {1880, 100, 373, 472}, {1547, 100, 373, 472}},
      {"above the top", {primary}, 96, {400, -200, 373, 472}, {400, 0, 373, 472}},
      {"caption under the task bar", {primary}, 96, {400, 1030, 373, 472}, {400, 568, 373, 472}},
      {"caption across two monitors", {primary, right144}, 96, {1880, 100, 80, 472}, {1880, 100, 80, 472}},
      {"past the monitor of 150 %", {primary, right144}, 96, {5000, 300, 373, 472}, {4242, 300, 558, 705}},
      {"partly on the one of 150 %", {primary, right144}, 144, {4500, 100, 558, 705}, {4500, 100, 558, 705}},
      {"below the left one", {primary, leftLower}, 96, {-1000, 1500, 373, 472}, {-1000, 852, 373, 472}},
      {"between two, caption on none", {primary, leftLower}, 96, {100, 1100, 373, 472}, {100, 568, 373, 472}},
      {"half the caption on at the bottom", {right144}, 144, {2500, 1498, 558, 705}, {2500, 1498, 558, 705}},
      {"a pixel less than half", {right144}, 144, {2500, 1499, 558, 705}, {2500, 815, 558, 705}},
      {"larger than the work area", {primary}, 96, {3000, 3000, 2500, 1200}, {0, 0, 2500, 1200}},
      {"no monitor known", {}, 96, {-9000, -9000, 373, 472}, {-9000, -9000, 373, 472}},
  };
  for (const auto& c : cases) {
    const WindowBounds b = ReachableBounds(c.saved, c.dpi, c.monitors, frameAt);
    EXPECT_EQ(b, c.expected) << c.layout << ": " << b.left << ", " << b.top << ", " << b.width << " x "
                             << b.height;
  }
}

}  // namespace
}  // namespace parlo
