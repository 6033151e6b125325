#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "forms/ControlIds.h"
#include "tests/e2e/driver/Files.h"
#include "tests/e2e/driver/Process.h"
#include "tests/e2e/driver/Ui.h"
#include "tests/e2e/driver/Wait.h"

namespace parlo::e2e {

constexpr char kParloTitle[] = "Parlo!";

// parlo.exe running from a scenario folder (its settings and say files live beside it).
class ParloApp {
 public:
  // Copies parlo.exe from the build into the folder (unless it is there), starts it and waits for
  // its main window; throws DriverError when the window does not appear in time.
  static ParloApp Launch(const ScenarioDir& folder, int timeoutMs = kStartTimeoutMs);

  HWND Main() const { return main_; }
  DWORD Pid() const { return process_.Pid(); }
  ChildProcess& Process() { return process_; }
  bool Running() const { return process_.Running(); }

  // A control of the main window by its id (throws DriverError when it is missing).
  HWND Control(int id) const { return WaitForControl(main_, id); }
  std::string ControlText(int id) const { return TextOf(Control(id)); }
  RECT Bounds() const { return WindowRectOf(main_); }

  // A real mouse click on the control; the main window is brought to the front first so that
  // nothing covers it.
  void Click(int id);
  // BM_CLICK posted: returns at once, fit for clicks that open modal boxes.
  void PostClick(int id) { e2e::PostClick(Control(id)); }
  // BM_CLICK sent: returns once the click has been handled.
  bool SendClick(int id, int timeoutMs = 5000) { return e2e::SendClick(Control(id), timeoutMs); }

  // A message box of this Parlo with the caption.
  std::optional<MessageBoxWindow> WaitForMessageBox(const std::string& caption, int timeoutMs = 5000) const {
    return e2e::WaitForMessageBox(caption, Pid(), timeoutMs);
  }
  // A top-level window of this Parlo (a dialog) by class and, when given, caption.
  HWND WaitForWindow(const std::string& className, const std::optional<std::string>& title = std::nullopt,
                     int timeoutMs = 5000) const {
    return WaitForTopLevel(className, title, Pid(), timeoutMs);
  }

  // Asks the main window to close (WM_CLOSE) and returns the exit code, or nothing when the
  // program is still running after the time (it is then left to the destructor to kill).
  std::optional<DWORD> Close(int timeoutMs = kExitTimeoutMs);

 private:
  ChildProcess process_;
  HWND main_ = nullptr;
};

}  // namespace parlo::e2e
