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

}  // namespace parlo
