#pragma once
#include <functional>

#include "core/text/Bytes.h"

namespace parlo {

// Tells whether a byte is the lead byte of a double-byte character in the ANSI code page.
using LeadByteTest = std::function<bool(unsigned char)>;

// The executable's directory: its path up to the last backslash or colon, without that final
// backslash unless a colon or another backslash stands before it (so a drive root keeps it).
// A backslash or colon that is the trail byte of a double-byte character is no separator.
Bytes ExecutableDirectory(const Bytes& exePath, const LeadByteTest& isLead);

// What ExecutableDirectory leaves out of any path: the file's own name.
Bytes FileNameOfPath(const Bytes& path, const LeadByteTest& isLead);

Bytes IniFileNameFor(const Bytes& exePath, const LeadByteTest& isLead);  // directory + "\parlo.ini"
Bytes SayDirFor(const Bytes& exePath, const LeadByteTest& isLead);       // directory + "\"
Bytes FallbackSayFileFor(const Bytes& exePath, const LeadByteTest& isLead);  // directory + "\say-default.txt"

}  // namespace parlo
