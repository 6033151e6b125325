#include "core/SayCollection.h"

#include <cstring>

namespace parlo {

namespace {

// Longest path the ANSI file functions take, and the longest single name in a folder, less the
// ".tmp" a save appends for the temporary file it writes beside the book.
constexpr size_t kMaxPath = 259 - 4;
constexpr size_t kMaxName = 255 - 4;

}  // namespace

Bytes DisplayNameOf(const Bytes& fileName) {
  if (fileName.size() <= 7) return Bytes();
  return fileName.substr(3, fileName.size() - 7);
}

Bytes SayFileNameFor(const Bytes& displayName) { return "say" + displayName + ".txt"; }

int FindFileIndex(const std::vector<Bytes>& entries, const Bytes& fileName) {
  const Bytes key = DisplayNameOf(fileName);
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == key) return static_cast<int>(i);
  return -1;
}

std::vector<Bytes> ListSayFiles(FileStore& files, const Bytes& sayDir) {
  std::vector<Bytes> names = files.List(sayDir, kSayWildcard);
  for (Bytes& name : names) name = DisplayNameOf(name);
  return names;
}

bool DeleteSayFile(FileStore& files, const Bytes& sayDir, const Bytes& currentFile) {
  if (currentFile.empty()) return false;
  return files.Delete(sayDir + currentFile);
}

Bytes SaveAsNameProblem(const Bytes& displayName, const Bytes& sayDir, const LeadByteTest& isLeadByte) {
  for (size_t i = 0; i < displayName.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(displayName[i]);
    if (isLeadByte && isLeadByte(c) && i + 1 < displayName.size()) {
      ++i;  // the trail byte may look like a separator but is part of the character
      continue;
    }
    if (c < 0x20) return "A name cannot contain control characters";
    if (std::strchr("\\/:*?\"<>|", c)) return "A name cannot contain any of these characters: \\ / : * ? \" < > |";
  }
  const size_t nameSize = displayName.size() + 7;
  if (nameSize > kMaxName || sayDir.size() + nameSize > kMaxPath) return "The name is too long";
  return Bytes();
}

}  // namespace parlo
