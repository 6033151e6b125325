#include "platform/Win32ProfileStore.h"

#include <windows.h>

#include <cstring>

namespace parlo {

Bytes Win32ProfileStore::Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) {
  char buffer[kProfileValueMax + 1] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer, sizeof buffer, path.c_str());
  // The count returned is not trusted when a double-byte value did not fit; the NUL is.
  buffer[kProfileValueMax] = '\0';
  return Bytes(buffer, std::strlen(buffer));
}

bool Win32ProfileStore::Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) != 0;
}

}  // namespace parlo
