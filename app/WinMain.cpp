// The program entry: the application title, the main window and the message loop.
#include <windows.h>

#include <array>
#include <memory>

#include "forms/ExceptionBox.h"
#include "forms/Unit_Main.h"
#include "platform/Win32Module.h"

namespace {

// The lead bytes of the ANSI code page, read once at start-up.
parlo::LeadByteTest SystemLeadByteTest() {
  auto table = std::make_shared<std::array<bool, 256>>();
  table->fill(false);
  CPINFO info{};
  if (GetSystemMetrics(SM_DBCSENABLED) && GetCPInfo(CP_ACP, &info)) {
    for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
      for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) (*table)[static_cast<size_t>(b)] = true;
  }
  return [table](unsigned char b) { return (*table)[b]; };
}

int RunParlo(int showCommand) {
  parlo::MainServices services;
  services.exePath = parlo::ExecutablePath();
  services.isLead = SystemLeadByteTest();

  parlo::TForm_Main mainWindow(services);
  mainWindow.Create();
  mainWindow.Show(showCommand);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    // The dialog manager gives the main window Tab, Shift+Tab and the Alt accelerators.
    if (mainWindow.Handle() && IsDialogMessageA(mainWindow.Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  int code = 0;
  parlo::RunGuarded([&] { code = RunParlo(showCommand); });
  (void)code;
  return 0;
}
