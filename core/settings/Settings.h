#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/text/Bytes.h"
#include "core/settings/IniFile.h"

namespace parlo {

constexpr int kCaptionCount = 5;

// Face of the grid's design font, MS P Gothic in Shift-JIS.
inline constexpr const char kGridDesignFace[] = "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr uint8_t kShiftJisCharset = 128;
// A font face name holds at most 31 bytes (LOGFONT's 32 with the NUL).
constexpr size_t kFontNameMax = 31;
// The Quick Say box's size (outer, as at 96 dpi) until the player makes it another.
constexpr int32_t kQuickSayDefaultWidth = 380;
constexpr int32_t kQuickSayDefaultHeight = 300;

struct WindowBounds {
  int32_t left = 671;
  int32_t top = 112;
  int32_t width = 373;
  int32_t height = 472;
  bool operator==(const WindowBounds& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// The stored part of the grid font; underline, strike-out and colour are not kept.
struct GridFont {
  uint8_t charset = kShiftJisCharset;
  Bytes name = kGridDesignFace;
  int32_t size = 9;  // points
  bool bold = false;
  bool italic = false;
};

// Every value of the settings file. Default-constructed, it holds what the forms give before
// anything is read.
struct Settings {
  WindowBounds bounds;
  bool paste = false;
  bool yell = false;
  bool random = false;
  bool stayOnTop = false;
  bool bardAlt = false;
  bool bardCtrl = false;
  bool bardShift = false;
  uint16_t bardKey = 0;
  Bytes gameCaption;
  std::array<Bytes, kCaptionCount> captionList;
  GridFont font;
  // Read: the say file to open at start-up. Written: CurrentFile at exit.
  Bytes lastOpen;
  // Quick Say's hot key, in the Bard key's form, and its box's size (outer, as at 96 dpi).
  bool quickSayAlt = false;
  bool quickSayCtrl = false;
  bool quickSayShift = false;
  uint16_t quickSayKey = 0;
  int32_t quickSayWidth = kQuickSayDefaultWidth;
  int32_t quickSayHeight = kQuickSayDefaultHeight;
  // The folder of the last file lines were imported from; empty until the first import.
  Bytes importFolder;
  // The book of the character whose client comes to the front is opened.
  bool followCharacter = true;
};

// Start-up reads the file in groups, in this order. The main window applies each group before the
// next one is read: the bounds one key at a time, and the hot key is registered after the BardKey
// group and before the captions.

// Left, Top, Width, Height. Each key's default is where the window is now; apply moves the window
// at once and returns the bounds it really took, which give the next key's default.
void ReadWindowBounds(const TIniFile& ini, WindowBounds current,
                      const std::function<WindowBounds(const WindowBounds&)>& apply);
// Paste, Yell, Random.
void ReadOptions(const TIniFile& ini, Settings& settings);
// StayOnTop, ALT, CTRL, SHIFT and Key (its low 16 bits).
void ReadBardKey(const TIniFile& ini, Settings& settings);
// Caption, then Caption0 to Caption4.
void ReadCaptions(const TIniFile& ini, Settings& settings);
// Charset (low 8 bits), Name (first 31 bytes; empty keeps), Size, then the style from Bold and Italic;
// the current font gives the defaults.
void ReadGridFont(const TIniFile& ini, GridFont& font);
// LastOpen, empty when missing.
Bytes ReadLastOpen(const TIniFile& ini);
// Section QuickSay: ALT, CTRL, SHIFT and Key as the Bard key's; Width and Height default to the
// values settings holds.
void ReadQuickSay(const TIniFile& ini, Settings& settings);

// Section Import, key Folder, empty when missing.
Bytes ReadImportFolder(const TIniFile& ini);

// Section Parlo, key FollowCharacter, on when missing.
bool ReadFollowCharacter(const TIniFile& ini);

// Hooks of ReadSettings for the steps the window must take between the groups.
struct SettingsReadSteps {
  std::function<WindowBounds(const WindowBounds&)> applyBounds;  // none: bounds just stored
  std::function<void(const Settings&)> bardKeyRead;               // register the hot key here
};

// Every group in order into settings, whose bounds and font are the current ones.
void ReadSettings(const TIniFile& ini, Settings& settings, const SettingsReadSteps& steps = {});

// Every key in the order of the exit. The first write that fails raises ParloError naming the
// file and the keys after it are not written.
void WriteSettings(TIniFile& ini, const Settings& settings);

// Whether WriteSettings would change a settings file that holds content (nullopt: no file), by
// the rules of the platform's writes: a value written again as it stands changes nothing.
bool SettingsChangeFile(const std::optional<Bytes>& content, const Settings& settings);

}  // namespace parlo
