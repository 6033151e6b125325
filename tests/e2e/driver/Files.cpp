#include "tests/e2e/driver/Files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "tests/e2e/driver/Process.h"

namespace parlo::e2e {

namespace {

// A program that has just ended may hold its files for a moment longer; a short bounded retry
// keeps clean-up reliable.
bool DeleteWithRetry(const std::string& path, bool directory) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (directory ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str())) return true;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    Sleep(20);
  }
  return false;
}

std::string DirOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

}  // namespace

std::string ExeDir() {
  char buffer[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  return DirOf(std::string(buffer, n));
}

std::string BuildDir() {
  return DirOf(ExeDir());
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  return (last == '\\' || last == '/') ? dir + name : dir + "\\" + name;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileBytes> ReadFileBytes(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  FileBytes bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::string& path, const FileBytes& bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw DriverError("cannot create " + path + " (error " + std::to_string(GetLastError()) + ")");
  }
  DWORD written = 0;
  BOOL ok =
      bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != bytes.size()) throw DriverError("cannot write " + path);
}

void CopyFileTo(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
    throw DriverError("cannot copy " + from + " to " + to + " (error " + std::to_string(GetLastError()) +
                      ")");
  }
}

void MakeDirs(const std::string& path) {
  if (path.empty() || DirExists(path)) return;
  MakeDirs(DirOf(path));
  CreateDirectoryA(path.c_str(), nullptr);
}

void RemoveTree(const std::string& path) {
  if (!DirExists(path)) {
    if (FileExists(path)) DeleteWithRetry(path, false);
    return;
  }
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(path, "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = JoinPath(path, name);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteWithRetry(child, false);
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  DeleteWithRetry(path, true);
}

std::vector<std::string> ListFiles(const std::string& dir, const std::string& mask) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(JoinPath(dir, mask).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string CurrentTestName() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "no-test";
  for (char& c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|') {
      c = '_';
    }
  }
  return name;
}

ScenarioDir::ScenarioDir(const std::string& name) : path_(JoinPath(JoinPath(BuildDir(), "e2e-runs"), name)) {
  RemoveTree(path_);
  MakeDirs(path_);
  if (!DirExists(path_)) throw DriverError("cannot create the scenario folder " + path_);
}

void ScenarioDir::Remove(const std::string& name) const {
  DeleteWithRetry(File(name), false);
}

std::string ScenarioDir::CopyIn(const std::string& source) const {
  size_t cut = source.find_last_of("\\/");
  std::string target = File(cut == std::string::npos ? source : source.substr(cut + 1));
  CopyFileTo(source, target);
  return target;
}

}  // namespace parlo::e2e
