#include "core/game/Character.h"

namespace parlo {

namespace {

// What the modern clients put after the text they are given for their title.
constexpr std::string_view kModernTitleMarkers[] = {" - ClassicUO", " - [TazUO", " - TazUO"};
// What stands before the character: the classic and rebuilt clients' own title, Razor's default.
constexpr std::string_view kTitlePrefixes[] = {"Ultima Online - ", "UO - "};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// A byte that can be part of a name's word: an ASCII letter or digit, or any byte of a character
// beyond ASCII (accented letters, double-byte characters).
bool IsWordByte(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80;
}

}  // namespace

std::string_view CharacterPartOfTitle(std::string_view title) {
  size_t end = std::string_view::npos;
  for (std::string_view marker : kModernTitleMarkers) {
    size_t at = title.rfind(marker);
    if (at != std::string_view::npos && (end == std::string_view::npos || at > end)) end = at;
  }
  const bool modern = end != std::string_view::npos;
  std::string_view part = modern ? title.substr(0, end) : title;
  for (std::string_view prefix : kTitlePrefixes)
    if (StartsWith(part, prefix)) return part.substr(prefix.size());
  return modern ? part : std::string_view();
}

bool HoldsName(std::string_view part, std::string_view name, const LowerTable& lower, const LeadBytes& lead) {
  if (name.empty() || name.size() > part.size()) return false;
  bool wordBefore = false;  // the character before the current one belongs to a word
  for (size_t i = 0; i < part.size();) {
    const auto b = static_cast<unsigned char>(part[i]);
    const size_t width = lead.IsLead(b) && i + 1 < part.size() ? 2 : 1;
    if (!wordBefore && StartsWithFolded(part.substr(i), name, lower, lead)) {
      const size_t after = i + name.size();
      if (after >= part.size() || !IsWordByte(static_cast<unsigned char>(part[after]))) return true;
    }
    wordBefore = width == 2 || IsWordByte(b);
    i += width;
  }
  return false;
}

bool SameName(std::string_view a, std::string_view b, const LowerTable& lower, const LeadBytes& lead) {
  return a.size() == b.size() && StartsWithFolded(a, b, lower, lead);
}

std::string_view CharacterPartOfRenamedTitle(std::string_view title) {
  constexpr std::string_view kDash = " - ";
  size_t last = title.rfind(kDash);
  if (last == std::string_view::npos) return std::string_view();
  std::string_view tail = title.substr(last + kDash.size());
  bool version = !tail.empty() && tail.front() >= '0' && tail.front() <= '9';
  if (!version) return title.substr(0, last);
  // "<name> - <version>": the client's name stands one part earlier.
  size_t name = last == 0 ? std::string_view::npos : title.rfind(kDash, last - 1);
  return name == std::string_view::npos ? std::string_view() : title.substr(0, name);
}

std::string_view CharacterPartOfWindow(const TopLevelWindow& window) {
  const std::string_view part = CharacterPartOfTitle(window.title);
  return part.empty() && window.modernClientFolder ? CharacterPartOfRenamedTitle(window.title) : part;
}

namespace {

std::optional<std::size_t> CharacterOfPart(std::string_view part, const std::vector<Bytes>& names,
                                           const LowerTable& lower, const LeadBytes& lead) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (best && names[i].size() <= names[*best].size()) continue;
    if (HoldsName(part, names[i], lower, lead)) best = i;
  }
  return best;
}

}  // namespace

std::optional<std::size_t> CharacterOfTitle(std::string_view title, const std::vector<Bytes>& names,
                                            const LowerTable& lower, const LeadBytes& lead) {
  return CharacterOfPart(CharacterPartOfTitle(title), names, lower, lead);
}

std::optional<std::size_t> CharacterOfWindow(const TopLevelWindow& window, const std::vector<Bytes>& names,
                                             const LowerTable& lower, const LeadBytes& lead) {
  return CharacterOfPart(CharacterPartOfWindow(window), names, lower, lead);
}

std::optional<std::size_t> FollowForeground(FollowState& state, const TopLevelWindow& front,
                                            std::uint32_t ownProcessId, bool broughtByParlo,
                                            const std::vector<Bytes>& bookCharacters,
                                            std::optional<std::size_t> openBook, const LowerTable& lower,
                                            const LeadBytes& lead) {
  if (front.processId == ownProcessId || !IsGameClient(front, lower, lead)) return std::nullopt;
  const std::optional<std::size_t> owner = CharacterOfWindow(front, bookCharacters, lower, lead);
  const Bytes character = owner ? bookCharacters[*owner] : Bytes();
  if (front.handle == state.client && SameName(character, state.character, lower, lead)) return std::nullopt;
  state.client = front.handle;
  state.character = character;
  if (!owner || broughtByParlo) return std::nullopt;
  if (openBook && *openBook < bookCharacters.size() &&
      SameName(bookCharacters[*openBook], character, lower, lead))
    return std::nullopt;
  return owner;
}

}  // namespace parlo
