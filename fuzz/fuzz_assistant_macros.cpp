// The assistants' macro files and scripts.
#include "fuzz/common/MacroImportFuzz.h"

namespace {
constexpr std::string_view kNames[] = {"heal.macro",   "greet.razor", "shop.uos",   "script.py",
                                       "Default.json", "profile",     "tell.lscript"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return parlo::FuzzMacroImport(data, size, kNames);
}
