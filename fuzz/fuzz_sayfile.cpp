// Any bytes read as a say file must write out in the headed layout and read back row for row:
// each row comes back as its written line split at the first TAB. That is the row itself unless
// a TAB sits where it moves the split (a paired label holding one, or an empty label before a
// text holding one); such a TAB is dropped, so the written bytes shrink, and repeating the round
// trip settles on a book that writes and reads back unchanged. Text with a byte-order mark is
// converted first, as the program reads it; the quick test for bytes that need no backup agrees
// with writing them back, and so does writing them in parts.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/book/SayFile.h"
#include "core/text/TextCoding.h"
#include "tests/unit/text/Latin1CodePage.h"

namespace {

using parlo::Bytes;
using parlo::GridModel;

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckReadBack(const GridModel& before, const GridModel& after) {
  Check(after.RowCount() == before.RowCount());
  for (int r = 0; r < before.RowCount(); ++r) {
    const Bytes& label = before.Label(r);
    const Bytes& text = before.Text(r);
    Check(label.find_first_of(std::string_view("\r\n\0", 3)) == Bytes::npos);
    Check(text.find_first_of(std::string_view("\r\n\0", 3)) == Bytes::npos);
    const Bytes line = label.empty() ? text : label + '\t' + text;
    size_t tab = line.find('\t');
    if (tab == Bytes::npos) {
      Check(after.Label(r).empty() && after.Text(r) == line);
    } else {
      Check(after.Label(r) == line.substr(0, tab));
      Check(after.Text(r) == line.substr(tab + 1));
    }
    if (label.find('\t') == Bytes::npos && !(label.empty() && text.find('\t') != Bytes::npos))
      Check(after.Label(r) == label && after.Text(r) == text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  GridModel book;
  parlo::ReadSayBook(raw, book);
  Check(parlo::IsOwnForm(raw) == (parlo::FormatSayBook(book) == raw));
  Check(parlo::IsVerbatimSource(book, *book.Source()) == parlo::IsOwnForm(raw));
  // Written in parts, partly straight from the bytes read, the book is the same bytes.
  Bytes parts;
  Check(parlo::FormatSayBookInParts(book, [&parts](std::string_view part) {
    parts.append(part.data(), part.size());
    return true;
  }));
  Check(parts == parlo::FormatSayBook(book));

  parlo::Latin1CodePage latin1;
  const Bytes text = parlo::AnsiFromMarkedText(raw, latin1);
  if (parlo::MarkOf(raw) == parlo::TextMark::kNone) Check(text == raw);
  Check(text.size() <= raw.size());  // never more characters than bytes
  parlo::ReadSayBook(text, book);
  Bytes written = parlo::FormatSayBook(book);
  for (;;) {
    Check(written.compare(0, 10, "[PARLO!]\r\n") == 0);
    GridModel again;
    parlo::ReadSayBook(written, again);
    CheckReadBack(book, again);
    Bytes rewritten = parlo::FormatSayBook(again);
    if (rewritten == written) break;
    Check(rewritten.size() < written.size());
    book = std::move(again);
    written = std::move(rewritten);
  }
  return 0;
}
