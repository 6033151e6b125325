#include "platform/Win32Module.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace parlo {

Bytes ExecutablePath() {
  // GetModuleFileNameA cuts the path to the buffer without saying so: grow until it fits.
  Bytes path(MAX_PATH + 1, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return Bytes();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768 * 2) return Bytes();
    path.resize(path.size() * 2);
  }
}

namespace {

// The few fields of the system's own process records that lead to a process's current folder,
// as laid out for this build's width.
struct CountedUnicode {
  USHORT length;  // bytes
  USHORT maximumLength;
  PWSTR buffer;
};

struct BasicProcessInformation {
  LONG exitStatus;
  PVOID pebAddress;
  ULONG_PTR affinityMask;
  LONG basePriority;
  ULONG_PTR processId;
  ULONG_PTR parentProcessId;
};

struct ProcessParametersHead {
  ULONG maximumLength;
  ULONG length;
  ULONG flags;
  ULONG debugFlags;
  HANDLE consoleHandle;
  ULONG consoleFlags;
  HANDLE standardInput;
  HANDLE standardOutput;
  HANDLE standardError;
  CountedUnicode currentDirectory;  // followed by the directory's handle
};

// PEB: two flag bytes, two more, then (aligned) Mutant, ImageBaseAddress, Ldr, ProcessParameters.
constexpr std::size_t kParametersInPeb = 4 * sizeof(void*);

using QueryInformationProcess = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

template <typename T>
bool ReadRemote(HANDLE process, const void* address, T& out) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, address, &out, sizeof out, &read) && read == sizeof out;
}

std::wstring CurrentDirectoryOf(HANDLE process) {
  static const auto query = reinterpret_cast<QueryInformationProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  if (!query) return std::wstring();
  // A process of the other width keeps records this layout does not describe.
  BOOL ourWow = FALSE, theirWow = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &ourWow) || !IsWow64Process(process, &theirWow) ||
      ourWow != theirWow)
    return std::wstring();
  BasicProcessInformation basic{};
  ULONG written = 0;
  if (query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &written) < 0 ||
      !basic.pebAddress)
    return std::wstring();
  PVOID parameters = nullptr;
  if (!ReadRemote(process, static_cast<const char*>(basic.pebAddress) + kParametersInPeb, parameters) ||
      !parameters)
    return std::wstring();
  ProcessParametersHead head{};
  if (!ReadRemote(process, parameters, head)) return std::wstring();
  const CountedUnicode& folder = head.currentDirectory;
  if (!folder.buffer || folder.length == 0 || folder.length % 2 != 0) return std::wstring();
  std::wstring text(folder.length / 2, L'\0');
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, folder.buffer, &text[0], folder.length, &read) || read != folder.length)
    return std::wstring();
  return text;
}

}  // namespace

Bytes ProcessWorkingFolder(std::uint32_t processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return Bytes();
  std::wstring folder = CurrentDirectoryOf(process);
  CloseHandle(process);
  // The system keeps the folder with a final backslash; cut it in UTF-16, where it cannot be the
  // second byte of a double-byte character.
  if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  if (folder.empty()) return Bytes();
  const int length = static_cast<int>(folder.size());
  BOOL lossy = FALSE;
  int size =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.data(), length, nullptr, 0, nullptr, &lossy);
  if (size <= 0 || lossy) return Bytes();
  Bytes ansi(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.data(), length, &ansi[0], size, nullptr, nullptr);
  return ansi;
}

Bytes ProcessImagePath(std::uint32_t processId) {
  // The limited right is all the name needs, and a client running as administrator still grants it.
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return Bytes();
  Bytes path(MAX_PATH + 1, '\0');
  for (;;) {
    DWORD length = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameA(process, 0, &path[0], &length)) {
      path.resize(length);
      break;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768 * 2) {
      path.clear();
      break;
    }
    path.resize(path.size() * 2);
  }
  CloseHandle(process);
  return path;
}

}  // namespace parlo
