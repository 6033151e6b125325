#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "core/text/Bytes.h"
#include "core/game/ChatSettings.h"
#include "core/game/Character.h"
#include "core/files/FileStore.h"
#include "core/text/LeadBytes.h"
#include "core/text/TextCoding.h"

namespace parlo {

// The modern clients (ClassicUO, TazUO) keep one profile per character in
// <profiles>/<account>/<server>/<character>/profile.json, where <profiles> is "profilespath" of
// settings.json beside the client's executable, or Data\Profiles there when that is not set.

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

// The chat settings a profile's text sets; the defaults for a profile the client could not read.
ChatSettings ChatSettingsOfProfile(std::string_view profileJson);

// Chat settings read for each line from the profile of the character in the window's title. The
// character's folder is looked up once per process and title, and the profile parsed again only
// when its size or write time changes, so a line usually costs one stamp.
class ProfileChatSettings : public ChatSettingsSource {
 public:
  // imagePath: the full path of a process's executable, empty when it cannot be learnt.
  using ImagePathOf = std::function<Bytes(std::uint32_t processId)>;

  ProfileChatSettings(FileStore& files, ImagePathOf imagePathOf, LeadBytes lead = LeadBytes(),
                      AnsiCodePage* codePage = nullptr)
      : files_(files), imagePathOf_(std::move(imagePathOf)), lead_(lead), codePage_(codePage) {}

  ChatSettings For(const GameWindow& window) override;

 private:
  FileStore& files_;
  ImagePathOf imagePathOf_;
  LeadBytes lead_;
  AnsiCodePage* codePage_;
  // The last window's lookup, kept while its process and title stay.
  std::uint32_t processId_ = 0;
  Bytes title_;
  Bytes profilePath_;  // empty: no profile found
  bool parsed_ = false;
  FileStamp stamp_;
  ChatSettings settings_;
};

}  // namespace parlo
