#include "core/book/SayCollection.h"

#include <cstring>

namespace parlo {

namespace {

// Longest path the ANSI file functions take, and the longest single name in a folder, less what a
// save appends: ".bak" for the backup it may keep and four bytes more for the temporary file it
// writes beside that.
constexpr size_t kMaxPath = 259 - 8;
constexpr size_t kMaxName = 255 - 8;

}  // namespace

Bytes DisplayNameOf(const Bytes& fileName) {
  if (fileName.size() <= 7) return Bytes();
  return fileName.substr(3, fileName.size() - 7);
}

Bytes CharacterOfBook(const Bytes& displayName) {
  const size_t start = displayName.find_first_not_of("-_ ");
  return start == Bytes::npos ? Bytes() : displayName.substr(start);
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

namespace {

bool SameNameIgnoringCase(const Bytes& a, const Bytes& b, const LeadByteTest& isLeadByte) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (isLeadByte && isLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

bool SayFileTaken(FileStore& files, const Bytes& sayDir, const Bytes& displayName,
                  const LeadByteTest& isLeadByte) {
  const Bytes name = SayFileNameFor(displayName);
  if (files.FileExists(sayDir + "Say" + displayName + ".txt") || files.FileExists(sayDir + name)) return true;
  for (const Bytes& listed : files.List(sayDir, kSayWildcard))
    if (SameNameIgnoringCase(listed, name, isLeadByte)) return true;
  return false;
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
