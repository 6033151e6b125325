#pragma once
#include <cstdint>

#include "core/text/Bytes.h"

namespace parlo {

// The running executable's full path, however long it is.
Bytes ExecutablePath();

// The full path of another process's executable; empty when the process is gone or keeps it
// from us.
Bytes ProcessImagePath(std::uint32_t processId);

// The folder another process works in (its current directory), without a trailing backslash
// except at a drive's root; empty when the process is gone, keeps it from us, is of a width this
// build cannot read, or works in a folder the ANSI code page cannot spell.
Bytes ProcessWorkingFolder(std::uint32_t processId);

}  // namespace parlo
