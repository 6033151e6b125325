#pragma once
// A file opened the way another program that shares nothing opens it. Share modes hold between
// Wine processes as on Windows, so Parlo can neither read nor replace it meanwhile.
#include <windows.h>

#include <string>

namespace parlo::testing {

class HeldFile {
 public:
  explicit HeldFile(const std::string& path, DWORD disposition = OPEN_EXISTING)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldFile() { Release(); }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

}  // namespace parlo::testing
