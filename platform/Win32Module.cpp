#include "platform/Win32Module.h"

#include <windows.h>

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
