// The settings file beside parlo.exe: what the first exit writes, what a restart restores, and
// what the user sees when the file cannot be written.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAreArray;

// (section, key, value as the file holds it) in file order.
struct IniEntry {
  std::string section;
  std::string key;
  std::string value;
  bool operator==(const IniEntry& o) const { return section == o.section && key == o.key && value == o.value; }
};
void PrintTo(const IniEntry& e, std::ostream* os) { *os << "[" << e.section << "] " << e.key << "=" << e.value; }

std::vector<IniEntry> ParseIni(const std::string& text) {
  std::vector<IniEntry> entries;
  std::string section;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = text.find_first_not_of("\r\n", end);
    if (pos == std::string::npos) pos = text.size();
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    entries.push_back({section, line.substr(0, eq), line.substr(eq + 1)});
  }
  return entries;
}

std::wstring MessageTextW(HWND box) {
  wchar_t text[1024] = {};
  GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 1024);
  return text;
}

std::wstring Wide(const std::string& ansi) {
  std::wstring wide(ansi.size() + 1, L'\0');
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), static_cast<int>(ansi.size()), &wide[0],
                              static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(n > 0 ? n : 0));
  return wide;
}

const std::string kDesignFace = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

class Settings : public Scenario {};

TEST_F(Settings, TheFirstExitWritesEveryKeyWithTheDefaults) {
  ParloApp& parlo = StartParlo();
  ASSERT_TRUE(parlo.Close().has_value());
  std::optional<FileBytes> ini = Dir().Read("parlo.ini");
  ASSERT_TRUE(ini.has_value()) << "no settings file after the first exit";
  const std::vector<IniEntry> expected = {
      {"Window", "Left", "671"},
      {"Window", "Top", "112"},
      {"Window", "Width", "373"},
      {"Window", "Height", "472"},
      {"Window", "StayOnTop", "0"},
      {"Parlo", "Paste", "0"},
      {"Parlo", "Yell", "0"},
      {"Parlo", "Random", "0"},
      {"Parlo", "FollowCharacter", "1"},
      {"BardKey", "ALT", "0"},
      {"BardKey", "CTRL", "0"},
      {"BardKey", "SHIFT", "0"},
      {"BardKey", "Key", "0"},
      {"UO", "LastOpen", "\"say.txt\""},
      // The system's reader drops the trailing blank of a missing key's default.
      {"UO", "Caption", "\"Ultima Online -\""},
      {"UO", "Caption0", "\"Ultima Online -\""},
      {"UO", "Caption1", "\"Ultima Online -\""},
      {"UO", "Caption2", "\"Ultima Online -\""},
      {"UO", "Caption3", "\"Ultima Online -\""},
      {"UO", "Caption4", "\"Ultima Online -\""},
      {"Font", "Charset", "128"},
      {"Font", "Name", kDesignFace},
      {"Font", "Size", "9"},
      {"Font", "Bold", "1"},
      {"Font", "Italic", "0"},
      {"QuickSay", "ALT", "0"},
      {"QuickSay", "CTRL", "0"},
      {"QuickSay", "SHIFT", "0"},
      {"QuickSay", "Key", "0"},
      {"QuickSay", "Width", "380"},
      {"QuickSay", "Height", "300"},
      {"Import", "Folder", "\"\""},
  };
  EXPECT_THAT(ParseIni(*ini), ElementsAreArray(expected));
}

TEST_F(Settings, ARestartRestoresWhatTheLastExitLeft) {
  Dir().Put("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Dir().Put("sayB.txt", "[PARLO!]\r\nb\tfrom B\r\n");
  Dir().Put("parlo.ini",
            "[UO]\r\nLastOpen=\"sayB.txt\"\r\n[Window]\r\nStayOnTop=1\r\n"
            "[Font]\r\nName=Tahoma\r\nCharset=0\r\nSize=12\r\nBold=0\r\nItalic=1\r\n");
  {
    ParloApp& parlo = StartParlo();
    EXPECT_TRUE(IsTopmost(parlo.Main()));
    EXPECT_EQ(ComboItems(parlo.Control(IDC_COMBOBOX_FILES)).at(static_cast<size_t>(
                  ComboSelection(parlo.Control(IDC_COMBOBOX_FILES)))),
              "B");
    // The user moves the window and ticks two options.
    SetWindowPos(parlo.Main(), nullptr, 90, 70, 420, 390, SWP_NOZORDER | SWP_NOACTIVATE);
    SendClick(parlo.Control(IDC_CHECKBOX_YELL));
    SendClick(parlo.Control(IDC_CHECKBOX_PASTE));
    ASSERT_TRUE(parlo.Close().has_value());
  }
  ParloApp& again = StartParlo();
  RECT bounds = again.Bounds();
  EXPECT_EQ(bounds.left, 90);
  EXPECT_EQ(bounds.top, 70);
  EXPECT_EQ(bounds.right - bounds.left, 420);
  EXPECT_EQ(bounds.bottom - bounds.top, 390);
  EXPECT_TRUE(IsChecked(again.Control(IDC_CHECKBOX_YELL)));
  EXPECT_TRUE(IsChecked(again.Control(IDC_CHECKBOX_PASTE)));
  EXPECT_FALSE(IsChecked(again.Control(IDC_CHECKBOX_RANDOM)));
  EXPECT_TRUE(IsTopmost(again.Main()));
  HWND files = again.Control(IDC_COMBOBOX_FILES);
  EXPECT_EQ(ComboItems(files).at(static_cast<size_t>(ComboSelection(files))), "B");
  Shot("restored", again.Main());
  ASSERT_TRUE(again.Close().has_value());
  // The font went through both runs unchanged.
  std::vector<IniEntry> written = ParseIni(Dir().Read("parlo.ini").value_or(""));
  auto value = [&](const std::string& section, const std::string& key) {
    for (const IniEntry& e : written)
      if (e.section == section && e.key == key) return e.value;
    return std::string("<missing>");
  };
  EXPECT_EQ(value("Font", "Name"), "Tahoma");
  EXPECT_EQ(value("Font", "Charset"), "0");
  EXPECT_EQ(value("Font", "Size"), "12");
  EXPECT_EQ(value("Font", "Bold"), "0");
  EXPECT_EQ(value("Font", "Italic"), "1");
  EXPECT_EQ(value("UO", "LastOpen"), "\"sayB.txt\"");
}

TEST_F(Settings, ASettingsFileThatCannotBeWrittenIsNamedInTheExceptionBoxAfterTheBookWasSaved) {
  Dir().Put("sayA.txt", "[PARLO!]\r\na\tfrom A\r\n");
  Dir().Put("parlo.ini", "[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
  ParloApp& parlo = StartParlo();
  // The book is written back at exit: with it gone now, its return proves the save ran.
  Dir().Remove("sayA.txt");
  HANDLE held = CreateFileA(Dir().File("parlo.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  PostMessageA(parlo.Main(), WM_CLOSE, 0, 0);
  std::optional<MessageBoxWindow> box = parlo.WaitForMessageBox("Parlo!", 10000);
  ASSERT_TRUE(box.has_value()) << "no exception box";
  std::wstring text = MessageTextW(box->Handle());
  EXPECT_TRUE(Dir().Has("sayA.txt")) << "the book was not saved before the settings";
  Shot("write-error", box->Handle());
  EXPECT_TRUE(box->Answer(IDOK));
  CloseHandle(held);
  std::optional<DWORD> exitCode = parlo.Process().WaitExit(kExitTimeoutMs);
  ASSERT_TRUE(exitCode.has_value()) << "Parlo did not end after the box";

  const std::wstring tail = L" \x306B\x66F8\x304D\x8FBC\x3081\x307E\x305B\x3093.";
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  // The path is the settings file's, however the system spells the folder.
  std::wstring path = text.substr(0, text.size() - tail.size());
  EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), -1, Wide(Dir().File("parlo.ini")).c_str(),
                           -1),
            CSTR_EQUAL)
      << "box text: " << std::string(path.begin(), path.end());
  // None of the settings reached the file.
  EXPECT_EQ(Dir().Read("parlo.ini").value_or(""), "[UO]\r\nLastOpen=\"sayA.txt\"\r\n");
}

}  // namespace
}  // namespace parlo::e2e
