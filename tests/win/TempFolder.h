#pragma once
// A fresh folder under the temporary directory for one test, removed with all it holds.
#include <windows.h>

#include <string>

namespace parlo::testing {

class TempFolder {
 public:
  // The path ends with a backslash.
  explicit TempFolder(const std::string& prefix) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::string(temp) + prefix + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    Remove(path_);  // left over by an earlier run that was cut short
    created_ = CreateDirectoryA(path_.c_str(), nullptr) != 0;
  }
  ~TempFolder() { Remove(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  bool Created() const { return created_; }

  // Wide calls, so that names outside the code page go too.
  static void Remove(const std::string& dir) { RemoveW(std::wstring(dir.begin(), dir.end())); }

 private:
  static void RemoveW(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = dir + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveW(path + L"\\");
        } else {
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(path.c_str());
        }
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
  }

  std::string path_;
  bool created_ = false;
};

}  // namespace parlo::testing
