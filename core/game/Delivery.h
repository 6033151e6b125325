#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text/Bytes.h"
#include "core/game/ChatSettings.h"
#include "core/game/GameWindow.h"
#include "core/text/LeadBytes.h"

namespace parlo {

constexpr unsigned kWmImeChar = 0x286;
constexpr unsigned kImeCharLParam = 1;
constexpr unsigned kVkReturn = 13;
constexpr unsigned kVkShift = 16;
constexpr unsigned kVkControl = 17;
constexpr unsigned kVkMenu = 18;  // ALT
constexpr unsigned kKeyExtended = 1;
constexpr unsigned kKeyUp = 2;
// How long a line waits for the game window to take the foreground. The switch is asynchronous
// on some systems, and keys sent before it completes go to the old window.
constexpr int kForegroundWaitMs = 200;
// How long an Enter waits for the player to let go of Ctrl, Alt, Shift and Win: an Enter with
// one of them down is another command to the game (another chat channel, or nothing). A hot key
// is often held a while; past this the player is doing something else.
constexpr int kModifierWaitMs = 10000;
// How often a waiting line looks again.
constexpr int kDeliveryPollMs = 10;
// The system keeps at most 10,000 posted messages in a thread's queue and drops the rest, so a
// longer line would reach the game without its tail. One of more characters than this (each is
// one posted message) is not sent at all; the room left is for what the game's queue holds.
constexpr std::size_t kMaxLineCharacters = 9000;
// The modern clients send at most this many characters a message and keep the rest in the chat.
constexpr std::size_t kChatMessageLimit = 100;
// The modern clients read a chat mode ("! ", "/", "-" ...) off the start of the chat once a frame
// and then clear the chat, so what arrives in the same frame behind the mode's signs is lost. Each
// of those signs is followed by this pause, as long as a frame of a client at 10 frames a second.
constexpr int kChatModePauseMs = 100;

// The key that gives a modern client a clean slate before a line: left Shift, pressed and let go.
//
// While an assistant (a plugin in the client's process) takes a key-down for one of its hot keys,
// the client sets a flag that throws away every text input until a key-down arrives that no
// plugin took (ClassicUO and TazUO: GameController.cs, `_ignoreNextTextInput` in the SDL key-down
// case, which asks Network/Plugin.cs `Plugin.ProcessHotkeys`). Shift is a key-down no plugin takes:
// Razor returns "pass" at once for the six Ctrl/Shift/Alt key codes (Client/ClassicUO.cs,
// `SDL_Keycode_Ignore` in `OnHotKeyHandler`), and ClassicAssist cannot bind a modifier as a hot
// key's key (UI/Controls/TextBoxKey.cs skips them), so its lookup finds nothing. In the game
// scene (Game/Scenes/GameSceneInputHandler.cs `OnKeyDown`/`OnKeyUp`) Shift alone is no chat key
// and no walk key; only a client macro bound to bare Shift would run, which the macro editor does
// not offer on purpose. Translated, Shift gives no character, so nothing reaches the chat.
// A key the client cannot name (such as VK_NONAME) would be safer still in the scene, but SDL
// drops what it cannot map, and the flag would stay set.
constexpr unsigned kCleanSlateKey = kVkShift;

inline constexpr const char kElevatedGameText[] =
    "The game runs as administrator, so Windows keeps Parlo's lines from it. Start Parlo as administrator "
    "too.";
inline constexpr const char kElevatedGameCaption[] = "Parlo";

enum class PostResult {
  kQueued,
  kRefused,  // access denied: the game runs with rights we lack
  kFailed,   // anything else, such as a window that has just closed
};

// Every outside effect of delivery. Nothing here waits: a line that must wait for the window
// system asks again later.
class GamePort {
 public:
  virtual ~GamePort() = default;
  virtual std::vector<TopLevelWindow> TopLevelWindows() = 0;       // EnumWindows: front to back
  virtual std::uint32_t OwnProcessId() = 0;                        // GetCurrentProcessId
  virtual PostResult PostImeChar(WindowRef w, unsigned code) = 0;  // PostMessageA(w, WM_IME_CHAR, code, 1)
  // One character of the ANSI code page (a byte, or lead * 256 + trail) as the window's own
  // Unicode text: PostMessageW(w, WM_CHAR, unit, 1) for each UTF-16 unit it converts to.
  virtual PostResult PostChar(WindowRef w, unsigned code) = 0;
  // PostMessageW(w, WM_KEYDOWN or WM_KEYUP, vk, KeyLParam(scan code of vk, up)).
  virtual PostResult PostKey(WindowRef w, unsigned vk, bool up) = 0;
  virtual bool IsVisible(WindowRef w) = 0;     // IsWindowVisible
  virtual void BringToFront(WindowRef w) = 0;  // SetForegroundWindow
  virtual bool IsForeground(WindowRef w) = 0;  // GetForegroundWindow() == w
  virtual bool ModifiersDown() = 0;            // Ctrl, Alt, Shift or Win held now
  virtual std::uint64_t NowMs() = 0;           // a steady clock
  virtual unsigned ScanCode(unsigned vk) = 0;  // MapVirtualKeyA(vk, 0)
  virtual void KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) = 0;  // keybd_event(..., 0)
};

// The lParam of a posted key message: repeat count 1, the scan code, and for a key-up the
// previous-state and transition bits.
constexpr std::uint32_t KeyLParam(unsigned scanCode, bool up) {
  return 1u | ((scanCode & 0xFFu) << 16) | (up ? 0xC0000000u : 0u);
}

// The window the player's lines go to now, looked up afresh.
std::optional<GameWindow> FindGameWindow(GamePort& game, const GameChoice& choice, const LeadBytes& lead);

enum class SayResult {
  kNothing,  // an empty line, or one too long to send whole
  kNoGameWindow,
  kNotInFront,  // a client that takes text only in front never got there: nothing was posted
  kRefused,     // the game refused our messages
  kFrontLost,   // the game lost the front partway and did not get it back: stopped before the Enter
  kDelivered,   // typed, and Enter pressed unless paste-only or a modifier stayed down
};

// The line as it goes out when it is to be yelled: an emote ": x" becomes "! *x*", a line
// beginning "; " stays as it is, anything else gets "! " in front.
Bytes YellRewrite(const Bytes& line);

// One code per character: a byte, or a lead byte and its trail as lead * 256 + trail
// (a lead byte at the very end counts its missing trail as 0).
std::vector<unsigned> CharacterCodes(const Bytes& text, const LeadBytes& lead);

// How many characters at the start of the line choose the chat's mode (yell, emote, party ...),
// as the modern clients read them; 0 for a plain line.
std::size_t ChatPrefixLength(const std::vector<unsigned>& codes);
// How many characters at the start switch the chat's mode: the prefix, or the "-" of a command
// to the client.
std::size_t ChatModeSwitchLength(const std::vector<unsigned>& codes);

// A line cut into the messages a modern client sends, each of at most kChatMessageLimit
// characters: cut at the last blank within the limit (at the limit when there is none), blanks at
// the start of the rest dropped, the chat-mode prefix repeated on every part and counted in it.
// Commands to the client or the server are never cut: a half command would do something else.
// Characters are counted as the client counts them, in UTF-16 units; one ANSI character, single
// or double byte, is one unit in every code page a player would run.
std::vector<std::vector<unsigned>> SplitChatLine(const std::vector<unsigned>& codes);

// One step of a line's delivery.
struct DeliveryStep {
  enum class Kind {
    kImeChar,         // post WM_IME_CHAR (classic client)
    kChar,            // post WM_CHAR (modern client)
    kKeyDown,         // post WM_KEYDOWN
    kKeyUp,           // post WM_KEYUP
    kFront,           // bring the window to the front
    kAwaitFront,      // wait until it is in front; else stop, having sent nothing
    kAwaitModifiers,  // wait until the modifiers are up; else leave the line typed, in front
    kKeepFront,       // after a wait: still in front, or brought back and waited for; else stop
    kVisibleOrStop,   // a hidden window gets no key
    kPressKey,        // a key press through the input stream (keybd_event)
    kPause,           // let code milliseconds pass
  };
  Kind kind;
  unsigned code = 0;  // the character or the virtual key
  bool operator==(const DeliveryStep& o) const { return kind == o.kind && code == o.code; }
};

// The steps of one line (its codes after any yell) to a classic or a modern client.
// Classic: the characters, posted while it is in the background, then front and Enter.
// Modern: front (text is dropped in the background), the clean-slate key, then for each part the
// characters and Enter; with Enter-to-chat, the characters and Enter twice, which says the part
// once whether the player left the chat open or closed. Paste-only types the line uncut, after an
// Enter that opens a closed chat with Enter-to-chat, and leaves it for the player to send. Every
// wait is followed by a look that the game still has the front.
std::vector<DeliveryStep> PlanDelivery(const std::vector<unsigned>& codes, bool classic,
                                       const ChatSettings& chat, bool pasteOnly);

// One line on its way to the game. Every wait (for the game to come to the front, for the
// player to let go of the modifiers) returns to the caller, who calls Continue again after the
// time asked for, so the window that started the line keeps answering meanwhile.
class Delivery {
 public:
  // Plans the line and runs it as far as it goes without waiting. The chat settings (none: the
  // defaults) are asked once, for a modern client's window. While a line is on its way another
  // is dropped, not queued (false), so that a held or hammered key cannot join lines in the chat
  // long after the player stopped.
  bool Start(GamePort& game, const LeadBytes& lead, const GameChoice& choice, ChatSettingsSource* chat,
             Bytes text, bool yell, bool pasteOnly);
  // Runs on after a wait, until the next wait or the end of the line.
  void Continue(GamePort& game);
  // A line is under way: a press meanwhile is dropped.
  bool Busy() const { return busy_; }
  // How long to wait before Continue; meaningful while Busy.
  int WaitMs() const { return kDeliveryPollMs; }
  // How the last line ended, once it has.
  SayResult Result() const { return result_; }
  // The window the last line went to; 0 when none was found.
  WindowRef Window() const { return window_; }

 private:
  enum class Wait { kDone, kLater, kTimedOut };
  // Whether a wait that holds when done is over, still on, or out of its time.
  Wait Await(GamePort& game, bool done, int maxMs);
  void Run(GamePort& game);
  void Finish(SayResult result);

  std::vector<DeliveryStep> steps_;
  std::size_t next_ = 0;
  WindowRef window_ = 0;
  bool busy_ = false;
  bool waiting_ = false;
  bool posted_ = false;  // a character has gone out
  std::uint64_t deadline_ = 0;
  SayResult result_ = SayResult::kNothing;
};

// Runs a line to its end, calling wait(ms) between the looks: for tools and tests.
template <typename Wait>
SayResult SendSay(GamePort& game, const LeadBytes& lead, const GameChoice& choice, Bytes text, bool yell,
                  bool pasteOnly, ChatSettingsSource* chat, Wait wait) {
  Delivery delivery;
  delivery.Start(game, lead, choice, chat, std::move(text), yell, pasteOnly);
  while (delivery.Busy()) {
    wait(delivery.WaitMs());
    delivery.Continue(game);
  }
  return delivery.Result();
}

// One key press with the chosen modifiers held around it, through the input stream, to whichever
// window is in front.
void SendKey(GamePort& game, unsigned vk, bool alt, bool ctrl, bool shift);

}  // namespace parlo
