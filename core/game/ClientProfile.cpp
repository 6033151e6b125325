#include "core/game/ClientProfile.h"

#include <algorithm>

#include "core/settings/AppPaths.h"
#include "core/text/Json.h"

namespace parlo {

namespace {

constexpr const char kSettingsFile[] = "settings.json";
constexpr const char kProfileFile[] = "profile.json";
constexpr const char kDefaultProfiles[] = "Data\\Profiles";

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// A final backslash after a byte above 0x7F may be the trail byte of a double-byte character, so
// it is taken as a separator only after an ASCII byte; a doubled separator does no harm.
bool EndsWithSeparator(const Bytes& folder) {
  size_t n = folder.size();
  return n > 0 && IsSeparator(folder[n - 1]) && (n == 1 || static_cast<unsigned char>(folder[n - 2]) < 0x80);
}

Bytes Join(const Bytes& folder, std::string_view name) {
  Bytes path = folder;
  if (!path.empty() && !EndsWithSeparator(path)) path += '\\';
  path.append(name.data(), name.size());
  return path;
}

bool IsBlankOnly(const Bytes& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

// A file the client owns, read only when it has a sane size.
std::optional<Bytes> ReadClientFile(FileStore& files, const Bytes& path) {
  Bytes text;
  if (!files.ReadShared(path, kMaxJsonBytes, text)) return std::nullopt;
  return text;
}

std::optional<std::map<Bytes, JsonValue>> ReadClientJson(std::string_view text) {
  return ReadJsonMembers(AsClientReadsIt(text));
}

Bytes AnsiPath(const Bytes& utf8, AnsiCodePage* codePage) {
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return utf8;
  if (!codePage) return Bytes();
  std::u16string wide = Utf16FromUtf8(utf8);
  Bytes ansi = codePage->FromUtf16(wide);
  // A character the code page lacks comes back as '?', and that path names no folder.
  if (std::count(ansi.begin(), ansi.end(), '?') != std::count(wide.begin(), wide.end(), u'?')) return Bytes();
  return ansi;
}

}  // namespace

Bytes AsClientReadsIt(std::string_view text) {
  Bytes out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    bool lone =
        text[i] == '\\' && (i == 0 || text[i - 1] != '\\') && (i + 1 == text.size() || text[i + 1] != '\\');
    if (lone) out += '\\';
  }
  return out;
}

Bytes ClientProfilesFolder(FileStore& files, const Bytes& clientFolder, AnsiCodePage* codePage) {
  Bytes configured;
  const Bytes settingsPath = Join(clientFolder, kSettingsFile);
  if (auto text = ReadClientFile(files, settingsPath)) {
    if (auto members = ReadClientJson(*text)) {
      auto it = members->find("profilespath");
      if (it != members->end() && it->second.kind == JsonKind::kString) configured = it->second.text;
    }
  } else if (files.FileExists(settingsPath)) {
    return Bytes();  // there but unread (the client writing it): the profiles could be anywhere
  }
  if (IsBlankOnly(configured)) return Join(clientFolder, kDefaultProfiles);
  Bytes path = AnsiPath(configured, codePage);
  if (path.empty()) return Bytes();
  while (path.size() > 1 && EndsWithSeparator(path) && path[path.size() - 2] != ':') path.pop_back();
  bool drive = path.size() >= 2 && path[1] == ':';
  bool unc = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  if (drive || unc) return path;
  // Rooted without a drive: on the client's drive.
  if (IsSeparator(path[0]))
    return clientFolder.size() >= 2 && clientFolder[1] == ':' ? clientFolder.substr(0, 2) + path : path;
  return Join(clientFolder, path);
}

std::optional<Bytes> CharacterProfileFolder(FileStore& files, const Bytes& clientFolder,
                                            std::string_view title, AnsiCodePage* codePage) {
  std::string_view part = CharacterPartOfTitle(title);
  if (part.empty()) return std::nullopt;
  // The file system folds the letters of folder names as ASCII.
  static const LowerTable kFolderLetters = AsciiLowerTable();
  Bytes root = ClientProfilesFolder(files, clientFolder, codePage);
  if (root.empty()) return std::nullopt;
  std::optional<Bytes> best;
  size_t bestLength = 0;
  std::uint64_t bestWritten = 0;
  for (const Bytes& account : files.ListFolders(root)) {
    Bytes accountFolder = Join(root, account);
    for (const Bytes& server : files.ListFolders(accountFolder)) {
      Bytes serverFolder = Join(accountFolder, server);
      for (const Bytes& character : files.ListFolders(serverFolder)) {
        if (!HoldsName(part, character, kFolderLetters, LeadBytes())) continue;
        if (best && character.size() < bestLength) continue;
        Bytes folder = Join(serverFolder, character);
        FileStamp stamp;
        std::uint64_t written = files.Stamp(Join(folder, kProfileFile), stamp) ? stamp.writeTime : 0;
        if (best && character.size() == bestLength && written <= bestWritten) continue;
        best = std::move(folder);
        bestLength = character.size();
        bestWritten = written;
      }
    }
  }
  return best;
}

ChatSettings ChatSettingsOfProfile(std::string_view profileJson) {
  ChatSettings settings;
  if (auto members = ReadClientJson(profileJson)) {
    auto it = members->find("activate_chat_after_enter");
    settings.enterToChat = it != members->end() && it->second.kind == JsonKind::kTrue;
  }
  return settings;
}

ChatSettings ProfileChatSettings::For(const GameWindow& window) {
  if (window.classic || window.processId == 0) return ChatSettings();
  if (window.processId != processId_ || window.title != title_ || profilePath_.empty()) {
    processId_ = window.processId;
    title_ = window.title;
    profilePath_.clear();
    parsed_ = false;
    // Looked up again for every line until found: a character's folder appears at its first login.
    Bytes image = imagePathOf_ ? imagePathOf_(window.processId) : Bytes();
    Bytes clientFolder =
        image.empty() ? Bytes()
                      : ExecutableDirectory(image, [this](unsigned char b) { return lead_.IsLead(b); });
    if (clientFolder.empty()) return ChatSettings();
    auto folder = CharacterProfileFolder(files_, clientFolder, window.title, codePage_);
    if (!folder) return ChatSettings();
    profilePath_ = Join(*folder, kProfileFile);
  }
  FileStamp stamp;
  if (!files_.Stamp(profilePath_, stamp)) {
    parsed_ = false;
    return ChatSettings();
  }
  if (parsed_ && stamp == stamp_) return settings_;
  if (stamp.size > kMaxJsonBytes) {
    settings_ = ChatSettings();
    stamp_ = stamp;
    parsed_ = true;
    return settings_;
  }
  auto text = ReadClientFile(files_, profilePath_);
  // Too large, or held by the client while it writes: defaults now, read again next line.
  if (!text) return ChatSettings();
  settings_ = ChatSettingsOfProfile(*text);
  stamp_ = stamp;
  parsed_ = true;
  return settings_;
}

}  // namespace parlo
