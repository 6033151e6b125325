#include "platform/Win32LowerCase.h"

#include <windows.h>

namespace parlo {

LowerTable SystemLowerTable(const LeadBytes& lead) {
  LowerTable table{};
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    if (b != 0 && !lead.IsLead(static_cast<unsigned char>(b))) CharLowerBuffA(&c, 1);
    table[static_cast<size_t>(b)] = static_cast<unsigned char>(c);
  }
  return table;
}

}  // namespace parlo
