#include "platform/Win32Clipboard.h"

#include <windows.h>

#include <cstring>

namespace parlo {

namespace {

// Another program may hold the clipboard for a moment; a short retry saves a lost paste.
constexpr int kOpenTries = 5;
constexpr DWORD kOpenRetryMs = 10;

class OpenClipboardScope {
 public:
  OpenClipboardScope() {
    for (int i = 0; i < kOpenTries && !open_; ++i) {
      if (i > 0) Sleep(kOpenRetryMs);
      open_ = OpenClipboard(nullptr) != FALSE;
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

class GlobalLockScope {
 public:
  explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  ~GlobalLockScope() {
    if (data_) GlobalUnlock(memory_);
  }
  GlobalLockScope(const GlobalLockScope&) = delete;
  GlobalLockScope& operator=(const GlobalLockScope&) = delete;
  const char* Data() const { return static_cast<const char*>(data_); }

 private:
  HGLOBAL memory_;
  void* data_;
};

}  // namespace

Bytes ReadClipboardText() {
  OpenClipboardScope clipboard;
  if (!clipboard.IsOpen()) return Bytes();
  HANDLE handle = GetClipboardData(CF_TEXT);
  if (!handle) return Bytes();
  HGLOBAL memory = static_cast<HGLOBAL>(handle);
  GlobalLockScope lock(memory);
  const char* text = lock.Data();
  if (!text) return Bytes();
  // The data need not be terminated: never read past the block.
  SIZE_T size = GlobalSize(memory);
  const void* end = std::memchr(text, '\0', size);
  SIZE_T length = end ? static_cast<SIZE_T>(static_cast<const char*>(end) - text) : size;
  return Bytes(text, length);
}

}  // namespace parlo
