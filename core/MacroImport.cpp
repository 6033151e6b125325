#include "core/MacroImport.h"

namespace parlo {

MacroImport ReadMacroLines(std::string_view, std::string_view, AnsiCodePage&) {
  return {};
}

}  // namespace parlo
