#include "core/Delivery.h"

namespace parlo {

Bytes YellRewrite(const Bytes& line) {
  Bytes head = line.substr(0, 2);
  if (head == ": ") return "! *" + line.substr(2) + "*";
  if (head == "; ") return line;
  return "! " + line;
}

std::vector<unsigned> CharacterCodes(const Bytes& text, const LeadBytes& lead) {
  std::vector<unsigned> codes;
  codes.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    unsigned byte = static_cast<unsigned char>(text[i]);
    if (lead.IsLead(static_cast<unsigned char>(byte))) {
      unsigned trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
      codes.push_back(byte * 256 + trail);
      i += 2;
    } else {
      codes.push_back(byte);
      i += 1;
    }
  }
  return codes;
}

std::optional<GameWindow> FindGameWindow(GamePort& game, const GameChoice& choice, const LeadBytes& lead) {
  return ChooseGameWindow(game.TopLevelWindows(), choice, lead, game.OwnProcessId());
}

namespace {

// False when the game refuses our messages; nothing more is posted then.
bool PostCharacters(GamePort& game, WindowRef window, const std::vector<unsigned>& codes) {
  for (unsigned code : codes)
    if (game.PostImeChar(window, code) == PostResult::kRefused) return false;
  return true;
}

void PressEnter(GamePort& game, WindowRef window) {
  if (!game.WaitUntilModifiersReleased(kModifierWaitMs)) {
    // Better a line left typed in the chat, in front for the player to send, than a modified Enter.
    if (game.IsVisible(window)) game.BringToFront(window);
    return;
  }
  SendKey(game, window, kVkReturn, false, false, false);
}

}  // namespace

SayResult SendSay(GamePort& game, const LeadBytes& lead, const GameChoice& choice, Bytes text, bool yell,
                  bool pasteOnly) {
  if (text.empty()) return SayResult::kNothing;
  if (yell) text = YellRewrite(text);
  const std::vector<unsigned> codes = CharacterCodes(text, lead);
  if (codes.size() > kMaxLineCharacters) return SayResult::kNothing;
  const std::optional<GameWindow> found = FindGameWindow(game, choice, lead);
  if (!found) return SayResult::kNoGameWindow;
  const WindowRef window = found->handle;
  if (found->classic) {
    if (!PostCharacters(game, window, codes)) return SayResult::kRefused;
    if (pasteOnly) {
      game.BringToFront(window);
      return SayResult::kDelivered;
    }
  } else {
    // Text that reaches these clients in the background is thrown away.
    game.BringToFront(window);
    if (!game.WaitUntilForeground(window, kForegroundWaitMs)) return SayResult::kNotInFront;
    if (!PostCharacters(game, window, codes)) return SayResult::kRefused;
    if (pasteOnly) return SayResult::kDelivered;
  }
  PressEnter(game, window);
  return SayResult::kDelivered;
}

bool SendKey(GamePort& game, WindowRef window, unsigned vk, bool alt, bool ctrl, bool shift) {
  if (!game.IsVisible(window)) return false;
  game.BringToFront(window);
  // Keys go to whichever window is in front. If the game never gets there, nothing is pressed:
  // an Enter would re-click Parlo's own focused button (sending the line again) or land in
  // another program. The line stays typed in the game's chat, as in paste mode.
  if (!game.WaitUntilForeground(window, kForegroundWaitMs)) return false;
  unsigned ctrlScan = game.ScanCode(kVkControl) & 0xFF;
  unsigned shiftScan = game.ScanCode(kVkShift) & 0xFF;
  unsigned altScan = game.ScanCode(kVkMenu) & 0xFF;
  unsigned keyScan = game.ScanCode(vk) & 0xFF;
  if (alt) game.KeyEvent(kVkMenu, altScan, kKeyExtended);
  if (ctrl) game.KeyEvent(kVkControl, ctrlScan, 0);
  if (shift) game.KeyEvent(kVkShift, shiftScan, 0);
  game.KeyEvent(vk, keyScan, 0);
  game.KeyEvent(vk, keyScan, kKeyUp);
  if (shift) game.KeyEvent(kVkShift, shiftScan, kKeyUp);
  if (ctrl) game.KeyEvent(kVkControl, ctrlScan, kKeyUp);
  if (alt) game.KeyEvent(kVkMenu, altScan, kKeyExtended | kKeyUp);
  return true;
}

}  // namespace parlo
