#pragma once
#include "core/Bytes.h"

namespace parlo {

// The running executable's full path, however long it is.
Bytes ExecutablePath();

}  // namespace parlo
