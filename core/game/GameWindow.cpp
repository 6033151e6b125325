#include "core/game/GameWindow.h"

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

bool NamesModernClient(std::string_view title, const LowerTable& lower, const LeadBytes& lead) {
  for (const char* name : kModernClientNames)
    if (ContainsFolded(title, name, lower, lead)) return true;
  return false;
}

GameWindow Chosen(const TopLevelWindow& window) {
  return {window.handle, SameClass(window.className, kGameWindowClass), window.title, window.processId};
}

}  // namespace

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
  // The classic client by its class, visible or not, as it has always been found.
  if (auto classic = first([](const TopLevelWindow& w) { return SameClass(w.className, kGameWindowClass); }))
    return classic;
  if (auto rebuilt = first([&](const TopLevelWindow& w) {
        if (!w.visible || !StartsWithFolded(w.title, kDefaultGameCaption, choice.lower, lead)) return false;
        for (const char* rebuiltClass : kRebuiltClientClasses)
          if (SameClass(w.className, rebuiltClass)) return true;
        return false;
      }))
    return rebuilt;
  return first([&](const TopLevelWindow& w) {
    return w.visible && SameClass(w.className, kModernClientClass) &&
           (w.modernClientFolder || NamesModernClient(w.title, choice.lower, lead));
  });
}

}  // namespace parlo
