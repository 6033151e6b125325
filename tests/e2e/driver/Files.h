#pragma once
#include <optional>
#include <string>
#include <vector>

namespace parlo::e2e {

// Bytes as they lie on disk; the program's files are ANSI text and are compared byte for byte.
using FileBytes = std::string;

// The folder of the running scenario program (the build's bin folder, where parlo.exe, the
// fake game and the tools are built) and the build folder above it.
std::string ExeDir();
std::string BuildDir();
std::string JoinPath(const std::string& dir, const std::string& name);

bool FileExists(const std::string& path);  // a plain file, not a folder
bool DirExists(const std::string& path);
std::optional<FileBytes> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const FileBytes& bytes);  // throws DriverError
void CopyFileTo(const std::string& from, const std::string& to);       // throws DriverError
void MakeDirs(const std::string& path);
void RemoveTree(const std::string& path);
// Names (not paths) of the plain files matching the wildcard, sorted bytewise.
std::vector<std::string> ListFiles(const std::string& dir, const std::string& mask = "*");

// "Suite.Test" of the running GoogleTest test, made safe for a file name.
std::string CurrentTestName();

// A fresh folder for one scenario under <build>\e2e-runs\<name>. Whatever a previous run left
// there is removed first; what this run leaves stays for a look after a failure.
class ScenarioDir {
 public:
  explicit ScenarioDir(const std::string& name = CurrentTestName());
  // An existing folder elsewhere (a small file system of its own), taken as it is.
  static ScenarioDir At(const std::string& path) {
    ScenarioDir dir(path, 0);
    return dir;
  }

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return JoinPath(path_, name); }

  void Put(const std::string& name, const FileBytes& bytes) const { WriteFileBytes(File(name), bytes); }
  std::optional<FileBytes> Read(const std::string& name) const { return ReadFileBytes(File(name)); }
  bool Has(const std::string& name) const { return FileExists(File(name)); }
  void Remove(const std::string& name) const;
  std::vector<std::string> Files(const std::string& mask = "*") const { return ListFiles(path_, mask); }
  // Copies a file of the build (by its path) into the folder under the same name; returns the copy's path.
  std::string CopyIn(const std::string& source) const;

 private:
  ScenarioDir(const std::string& path, int) : path_(path) {}
  std::string path_;
};

}  // namespace parlo::e2e
