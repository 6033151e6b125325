#pragma once
#include <string>

namespace parlo {

// Text as the program sees it: bytes in the system's ANSI code page, possibly double-byte.
// Comparisons on it are exact byte comparisons.
using Bytes = std::string;

}  // namespace parlo
