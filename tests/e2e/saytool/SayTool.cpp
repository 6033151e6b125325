// Sends one chat line to the game window through the program's own delivery code, from the
// command line, so that scenarios can watch exactly what the real Win32 port puts out.
//
//   saytool.exe <hex bytes> [--yell] [--paste] [--front] [--caption <text>] [--enter-chat]
//
// --front first opens a small window of its own and waits until it is the foreground window, the
// way Parlo is in front when the player clicks a send button; delivery must still get Enter to
// the game then. --caption chooses the game window as the player's caption does. --enter-chat
// sends to a modern client as to one whose player opens the chat with Enter. Exit code 0
// after sending, 2 for bad arguments, 3 when --front could not take the foreground.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/game/Delivery.h"
#include "platform/Win32GamePort.h"

namespace {

bool ParseHex(const char* text, std::string& bytes) {
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  size_t n = std::strlen(text);
  if (n % 2) return false;
  for (size_t i = 0; i < n; i += 2) {
    int hi = digit(text[i]), lo = digit(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes += static_cast<char>(hi * 16 + lo);
  }
  return true;
}

// Pumps what the window system sent us while we wait, so our window answers activation.
void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// A plain window of ours that takes the foreground, standing in for Parlo's main window.
HWND OpenFrontWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SayToolFront";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "saytool", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 600, 240,
                              120, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return nullptr;
  SetForegroundWindow(hwnd);
  const ULONGLONG deadline = GetTickCount64() + 3000;
  while (GetForegroundWindow() != hwnd && GetTickCount64() < deadline) {
    PumpMessages();
    Sleep(2);
  }
  PumpMessages();
  return GetForegroundWindow() == hwnd ? hwnd : nullptr;
}

// The same chat settings for every window.
struct FixedChatSettings : parlo::ChatSettingsSource {
  parlo::ChatSettings settings;
  parlo::ChatSettings For(const parlo::GameWindow&) override { return settings; }
};

}  // namespace

int main(int argc, char** argv) {
  std::string text;
  parlo::GameChoice choice;
  bool yell = false, paste = false, front = false, haveText = false;
  FixedChatSettings enterChat;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--yell") == 0) {
      yell = true;
    } else if (std::strcmp(argv[i], "--paste") == 0) {
      paste = true;
    } else if (std::strcmp(argv[i], "--front") == 0) {
      front = true;
    } else if (std::strcmp(argv[i], "--enter-chat") == 0) {
      enterChat.settings.enterToChat = true;
    } else if (std::strcmp(argv[i], "--caption") == 0 && i + 1 < argc) {
      choice.caption = argv[++i];
    } else if (!haveText && ParseHex(argv[i], text)) {
      haveText = true;
    } else {
      std::fprintf(stderr,
                   "usage: saytool.exe <hex bytes> [--yell] [--paste] [--front] [--caption <text>] "
                   "[--enter-chat]\n");
      return 2;
    }
  }
  if (!haveText) {
    std::fprintf(
        stderr,
        "usage: saytool.exe <hex bytes> [--yell] [--paste] [--front] [--caption <text>] [--enter-chat]\n");
    return 2;
  }

  HWND frontWindow = nullptr;
  if (front && !(frontWindow = OpenFrontWindow())) {
    std::fprintf(stderr, "saytool: could not take the foreground\n");
    return 3;
  }

  parlo::Win32GamePort port;
  // The waits between the steps keep this tool's window answering, as Parlo's does.
  parlo::SendSay(port, parlo::SystemLeadBytes(), choice, text, yell, paste, &enterChat, [](int ms) {
    PumpMessages();
    Sleep(static_cast<DWORD>(ms));
  });
  PumpMessages();
  if (frontWindow) DestroyWindow(frontWindow);
  return 0;
}
