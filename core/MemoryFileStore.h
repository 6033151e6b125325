#pragma once
#include <map>

#include "core/FileStore.h"

namespace parlo {

// A file store held in memory, for tests and tools. Paths match without regard to the case of
// ASCII letters, as on Windows; a file keeps the spelling it was first created with.
// Failures can be scheduled to exercise the callers' error paths.
class MemoryFileStore : public FileStore {
 public:
  enum Attributes : unsigned { kPlain = 0, kHidden = 1, kSystem = 2 };

  bool FileExists(const Bytes& path) const override;
  bool ReadWhole(const Bytes& path, Bytes& out) override;
  bool WriteWholeAtomic(const Bytes& path, const Bytes& content) override;
  bool Delete(const Bytes& path) override;
  std::vector<Bytes> List(const Bytes& dir, const Bytes& wildcard) override;

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
  };
  static Bytes Key(const Bytes& path);
  const Entry* Find(const Bytes& path) const;

  std::map<Bytes, Entry> entries_;
  int failReads_ = 0;
  int failWrites_ = 0;
  int readCalls_ = 0;
  int writeCalls_ = 0;
};

}  // namespace parlo
