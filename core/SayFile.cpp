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

bool FormatSayBookInParts(const GridModel& grid, const ContentPut& put, size_t partSize) {
  Bytes part;
  part.reserve(partSize + 256);
  part.append(kSayHeader);
  part.append("\r\n");
  bool going = true;
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (!going) return;
    if (!label.empty()) {
      part.append(label.data(), label.size());
      part += '\t';
    }
    part.append(text.data(), text.size());
    part.append("\r\n");
    if (part.size() >= partSize) {
      going = put(part);
      part.clear();
    }
  });
  return going && (part.empty() || put(part));
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

namespace {

// Letter case aside, as the file system matches names.
bool SameName(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return false;
  auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

}  // namespace

namespace {
constexpr std::uint64_t kHashMultiplier = 0xFF51AFD7ED558CCDull;
}

void QuickHasher::Mix(std::uint64_t word) {
  hash_ = (hash_ ^ word) * kHashMultiplier;
  hash_ ^= hash_ >> 32;
}

void QuickHasher::Update(std::string_view bytes) {
  size_ += bytes.size();
  const char* p = bytes.data();
  size_t left = bytes.size();
  if (carried_) {
    const size_t take = std::min(left, sizeof carry_ - carried_);
    std::memcpy(carry_ + carried_, p, take);
    carried_ += take;
    p += take;
    left -= take;
    if (carried_ < sizeof carry_) return;
    std::uint64_t word;
    std::memcpy(&word, carry_, 8);
    Mix(word);
    carried_ = 0;
  }
  for (; left >= 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    Mix(word);
  }
  std::memcpy(carry_, p, left);
  carried_ = left;
}

std::uint64_t QuickHasher::Final() const {
  std::uint64_t tail = 0;
  std::memcpy(&tail, carry_, carried_);
  std::uint64_t h = (hash_ ^ tail) * kHashMultiplier;
  h = (h ^ size_) * kHashMultiplier;
  return h ^ (h >> 29);
}

std::uint64_t QuickHash(std::string_view bytes) {
  QuickHasher hasher;
  hasher.Update(bytes);
  return hasher.Final();
}

bool IsOwnForm(std::string_view bytes) {
  constexpr std::string_view kHead("[PARLO!]\r\n");
  // The header alone reads as one empty row, which is written with a line of its own.
  if (bytes.size() <= kHead.size() || bytes.compare(0, kHead.size(), kHead) != 0) return false;
  if (bytes.substr(bytes.size() - 2) != "\r\n") return false;
  const char* begin = bytes.data();
  const char* end = begin + bytes.size();
  if (std::memchr(begin, '\0', bytes.size())) return false;
  for (const char* p = begin;
       (p = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p))));) {
    if (p + 1 == end || p[1] != '\n') return false;
    p += 2;
    // A TAB first on a line gives an empty label, and the TAB is not written back.
    if (p < end && *p == '\t') return false;
  }
  for (const char* p = begin;
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)))); ++p)
    if (p == begin || p[-1] != '\r') return false;
  return true;
}

SayFiles::SayFiles(FileStore& files, MessageBoxPort& prompt, Bytes sayDir, Bytes fallbackPath)
    : files_(files), prompt_(prompt), sayDir_(std::move(sayDir)), fallbackPath_(std::move(fallbackPath)) {}

namespace {

std::uint64_t HashOfBook(const GridModel& grid) {
  QuickHasher hasher;
  FormatSayBookInParts(grid, [&hasher](std::string_view part) {
    hasher.Update(part);
    return true;
  });
  return hasher.Final();
}

}  // namespace

std::shared_ptr<const Bytes> SayFiles::TextOf(const std::shared_ptr<const Bytes>& raw) const {
  if (codePage_ && MarkOf(*raw) != TextMark::kNone)
    return std::make_shared<const Bytes>(AnsiFromMarkedText(*raw, *codePage_));
  return raw;
}

void SayFiles::Remember(const GridModel& grid, const Bytes& name, const FileStamp* stamp,
                        std::string_view raw) {
  if (!onDisk_) return;
  BookOnDisk& known = *onDisk_;
  known = BookOnDisk{};
  known.name = name;
  known.present = stamp != nullptr;
  if (stamp) known.stamp = *stamp;
  known.hash = QuickHash(raw);
  known.ownForm = IsOwnForm(raw);
  // Only a file in another form costs writing the book out once more.
  known.bookHash = known.ownForm ? known.hash : HashOfBook(grid);
}

bool SayFiles::IsTracked(const Bytes& name) const {
  return onDisk_ && SameName(onDisk_->name, name);
}

bool SayFiles::LoadSayFile(GridModel& grid, Bytes& currentFile, const Bytes& name) {
  ClearSays(grid, currentFile);
  currentFile = name;
  Bytes path = sayDir_ + name;
  // Taken before the bytes are read: a write that slips in between shows as a change later.
  FileStamp stamp;
  const bool wanted = files_.Stamp(path, stamp);
  if (!wanted) path = fallbackPath_;
  if (!wanted && !files_.FileExists(path)) {
    Remember(grid, name, nullptr, {});
    return true;
  }
  for (bool retry = false;; retry = true) {
    bool read = false;
    try {
      Bytes content;
      if (retry && wanted) files_.Stamp(path, stamp);
      if (files_.ReadWhole(path, content)) {
        const auto raw = std::make_shared<const Bytes>(std::move(content));
        ReadSayBook(TextOf(raw), grid);
        Remember(grid, name, wanted ? &stamp : nullptr, *raw);
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
    if (onDisk_) *onDisk_ = BookOnDisk{};
    grid.SetRowCount(1);
    SetRow(grid, 0, {}, {});
    if (prompt_.Show("File Load Error. Retry?", "ERROR", kMbYesNo | kMbIconQuestion) != kIdYes) return false;
  }
}

bool SayFiles::WriteBook(const GridModel& grid, const Bytes& name) {
  const Bytes path = sayDir_ + name;
  FileStamp now;
  if (onDisk_ && files_.Stamp(path, now)) {
    const bool tracked = IsTracked(name) && onDisk_->present && onDisk_->ownForm;
    if (!tracked || now != onDisk_->stamp) {
      // Not known to be Parlo's own bytes: what is there is kept first, or nothing is written.
      Bytes there;
      if (!files_.ReadWhole(path, there)) return false;
      const bool ours = tracked && there.size() == onDisk_->stamp.size && QuickHash(there) == onDisk_->hash;
      if (!ours && !files_.WriteWholeAtomic(path + kBackupSuffix, there)) return false;
    }
  }
  // Made while it is written: holding a large book whole would cost more than writing it.
  FileStamp written;
  std::uint64_t hash = 0;
  const bool done = files_.WritePartsAtomic(
      path,
      [&grid, &hash](const ContentPut& put) {
        QuickHasher hasher;
        const bool all = FormatSayBookInParts(grid, [&](std::string_view part) {
          hasher.Update(part);
          return put(part);
        });
        hash = hasher.Final();
        return all;
      },
      &written);
  if (!done) return false;
  if (onDisk_) {
    *onDisk_ = BookOnDisk{};
    onDisk_->name = name;
    onDisk_->present = true;
    onDisk_->stamp = written;
    onDisk_->hash = onDisk_->bookHash = hash;
    onDisk_->ownForm = true;
  }
  return true;
}

bool SayFiles::SaveSayFile(const GridModel& grid, const Bytes& name) {
  if (IsUnnamedBook(name) && grid.RowCount() == 1 && grid.CellView(kColLabel, 0).empty() &&
      grid.CellView(kColText, 0).empty())
    return true;
  while (!WriteBook(grid, name)) {
    if (prompt_.Show("File Save Error. Retry?", "ERROR", kMbYesNo | kMbIconQuestion) != kIdYes) return false;
  }
  return true;
}

SayFiles::OutsideChange SayFiles::CheckOutsideChange(GridModel& grid, const Bytes& currentFile) {
  if (currentFile.empty() || !IsTracked(currentFile)) return OutsideChange::kNone;
  const Bytes path = sayDir_ + currentFile;
  FileStamp now;
  // A file that has gone is written again at the next save.
  if (!files_.Stamp(path, now)) return OutsideChange::kNone;
  if (onDisk_->present && now == onDisk_->stamp) return OutsideChange::kNone;
  if (now == onDisk_->passed) return OutsideChange::kKeptOwn;
  try {
    Bytes content;
    if (!files_.ReadWhole(path, content)) return OutsideChange::kNone;
    if (onDisk_->present && content.size() == onDisk_->stamp.size && QuickHash(content) == onDisk_->hash) {
      onDisk_->stamp = now;  // touched, not changed
      return OutsideChange::kNone;
    }
    if (HashOfBook(grid) != onDisk_->bookHash) {
      onDisk_->passed = now;
      return OutsideChange::kKeptOwn;
    }
    const auto raw = std::make_shared<const Bytes>(std::move(content));
    // Emptied first, so that no row is copied out of the old file's bytes; the rows stay.
    grid.ClearLabelsAndTexts();
    ReadSayBook(TextOf(raw), grid);
    Remember(grid, currentFile, &now, *raw);
  } catch (const std::bad_alloc&) {
    return OutsideChange::kNone;
  } catch (const std::length_error&) {
    return OutsideChange::kNone;
  }
  return OutsideChange::kReloaded;
}

}  // namespace parlo
