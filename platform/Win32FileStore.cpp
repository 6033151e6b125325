#include "platform/Win32FileStore.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <new>

namespace parlo {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closing can report a late write error, so writers check it.
  bool Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return true;
    BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

// ReadFile and WriteFile move at most a DWORD at a time; keep well below that.
constexpr size_t kChunk = size_t{1} << 30;

// A path with a zero byte inside would silently name another file.
bool Usable(const Bytes& path) { return !path.empty() && path.find('\0') == Bytes::npos; }

bool EndsWithSeparator(const Bytes& path) {
  bool separator = false;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
      ++i;
      separator = false;
    } else {
      separator = c == '\\' || c == '/';
    }
  }
  return separator;
}

bool WriteAll(HANDLE file, std::string_view content) {
  size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(content.size() - done, kChunk));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written != chunk) return false;
    done += written;
  }
  return true;
}

}  // namespace

bool Win32FileStore::FileExists(const Bytes& path) const {
  if (!Usable(path)) return false;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Win32FileStore::ReadWhole(const Bytes& path, Bytes& out) {
  if (!Usable(path)) return false;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return false;
  // A file larger than memory can address (over 4 GB on 32-bit) is a read failure, not a wrap.
  if (static_cast<unsigned long long>(size.QuadPart) >= out.max_size()) return false;
  try {
    out.assign(static_cast<size_t>(size.QuadPart), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < out.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(out.size() - done, kChunk));
    DWORD got = 0;
    if (!ReadFile(file.get(), &out[done], chunk, &got, nullptr)) return false;
    if (got == 0) break;  // shorter than its size said: take what is there
    done += got;
  }
  out.resize(done);
  return true;
}

namespace {

FileStamp StampOf(DWORD sizeHigh, DWORD sizeLow, const FILETIME& written) {
  return FileStamp{(std::uint64_t{sizeHigh} << 32) | sizeLow,
                   (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime};
}

// A new file beside the target for the content to go to first. Its name is the target's with
// ".~" and two hex digits after it: never a book ("say*.txt"), a backup (".bak") or a text file,
// four bytes longer than the target at most, and created new, so no file that is there already,
// a user's or one left by an interrupted save, is ever written or removed.
HANDLE CreateTemporaryBeside(const Bytes& path, Bytes& temp) {
  static const char kHex[] = "0123456789abcdef";
  for (int i = 0; i < 256; ++i) {
    temp = path + ".~";
    temp += kHex[i >> 4];
    temp += kHex[i & 15];
    HANDLE file =
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool Win32FileStore::Stamp(const Bytes& path, FileStamp& out) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!Usable(path) || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  out = StampOf(data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
  return true;
}

bool Win32FileStore::WriteWholeAtomic(const Bytes& path, const Bytes& content, FileStamp* written) {
  return WritePartsAtomic(
      path, [&content](const ContentPut& put) { return put(content); }, written);
}

bool Win32FileStore::WritePartsAtomic(const Bytes& path, const ContentProducer& produce, FileStamp* written) {
  if (!Usable(path) || EndsWithSeparator(path)) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
    // The old file must be ours to overwrite, as when it was written in place without sharing:
    // a file that another program holds open is not replaced behind its back. (A rename under
    // Wine would replace it regardless.)
    FileHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    if (!probe) return false;
  }
  Bytes temp;
  FileStamp stamp;
  {
    FileHandle file(CreateTemporaryBeside(path, temp));
    if (!file) return false;
    HANDLE handle = file.get();
    bool done = false;
    try {
      done = produce([handle](std::string_view part) { return WriteAll(handle, part); }) &&
             FlushFileBuffers(file.get());
    } catch (const std::exception&) {
      done = false;  // out of memory while making the content: the old file stays
    }
    // The stamp the file keeps through the rename; should the system still move it, the next
    // look finds the same bytes and takes the new one. (Not GetFileInformationByHandle: it asks
    // for the volume too, a millisecond under Wine.)
    LARGE_INTEGER size;
    FILETIME lastWrite;
    if (done && written && GetFileSizeEx(file.get(), &size) &&
        GetFileTime(file.get(), nullptr, nullptr, &lastWrite))
      stamp = StampOf(static_cast<DWORD>(size.QuadPart >> 32), static_cast<DWORD>(size.QuadPart), lastWrite);
    if (!file.Close() || !done) {
      DeleteFileA(temp.c_str());
      return false;
    }
  }
  // One rename that replaces the target: at every moment the target's name holds the old bytes
  // or the new ones. A failure leaves the old file as it was and removes only the new one.
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp.c_str());
    return false;
  }
  if (written) *written = stamp;
  return true;
}

bool Win32FileStore::Delete(const Bytes& path) { return Usable(path) && DeleteFileA(path.c_str()); }

std::vector<Bytes> Win32FileStore::List(const Bytes& dir, const Bytes& wildcard) {
  std::vector<Bytes> names;
  Bytes pattern = dir;
  if (!pattern.empty() && !EndsWithSeparator(pattern)) pattern += '\\';
  pattern += wildcard;
  if (!Usable(pattern)) return names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    Bytes name = data.cFileName;
    // The system also matches by the short alias ("sayx.txtx" as SAYX~1.TXT), and gives '?' for
    // characters outside the code page; neither name would open the file it stands for.
    if (name.find('?') != Bytes::npos || !MatchesWildcard(name, wildcard)) continue;
    names.push_back(std::move(name));
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::vector<Bytes> Win32FileStore::ListFolders(const Bytes& dir) {
  std::vector<Bytes> names;
  Bytes pattern = dir;
  if (!pattern.empty() && !EndsWithSeparator(pattern)) pattern += '\\';
  pattern += '*';
  if (!Usable(pattern)) return names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    Bytes name = data.cFileName;
    // '?' stands for a character outside the code page: that name would open nothing.
    if (name == "." || name == ".." || name.find('?') != Bytes::npos) continue;
    names.push_back(std::move(name));
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

bool Win32FileStore::ReadShared(const Bytes& path, std::size_t maxBytes, Bytes& out) {
  if (!Usable(path)) return false;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > maxBytes)
    return false;
  // The owner may rewrite the file meanwhile: a byte past the size it had means it grew, and what
  // was read is then no whole file.
  out.assign(static_cast<size_t>(size.QuadPart) + 1, '\0');
  size_t done = 0;
  while (done < out.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), &out[done], static_cast<DWORD>(out.size() - done), &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  if (done == out.size()) return false;
  out.resize(done);
  return true;
}

}  // namespace parlo
