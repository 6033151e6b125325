#include "core/book/SayFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace parlo {

namespace {

// Searches run in our own code, sixteen bytes at a time: the C runtime's memchr under Wine looks
// at a byte at a time, and lines are short enough that a call into a library costs more than the
// search itself.
#if defined(__SSE2__) || defined(_M_X64)
using Block = __m128i;
constexpr size_t kBlock = 16;
inline Block Pattern(char c) {
  return _mm_set1_epi8(c);
}
inline Block Load(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
// One bit per byte of the block that equals the pattern's byte, lowest address lowest.
inline unsigned Matches(Block block, Block pattern) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, pattern)));
}
#else
using Block = std::uint64_t;
constexpr size_t kBlock = 8;
inline Block Pattern(char c) {
  return 0x0101010101010101ull * static_cast<unsigned char>(c);
}
inline Block Load(const char* p) {
  Block word;
  std::memcpy(&word, p, 8);
  return word;
}
// The high bit of each byte that equals the pattern's, exact up to the first such byte (a borrow
// may mark bytes above it).
inline Block Matches(Block block, Block pattern) {
  const Block x = block ^ pattern;
  return (x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull;
}
#endif

// The place of the lowest bit set in a nonzero word.
inline size_t LowestBit(std::uint64_t bits) {
#if defined(__GNUC__) || defined(__clang__)
  return static_cast<size_t>(__builtin_ctzll(bits));
#else
  size_t at = 0;
  for (; !(bits & 1); bits >>= 1) ++at;
  return at;
#endif
}

// One bit for each byte of the 64 at p that is CR, LF, NUL or TAB, lowest address lowest: a
// line's end and its first TAB are found in one look at its bytes.
constexpr size_t kStopSpan = 64;
inline std::uint64_t StopBits(const char* p) {
  std::uint64_t bits = 0;
#if defined(__SSE2__) || defined(_M_X64)
  const Block cr = Pattern('\r'), lf = Pattern('\n'), nul = Pattern('\0'), tab = Pattern('\t');
  for (size_t k = 0; k < kStopSpan; k += kBlock) {
    const Block block = Load(p + k);
    bits |= std::uint64_t{Matches(block, cr) | Matches(block, lf) | Matches(block, nul) | Matches(block, tab)} << k;
  }
#else
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  for (size_t k = 0; k < kStopSpan; k += 8) {
    const std::uint64_t word = Load(p + k);
    std::uint64_t high = 0;  // the high bit of each byte that is one of the four, exactly
    for (const char c : {'\r', '\n', '\0', '\t'}) {
      const std::uint64_t x = word ^ Pattern(c);
      high |= ~(((x & kLow7) + kLow7) | x | kLow7);
    }
    bits |= (((high >> 7) * 0x0102040810204080ull) >> 56) << k;
  }
#endif
  return bits;
}

// One bit for each byte of the 64 at p that is c, lowest address lowest.
inline std::uint64_t SpanBits(const char* p, char c) {
  std::uint64_t bits = 0;
#if defined(__SSE2__) || defined(_M_X64)
  const Block pattern = Pattern(c);
  for (size_t k = 0; k < kStopSpan; k += kBlock) bits |= std::uint64_t{Matches(Load(p + k), pattern)} << k;
#else
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  for (size_t k = 0; k < kStopSpan; k += 8) {
    const std::uint64_t x = Load(p + k) ^ Pattern(c);
    const std::uint64_t high = ~(((x & kLow7) + kLow7) | x | kLow7);
    bits |= (((high >> 7) * 0x0102040810204080ull) >> 56) << k;
  }
#endif
  return bits;
}

// Labels and texts are short: copied a word at a time inline, they cost less than a call of the
// C library's memcpy each, which is what dominates writing a large book under Wine.
inline char* CopyOut(char* out, const char* in, size_t n) {
  if (n > 64) {
    std::memcpy(out, in, n);
    return out + n;
  }
  for (; n >= 8; n -= 8, in += 8, out += 8) std::memcpy(out, in, 8);
  for (; n > 0; --n) *out++ = *in++;
  return out;
}

void SetRow(GridModel& grid, int row, std::string_view label, std::string_view text) {
  grid.SetLoadedCell(kColLabel, row, label);
  grid.SetLoadedCell(kColText, row, text);
}

// Calls each(line, tab) for every line and where its first TAB is (nullptr: none), in one pass
// over the bytes: CR LF, a lone LF and a lone CR end a line, a break at the very end adds no
// empty line, and the text ends at its first NUL.
template <typename Each>
void ForEachLineWithTab(std::string_view text, Each&& each) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;  // the line's start
  const char* tab = nullptr;
  char last[kStopSpan];  // the bytes after the last whole span, padded with bytes that stop nothing
  for (const char* span = begin; span < end; span += kStopSpan) {
    std::uint64_t bits;
    if (static_cast<size_t>(end - span) >= kStopSpan) {
      bits = StopBits(span);
    } else {
      std::memset(last, 'x', kStopSpan);
      std::memcpy(last, span, static_cast<size_t>(end - span));
      bits = StopBits(last);
    }
    for (; bits; bits &= bits - 1) {
      const char* stop = span + LowestBit(bits);
      if (stop < p) continue;  // the LF of a CR LF
      const char c = *stop;
      if (c == '\t') {
        if (!tab) tab = stop;
        continue;
      }
      if (c == '\0' && p == stop) return;  // nothing after the last break
      each(std::string_view(p, static_cast<size_t>(stop - p)), tab);
      if (c == '\0') return;
      p = stop + 1;
      if (c == '\r' && p < end && *p == '\n') ++p;
      tab = nullptr;
    }
  }
  if (p < end) each(std::string_view(p, static_cast<size_t>(end - p)), tab);
}

// CR and LF bytes together: at least the number of lines, whichever ends they have.
size_t CountLineEnds(std::string_view text) {
  size_t count = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
#if defined(__SSE2__) || defined(_M_X64)
  // A byte counter for each of the sixteen places, summed before it can overflow: the compiler's
  // own vectors widen every byte to a word first, which costs more than the rest of the load.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), zero = _mm_setzero_si128();
  __m128i total = zero;
  while (static_cast<size_t>(end - p) >= kBlock) {
    const size_t blocks = std::min<size_t>(static_cast<size_t>(end - p) / kBlock, 255);
    __m128i counts = zero;
    for (size_t i = 0; i < blocks; ++i, p += kBlock) {
      const __m128i block = Load(p);
      counts = _mm_sub_epi8(counts, _mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)));
    }
    total = _mm_add_epi64(total, _mm_sad_epu8(counts, zero));
  }
  std::uint64_t halves[2];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), total);
  count = static_cast<size_t>(halves[0] + halves[1]);
#endif
  for (; p < end; ++p) count += (*p == '\n') | (*p == '\r');
  return count;
}

void AddSplitRow(GridModel& grid, std::string_view line, const char* tab) {
  if (!tab)
    grid.AddLoadedRow(std::string_view(), line);
  else
    grid.AddLoadedRow(std::string_view(line.data(), static_cast<size_t>(tab - line.data())),
                      std::string_view(tab + 1, static_cast<size_t>(line.data() + line.size() - tab - 1)));
}

}  // namespace

void CutLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  ForEachLineWithTab(text, [&lines](std::string_view line, const char*) { lines.push_back(line); });
}

SayLayout ChooseLayout(std::string_view firstLine) {
  if (firstLine == kSayHeader) return SayLayout::kHeaded;
  if (firstLine.find('\t') != std::string_view::npos) return SayLayout::kTabbed;
  return SayLayout::kPaired;
}

bool ReadSayBook(std::string_view content, GridModel& grid) {
  return ReadSayBook(std::make_shared<const Bytes>(content), grid);
}

bool ReadSayBook(std::shared_ptr<const Bytes> content, GridModel& grid) {
  const std::string_view text = *content;
  const char* const textEnd = text.data() + text.size();
  grid.AdoptSource(std::move(content));  // the grid keeps the bytes the rows point into
  // One pass: the first line decides the layout, every other line goes straight into the grid.
  bool first = true;
  SayLayout layout = SayLayout::kPaired;
  std::string_view label;
  bool haveLabel = false;
  // Own form, seen on the way: the header, then rows that each end in CR LF and do not begin
  // with a TAB, and nothing after the last one (a NUL ends the scan early).
  bool own = false;
  const char* lineEnd = text.data();
  // Memory the system has not handed out before costs more than the reading itself under Wine:
  // the rows get theirs in one piece instead of growing into it step by step.
  grid.BeginRows(CountLineEnds(text) + 1);
  ForEachLineWithTab(text, [&](std::string_view line, const char* tab) {
    lineEnd = line.data() + line.size();
    own = (own || first) && textEnd - lineEnd >= 2 && lineEnd[0] == '\r' && lineEnd[1] == '\n' &&
          tab != line.data();
    if (first) {
      first = false;
      layout = ChooseLayout(line);
      own = own && layout == SayLayout::kHeaded;
      if (layout == SayLayout::kHeaded) return;
    }
    if (layout != SayLayout::kPaired) {
      AddSplitRow(grid, line, tab);
    } else if (haveLabel) {
      grid.AddLoadedRow(label, line);
      haveLabel = false;
    } else {
      label = line;  // an odd last line is never given its text, and so is ignored
      haveLabel = true;
    }
  });
  grid.EndRows();
  // The header alone reads as one empty row, which is written with a line of its own.
  return own && lineEnd + 2 == textEnd && lineEnd != text.data() + (sizeof kSayHeader - 1);
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
  auto put = [&w](const char* data, size_t n) { w = CopyOut(w, data, n); };
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

namespace {

// Whether the source holds, from at on, exactly the line FormatSayBook makes of the row, because
// the row's cells are the views of those very bytes. Compares places, not bytes.
bool RowLiesAt(std::string_view label, std::string_view text, const char* at, const char* end) {
  if (!label.empty()) {
    if (label.data() != at || label.size() >= static_cast<size_t>(end - at) || at[label.size()] != '\t')
      return false;
    at += label.size() + 1;
  }
  if (!text.empty()) {
    if (text.data() != at || text.size() > static_cast<size_t>(end - at)) return false;
    at += text.size();
  }
  return end - at >= 2 && at[0] == '\r' && at[1] == '\n';
}

}  // namespace

bool FormatSayBookInParts(const GridModel& grid, const ContentPut& put, size_t partSize) {
  constexpr size_t kHeaderSize = sizeof(kSayHeader) - 1;
  // Rows still lying in the bytes they were read from, one after the other, are handed over as
  // those bytes when the stretch is long enough to be worth a part of its own: a large book with
  // a few changes is then written mostly without copying it, and without filling a buffer from
  // memory never used before, which is dear under Wine.
  constexpr size_t kLongStretch = size_t{1} << 14;
  const Bytes* source = grid.Source();
  const char* const sourceBegin = source ? source->data() : nullptr;
  const char* const sourceEnd = source ? source->data() + source->size() : nullptr;
  const char* stretch = nullptr;  // [stretch, stretchEnd) of the source: the rows since stretch
  const char* stretchEnd = nullptr;

  // Grows only for a row longer than a part, which is then handed over whole. Taken when a row
  // is first copied; only the pages written to cost anything.
  size_t capacity = 0;
  std::unique_ptr<char[]> buffer;
  size_t used = 0;
  bool going = true;
  auto room = [&](size_t need) -> char* {
    if (used + need > capacity) {
      const size_t larger = std::max(std::max(partSize, kHeaderSize + 2), used + need) + 256;
      std::unique_ptr<char[]> fresh(new char[larger]);
      if (used) std::memcpy(fresh.get(), buffer.get(), used);
      buffer = std::move(fresh);
      capacity = larger;
    }
    return buffer.get() + used;
  };
  auto handOver = [&] {
    if (used && going) going = put(std::string_view(buffer.get(), used));
    used = 0;
  };
  auto endStretch = [&] {
    const size_t size = static_cast<size_t>(stretchEnd - stretch);
    if (size >= kLongStretch) {
      handOver();
      if (going) going = put(std::string_view(stretch, size));
    } else if (size) {
      std::memcpy(room(size), stretch, size);
      used += size;
      if (used >= partSize) handOver();
    }
    stretch = stretchEnd = nullptr;
  };

  constexpr std::string_view kHead("[PARLO!]\r\n");
  if (source && std::string_view(*source).substr(0, kHead.size()) == kHead) {
    stretch = sourceBegin;
    stretchEnd = sourceBegin + kHead.size();
  } else {
    char* out = CopyOut(room(kHeaderSize + 2), kSayHeader, kHeaderSize);
    out[0] = '\r';
    out[1] = '\n';
    used += kHeaderSize + 2;
  }
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (!going) return;
    const size_t line = (label.empty() ? 0 : label.size() + 1) + text.size() + 2;
    if (stretch && RowLiesAt(label, text, stretchEnd, sourceEnd)) {
      stretchEnd += line;
      return;
    }
    if (stretch) endStretch();
    const char* start = !label.empty() ? label.data() : !text.empty() ? text.data() : nullptr;
    if (start && source && std::less_equal<const char*>()(sourceBegin, start) &&
        std::less<const char*>()(start, sourceEnd) && RowLiesAt(label, text, start, sourceEnd)) {
      stretch = start;
      stretchEnd = start + line;
      return;
    }
    char* out = room(line);
    if (!label.empty()) {
      out = CopyOut(out, label.data(), label.size());
      *out++ = '\t';
    }
    out = CopyOut(out, text.data(), text.size());
    *out++ = '\r';
    *out++ = '\n';
    used += line;
    if (used >= partSize) handOver();
  });
  if (stretch && going) endStretch();
  handOver();
  return going;
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

bool IsSavedAlready(const BookOnDisk& known, const Bytes& name, const BookRevision& book,
                    const FileStamp* now) {
  // A file in another form is written in Parlo's own even when nothing else changed.
  return now && !known.name.empty() && SameName(known.name, name) && known.present && known.ownForm &&
         known.revision == book && *now == known.stamp;
}

namespace {
constexpr std::uint64_t kHashMultiplier = 0xFF51AFD7ED558CCDull;
}

namespace {

inline std::uint64_t MixWord(std::uint64_t hash, std::uint64_t word) {
  hash = (hash ^ word) * kHashMultiplier;
  return hash ^ (hash >> 32);
}

}  // namespace

// Four independent lanes over 32-byte blocks: the multiplications overlap instead of waiting
// for one another, which makes the hash about four times as fast as one chain.
void QuickHasher::MixBlock(const char* block) {
  for (int lane = 0; lane < 4; ++lane) {
    std::uint64_t word;
    std::memcpy(&word, block + 8 * lane, 8);
    lanes_[lane] = MixWord(lanes_[lane], word);
  }
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
    MixBlock(carry_);
    carried_ = 0;
  }
  for (; left >= sizeof carry_; p += sizeof carry_, left -= sizeof carry_) MixBlock(p);
  std::memcpy(carry_, p, left);
  carried_ = left;
}

std::uint64_t QuickHasher::Final() const {
  std::uint64_t h = lanes_[0];
  for (int lane = 1; lane < 4; ++lane) h = MixWord(h, lanes_[lane]);
  // The bytes of an unfinished block, zero-padded to whole words; the size tells the padding apart.
  char tail[sizeof carry_] = {};
  std::memcpy(tail, carry_, carried_);
  for (size_t at = 0; at < carried_; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, tail + at, 8);
    h = MixWord(h, word);
  }
  h = (h ^ size_) * kHashMultiplier;
  return h ^ (h >> 29);
}

std::uint64_t QuickHash(std::string_view bytes) {
  QuickHasher hasher;
  hasher.Update(bytes);
  return hasher.Final();
}

bool IsVerbatimSource(const GridModel& grid, std::string_view source) {
  constexpr std::string_view kHead("[PARLO!]\r\n");
  if (source.size() < kHead.size() || source.compare(0, kHead.size(), kHead) != 0) return false;
  // Follows FormatSayBook through the source: every label and text must be the view of the
  // source at the place it would be written to, with exactly the TAB and CR LF between them.
  const char* at = source.data() + kHead.size();
  const char* const end = source.data() + source.size();
  bool same = true;
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    if (!same) return;
    if (!label.empty()) {
      same = label.data() == at && label.size() < static_cast<size_t>(end - at) && at[label.size()] == '\t';
      if (!same) return;
      at += label.size() + 1;
    }
    if (!text.empty()) {
      same = text.data() == at && text.size() <= static_cast<size_t>(end - at);
      if (!same) return;
      at += text.size();
    }
    same = end - at >= 2 && at[0] == '\r' && at[1] == '\n';
    at += 2;
  });
  return same && at == end;
}

bool IsOwnForm(std::string_view bytes) {
  constexpr std::string_view kHead("[PARLO!]\r\n");
  // The header alone reads as one empty row, which is written with a line of its own.
  if (bytes.size() <= kHead.size() || bytes.compare(0, kHead.size(), kHead) != 0) return false;
  if (bytes.substr(bytes.size() - 2) != "\r\n") return false;
  // Sixty-four bytes at a time, without a branch for each line: no NUL, an LF right after every
  // CR and nowhere else, and no TAB right after an LF (its label would be empty and the TAB not
  // written back). The bit carried in is the byte before the span: the header's LF at first.
  const char* const end = bytes.data() + bytes.size();
  std::uint64_t crBefore = 0, lfBefore = 1;
  char last[kStopSpan];
  for (const char* p = bytes.data() + kHead.size(); p < end; p += kStopSpan) {
    const char* span = p;
    if (static_cast<size_t>(end - p) < kStopSpan) {
      std::memset(last, 'x', kStopSpan);
      std::memcpy(last, p, static_cast<size_t>(end - p));
      span = last;
    }
    const std::uint64_t cr = SpanBits(span, '\r'), lf = SpanBits(span, '\n');
    if (SpanBits(span, '\0') || lf != ((cr << 1) | crBefore) || (SpanBits(span, '\t') & ((lf << 1) | lfBefore)))
      return false;
    crBefore = cr >> 63;
    lfBefore = lf >> 63;
  }
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

std::shared_ptr<const Bytes> TextOf(const std::shared_ptr<const Bytes>& raw, AnsiCodePage* codePage) {
  if (codePage && MarkOf(*raw) != TextMark::kNone)
    return std::make_shared<const Bytes>(AnsiFromMarkedText(*raw, *codePage));
  return raw;
}

}  // namespace

std::unique_ptr<BookReadAhead> ReadBookAhead(FileStore& files, AnsiCodePage* codePage, const Bytes& path) {
  try {
    auto ahead = std::make_unique<BookReadAhead>();
    ahead->path = path;
    Bytes content;
    // Taken before the bytes, as a load takes it: a write in between shows as another stamp.
    if (!files.Stamp(path, ahead->stamp) || !files.ReadWhole(path, content)) return nullptr;
    ahead->raw = std::make_shared<const Bytes>(std::move(content));
    const auto text = TextOf(ahead->raw, codePage);
    ahead->ownForm = ReadSayBook(text, ahead->rows) && text == ahead->raw;
    return ahead;
  } catch (const std::exception&) {
    return nullptr;  // the load reads it again and says what went wrong
  }
}

void SayFiles::Remember(const GridModel& grid, const Bytes& name, const FileStamp* stamp,
                        std::shared_ptr<const Bytes> raw, bool ownForm) {
  if (!onDisk_) return;
  BookOnDisk& known = *onDisk_;
  known = BookOnDisk{};
  known.name = name;
  known.present = stamp != nullptr;
  if (stamp) known.stamp = *stamp;
  known.ownForm = ownForm;
  known.revision = grid.Revision();
  if (ownForm) {
    known.unhashed = std::move(raw);
    return;
  }
  known.hash = QuickHash(raw ? std::string_view(*raw) : std::string_view());
  // Only a file in another form costs writing the book out once more.
  known.bookHash = HashOfBook(grid);
}

std::uint64_t KnownHash(BookOnDisk& known) {
  if (known.unhashed) {
    known.hash = known.bookHash = QuickHash(*known.unhashed);
    known.unhashed.reset();
  }
  return known.hash;
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
    Remember(grid, name, nullptr, nullptr, false);
    return true;
  }
  if (const std::unique_ptr<BookReadAhead> ahead = std::move(ahead_);
      ahead && wanted && ahead->path == path && ahead->stamp == stamp) {
    grid.TakeRows(ahead->rows);
    Remember(grid, name, &stamp, std::move(ahead->raw), ahead->ownForm);
    return true;
  }
  for (bool retry = false;; retry = true) {
    bool read = false;
    try {
      Bytes content;
      if (retry && wanted) files_.Stamp(path, stamp);
      if (files_.ReadWhole(path, content)) {
        const auto raw = std::make_shared<const Bytes>(std::move(content));
        const auto text = TextOf(raw, codePage_);
        const bool own = ReadSayBook(text, grid) && text == raw;
        Remember(grid, name, wanted ? &stamp : nullptr, raw, own);
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

bool SayFiles::WriteBook(const GridModel& grid, const Bytes& name, const FileStamp* now, bool fingerprint) {
  const Bytes path = sayDir_ + name;
  if (onDisk_ && now) {
    // A version another program saved while the book was open is not Parlo's to drop, even in
    // Parlo's own form: the player may have taken back its reload.
    const bool tracked = IsTracked(name) && onDisk_->present && onDisk_->ownForm && !onDisk_->theirs;
    if (!tracked || *now != onDisk_->stamp) {
      // Not known to be Parlo's own bytes: what is there is kept first, or nothing is written.
      Bytes there;
      if (!files_.ReadWhole(path, there)) return false;
      const bool ours = tracked && there.size() == onDisk_->stamp.size && QuickHash(there) == KnownHash(*onDisk_);
      if (!ours && !files_.WriteWholeAtomic(path + kBackupSuffix, there)) return false;
    }
  }
  // Made while it is written: holding a large book whole would cost more than writing it.
  FileStamp written;
  std::uint64_t hash = 0;
  const bool done = files_.WritePartsAtomic(
      path,
      [&grid, &hash, fingerprint](const ContentPut& put) {
        // Rows still lying in the bytes they were read from go out as those bytes, a book
        // untouched since it was read as one piece: one walk over the rows finds them.
        if (!fingerprint) return FormatSayBookInParts(grid, put);
        QuickHasher hasher;
        const bool all = FormatSayBookInParts(grid, [&](std::string_view part) {
          hasher.Update(part);
          return put(part);
        });
        hash = hasher.Final();
        return all;
      },
      fingerprint ? &written : nullptr);
  if (!done) return false;
  if (onDisk_) {
    *onDisk_ = BookOnDisk{};
    // Without its fingerprint nothing is known of the file now.
    if (!fingerprint) return true;
    onDisk_->name = name;
    onDisk_->present = true;
    onDisk_->stamp = written;
    onDisk_->hash = onDisk_->bookHash = hash;
    onDisk_->ownForm = true;
    onDisk_->revision = grid.Revision();
  }
  return true;
}

bool SayFiles::SaveSayFile(const GridModel& grid, const Bytes& name) {
  return Save(grid, name, true);
}

bool SayFiles::SaveSayFileAtExit(const GridModel& grid, const Bytes& name) {
  return Save(grid, name, false);
}

bool SayFiles::Save(const GridModel& grid, const Bytes& name, bool fingerprint) {
  if (IsUnnamedBook(name) && grid.RowCount() == 1 && grid.CellView(kColLabel, 0).empty() &&
      grid.CellView(kColText, 0).empty())
    return true;
  // One look at the file serves both questions: whether it holds the book already, and whether
  // what it holds must be kept first. Each look costs a call into the system.
  const Bytes path = sayDir_ + name;
  FileStamp now;
  bool present = onDisk_ && files_.Stamp(path, now);
  // Writing it again would only move the file's write time, and sync tools would copy it again.
  if (present && IsTracked(name) && IsSavedAlready(*onDisk_, name, grid.Revision(), &now)) return true;
  while (!WriteBook(grid, name, present ? &now : nullptr, fingerprint)) {
    if (prompt_.Show("File Save Error. Retry?", "ERROR", kMbYesNo | kMbIconQuestion) != kIdYes) return false;
    present = onDisk_ && files_.Stamp(path, now);
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
    if (onDisk_->present && content.size() == onDisk_->stamp.size && QuickHash(content) == KnownHash(*onDisk_)) {
      onDisk_->stamp = now;  // touched, not changed
      return OutsideChange::kNone;
    }
    // The same revision is the same book; another one may still hold the same rows (an undone edit).
    KnownHash(*onDisk_);
    if (grid.Revision() != onDisk_->revision && HashOfBook(grid) != onDisk_->bookHash) {
      onDisk_->passed = now;
      return OutsideChange::kKeptOwn;
    }
    const auto raw = std::make_shared<const Bytes>(std::move(content));
    // Read apart and then traded in whole, so that Parlo's rows stay in the history as they were.
    GridModel fresh;
    const auto text = TextOf(raw, codePage_);
    const bool own = ReadSayBook(text, fresh) && text == raw;
    grid.ReplaceRows(fresh);
    Remember(grid, currentFile, &now, raw, own);
    onDisk_->theirs = true;
  } catch (const std::bad_alloc&) {
    return OutsideChange::kNone;
  } catch (const std::length_error&) {
    return OutsideChange::kNone;
  }
  return OutsideChange::kReloaded;
}

}  // namespace parlo
