#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Bytes.h"
#include "core/LeadBytes.h"

namespace parlo {

using WindowRef = std::uintptr_t;  // 0 = no window

inline constexpr const char kGameWindowClass[] = "Ultima Online";
constexpr unsigned kWmImeChar = 0x286;
constexpr unsigned kImeCharLParam = 1;
constexpr unsigned kVkReturn = 13;
constexpr unsigned kVkShift = 16;
constexpr unsigned kVkControl = 17;
constexpr unsigned kVkMenu = 18;  // ALT
constexpr unsigned kKeyExtended = 1;
constexpr unsigned kKeyUp = 2;
// How long a key press waits for the game window to take the foreground. The switch is
// asynchronous on some systems, and keys sent before it completes go to the old window.
constexpr int kForegroundWaitMs = 200;
// The system keeps at most 10,000 posted messages in a thread's queue and drops the rest, so a
// longer line would reach the game without its tail. One of more characters than this (each is
// one posted message) is not sent at all; the room left is for what the game's queue holds.
constexpr std::size_t kMaxLineCharacters = 9000;

// Every outside effect of delivery.
class GamePort {
 public:
  virtual ~GamePort() = default;
  virtual WindowRef FindGameWindow() = 0;                        // FindWindowA("Ultima Online", nullptr)
  virtual void PostImeChar(WindowRef w, unsigned code) = 0;      // PostMessageA(w, WM_IME_CHAR, code, 1)
  virtual bool IsVisible(WindowRef w) = 0;                       // IsWindowVisible
  virtual void BringToFront(WindowRef w) = 0;                    // SetForegroundWindow
  virtual bool WaitUntilForeground(WindowRef w, int maxMs) = 0;  // poll GetForegroundWindow, bounded
  virtual unsigned ScanCode(unsigned vk) = 0;                    // MapVirtualKeyA(vk, 0)
  virtual void KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) = 0;  // keybd_event(..., 0)
};

// The line as it goes out when it is to be yelled: an emote ": x" becomes "! *x*", a line
// beginning "; " stays as it is, anything else gets "! " in front.
Bytes YellRewrite(const Bytes& line);

// One code per character: a byte, or a lead byte and its trail as lead * 256 + trail
// (a lead byte at the very end counts its missing trail as 0).
std::vector<unsigned> CharacterCodes(const Bytes& text, const LeadBytes& lead);

// Types the text into the game window, then presses Enter, or in paste-only mode only brings
// the window to the front so that the player can finish the line. Fire-and-forget; a line of
// more than kMaxLineCharacters characters is refused whole.
void SendSay(GamePort& game, const LeadBytes& lead, Bytes text, bool yell, bool pasteOnly);

// One key press with the chosen modifiers held around it, sent after bringing the window to the
// front. False when the window is not visible or does not come to the front within the wait:
// then nothing is sent.
bool SendKey(GamePort& game, WindowRef window, unsigned vk, bool alt, bool ctrl, bool shift);

}  // namespace parlo
