#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/game/ChatSettings.h"
#include "core/game/Character.h"
#include "core/files/FileStore.h"
#include "core/text/LeadBytes.h"
#include "core/text/TextCoding.h"

namespace parlo {

// The modern clients (ClassicUO, TazUO) keep one profile per character in
// <profiles>/<account>/<server>/<character>/profile.json, where <profiles> is "profilespath" of
// the client's settings.json, or Data\Profiles beside it when that is not set. Both count from
// the client's working folder, which is its program's folder unless a shortcut set another. A
// character with no profile.json yet plays on <profiles>/default.json.

// A process's executable path, or the folder it works in; empty when it cannot be learnt.
using ProcessPathOf = std::function<Bytes(std::uint32_t processId)>;

// The client's file text as the client reads it: it takes a lone backslash as itself, so that
// hand-written paths such as "C:\UO\Profiles" load.
Bytes AsClientReadsIt(std::string_view text);

// The folder holding the client's character profiles. A relative profilespath counts from the
// client's folder, which the clients take as their working folder. codePage turns a path that is
// not plain ASCII into the ANSI bytes the file store takes; without one such a path is not used.
// Empty when the folder cannot be known now.
Bytes ClientProfilesFolder(FileStore& files, const Bytes& clientFolder, AnsiCodePage* codePage = nullptr);

// The profile folder of the character named in a modern client's title: of all character folders
// under the client's profiles folder, the one whose name the title's character part holds,
// the longest such name, and among equally long ones the one whose profile.json was written last.
std::optional<Bytes> CharacterProfileFolder(FileStore& files, const Bytes& clientFolder,
                                            std::string_view title, AnsiCodePage* codePage = nullptr);

// Whether the folder holds a modern client's settings.json: a JSON object the client can read
// with its "ultimaonlinedirectory" key.
bool HoldsModernClientSettings(FileStore& files, const Bytes& folder);

// Marks the SDL windows whose title names no client but whose process runs a modern client (by
// its settings.json in the working folder or the program's). A process is looked into once while
// it keeps a window listed, so listing the windows for every line stays cheap.
class RenamedClientFinder {
 public:
  RenamedClientFinder(FileStore& files, ProcessPathOf imagePathOf, ProcessPathOf workingFolderOf,
                      LeadBytes lead = LeadBytes())
      : files_(files), imagePathOf_(std::move(imagePathOf)), workingFolderOf_(std::move(workingFolderOf)),
        lead_(lead) {}

  void Mark(std::vector<TopLevelWindow>& windows);

 private:
  FileStore& files_;
  ProcessPathOf imagePathOf_;
  ProcessPathOf workingFolderOf_;
  LeadBytes lead_;
  std::map<std::uint32_t, bool> known_;  // process: runs a modern client
};

// The chat settings a profile's text sets; the defaults for a profile the client could not read.
ChatSettings ChatSettingsOfProfile(std::string_view profileJson);

// Chat settings read for each line from the profile of the character in the window's title. The
// character's folder is looked up once per process and title, under the client's working folder
// first, then under its program's folder; the profile is parsed again only when its size or write
// time changes, and default.json read once while there is no profile, so a line usually costs one
// stamp.
class ProfileChatSettings : public ChatSettingsSource {
 public:
  using ImagePathOf = ProcessPathOf;

  ProfileChatSettings(FileStore& files, ImagePathOf imagePathOf, LeadBytes lead = LeadBytes(),
                      AnsiCodePage* codePage = nullptr, ProcessPathOf workingFolderOf = nullptr)
      : files_(files), imagePathOf_(std::move(imagePathOf)), lead_(lead), codePage_(codePage),
        workingFolderOf_(std::move(workingFolderOf)) {}

  ChatSettings For(const GameWindow& window) override;

 private:
  ChatSettings DefaultProfileSettings();

  FileStore& files_;
  ImagePathOf imagePathOf_;
  LeadBytes lead_;
  AnsiCodePage* codePage_;
  ProcessPathOf workingFolderOf_;
  // The last window's lookup, kept while its process and title stay.
  std::uint32_t processId_ = 0;
  Bytes title_;
  Bytes profilePath_;  // empty: no profile found
  Bytes defaultPath_;  // default.json of the same profiles folder
  bool parsed_ = false;
  FileStamp stamp_;
  ChatSettings settings_;
  bool defaultRead_ = false;
  ChatSettings defaultSettings_;
};

}  // namespace parlo
