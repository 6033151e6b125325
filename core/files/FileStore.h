#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"

namespace parlo {

// What a file's size and last write time were at one moment: if either differs later, something
// wrote to it. Equal stamps do not prove equal bytes on a coarse clock, nor the reverse.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
  bool operator==(const FileStamp& other) const { return size == other.size && writeTime == other.writeTime; }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Content handed out in parts: the producer calls put with each part in order, and stops with
// false as soon as put returns false. It can be asked again and then gives the same bytes.
using ContentPut = std::function<bool(std::string_view part)>;
using ContentProducer = std::function<bool(const ContentPut& put)>;

// The file operations the phrase books need. Paths and names are ANSI bytes.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // True only for a plain file; a folder of that name does not count.
  virtual bool FileExists(const Bytes& path) const = 0;
  // The stamp of a plain file; false when there is none.
  virtual bool Stamp(const Bytes& path, FileStamp& out) const = 0;
  // The whole file, opened without sharing. False on any failure; out is then unspecified.
  virtual bool ReadWhole(const Bytes& path, Bytes& out) = 0;
  // Afterwards the file holds either its old content or the new one, never a part of either,
  // and no other file of the folder has changed. On success the new file's stamp goes to
  // written when it is given.
  virtual bool WriteWholeAtomic(const Bytes& path, const Bytes& content, FileStamp* written = nullptr) = 0;
  // The same for content made while it is written, so that a large book is never held whole.
  virtual bool WritePartsAtomic(const Bytes& path, const ContentProducer& produce,
                                FileStamp* written = nullptr) = 0;
  virtual bool Delete(const Bytes& path) = 0;
  // Names (no folder) of the plain files in dir that match the wildcard, skipping hidden and
  // system files, in the order the directory gives them, letter case kept.
  virtual std::vector<Bytes> List(const Bytes& dir, const Bytes& wildcard) = 0;
  // Names of every sub-folder of dir, hidden or not, in the order the directory gives them.
  virtual std::vector<Bytes> ListFolders(const Bytes& dir) = 0;
  // A file another program owns, opened so that the owner can still write, replace or delete it
  // meanwhile. False on any failure and for a file of more than maxBytes, which is not read.
  virtual bool ReadShared(const Bytes& path, std::size_t maxBytes, Bytes& out) = 0;
};

// Windows' wildcard rule on one long name: '*' any run of bytes, '?' one byte, letters without
// regard to case. Used to drop names that the system matched by their short alias only.
inline bool MatchesWildcard(const Bytes& name, const Bytes& pattern) {
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  size_t n = 0, p = 0, starP = Bytes::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || fold(pattern[p]) == fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != Bytes::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace parlo
