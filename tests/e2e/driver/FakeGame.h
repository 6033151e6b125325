#pragma once
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/driver/Files.h"
#include "tests/e2e/driver/Process.h"
#include "tests/e2e/driver/Wait.h"

namespace parlo::e2e {

// One line of the fake game's log, e.g. "keydown vk=0x0D scan=0x1C ext=0":
// kind "keydown", fields vk, scan, ext.
struct GameEvent {
  std::string raw;
  std::string kind;
  std::map<std::string, std::string> fields;

  static GameEvent Parse(const std::string& line);
  bool Is(const std::string& k) const { return kind == k; }
  // A field as a number (hex with 0x, else decimal); 0 when missing.
  unsigned long Number(const std::string& field) const;
  std::string Field(const std::string& field) const;
};

// The fake game client (fakegame.exe) started in a scenario folder, and what it logged. Its log
// lists, in arrival order: ime_char (wparam, lparam), keydown/keyup/syskeydown/syskeyup (vk, scan,
// ext), activate (state), setfocus, killfocus, line (hex of the chat line Enter ended), close;
// a modern one also char (wparam, focus, kept, why), assistant key, chat open / chat closed,
// mode (name), sent (mode, hex of each message) and rest (hex of what stays in the chat).
class FakeGame {
 public:
  struct Options {
    bool hidden = false;
    bool modern = false;     // the modern clients' kind of window instead of the classic one
    bool enterChat = false;  // modern: the chat stays closed until Enter opens it
    bool chatLeftOpen = false;  // enterChat: the player left the chat open
    // When set, a copy of the game is started from this folder, inside the scenario's folder
    // (made when missing), working in the scenario's folder as a shortcut may set it: a modern
    // client's profiles lie beside its program or in the folder it works in.
    std::string clientFolder;
    std::string title;        // empty: the practice window's own title
    std::string windowClass;  // empty: "Ultima Online"; another stands for a window that is not the game
    int x = 20, y = 40;  // outer top-left corner, clear of Parlo's default place
    std::string logName = "game.log";
  };

  // Starts the game and waits until its window exists; throws DriverError when it does not.
  static FakeGame Start(const std::string& folder, const Options& options);
  static FakeGame Start(const std::string& folder) { return Start(folder, Options()); }

  HWND Window() const { return window_; }
  ChildProcess& Process() { return process_; }
  const std::string& LogPath() const { return logPath_; }

  std::vector<GameEvent> Events() const;
  // Only the events of these kinds, in order.
  std::vector<GameEvent> Events(std::initializer_list<const char*> kinds) const;
  // The raw log lines of these kinds: what a scenario compares with an expected table.
  std::vector<std::string> Trace(std::initializer_list<const char*> kinds) const;
  std::vector<unsigned> ImeChars() const;
  // The single-byte characters received, as bytes.
  std::string Typed() const;
  // The chat lines Enter ended, as bytes.
  std::vector<std::string> Lines() const;
  // Modern: the messages the chat sent, as bytes.
  std::vector<std::string> Sent() const;

  // Waits until the log holds at least `count` events that satisfy the condition.
  bool WaitFor(const std::function<bool(const GameEvent&)>& condition, int timeoutMs = kEventTimeoutMs,
               size_t count = 1) const;
  bool WaitForKind(const std::string& kind, int timeoutMs = kEventTimeoutMs, size_t count = 1) const;
  // Enter pressed after the characters. With ALT in the hot key the user may still hold it when
  // the line goes out, so the game can see ALT+Enter: a system key, but Enter all the same.
  bool WaitForEnter(size_t count = 1) const;
  // Waits until the log has stopped growing for quietMs (at most timeoutMs in all): the way to
  // say "and nothing more arrived".
  void WaitQuiet(int quietMs = 300, int timeoutMs = 3000) const;

  bool IsForeground() const { return GetForegroundWindow() == window_; }

  // Closes the window and waits for the program to end; kills it when it does not.
  void Close(int timeoutMs = kExitTimeoutMs);

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
  std::string logPath_;
};

// A modern client's profile of one character, beside a client started from clientFolder:
// <clientFolder>\Data\Profiles\<account>\<server>\<character>\profile.json.
void PutClientProfile(const std::string& clientFolder, const std::string& account, const std::string& server,
                      const std::string& character, const std::string& json);

// Bytes from hex digits ("82A0" -> "\x82\xA0"); throws DriverError on anything else.
std::string FromHex(const std::string& hex);
std::string ToHex(const std::string& bytes);

}  // namespace parlo::e2e
