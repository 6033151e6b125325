#include "core/game/GameWindow.h"

#include "core/game/Character.h"

namespace parlo {

namespace {

// Window classes are matched as the system matches them: ASCII letters in either case.
bool SameClass(std::string_view a, std::string_view b) {
  static const LowerTable ascii = AsciiLowerTable();
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ascii[static_cast<unsigned char>(a[i])] != ascii[static_cast<unsigned char>(b[i])]) return false;
  return true;
}


GameWindow Chosen(const TopLevelWindow& window) {
  return {window.handle, SameClass(window.className, kGameWindowClass), window.title, window.processId};
}

bool IsClassic(const TopLevelWindow& w) { return SameClass(w.className, kGameWindowClass); }

bool IsRebuilt(const TopLevelWindow& w, const LowerTable& lower, const LeadBytes& lead) {
  if (!w.visible || !StartsWithFolded(w.title, kDefaultGameCaption, lower, lead)) return false;
  for (const char* rebuiltClass : kRebuiltClientClasses)
    if (SameClass(w.className, rebuiltClass)) return true;
  return false;
}

bool NamesModernClient(std::string_view title, const LowerTable& lower, const LeadBytes& lead) {
  for (const char* name : kModernClientNames)
    if (ContainsFolded(title, name, lower, lead)) return true;
  return false;
}

// A shard's renamed build is known by the settings in its folder, which the port marks.
bool IsModern(const TopLevelWindow& w, const LowerTable& lower, const LeadBytes& lead) {
  return w.visible && SameClass(w.className, kModernClientClass) &&
         (w.modernClientFolder || NamesModernClient(w.title, lower, lead));
}

// The character's name as a client's title would hold it among every book's.
std::vector<Bytes> NamesWith(const GameChoice& choice, const LeadBytes& lead) {
  std::vector<Bytes> names = choice.characters;
  bool listed = false;
  for (const Bytes& name : names) listed = listed || SameName(name, choice.character, choice.lower, lead);
  if (!listed) names.push_back(choice.character);
  return names;
}

}  // namespace

// The settings file gives the default back without its trailing blank when the key was missing,
// and every earlier version wrote it so: with or without, it is the default.
bool IsDefaultCaption(const GameChoice& choice, const LeadBytes& lead) {
  std::string_view caption = choice.caption;
  std::string_view standard = kDefaultGameCaption;
  while (!caption.empty() && caption.back() == ' ') caption.remove_suffix(1);
  while (!standard.empty() && standard.back() == ' ') standard.remove_suffix(1);
  return caption.empty() ||
         (caption.size() == standard.size() && StartsWithFolded(caption, standard, choice.lower, lead));
}

bool IsGameClient(const TopLevelWindow& window, const LowerTable& lower, const LeadBytes& lead) {
  return IsClassic(window) || IsRebuilt(window, lower, lead) || IsModern(window, lower, lead);
}

std::vector<Bytes> CharactersInGame(const std::vector<TopLevelWindow>& windows, const GameChoice& choice,
                                    const LeadBytes& lead, std::uint32_t ownProcessId) {
  std::vector<Bytes> found;
  for (const TopLevelWindow& w : windows) {
    if (w.processId == ownProcessId || !IsGameClient(w, choice.lower, lead)) continue;
    if (auto owner = CharacterOfWindow(w, choice.characters, choice.lower, lead))
      found.push_back(choice.characters[*owner]);
  }
  return found;
}

bool NamesNoClient(const TopLevelWindow& window, const LeadBytes& lead) {
  static const LowerTable ascii = AsciiLowerTable();
  return SameClass(window.className, kModernClientClass) && !NamesModernClient(window.title, ascii, lead);
}

std::optional<GameWindow> ChooseGameWindow(const std::vector<TopLevelWindow>& windows,
                                           const GameChoice& choice, const LeadBytes& lead,
                                           std::uint32_t ownProcessId) {
  auto first = [&](auto&& matches) -> std::optional<GameWindow> {
    for (const TopLevelWindow& window : windows)
      if (window.processId != ownProcessId && matches(window)) return Chosen(window);
    return std::nullopt;
  };
  if (!IsDefaultCaption(choice, lead)) {
    return first([&](const TopLevelWindow& w) {
      return w.visible && StartsWithFolded(w.title, choice.caption, choice.lower, lead);
    });
  }
  if (!choice.character.empty()) {
    const std::vector<Bytes> names = NamesWith(choice, lead);
    if (auto own = first([&](const TopLevelWindow& w) {
          if (!IsGameClient(w, choice.lower, lead)) return false;
          auto owner = CharacterOfWindow(w, names, choice.lower, lead);
          return owner && SameName(names[*owner], choice.character, choice.lower, lead);
        }))
      return own;
    if (choice.characterSeen) return std::nullopt;
  }
  // The classic client by its class, visible or not, as it has always been found.
  if (auto classic = first(IsClassic)) return classic;
  if (auto rebuilt = first([&](const TopLevelWindow& w) { return IsRebuilt(w, choice.lower, lead); }))
    return rebuilt;
  return first([&](const TopLevelWindow& w) { return IsModern(w, choice.lower, lead); });
}

}  // namespace parlo
