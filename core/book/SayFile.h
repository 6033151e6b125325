#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/files/FileStore.h"
#include "core/prompts/MessageBoxPort.h"
#include "core/book/PhraseGrid.h"
#include "core/text/TextCoding.h"

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
// of every row. Other columns are left alone. True when content is in Parlo's own form, as
// IsOwnForm says, found in the same pass.
bool ReadSayBook(std::string_view content, GridModel& grid);
// The same, keeping content itself: the cells point into it instead of copying it.
bool ReadSayBook(std::shared_ptr<const Bytes> content, GridModel& grid);
// The grid in the headed layout, every line followed by CR LF.
Bytes FormatSayBook(const GridModel& grid);
// The same bytes handed to put in parts of about partSize bytes from one reused buffer, so that a
// large book is written without ever being held whole; false as soon as put returns false.
bool FormatSayBookInParts(const GridModel& grid, const ContentPut& put, size_t partSize = size_t{1} << 18);

// "say.txt" in any letter case: the book that is not written while it is one empty row.
bool IsUnnamedBook(const Bytes& name);

// A 64-bit hash of bytes, cheap enough to take of every book read or written, fed in parts of
// any size; the parts' boundaries do not change it.
class QuickHasher {
 public:
  void Update(std::string_view bytes);
  std::uint64_t Final() const;

 private:
  void MixBlock(const char* block);
  std::uint64_t lanes_[4] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                             0x27D4EB2F165667C5ull};
  std::uint64_t size_ = 0;
  char carry_[32] = {};
  size_t carried_ = 0;
};
std::uint64_t QuickHash(std::string_view bytes);
// Whether FormatSayBook would write exactly source, because every label and text of the grid is
// still the view into source that reading it made, in its place. Only looks at where the cells
// point and at the separators between them, not at the bytes of the cells.
bool IsVerbatimSource(const GridModel& grid, std::string_view source);
// Whether the bytes are exactly what FormatSayBook writes for the book they hold: the headed
// layout, CR LF after every line and nothing else, no NUL, no line that begins with a TAB.
bool IsOwnForm(std::string_view bytes);

// What Parlo knows of one book's file from the last time it read or wrote it.
struct BookOnDisk {
  Bytes name;                  // the file (no folder) it is about; empty: nothing is known
  bool present = false;        // the file was there (a book read from the fallback was not)
  FileStamp stamp;             // and looked like this
  std::uint64_t hash = 0;      // QuickHash of its bytes, once KnownHash took it
  // The bytes read in Parlo's own form until their hash is first asked for: most books are
  // never looked at again, and the hash would cost a large book's start a pass over it.
  std::shared_ptr<const Bytes> unhashed;
  bool ownForm = false;        // those bytes were what Parlo writes for the book they hold
  std::uint64_t bookHash = 0;  // QuickHash of the book as Parlo would have written it then
  BookRevision revision;       // the grid's revision then
  bool theirs = false;         // those bytes are another program's, read again while Parlo had the book
  FileStamp passed;            // a later version left alone because the book had changed too
};

// known.hash, and its bookHash, taken now if they were left until needed.
std::uint64_t KnownHash(BookOnDisk& known);

// Whether the file name already holds the book as the grid has it now, so that saving it would
// change nothing: Parlo read or wrote that file in its own form, the book has not changed since
// (its revision), and the file is still there with the size and write time it had then. now is
// the file's stamp, or null when there is none.
bool IsSavedAlready(const BookOnDisk& known, const Bytes& name, const BookRevision& book,
                    const FileStamp* now);

// The backup a save leaves of a file Parlo did not write: "sayNotes.txt" keeps it in
// "sayNotes.txt.bak".
inline constexpr const char kBackupSuffix[] = ".bak";

// A book read before its load is asked for, on a thread of its own while the window is being
// made: its file's stamp from before the read, its bytes and the rows read from them.
struct BookReadAhead {
  Bytes path;
  FileStamp stamp;
  std::shared_ptr<const Bytes> raw;
  GridModel rows;
  bool ownForm = false;
};
// Reads path as a load does; nullptr when it is not there or cannot be read. Touches nothing but
// the file store and the code page (may be null), so it may run beside the window's thread.
std::unique_ptr<BookReadAhead> ReadBookAhead(FileStore& files, AnsiCodePage* codePage, const Bytes& path);

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
  // declined to retry. An empty unnamed book is not written, nor one that the file holds already
  // as it is (when tracked, IsSavedAlready).
  bool SaveSayFile(const GridModel& grid, const Bytes& name);
  // The same for the last save before Parlo ends: nothing looks at the file again, so it is
  // written without taking its fingerprint, and what was known of it is forgotten.
  bool SaveSayFileAtExit(const GridModel& grid, const Bytes& name);

  // Files that begin with a byte-order mark are converted through the code page before the
  // layout is chosen. Without one every file is read byte for byte.
  void UseCodePage(AnsiCodePage* codePage) { codePage_ = codePage; }
  // Loads and saves keep onDisk up to date, and a save first keeps a file whose bytes Parlo did
  // not write (another layout, other line ends, a mark, a NUL, a change by another program) as
  // name + ".bak". Without it nothing is tracked and nothing is kept.
  void Track(BookOnDisk* onDisk) { onDisk_ = onDisk; }
  // The next load of ahead's file takes its rows instead of reading, when the file's stamp is
  // still the one ahead noted; otherwise the file is read as ever.
  void UseReadAhead(std::unique_ptr<BookReadAhead> ahead) { ahead_ = std::move(ahead); }

  enum class OutsideChange { kNone, kReloaded, kKeptOwn };
  // Looks whether the current book's file changed since Parlo last read or wrote it. When it did
  // and the grid still holds the book as it was then, the grid is filled from the file again in
  // one change that undo takes back, leaving the current cell where it was (within range); a
  // save over that version keeps it as the backup. When the book has changed in Parlo too, the
  // grid is kept: the next save keeps the file's version as the backup. Nothing is asked; a file
  // that cannot be read now is looked at again next time. Needs Track.
  OutsideChange CheckOutsideChange(GridModel& grid, const Bytes& currentFile);

 private:
  // ownForm: raw is in Parlo's own form (ReadSayBook says so of the text read from it).
  void Remember(const GridModel& grid, const Bytes& name, const FileStamp* stamp, std::shared_ptr<const Bytes> raw,
                bool ownForm);
  bool IsTracked(const Bytes& name) const;
  bool Save(const GridModel& grid, const Bytes& name, bool fingerprint);
  // now: the file's stamp as the save found it, or null when it is not there (or not tracked).
  bool WriteBook(const GridModel& grid, const Bytes& name, const FileStamp* now, bool fingerprint);

  FileStore& files_;
  MessageBoxPort& prompt_;
  Bytes sayDir_;
  Bytes fallbackPath_;
  AnsiCodePage* codePage_ = nullptr;
  BookOnDisk* onDisk_ = nullptr;
  std::unique_ptr<BookReadAhead> ahead_;
};

}  // namespace parlo
