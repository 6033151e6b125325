#include <gtest/gtest.h>

#include "core/text/TextCoding.h"
#include "tests/unit/text/Latin1CodePage.h"

namespace parlo {
namespace {

TEST(TextMark, NotepadsThreeMarksAndNothingElse) {
  EXPECT_EQ(MarkOf("\xEF\xBB\xBF[PARLO!]"), TextMark::kUtf8);
  EXPECT_EQ(MarkOf("\xFF\xFE[\0"), TextMark::kUtf16Le);
  EXPECT_EQ(MarkOf("\xFE\xFF\0["), TextMark::kUtf16Be);
  for (const char* unmarked : {"", "\xEF\xBB", "\xEF\xBB\xBE", "\xFF", "\xFE", "[PARLO!]", "\xBB\xBF"})
    EXPECT_EQ(MarkOf(unmarked), TextMark::kNone) << unmarked;
}

TEST(Utf16FromUtf8, DecodesEveryLengthAndReplacesWhatIsNotUtf8) {
  EXPECT_EQ(Utf16FromUtf8("a\tb"), u"a\tb");
  EXPECT_EQ(Utf16FromUtf8("h\xC3\xA9"), u"h\u00E9");                          // two bytes
  EXPECT_EQ(Utf16FromUtf8("\xE2\x82\xAC"), u"\u20AC");                        // three
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98\x80"), u"\U0001F600");                // four: a surrogate pair
  EXPECT_EQ(Utf16FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");                      // overlong NUL
  EXPECT_EQ(Utf16FromUtf8("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");            // overlong slash
  EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");            // a surrogate
  EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(Utf16FromUtf8("\x80x"), u"\uFFFDx");                              // a lone continuation
  EXPECT_EQ(Utf16FromUtf8("x\xE2\x82"), u"x\uFFFD\uFFFD");                    // cut short at the end
  EXPECT_EQ(Utf16FromUtf8("\xE2(x"), u"\uFFFD(x");                            // the next byte starts afresh
  EXPECT_EQ(Utf16FromUtf8(std::string_view("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(AnsiFromMarkedText, ConvertsEachMarkAndLeavesUnmarkedBytesAlone) {
  using namespace std::string_literals;
  Latin1CodePage latin1;
  // "[PARLO!]", CR LF, "h", e acute, TAB, the euro sign (not in the page) and a CJK character.
  const Bytes expected = "[PARLO!]\r\nh\xE9\t??";
  EXPECT_EQ(AnsiFromMarkedText("\xEF\xBB\xBF[PARLO!]\r\nh\xC3\xA9\t\xE2\x82\xAC\xE4\xB8\x80", latin1),
            expected);
  const std::u16string units = u"[PARLO!]\r\nh\u00E9\t\u20AC\u4E00";
  Bytes le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t u : units) {
    le += static_cast<char>(u & 0xFF);
    le += static_cast<char>(u >> 8);
    be += static_cast<char>(u >> 8);
    be += static_cast<char>(u & 0xFF);
  }
  EXPECT_EQ(AnsiFromMarkedText(le, latin1), expected);
  EXPECT_EQ(AnsiFromMarkedText(be, latin1), expected);
  EXPECT_EQ(AnsiFromMarkedText(le + "x", latin1), expected);  // an odd last byte is dropped
  EXPECT_EQ(AnsiFromMarkedText("\xFF\xFE", latin1), "");
  EXPECT_EQ(AnsiFromMarkedText("\xEF\xBB\xBF", latin1), "");
  // A character outside the basic plane is one character the page lacks, and so is half of one;
  // the stand-in page would make two of a pair.
  EXPECT_EQ(AnsiFromMarkedText("\xEF\xBB\xBF\xF0\x9F\x98\x80!", latin1), "?!");
  EXPECT_EQ(AnsiFromMarkedText("\xFF\xFE\x3D\xD8\x00\xDEx\0"s, latin1), "?x");
  EXPECT_EQ(AnsiFromMarkedText("\xFF\xFE\x00\xDE\x3D\xD8x\0"s, latin1), "??x");

  const Bytes unmarked = "h\xC3\xA9\0\xFF\xFE"s;
  EXPECT_EQ(AnsiFromMarkedText(unmarked, latin1), unmarked);
}

}  // namespace
}  // namespace parlo
