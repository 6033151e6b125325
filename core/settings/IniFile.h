#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "core/text/Bytes.h"

namespace parlo {

// A read returns at most this many bytes of a value: the platform reads into 1024 bytes with a NUL.
constexpr size_t kProfileValueMax = 1023;

// Key-by-key access to INI files, with the rules of the Win32 private-profile functions.
// Every call goes to the file at once; nothing is cached or locked.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // The value of section/key in the file at path; the default when the file, the section or the
  // key is missing. Values wrapped in matching quotes lose them; at most kProfileValueMax bytes.
  virtual Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) = 0;
  // Stores the value, creating the file, the section or the key as needed. False when the file
  // cannot be created or changed.
  virtual bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) = 0;
};

// The reader and writer rules on a file's bytes, shared by the portable stores below. They follow
// what the Win32 functions do, as observed under Wine:
// - lines end at any run of CR and LF; blanks (tab, LF, VT, FF, CR, ^Z, space) around a line,
//   around a key name and before a value are ignored;
// - "[name]" opens a section (the name runs to the last ']' and is trimmed); a line without '='
//   is a key without a value, which reads as missing; keys before the first section belong to
//   the section with the empty name;
// - names compare case-insensitively (ASCII letters), the first matching section and key win;
// - a NUL byte ends a name or a value;
// - a write replaces the value in place, adds a new key at the end of its section and a new
//   section at the end of the file, then rewrites the whole file with CR LF lines.
namespace profile_text {

// The value a read returns for the file content (nullopt: no such file).
Bytes Lookup(const std::optional<Bytes>& content, std::string_view section, std::string_view key,
             std::string_view def);

// The content after a write; nullopt when the file is already as wanted and need not be written.
std::optional<Bytes> Update(const std::optional<Bytes>& content, std::string_view section,
                            std::string_view key, std::string_view value);

}  // namespace profile_text

// Files held in memory, for tests and for anything that must not touch the disk.
class MemoryProfileStore : public ProfileStore {
 public:
  Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) override;
  bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) override;

  // nullopt when there is no such file.
  std::optional<Bytes> File(const Bytes& path) const;
  void SetFile(const Bytes& path, Bytes content) { files_[path] = std::move(content); }
  void RemoveFile(const Bytes& path) { files_.erase(path); }
  // Writes to a read-only path fail and leave it as it is, whether the file exists or not.
  void SetReadOnly(const Bytes& path, bool readOnly);

 private:
  std::map<Bytes, Bytes> files_;
  std::set<Bytes> readOnly_;
};

// Files on disk through the C library, with the same rules; for platforms without the Win32
// functions and for comparing the two.
class FileProfileStore : public ProfileStore {
 public:
  Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) override;
  bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) override;
};

// Integer reading of the settings file: leading spaces, then either an optional sign and decimal
// digits within the signed 32-bit range, or a hexadecimal prefix ("$", "0x", "0X", "x", "X") and
// hexadecimal digits taken as a 32-bit pattern. Leading zeros of the hexadecimal digits do not
// count, at most eight others may follow ("$000000001" is 1, "$100000000" fails). Anything else,
// trailing blanks included, fails.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

// The settings-file object: a path and the store it reaches the file through.
class TIniFile {
 public:
  TIniFile(Bytes fileName, ProfileStore& store) : fileName_(std::move(fileName)), store_(store) {}

  const Bytes& FileName() const { return fileName_; }

  Bytes ReadText(const Bytes& section, const Bytes& key, const Bytes& def) const;
  int32_t ReadNumber(const Bytes& section, const Bytes& key, int32_t def) const;
  bool ReadFlag(const Bytes& section, const Bytes& key, bool def) const;

  // Each raises ParloError naming the file when the store refuses the write.
  void WriteText(const Bytes& section, const Bytes& key, const Bytes& value);
  void WriteNumber(const Bytes& section, const Bytes& key, int32_t value);
  void WriteFlag(const Bytes& section, const Bytes& key, bool value);

 private:
  Bytes fileName_;
  ProfileStore& store_;
};

// The fixed part of the write error, after the path; UTF-8 so that it reads right on any code page.
extern const char kCannotWriteTail[];

}  // namespace parlo
