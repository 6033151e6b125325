// A large phrase book and the plain file work it is measured against: writing it durably,
// reading it back.
#pragma once
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/win/Seconds.h"

namespace parlo {

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Sections of 50 rows, about 50 bytes a row, in Parlo's own form.
inline std::string Book(int rows, const char* word) {
  std::string book = "[PARLO!]\r\n";
  for (int row = 0; row < rows; ++row) {
    if (row % 50 == 49) {
      book += "-----\t\r\n";
    } else {
      book += "Line" + std::to_string(row % 50) + "\t" + word + ", traveller; line " + std::to_string(row) +
              " of the book\r\n";
    }
  }
  return book;
}

// Rows of about 84 bytes, every hundredth a separator: a book of long lines.
inline std::string LongLineBook(int rows) {
  std::string book = "[PARLO!]\r\n";
  const std::string padding(48, '.');
  for (int row = 0; row < rows; ++row) {
    if (row % 100 == 99) {
      book += "-----\t\r\n";
    } else {
      char line[128];
      std::snprintf(line, sizeof line, "Say %06d\tWell met, traveller; this is line %06d %s\r\n", row, row,
                    padding.c_str() + 17);
      book += line;
    }
  }
  return book;
}

// Flushed before it returns: a measured save's own flush must not also write out what was set up
// for it (on ext4 one file's flush can wait for another's data).
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  return CloseHandle(file) && ok;
}

// The floor of any safe save: a new file, flushed, renamed over the old one.
inline double DurableWrite(const std::string& dir, const std::string& bytes) {
  const std::string temp = dir + "durable.new", target = dir + "durable.txt";
  double start = Now();
  HANDLE file =
      CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
  MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  return Now() - start;
}

// The whole file into memory; lines, when given, gets the number of line feeds in it.
inline double ReadWhole(const std::string& path, size_t* lines = nullptr) {
  double start = Now();
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  LARGE_INTEGER size{};
  GetFileSizeEx(file, &size);
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  if (lines) *lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
  return Now() - start;
}

// Removes the plain files of dir, then dir itself.
inline void RemoveFolder(const std::string& dir) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((dir + data.cFileName).c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace parlo
