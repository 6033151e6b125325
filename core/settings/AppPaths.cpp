#include "core/settings/AppPaths.h"

namespace parlo {

namespace {
bool IsSeparator(char c) { return c == '\\' || c == ':'; }

size_t CharWidth(const Bytes& path, size_t i, const LeadByteTest& isLead) {
  return (isLead && isLead(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ? 2 : 1;
}
}  // namespace

Bytes ExecutableDirectory(const Bytes& exePath, const LeadByteTest& isLead) {
  // Walk whole characters so that a trail byte is never taken for a separator.
  size_t cut = Bytes::npos;         // index of the last separator
  size_t beforeCut = Bytes::npos;   // start of the character before it
  size_t previous = Bytes::npos;
  for (size_t i = 0; i < exePath.size();) {
    size_t width = CharWidth(exePath, i, isLead);
    if (width == 1 && IsSeparator(exePath[i])) {
      cut = i;
      beforeCut = previous;
    }
    previous = i;
    i += width;
  }
  if (cut == Bytes::npos) return Bytes();
  Bytes dir = exePath.substr(0, cut + 1);
  // beforeCut is the start of the previous character: a double-byte one starts with its lead byte,
  // so its trail byte never counts here.
  bool keepBackslash = beforeCut != Bytes::npos && IsSeparator(exePath[beforeCut]);
  if (exePath[cut] == '\\' && !keepBackslash) dir.pop_back();
  return dir;
}

Bytes FileNameOfPath(const Bytes& path, const LeadByteTest& isLead) {
  size_t start = 0;
  for (size_t i = 0; i < path.size();) {
    const size_t width = CharWidth(path, i, isLead);
    if (width == 1 && IsSeparator(path[i])) start = i + 1;
    i += width;
  }
  return path.substr(start);
}

Bytes IniFileNameFor(const Bytes& exePath, const LeadByteTest& isLead) {
  return ExecutableDirectory(exePath, isLead) + "\\parlo.ini";
}

Bytes SayDirFor(const Bytes& exePath, const LeadByteTest& isLead) {
  return ExecutableDirectory(exePath, isLead) + "\\";
}

Bytes FallbackSayFileFor(const Bytes& exePath, const LeadByteTest& isLead) {
  return ExecutableDirectory(exePath, isLead) + "\\say-default.txt";
}

}  // namespace parlo
