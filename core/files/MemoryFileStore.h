#pragma once
#include <map>

#include "core/files/FileStore.h"

namespace parlo {

// A file store held in memory, for tests and tools. Paths match without regard to the case of
// ASCII letters, as on Windows, unless made case-sensitive; a file keeps the spelling it was first
// created with. Every write stamps the file with a later time. Failures can be scheduled to
// exercise the callers' error paths.
class MemoryFileStore : public FileStore {
 public:
  enum Attributes : unsigned { kPlain = 0, kHidden = 1, kSystem = 2 };

  explicit MemoryFileStore(bool caseSensitive = false) : caseSensitive_(caseSensitive) {}

  bool FileExists(const Bytes& path) const override;
  bool Stamp(const Bytes& path, FileStamp& out) const override;
  bool ReadWhole(const Bytes& path, Bytes& out) override;
  bool WriteWholeAtomic(const Bytes& path, const Bytes& content, FileStamp* written = nullptr) override;
  bool WritePartsAtomic(const Bytes& path, const ContentProducer& produce,
                        FileStamp* written = nullptr) override;
  bool Delete(const Bytes& path) override;
  std::vector<Bytes> List(const Bytes& dir, const Bytes& wildcard) override;
  std::vector<Bytes> ListFolders(const Bytes& dir) override;
  bool ReadShared(const Bytes& path, std::size_t maxBytes, Bytes& out) override;

  void Put(const Bytes& path, Bytes content, unsigned attributes = kPlain);
  void AddFolder(const Bytes& path);
  // The content of a plain file, or nullptr when there is none.
  const Bytes* Content(const Bytes& path) const;
  size_t FileCount() const;

  // The next n reads (or writes) fail, whatever the path.
  void FailReads(int n) { failReads_ = n; }
  void FailWrites(int n) { failWrites_ = n; }
  int ReadCalls() const { return readCalls_; }
  int WriteCalls() const { return writeCalls_; }

 private:
  struct Entry {
    Bytes path;  // as first spelled
    Bytes content;
    unsigned attributes = kPlain;
    bool folder = false;
    std::uint64_t writeTime = 0;
  };
  Bytes Key(const Bytes& path) const;
  const Entry* Find(const Bytes& path) const;

  bool caseSensitive_;
  std::uint64_t clock_ = 0;
  std::map<Bytes, Entry> entries_;
  int failReads_ = 0;
  int failWrites_ = 0;
  int readCalls_ = 0;
  int writeCalls_ = 0;
};

}  // namespace parlo
