#include "tests/e2e/driver/FakeGame.h"

#include <cstdlib>
#include <sstream>

#include "tests/e2e/driver/Ui.h"

namespace parlo::e2e {

GameEvent GameEvent::Parse(const std::string& line) {
  GameEvent event;
  event.raw = line;
  std::istringstream words(line);
  words >> event.kind;
  std::string word;
  while (words >> word) {
    size_t eq = word.find('=');
    if (eq != std::string::npos) event.fields[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return event;
}

std::string GameEvent::Field(const std::string& field) const {
  auto it = fields.find(field);
  return it == fields.end() ? std::string() : it->second;
}

unsigned long GameEvent::Number(const std::string& field) const {
  std::string text = Field(field);
  return text.empty() ? 0 : std::strtoul(text.c_str(), nullptr, 0);
}

std::string FromHex(const std::string& hex) {
  auto digit = [&](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    throw DriverError("not hex: " + hex);
  };
  if (hex.size() % 2) throw DriverError("odd hex: " + hex);
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2)
    bytes += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
  return bytes;
}

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex;
}

FakeGame FakeGame::Start(const std::string& folder, const Options& options) {
  FakeGame game;
  game.logPath_ = JoinPath(folder, options.logName);
  std::vector<std::string> args = {"--log", game.logPath_, "--at",
                                   std::to_string(options.x) + "," + std::to_string(options.y)};
  if (options.hidden) args.push_back("--hidden");
  if (options.modern) args.push_back("--modern");
  if (options.enterChat) args.push_back("--enter-chat");
  if (options.chatLeftOpen) args.push_back("--chat-open");
  if (!options.title.empty()) {
    args.push_back("--title");
    args.push_back(options.title);
  }
  if (!options.windowClass.empty()) {
    args.push_back("--class");
    args.push_back(options.windowClass);
  }
  std::string exe = JoinPath(ExeDir(), "fakegame.exe");
  if (!options.clientFolder.empty()) {
    const std::string clientFolder = JoinPath(folder, options.clientFolder);
    const std::string copy = JoinPath(clientFolder, "fakegame.exe");
    MakeDirs(clientFolder);
    CopyFileTo(exe, copy);
    exe = copy;
  }
  game.process_ = ChildProcess::Start(exe, args, folder);
  if (!game.WaitForKind("ready", kStartTimeoutMs)) {
    throw DriverError("the fake game did not get ready; its log: " +
                      ReadFileBytes(game.logPath_).value_or(""));
  }
  for (const GameEvent& event : game.Events({"ready"})) {
    game.window_ =
        reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(event.Field("hwnd").c_str(), nullptr, 0)));
  }
  if (!IsWindow(game.window_)) throw DriverError("the fake game reported no window");
  return game;
}

std::vector<GameEvent> FakeGame::Events() const {
  std::vector<GameEvent> events;
  std::istringstream log(ReadFileBytes(logPath_).value_or(""));
  std::string line;
  while (std::getline(log, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) events.push_back(GameEvent::Parse(line));
  }
  return events;
}

std::vector<GameEvent> FakeGame::Events(std::initializer_list<const char*> kinds) const {
  std::vector<GameEvent> chosen;
  for (GameEvent& event : Events()) {
    for (const char* kind : kinds) {
      if (event.kind == kind) {
        chosen.push_back(std::move(event));
        break;
      }
    }
  }
  return chosen;
}

std::vector<std::string> FakeGame::Trace(std::initializer_list<const char*> kinds) const {
  std::vector<std::string> lines;
  for (const GameEvent& event : Events(kinds)) lines.push_back(event.raw);
  return lines;
}

std::vector<unsigned> FakeGame::ImeChars() const {
  std::vector<unsigned> codes;
  for (const GameEvent& event : Events({"ime_char"}))
    codes.push_back(static_cast<unsigned>(event.Number("wparam")));
  return codes;
}

std::string FakeGame::Typed() const {
  std::string text;
  for (unsigned code : ImeChars()) text += static_cast<char>(code);
  return text;
}

bool FakeGame::WaitForEnter(size_t count) const {
  return WaitFor(
      [](const GameEvent& e) { return (e.Is("keydown") || e.Is("syskeydown")) && e.Number("vk") == 0x0D; },
      kEventTimeoutMs, count);
}

std::vector<std::string> FakeGame::Lines() const {
  std::vector<std::string> lines;
  for (const GameEvent& event : Events({"line"})) lines.push_back(FromHex(event.Field("hex")));
  return lines;
}

std::vector<std::string> FakeGame::Sent() const {
  std::vector<std::string> messages;
  for (const GameEvent& event : Events({"sent"})) messages.push_back(FromHex(event.Field("hex")));
  return messages;
}

void PutClientProfile(const std::string& clientFolder, const std::string& account, const std::string& server,
                      const std::string& character, const std::string& json) {
  const std::string folder = JoinPath(
      JoinPath(JoinPath(JoinPath(JoinPath(clientFolder, "Data"), "Profiles"), account), server), character);
  MakeDirs(folder);
  WriteFileBytes(JoinPath(folder, "profile.json"), json);
}

bool FakeGame::WaitFor(const std::function<bool(const GameEvent&)>& condition, int timeoutMs,
                       size_t count) const {
  return WaitUntil(
      [&] {
        size_t seen = 0;
        for (const GameEvent& event : Events()) {
          if (condition(event) && ++seen >= count) return true;
        }
        return false;
      },
      timeoutMs, 10);
}

bool FakeGame::WaitForKind(const std::string& kind, int timeoutMs, size_t count) const {
  return WaitFor([&](const GameEvent& event) { return event.kind == kind; }, timeoutMs, count);
}

void FakeGame::WaitQuiet(int quietMs, int timeoutMs) const {
  size_t lastSize = ReadFileBytes(logPath_).value_or("").size();
  ULONGLONG lastChange = GetTickCount64();
  WaitUntil(
      [&] {
        size_t size = ReadFileBytes(logPath_).value_or("").size();
        if (size != lastSize) {
          lastSize = size;
          lastChange = GetTickCount64();
        }
        return GetTickCount64() - lastChange >= static_cast<ULONGLONG>(quietMs);
      },
      timeoutMs, 20);
}

void FakeGame::Close(int timeoutMs) {
  if (!process_.Running()) return;
  PostMessageA(window_, WM_CLOSE, 0, 0);
  if (!process_.WaitExit(timeoutMs)) process_.Kill();
}

}  // namespace parlo::e2e
