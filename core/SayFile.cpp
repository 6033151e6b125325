#include "core/SayFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

namespace parlo {

namespace {

const char* FindByte(const char* from, const char* end, char c) {
  const void* hit = std::memchr(from, c, static_cast<size_t>(end - from));
  return hit ? static_cast<const char*>(hit) : end;
}

void SetRow(GridModel& grid, int row, std::string_view label, std::string_view text) {
  grid.SetLoadedCell(kColLabel, row, label);
  grid.SetLoadedCell(kColText, row, text);
}

void SetSplitRow(GridModel& grid, int row, std::string_view line) {
  size_t tab = line.find('\t');
  if (tab == std::string_view::npos)
    SetRow(grid, row, std::string_view(), line);
  else
    SetRow(grid, row, line.substr(0, tab), line.substr(tab + 1));
}

}  // namespace

void CutLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  const char* p = text.data();
  const char* end = FindByte(p, p + text.size(), '\0');
  // Each break kind is searched for only once its previous hit is behind us, so the text is
  // scanned about once even when the two kinds are mixed.
  const char* nextLf = FindByte(p, end, '\n');
  const char* nextCr = FindByte(p, end, '\r');
  while (p < end) {
    if (nextLf < p) nextLf = FindByte(p, end, '\n');
    if (nextCr < p) nextCr = FindByte(p, end, '\r');
    const char* brk = std::min(nextLf, nextCr);
    lines.emplace_back(p, static_cast<size_t>(brk - p));
    if (brk == end) break;
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
  }
}

SayLayout ChooseLayout(std::string_view firstLine) {
  if (firstLine == kSayHeader) return SayLayout::kHeaded;
  if (firstLine.find('\t') != std::string_view::npos) return SayLayout::kTabbed;
  return SayLayout::kPaired;
}

void ReadSayBook(std::string_view content, GridModel& grid) {
  ReadSayBook(std::make_shared<const Bytes>(content), grid);
}

void ReadSayBook(std::shared_ptr<const Bytes> content, GridModel& grid) {
  std::vector<std::string_view> lines;
  CutLines(*content, lines);
  grid.AdoptSource(std::move(content));
  if (lines.empty()) {
    grid.SetRowCount(1);
    SetRow(grid, 0, {}, {});
    return;
  }
  SayLayout layout = ChooseLayout(lines[0]);
  size_t rows = layout == SayLayout::kHeaded   ? lines.size() - 1
                : layout == SayLayout::kTabbed ? lines.size()
                                               : lines.size() / 2;
  if (rows > static_cast<size_t>(INT_MAX)) throw std::length_error("too many lines");
  grid.SetRowCount(static_cast<int>(rows));  // a count of 0 still leaves one row
  if (rows == 0) {
    SetRow(grid, 0, {}, {});
    return;
  }
  for (size_t r = 0; r < rows; ++r) {
    int row = static_cast<int>(r);
    switch (layout) {
      case SayLayout::kHeaded:
        SetSplitRow(grid, row, lines[r + 1]);
        break;
      case SayLayout::kTabbed:
        SetSplitRow(grid, row, lines[r]);
        break;
      case SayLayout::kPaired:
        SetRow(grid, row, lines[2 * r], lines[2 * r + 1]);
        break;
    }
  }
}

Bytes FormatSayBook(const GridModel& grid) {
  const int rows = grid.RowCount();
  constexpr size_t kHeaderSize = sizeof(kSayHeader) - 1;
  size_t size = kHeaderSize + 2;
  for (int r = 0; r < rows; ++r) {
    size_t labelSize = grid.CellView(kColLabel, r).size();
    size += labelSize + (labelSize ? 1 : 0) + grid.CellView(kColText, r).size() + 2;
  }
  // Sized once and filled by copies: a large book writes at close to memory speed.
  Bytes out(size, '\0');
  char* w = &out[0];
  auto put = [&w](const char* data, size_t n) {
    std::memcpy(w, data, n);
    w += n;
  };
  put(kSayHeader, kHeaderSize);
  put("\r\n", 2);
  for (int r = 0; r < rows; ++r) {
    const std::string_view label = grid.CellView(kColLabel, r);
    const std::string_view text = grid.CellView(kColText, r);
    if (!label.empty()) {
      put(label.data(), label.size());
      *w++ = '\t';
    }
    put(text.data(), text.size());
    put("\r\n", 2);
  }
  return out;
}

bool IsUnnamedBook(const Bytes& name) {
  // Plain ASCII folding is enough here: no byte outside ASCII lower-cases to one of these
  // letters in any ANSI code page, and a double-byte character cannot be part of a match.
  static constexpr char kName[] = "say.txt";
  if (name.size() != sizeof(kName) - 1) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

SayFiles::SayFiles(FileStore& files, MessageBoxPort& prompt, Bytes sayDir, Bytes fallbackPath)
    : files_(files), prompt_(prompt), sayDir_(std::move(sayDir)), fallbackPath_(std::move(fallbackPath)) {}

bool SayFiles::LoadSayFile(GridModel& grid, Bytes& currentFile, const Bytes& name) {
  ClearSays(grid, currentFile);
  currentFile = name;
  Bytes path = sayDir_ + name;
  if (!files_.FileExists(path)) path = fallbackPath_;
  if (!files_.FileExists(path)) return true;
  for (;;) {
    bool read = false;
    try {
      Bytes content;
      if (files_.ReadWhole(path, content)) {
        ReadSayBook(std::make_shared<const Bytes>(std::move(content)), grid);
        read = true;
      }
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    if (read) {
      // A retry that worked shows a book worth writing back, so it gets its name again.
      currentFile = name;
      return true;
    }
    currentFile.clear();
    grid.SetRowCount(1);
    SetRow(grid, 0, {}, {});
    if (prompt_.Show("File Load Error. Retry?", "ERROR", kMbYesNo | kMbIconQuestion) != kIdYes) return false;
  }
}

bool SayFiles::SaveSayFile(const GridModel& grid, const Bytes& name) {
  if (IsUnnamedBook(name) && grid.RowCount() == 1 && grid.CellView(kColLabel, 0).empty() &&
      grid.CellView(kColText, 0).empty())
    return true;
  const Bytes content = FormatSayBook(grid);
  const Bytes path = sayDir_ + name;
  while (!files_.WriteWholeAtomic(path, content)) {
    if (prompt_.Show("File Save Error. Retry?", "ERROR", kMbYesNo | kMbIconQuestion) != kIdYes) return false;
  }
  return true;
}

}  // namespace parlo
