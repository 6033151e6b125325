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

void SendSay(GamePort& game, const LeadBytes& lead, Bytes text, bool yell, bool pasteOnly) {
  if (text.empty()) return;
  if (yell) text = YellRewrite(text);
  const std::vector<unsigned> codes = CharacterCodes(text, lead);
  if (codes.size() > kMaxLineCharacters) return;
  WindowRef window = game.FindGameWindow();
  if (!window) return;
  for (unsigned code : codes) game.PostImeChar(window, code);
  if (pasteOnly) {
    game.BringToFront(window);
    return;
  }
  SendKey(game, window, kVkReturn, false, false, false);
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
