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

// Calls each(line) for every line: CR LF, a lone LF and a lone CR end a line, a break at the very
// end adds no empty line, and the text ends at its first NUL.
template <typename Each>
void ForEachLine(std::string_view text, Each&& each) {
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
    each(std::string_view(p, static_cast<size_t>(brk - p)));
    if (brk == end) break;
    p = brk + 1;
    if (*brk == '\r' && p < end && *p == '\n') ++p;
  }
}

void AddSplitRow(GridModel& grid, std::string_view line) {
  size_t tab = line.find('\t');
  if (tab == std::string_view::npos)
    grid.AddLoadedRow(std::string_view(), line);
  else
    grid.AddLoadedRow(line.substr(0, tab), line.substr(tab + 1));
}

}  // namespace

void CutLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  ForEachLine(text, [&lines](std::string_view line) { lines.push_back(line); });
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
  const std::string_view text = *content;
  grid.AdoptSource(std::move(content));  // the grid keeps the bytes the rows point into
  // One pass: the first line decides the layout, every other line goes straight into the grid.
  bool first = true;
  SayLayout layout = SayLayout::kPaired;
  std::string_view label;
  bool haveLabel = false;
  grid.BeginRows();
  ForEachLine(text, [&](std::string_view line) {
    if (first) {
      first = false;
      layout = ChooseLayout(line);
      if (layout == SayLayout::kHeaded) return;
    }
    if (layout != SayLayout::kPaired) {
      AddSplitRow(grid, line);
    } else if (haveLabel) {
      grid.AddLoadedRow(label, line);
      haveLabel = false;
    } else {
      label = line;  // an odd last line is never given its text, and so is ignored
      haveLabel = true;
    }
  });
  grid.EndRows();
}

Bytes FormatSayBook(const GridModel& grid) {
  constexpr size_t kHeaderSize = sizeof(kSayHeader) - 1;
  size_t size = kHeaderSize + 2;
  grid.ForEachLabelAndText([&size](std::string_view label, std::string_view text) {
    size += label.size() + (label.empty() ? 0 : 1) + text.size() + 2;
  });
  // Sized once and filled by copies: a large book writes at close to memory speed.
  Bytes out(size, '\0');
  char* w = &out[0];
  auto put = [&w](const char* data, size_t n) {
    std::memcpy(w, data, n);
    w += n;
  };
  put(kSayHeader, kHeaderSize);
  put("\r\n", 2);
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (!label.empty()) {
      put(label.data(), label.size());
      *w++ = '\t';
    }
    put(text.data(), text.size());
    put("\r\n", 2);
  });
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
