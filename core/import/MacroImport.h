#pragma once
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/text/LeadBytes.h"
#include "core/text/TextCoding.h"

namespace parlo {

struct ImportedLine {
  Bytes label;    // the macro's or the file's name
  Bytes text;     // in the book's code page, with the prefix the game reads for its kind
  int macro = 0;  // the lines of one macro share it and stand together; 0: a line of its own
};

struct MacroImport {
  bool recognised = false;          // false: none of the formats this reads
  std::vector<ImportedLine> lines;  // in the order found
  int unwritable = 0;               // left out: a character the code page cannot hold
};

// Tells the format by the content (the name only helps), never runs or evaluates anything.
// fileName: the file's name without folders; rows of a format that is one macro a file take it,
// less its extension, as their label. leads: the lead bytes of codePage, for a file saved in it.
MacroImport ReadMacroLines(std::string_view fileBytes, std::string_view fileName, AnsiCodePage& codePage,
                           const LeadBytes& leads);

// Numbers the labels of a macro's lines after its first, " 2", " 3" and so on, once it is known
// which lines come over.
void NumberMacroLines(std::vector<ImportedLine>& lines);

}  // namespace parlo
