#pragma once
#include "core/files/FileStore.h"

namespace parlo {

// The file store on the Windows file system, through the ANSI file functions.
// A write goes to a new temporary file beside the target ("<path>.~NN"), is flushed to disk, and
// then replaces the target by one rename, so a failed or interrupted save never destroys the old
// file. A target that is read-only or held open by another program is not replaced.
class Win32FileStore : public FileStore {
 public:
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
};

}  // namespace parlo
