#pragma once
// Any bytes, read as a macro file under a name the first byte picks: a result always, and every
// row fit for a book's cell.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/MacroImport.h"
#include "tests/unit/text/Latin1CodePage.h"

namespace parlo {

template <std::size_t N>
int FuzzMacroImport(const std::uint8_t* data, std::size_t size, const std::string_view (&names)[N]) {
  const auto check = [](bool condition) {
    if (!condition) std::abort();
  };
  if (size == 0) return 0;
  const std::string_view name = names[data[0] % N];
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  Latin1CodePage latin1;
  const MacroImport read = ReadMacroLines(file, name, latin1, LeadBytes());
  check(read.unwritable >= 0);
  if (!read.recognised) check(read.lines.empty() && read.unwritable == 0);
  for (const ImportedLine& line : read.lines) {
    check(!line.text.empty());
    for (const std::string_view cell : {std::string_view(line.label), std::string_view(line.text)})
      for (const char c : cell) check(static_cast<unsigned char>(c) >= 0x20);
    check(line.text.front() != ' ');
    check(line.label.empty() ||
          (line.label.front() != '\'' && line.label.front() != ' ' && line.label != "-----"));
  }
  return 0;
}

}  // namespace parlo
