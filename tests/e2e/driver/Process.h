#pragma once
#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace parlo::e2e {

// A failure of the harness itself (a program that does not start, a window that never shows).
// GoogleTest reports it as a failed test with this text.
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Quotes one argument so that the C runtime's command-line splitting gives it back unchanged.
std::string QuoteArgument(const std::string& arg);

// A program started by a scenario. Whatever happens to the scenario, the process does not outlive
// this object: the destructor kills it by its handle if it is still running.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Starts exe with the arguments in the folder cwd (empty: the driver's own). The environment is
  // the driver's, so a scenario run in a locale runs its programs in the same one.
  static ChildProcess Start(const std::string& exe, const std::vector<std::string>& args,
                            const std::string& cwd = {});

  bool Valid() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;

  // The exit code once the process has ended within the time, else nothing.
  std::optional<DWORD> WaitExit(int timeoutMs);
  // Ends the process at once (exit code 9) and waits for it to go.
  void Kill();

  // The process's visible and hidden top-level windows, in Z order.
  std::vector<HWND> TopLevelWindows() const;

 private:
  void Release();

  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Runs a program to its end and returns its exit code; kills it and throws when it takes longer.
DWORD RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& cwd = {},
                 int timeoutMs = 10000);

}  // namespace parlo::e2e
