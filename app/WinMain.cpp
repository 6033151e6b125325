// The program entry: the application title, the main window and the message loop.
#include <windows.h>

#include <memory>
#include <thread>

#include "core/game/ClientProfile.h"
#include "forms/ExceptionBox.h"
#include "forms/Unit_Main.h"
#include "platform/Win32Clipboard.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32FileStore.h"
#include "platform/Win32Foreground.h"
#include "platform/Win32GamePort.h"
#include "platform/Win32Module.h"
#include "platform/Win32ProfileStore.h"

namespace {

// A thread still running when its owner goes is waited for, not a reason to abort.
class JoinedAtEnd {
 public:
  explicit JoinedAtEnd(std::thread& thread) : thread_(thread) {}
  ~JoinedAtEnd() {
    if (thread_.joinable()) thread_.join();
  }
  JoinedAtEnd(const JoinedAtEnd&) = delete;
  JoinedAtEnd& operator=(const JoinedAtEnd&) = delete;

 private:
  std::thread& thread_;
};

int RunParlo(int showCommand) {
  parlo::Win32GamePort game;
  parlo::Win32ForegroundWatch foreground;
  parlo::Win32FileStore files;
  parlo::Win32CodePage codePage;
  parlo::Win32ProfileStore profile;
  parlo::MainServices services;
  services.exePath = parlo::ExecutablePath();
  services.leadBytes = parlo::SystemLeadBytes();
  // Each line to a modern client asks its character's profile whether Enter opens the chat.
  parlo::ProfileChatSettings chat(files, parlo::ProcessImagePath, services.leadBytes, &codePage,
                                  parlo::ProcessWorkingFolder);
  services.chat = &chat;
  services.game = &game;
  services.foreground = &foreground;
  services.files = &files;
  services.codePage = &codePage;
  services.profile = &profile;
  services.clipboardText = parlo::ReadClipboardText;
  // Everything of the player's is on disk: the system takes back the windows and a large book's
  // memory at once, faster than they are torn down piece by piece.
  services.written = [] {
    TerminateProcess(GetCurrentProcess(), 0);
  };

  // The book left open is read on a second core while the window is being made, which takes
  // longer: a large book then adds next to nothing to the start. The first load takes it.
  std::unique_ptr<parlo::BookReadAhead> ahead;
  std::thread reader([services, &ahead] {
    try {
      ahead = parlo::ReadStartBookAhead(services);
    } catch (...) {
      // The load reads the book itself.
    }
  });
  JoinedAtEnd joined(reader);
  services.readAhead = [&reader, &ahead] {
    if (reader.joinable()) reader.join();
    return std::move(ahead);
  };

  parlo::TForm_Main mainWindow(services);
  mainWindow.Create();
  mainWindow.Show(showCommand);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (mainWindow.PreTranslateFindKey(msg)) continue;
    // The dialog manager gives the main window Tab, Shift+Tab and the Alt accelerators.
    if (mainWindow.Handle() && IsDialogMessageA(mainWindow.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  // With everything written, the system takes back a large book's memory at once, faster than
  // it is given back piece by piece; nothing left to free holds anything of the player's.
  if (mainWindow.Finished()) ExitProcess(0);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  int code = 0;
  parlo::RunGuarded([&] { code = RunParlo(showCommand); });
  (void)code;
  return 0;
}
