// Any bytes, read as one of the assistants' macro files and scripts (the first byte picks the
// name): a result always, and every row fit for a book's cell.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/MacroImport.h"
#include "tests/unit/Latin1CodePage.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::string_view kNames[] = {"heal.macro", "greet.razor",  "shop.uos",
                                       "script.py",  "Default.json", "profile"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  parlo::Latin1CodePage latin1;
  const parlo::MacroImport read = parlo::ReadMacroLines(file, name, latin1);
  Check(read.unwritable >= 0);
  if (!read.recognised) Check(read.lines.empty() && read.unwritable == 0);
  for (const parlo::ImportedLine& line : read.lines) {
    Check(!line.text.empty());
    for (const std::string_view cell : {std::string_view(line.label), std::string_view(line.text)})
      for (const char c : cell) Check(static_cast<unsigned char>(c) >= 0x20);
    Check(line.text.front() != ' ');
    Check(line.label.empty() ||
          (line.label.front() != '\'' && line.label.front() != ' ' && line.label != "-----"));
  }
  return 0;
}
