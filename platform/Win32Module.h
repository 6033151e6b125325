#pragma once
#include <cstdint>

#include "core/text/Bytes.h"

namespace parlo {

// The running executable's full path, however long it is.
Bytes ExecutablePath();

// The full path of another process's executable; empty when the process is gone or keeps it
// from us.
Bytes ProcessImagePath(std::uint32_t processId);

}  // namespace parlo
