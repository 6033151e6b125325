#pragma once
#include <memory>
#include <string_view>
#include <vector>

#include "core/Bytes.h"
#include "core/FileStore.h"
#include "core/MessageBoxPort.h"
#include "core/PhraseGrid.h"

namespace parlo {

inline constexpr const char kSayHeader[] = "[PARLO!]";
inline constexpr const char kUnnamedBook[] = "say.txt";
inline constexpr const char kFallbackFileName[] = "say-default.txt";

// How a say file is laid out, decided by its first line alone.
enum class SayLayout {
  kHeaded,  // first line is exactly the header; each further line is one row, label TAB text
  kTabbed,  // first line holds a TAB; each line is one row, label TAB text
  kPaired,  // otherwise: a label line followed by a text line per row
};

// Cuts text into lines: CR LF, lone LF and lone CR each end a line, a break at the very end adds
// no empty line, and the text ends at its first NUL. The views point into text.
void CutLines(std::string_view text, std::vector<std::string_view>& lines);
SayLayout ChooseLayout(std::string_view firstLine);

// Makes the grid hold the book in content: sets the row count (at least 1) and the label and text
// of every row. Other columns are left alone.
void ReadSayBook(std::string_view content, GridModel& grid);
// The same, keeping content itself: the cells point into it instead of copying it.
void ReadSayBook(std::shared_ptr<const Bytes> content, GridModel& grid);
// The grid in the headed layout, every line followed by CR LF.
Bytes FormatSayBook(const GridModel& grid);

// "say.txt" in any letter case: the book that is not written while it is one empty row.
bool IsUnnamedBook(const Bytes& name);

// Loads and saves phrase books in the say-file folder, asking the user to retry on failure.
class SayFiles {
 public:
  // sayDir ends with a separator; fallbackPath is the full path of the template file read when
  // a wanted book is missing. The prompt port must show an application-modal box.
  SayFiles(FileStore& files, MessageBoxPort& prompt, Bytes sayDir, Bytes fallbackPath);

  // Fills the grid from the named file (no folder), or from the fallback file when it is missing,
  // or leaves one empty row when both are. currentFile becomes name, or empty when the user gave
  // up after a read failure; only then is the result false. The caller repaints the grid.
  bool LoadSayFile(GridModel& grid, Bytes& currentFile, const Bytes& name);
  // Writes the grid to the named file in the folder. False only when writing failed and the user
  // declined to retry. An empty unnamed book is not written.
  bool SaveSayFile(const GridModel& grid, const Bytes& name);

 private:
  FileStore& files_;
  MessageBoxPort& prompt_;
  Bytes sayDir_;
  Bytes fallbackPath_;
};

}  // namespace parlo
