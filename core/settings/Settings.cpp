#include "core/settings/Settings.h"

namespace parlo {
namespace {

const Bytes kWindow = "Window";
const Bytes kParlo = "Parlo";
const Bytes kBardKey = "BardKey";
const Bytes kUo = "UO";
const Bytes kFont = "Font";
const Bytes kQuickSay = "QuickSay";
const Bytes kImport = "Import";
const Bytes kDefaultCaption = "Ultima Online - ";

Bytes CaptionKey(int i) { return "Caption" + std::to_string(i); }

Bytes Quoted(const Bytes& text) { return "\"" + text + "\""; }

// A hot key's section: ALT, CTRL, SHIFT and Key, in that order (the Bard key and Quick Say).
void ReadHotKey(const TIniFile& ini, const Bytes& section, bool& alt, bool& ctrl, bool& shift,
                uint16_t& key) {
  alt = ini.ReadFlag(section, "ALT", false);
  ctrl = ini.ReadFlag(section, "CTRL", false);
  shift = ini.ReadFlag(section, "SHIFT", false);
  key = static_cast<uint16_t>(static_cast<uint32_t>(ini.ReadNumber(section, "Key", 0)) & 0xFFFFu);
}

void WriteHotKey(TIniFile& ini, const Bytes& section, bool alt, bool ctrl, bool shift, uint16_t key) {
  ini.WriteFlag(section, "ALT", alt);
  ini.WriteFlag(section, "CTRL", ctrl);
  ini.WriteFlag(section, "SHIFT", shift);
  ini.WriteNumber(section, "Key", key);
}

}  // namespace

void ReadWindowBounds(const TIniFile& ini, WindowBounds current,
                      const std::function<WindowBounds(const WindowBounds&)>& apply) {
  int32_t WindowBounds::*const fields[] = {&WindowBounds::left, &WindowBounds::top, &WindowBounds::width,
                                           &WindowBounds::height};
  const char* const keys[] = {"Left", "Top", "Width", "Height"};
  for (int i = 0; i < 4; ++i) {
    current.*fields[i] = ini.ReadNumber(kWindow, keys[i], current.*fields[i]);
    if (apply) current = apply(current);
  }
}

void ReadOptions(const TIniFile& ini, Settings& settings) {
  settings.paste = ini.ReadFlag(kParlo, "Paste", false);
  settings.yell = ini.ReadFlag(kParlo, "Yell", false);
  settings.random = ini.ReadFlag(kParlo, "Random", false);
}

void ReadBardKey(const TIniFile& ini, Settings& settings) {
  settings.stayOnTop = ini.ReadFlag(kWindow, "StayOnTop", false);
  ReadHotKey(ini, kBardKey, settings.bardAlt, settings.bardCtrl, settings.bardShift, settings.bardKey);
}

void ReadCaptions(const TIniFile& ini, Settings& settings) {
  settings.gameCaption = ini.ReadText(kUo, "Caption", kDefaultCaption);
  for (int i = 0; i < kCaptionCount; ++i)
    settings.captionList[static_cast<size_t>(i)] = ini.ReadText(kUo, CaptionKey(i), kDefaultCaption);
}

void ReadGridFont(const TIniFile& ini, GridFont& font) {
  font.charset = static_cast<uint8_t>(static_cast<uint32_t>(ini.ReadNumber(kFont, "Charset", font.charset)) & 0xFFu);
  Bytes name = ini.ReadText(kFont, "Name", font.name);
  if (!name.empty()) font.name = name.substr(0, kFontNameMax);
  font.size = ini.ReadNumber(kFont, "Size", font.size);
  bool bold = ini.ReadFlag(kFont, "Bold", true);
  bool italic = ini.ReadFlag(kFont, "Italic", false);
  // Neither flag leaves the style as the form gives it; otherwise the style is set as a whole.
  if (bold || italic) {
    font.bold = bold;
    font.italic = italic;
  }
}

Bytes ReadLastOpen(const TIniFile& ini) { return ini.ReadText(kUo, "LastOpen", ""); }

void ReadQuickSay(const TIniFile& ini, Settings& settings) {
  ReadHotKey(ini, kQuickSay, settings.quickSayAlt, settings.quickSayCtrl, settings.quickSayShift,
             settings.quickSayKey);
  settings.quickSayWidth = ini.ReadNumber(kQuickSay, "Width", settings.quickSayWidth);
  settings.quickSayHeight = ini.ReadNumber(kQuickSay, "Height", settings.quickSayHeight);
}

Bytes ReadImportFolder(const TIniFile& ini) {
  return ini.ReadText(kImport, "Folder", "");
}

bool ReadFollowCharacter(const TIniFile& ini) { return ini.ReadFlag(kParlo, "FollowCharacter", true); }

void ReadSettings(const TIniFile& ini, Settings& settings, const SettingsReadSteps& steps) {
  ReadWindowBounds(ini, settings.bounds, [&](const WindowBounds& bounds) {
    settings.bounds = steps.applyBounds ? steps.applyBounds(bounds) : bounds;
    return settings.bounds;
  });
  ReadOptions(ini, settings);
  ReadBardKey(ini, settings);
  if (steps.bardKeyRead) steps.bardKeyRead(settings);
  ReadCaptions(ini, settings);
  ReadGridFont(ini, settings.font);
  settings.lastOpen = ReadLastOpen(ini);
  ReadQuickSay(ini, settings);
  settings.importFolder = ReadImportFolder(ini);
  settings.followCharacter = ReadFollowCharacter(ini);
}

void WriteSettings(TIniFile& ini, const Settings& s) {
  ini.WriteNumber(kWindow, "Left", s.bounds.left);
  ini.WriteNumber(kWindow, "Top", s.bounds.top);
  ini.WriteNumber(kWindow, "Width", s.bounds.width);
  ini.WriteNumber(kWindow, "Height", s.bounds.height);
  ini.WriteFlag(kParlo, "Paste", s.paste);
  ini.WriteFlag(kParlo, "Yell", s.yell);
  ini.WriteFlag(kParlo, "Random", s.random);
  ini.WriteFlag(kWindow, "StayOnTop", s.stayOnTop);
  WriteHotKey(ini, kBardKey, s.bardAlt, s.bardCtrl, s.bardShift, s.bardKey);
  ini.WriteText(kUo, "LastOpen", Quoted(s.lastOpen));
  ini.WriteText(kUo, "Caption", Quoted(s.gameCaption));
  for (int i = 0; i < kCaptionCount; ++i)
    ini.WriteText(kUo, CaptionKey(i), Quoted(s.captionList[static_cast<size_t>(i)]));
  ini.WriteNumber(kFont, "Charset", s.font.charset);
  ini.WriteText(kFont, "Name", s.font.name);
  ini.WriteNumber(kFont, "Size", s.font.size);
  ini.WriteFlag(kFont, "Bold", s.font.bold);
  ini.WriteFlag(kFont, "Italic", s.font.italic);
  WriteHotKey(ini, kQuickSay, s.quickSayAlt, s.quickSayCtrl, s.quickSayShift, s.quickSayKey);
  ini.WriteNumber(kQuickSay, "Width", s.quickSayWidth);
  ini.WriteNumber(kQuickSay, "Height", s.quickSayHeight);
  // Quoted like LastOpen: a folder may end in a blank.
  ini.WriteText(kImport, "Folder", Quoted(s.importFolder));
  ini.WriteFlag(kParlo, "FollowCharacter", s.followCharacter);
}

bool SettingsChangeFile(const std::optional<Bytes>& content, const Settings& settings) {
  if (!content) return true;
  const Bytes path = "settings";
  MemoryProfileStore store;
  store.SetFile(path, *content);
  TIniFile ini(path, store);
  WriteSettings(ini, settings);
  return store.File(path) != content;
}

}  // namespace parlo
