// The game clients' macro files.
#include "fuzz/common/MacroImportFuzz.h"

namespace {
constexpr std::string_view kNames[] = {"macros.xml", "macros.txt", "export"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return parlo::FuzzMacroImport(data, size, kNames);
}
