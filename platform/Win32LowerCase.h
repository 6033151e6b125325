#pragma once
#include "core/GridFind.h"
#include "core/LeadBytes.h"

namespace parlo {

// Every single byte of the ANSI code page lower-cased by the system's rules (CharLowerBuffA);
// lead bytes stay as they are.
LowerTable SystemLowerTable(const LeadBytes& lead);

}  // namespace parlo
