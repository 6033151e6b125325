#pragma once
#include "core/book/GridFind.h"
#include "core/text/LeadBytes.h"

namespace parlo {

// Every single byte of the ANSI code page lower-cased by the system's rules (CharLowerBuffA);
// lead bytes stay as they are.
LowerTable SystemLowerTable(const LeadBytes& lead);

}  // namespace parlo
