#include "tests/e2e/driver/ParloApp.h"

namespace parlo::e2e {

ParloApp ParloApp::Launch(const ScenarioDir& folder, int timeoutMs) {
  std::string built = JoinPath(ExeDir(), "parlo.exe");
  if (!FileExists(built)) throw DriverError("parlo.exe has not been built: " + built);
  std::string exe = folder.File("parlo.exe");
  if (!FileExists(exe)) CopyFileTo(built, exe);

  ParloApp app;
  app.process_ = ChildProcess::Start(exe, {}, folder.Path());
  // Stop waiting early when the program dies at start, so that the test says so at once.
  WaitUntil(
      [&] {
        app.main_ = FindTopLevel(PARLO_CLASS_MAIN, std::string(kParloTitle), app.Pid());
        return app.main_ || !app.process_.Running();
      },
      timeoutMs, 20);
  if (!app.main_) {
    std::optional<DWORD> code = app.process_.WaitExit(0);
    throw DriverError(code ? "parlo.exe ended at start with exit code " + std::to_string(*code)
                           : "parlo.exe showed no main window within " + std::to_string(timeoutMs) + " ms");
  }
  // Created is not yet shown: wait until the window is visible, as a user would see it.
  WaitUntil([&] { return IsWindowVisible(app.main_) != FALSE; }, timeoutMs, 10);
  return app;
}

void ParloApp::Click(int id) {
  HWND control = Control(id);
  BringToFront(main_);
  e2e::Click(control);
}

std::optional<DWORD> ParloApp::Close(int timeoutMs) {
  if (!process_.Running()) return process_.WaitExit(0);
  PostMessageA(main_, WM_CLOSE, 0, 0);
  return process_.WaitExit(timeoutMs);
}

}  // namespace parlo::e2e
