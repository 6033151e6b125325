#pragma once
#include "core/settings/IniFile.h"

namespace parlo {

// The settings file through the system's private-profile functions.
class Win32ProfileStore : public ProfileStore {
 public:
  Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) override;
  bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) override;
};

}  // namespace parlo
