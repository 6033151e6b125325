#pragma once
#include "core/FileStore.h"

namespace parlo {

// The file store on the Windows file system, through the ANSI file functions.
// A write goes to a temporary file beside the target ("<path>.tmp"), is flushed to disk, and then
// replaces the target in one step, so a failed or interrupted save never destroys the old file.
class Win32FileStore : public FileStore {
 public:
  bool FileExists(const Bytes& path) const override;
  bool ReadWhole(const Bytes& path, Bytes& out) override;
  bool WriteWholeAtomic(const Bytes& path, const Bytes& content) override;
  bool Delete(const Bytes& path) override;
  std::vector<Bytes> List(const Bytes& dir, const Bytes& wildcard) override;
};

}  // namespace parlo
