#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Bytes.h"
#include "core/GameWindow.h"
#include "core/LeadBytes.h"

namespace parlo {

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
// How long Enter waits for the player to let go of the hot key's modifiers: an Enter with Ctrl or
// Alt still down is another command to the game (another chat channel, or nothing).
constexpr int kModifierWaitMs = 2000;
// The system keeps at most 10,000 posted messages in a thread's queue and drops the rest, so a
// longer line would reach the game without its tail. One of more characters than this (each is
// one posted message) is not sent at all; the room left is for what the game's queue holds.
constexpr std::size_t kMaxLineCharacters = 9000;

inline constexpr const char kElevatedGameText[] =
    "The game runs as administrator, so Windows keeps Parlo's lines from it. Start Parlo as administrator "
    "too.";
inline constexpr const char kElevatedGameCaption[] = "Parlo";

enum class PostResult {
  kQueued,
  kRefused,  // access denied: the game runs with rights we lack
  kFailed,   // anything else, such as a window that has just closed
};

// Every outside effect of delivery.
class GamePort {
 public:
  virtual ~GamePort() = default;
  virtual std::vector<TopLevelWindow> TopLevelWindows() = 0;       // EnumWindows: front to back
  virtual std::uint32_t OwnProcessId() = 0;                        // GetCurrentProcessId
  virtual PostResult PostImeChar(WindowRef w, unsigned code) = 0;  // PostMessageA(w, WM_IME_CHAR, code, 1)
  virtual bool IsVisible(WindowRef w) = 0;                         // IsWindowVisible
  virtual void BringToFront(WindowRef w) = 0;                      // SetForegroundWindow
  virtual bool WaitUntilForeground(WindowRef w, int maxMs) = 0;    // poll GetForegroundWindow, bounded
  virtual bool WaitUntilModifiersReleased(int maxMs) = 0;          // Ctrl, Alt, Shift, Win all up; bounded
  virtual unsigned ScanCode(unsigned vk) = 0;                      // MapVirtualKeyA(vk, 0)
  virtual void KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) = 0;  // keybd_event(..., 0)
};

// The window the player's lines go to now, looked up afresh.
std::optional<GameWindow> FindGameWindow(GamePort& game, const GameChoice& choice, const LeadBytes& lead);

enum class SayResult {
  kNothing,  // an empty line, or one too long to send whole
  kNoGameWindow,
  kNotInFront,  // a client that takes text only in front never got there: nothing was posted
  kRefused,     // the game refused our messages
  kDelivered,   // typed, and Enter pressed unless paste-only or a modifier stayed down
};

// The line as it goes out when it is to be yelled: an emote ": x" becomes "! *x*", a line
// beginning "; " stays as it is, anything else gets "! " in front.
Bytes YellRewrite(const Bytes& line);

// One code per character: a byte, or a lead byte and its trail as lead * 256 + trail
// (a lead byte at the very end counts its missing trail as 0).
std::vector<unsigned> CharacterCodes(const Bytes& text, const LeadBytes& lead);

// Types the text into the game window, then presses Enter, or in paste-only mode only brings
// the window to the front so that the player can finish the line. The classic client is typed
// into first and brought to the front for Enter; every other client is brought to the front
// first, as it drops text that arrives in the background. A line of more than kMaxLineCharacters
// characters is refused whole.
SayResult SendSay(GamePort& game, const LeadBytes& lead, const GameChoice& choice, Bytes text, bool yell,
                  bool pasteOnly);

// One key press with the chosen modifiers held around it, sent after bringing the window to the
// front. False when the window is not visible or does not come to the front within the wait:
// then nothing is sent.
bool SendKey(GamePort& game, WindowRef window, unsigned vk, bool alt, bool ctrl, bool shift);

}  // namespace parlo
