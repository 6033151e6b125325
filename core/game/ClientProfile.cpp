#include "core/game/ClientProfile.h"

#include <algorithm>

#include "core/settings/AppPaths.h"
#include "core/text/Json.h"

namespace parlo {

namespace {

constexpr const char kSettingsFile[] = "settings.json";
constexpr const char kProfileFile[] = "profile.json";
constexpr const char kDefaultProfile[] = "default.json";
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

bool SameFolder(const Bytes& a, const Bytes& b) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

// Where a client process may keep its settings.json and profiles: the folder it works in, then
// its program's folder when that is another.
std::vector<Bytes> ClientFolders(std::uint32_t processId, const ProcessPathOf& imagePathOf,
                                 const ProcessPathOf& workingFolderOf, const LeadBytes& lead) {
  std::vector<Bytes> folders;
  if (workingFolderOf) {
    Bytes working = workingFolderOf(processId);
    if (!working.empty()) folders.push_back(std::move(working));
  }
  Bytes image = imagePathOf ? imagePathOf(processId) : Bytes();
  Bytes program = image.empty()
                      ? Bytes()
                      : ExecutableDirectory(image, [&lead](unsigned char b) { return lead.IsLead(b); });
  if (!program.empty() && (folders.empty() || !SameFolder(folders.front(), program)))
    folders.push_back(program);
  return folders;
}

// The character's part of a modern client's title, whether it runs under its own name or a shard's.
std::string_view CharacterPart(std::string_view title) {
  std::string_view part = CharacterPartOfTitle(title);
  return part.empty() ? CharacterPartOfRenamedTitle(title) : part;
}

// Of all character folders under the profiles folder, the one whose name appears in the title's
// character part, the longest such name, and among equally long ones the one whose profile.json
// was written last.
std::optional<Bytes> CharacterFolderUnder(FileStore& files, const Bytes& root, std::string_view part) {
  // The file system folds the letters of folder names as ASCII.
  static const LowerTable kFolderLetters = AsciiLowerTable();
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

// Whether the folder's settings.json is a modern client's; nothing when it is there but cannot be
// read now (the client writing it).
std::optional<bool> ModernClientSettingsIn(FileStore& files, const Bytes& folder) {
  const Bytes path = Join(folder, kSettingsFile);
  auto text = ReadClientFile(files, path);
  if (!text) return files.FileExists(path) ? std::nullopt : std::optional<bool>(false);
  auto members = ReadClientJson(*text);
  return members && members->count("ultimaonlinedirectory") > 0;
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
  std::string_view part = CharacterPart(title);
  if (part.empty()) return std::nullopt;
  Bytes root = ClientProfilesFolder(files, clientFolder, codePage);
  if (root.empty()) return std::nullopt;
  return CharacterFolderUnder(files, root, part);
}

bool HoldsModernClientSettings(FileStore& files, const Bytes& folder) {
  return ModernClientSettingsIn(files, folder).value_or(false);
}

void RenamedClientFinder::Mark(std::vector<TopLevelWindow>& windows) {
  std::map<std::uint32_t, bool> listed;
  for (TopLevelWindow& window : windows) {
    if (!window.visible || !NamesNoClient(window, lead_)) continue;
    auto seen = listed.find(window.processId);
    if (seen == listed.end()) {
      auto it = known_.find(window.processId);
      std::optional<bool> runs;
      if (it != known_.end()) {
        runs = it->second;
      } else {
        runs = false;
        for (const Bytes& folder : ClientFolders(window.processId, imagePathOf_, workingFolderOf_, lead_)) {
          runs = ModernClientSettingsIn(files_, folder);
          if (runs != false) break;  // found, or unknown for now
        }
      }
      // A file being written is looked into again at the next listing.
      if (!runs.has_value()) {
        window.modernClientFolder = false;
        continue;
      }
      seen = listed.emplace(window.processId, *runs).first;
    }
    window.modernClientFolder = seen->second;
  }
  // A process no longer listed is forgotten: its number may come back with another program.
  known_ = std::move(listed);
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
    defaultPath_.clear();
    parsed_ = false;
    defaultRead_ = false;
    // Looked up again for every line until found: a character's folder appears at its first login.
    std::string_view part = CharacterPart(window.title);
    if (part.empty()) return ChatSettings();
    for (const Bytes& clientFolder : ClientFolders(window.processId, imagePathOf_, workingFolderOf_, lead_)) {
      Bytes root = ClientProfilesFolder(files_, clientFolder, codePage_);
      // Settings there but unread now: the client's profiles could be anywhere, not in the next folder.
      if (root.empty()) break;
      if (auto folder = CharacterFolderUnder(files_, root, part)) {
        profilePath_ = Join(*folder, kProfileFile);
        defaultPath_ = Join(root, kDefaultProfile);
        break;
      }
    }
    if (profilePath_.empty()) return ChatSettings();
  }
  FileStamp stamp;
  if (!files_.Stamp(profilePath_, stamp)) {
    parsed_ = false;
    return DefaultProfileSettings();
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

// The client read default.json when the character logged in and keeps what it read, so it is
// read once, not watched.
ChatSettings ProfileChatSettings::DefaultProfileSettings() {
  if (defaultRead_) return defaultSettings_;
  FileStamp stamp;
  defaultSettings_ = ChatSettings();
  if (files_.Stamp(defaultPath_, stamp) && stamp.size <= kMaxJsonBytes) {
    auto text = ReadClientFile(files_, defaultPath_);
    if (!text) return ChatSettings();  // held while written: read again next line
    defaultSettings_ = ChatSettingsOfProfile(*text);
  }
  defaultRead_ = true;
  return defaultSettings_;
}

}  // namespace parlo
