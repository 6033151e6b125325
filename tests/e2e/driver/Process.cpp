#include "tests/e2e/driver/Process.h"

#include <utility>

namespace parlo::e2e {

std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only in front of a quote.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  out += '"';
  return out;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), pid_(std::exchange(other.pid_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Release();
    process_ = std::exchange(other.process_, nullptr);
    pid_ = std::exchange(other.pid_, 0);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  Release();
}

void ChildProcess::Release() {
  if (!process_) return;
  if (Running()) Kill();
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

ChildProcess ChildProcess::Start(const std::string& exe, const std::vector<std::string>& args,
                                 const std::string& cwd) {
  std::string commandLine = QuoteArgument(exe);
  for (const std::string& arg : args) commandLine += " " + QuoteArgument(arg);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      cwd.empty() ? nullptr : cwd.c_str(), &startup, &info)) {
    throw DriverError("cannot start " + commandLine + " (error " + std::to_string(GetLastError()) + ")");
  }
  CloseHandle(info.hThread);
  ChildProcess child;
  child.process_ = info.hProcess;
  child.pid_ = info.dwProcessId;
  return child;
}

bool ChildProcess::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::WaitExit(int timeoutMs) {
  if (!process_) return std::nullopt;
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void ChildProcess::Kill() {
  if (!process_) return;
  TerminateProcess(process_, 9);
  WaitForSingleObject(process_, 5000);
}

namespace {
struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowsOfProcess(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid) search->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> ChildProcess::TopLevelWindows() const {
  WindowSearch search{pid_, {}};
  if (pid_) EnumWindows(&CollectWindowsOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD RunProgram(const std::string& exe, const std::vector<std::string>& args, const std::string& cwd,
                 int timeoutMs) {
  ChildProcess child = ChildProcess::Start(exe, args, cwd);
  std::optional<DWORD> code = child.WaitExit(timeoutMs);
  if (!code) throw DriverError(exe + " did not end within " + std::to_string(timeoutMs) + " ms");
  return *code;
}

}  // namespace parlo::e2e
