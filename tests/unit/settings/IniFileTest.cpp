#include "core/settings/IniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/prompts/Errors.h"

namespace parlo {
namespace {

std::optional<int32_t> Int(const char* text) { return ParseProfileInteger(text); }

TEST(ProfileInteger, DecimalWithOptionalSign) {
  EXPECT_EQ(Int("64"), 64);
  EXPECT_EQ(Int("+5"), 5);
  EXPECT_EQ(Int("-0"), 0);
  EXPECT_EQ(Int("-17"), -17);
  EXPECT_EQ(Int(" 12"), 12);
  EXPECT_EQ(Int("   -3"), -3);
  EXPECT_EQ(Int("007"), 7);
  EXPECT_EQ(Int("00000000000000000042"), 42);
}

TEST(ProfileInteger, DecimalRangeIsSigned32Bit) {
  EXPECT_EQ(Int("2147483647"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Int("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Int("+2147483647"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Int("2147483648"), std::nullopt);
  EXPECT_EQ(Int("-2147483649"), std::nullopt);
  EXPECT_EQ(Int("99999999999999999999999"), std::nullopt);
}

TEST(ProfileInteger, HexPrefixesGiveA32BitPattern) {
  EXPECT_EQ(Int("0x40"), 64);
  EXPECT_EQ(Int("0X40"), 64);
  EXPECT_EQ(Int("$40"), 64);
  EXPECT_EQ(Int("x40"), 64);
  EXPECT_EQ(Int("X40"), 64);
  EXPECT_EQ(Int("$aBcD"), 0xABCD);
  EXPECT_EQ(Int(" $10"), 16);
  EXPECT_EQ(Int("$FFFFFFFF"), -1);
  EXPECT_EQ(Int("$80000000"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Int("$7FFFFFFF"), std::numeric_limits<int32_t>::max());
}

TEST(ProfileInteger, LeadingHexZerosAreNotSignificant) {
  EXPECT_EQ(Int("$000000001"), 1);
  EXPECT_EQ(Int("0x0000000000FFFFFFFF"), -1);
  EXPECT_EQ(Int("$0"), 0);
  EXPECT_EQ(Int("$100000000"), std::nullopt);
  EXPECT_EQ(Int("$123456789"), std::nullopt);
}

TEST(ProfileInteger, EverythingElseFails) {
  for (const char* bad : {"", " ", "64px", "12 ", "12\t", "\t12", "-", "+", "--1", "+-1", "- 1", "-$1", "+$1",
                          "-0x1", "$", "0x", "x", "$G", "0x1g", "1.5", "1e3", "١", "0x-1", "$ 1"}) {
    EXPECT_EQ(Int(bad), std::nullopt) << '"' << bad << '"';
  }
}

// The portable reader and writer, checked through the in-memory store.
class ProfileRules : public ::testing::Test {
 protected:
  Bytes Read(const Bytes& section, const Bytes& key, const Bytes& def = "D") {
    return store.Read(kPath, section, key, def);
  }
  bool Write(const Bytes& section, const Bytes& key, const Bytes& value) {
    return store.Write(kPath, section, key, value);
  }
  Bytes Content() const { return store.File(kPath).value_or("(missing)"); }

  const Bytes kPath = "C:\\p\\parlo.ini";
  MemoryProfileStore store;
};

TEST_F(ProfileRules, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingSpaces) {
  EXPECT_EQ(Read("s", "k", "DEF   "), "DEF");
  EXPECT_EQ(Read("s", "k", ""), "");
  EXPECT_EQ(Read("s", "k", "Ultima Online - "), "Ultima Online -");
  EXPECT_EQ(Read("s", "k", " a \t "), " a \t");  // only spaces go
  EXPECT_EQ(Read("s", "k", "   "), " ");         // never down to nothing
  EXPECT_EQ(Read("s", "k", "\"q\""), "q");       // defaults lose their quotes too
  store.SetFile(kPath, "[s]\r\nk=1\r\n");
  EXPECT_EQ(Read("t", "k"), "D");
  EXPECT_EQ(Read("s", "j"), "D");
  EXPECT_EQ(Read("s", "k"), "1");
}

TEST_F(ProfileRules, BlanksAroundNamesAndUnquotedValuesAreIgnored) {
  store.SetFile(kPath, "[ Sp ]\r\n  key1  =  val 1  \r\n\tt\t=\ttab\tend\t\r\n");
  EXPECT_EQ(Read("Sp", "key1"), "val 1");
  EXPECT_EQ(Read(" Sp ", " key1 "), "val 1");
  EXPECT_EQ(Read("Sp", "t"), "tab\tend");
}

TEST_F(ProfileRules, MatchingQuotesAreStripped) {
  store.SetFile(kPath,
                "[s]\r\na=\"abc\"\r\nb='abc'\r\nc=\" abc \"\r\nd=\"abc\r\ne=\"\r\nf=\"\"\r\ng='x\"\r\nh=\"a\"b\"\r\n");
  EXPECT_EQ(Read("s", "a"), "abc");
  EXPECT_EQ(Read("s", "b"), "abc");
  EXPECT_EQ(Read("s", "c"), " abc ");
  EXPECT_EQ(Read("s", "d"), "\"abc");
  EXPECT_EQ(Read("s", "e"), "\"");
  EXPECT_EQ(Read("s", "f"), "");
  EXPECT_EQ(Read("s", "g"), "'x\"");
  EXPECT_EQ(Read("s", "h"), "a\"b");
}

TEST_F(ProfileRules, NamesAreCaseInsensitiveAndKeepTheirCaseOnRewrite) {
  store.SetFile(kPath, "[Sec2]\r\nMixedKey=old\r\n");
  EXPECT_EQ(Read("SEC2", "mixedkey"), "old");
  ASSERT_TRUE(Write("sec2", "MIXEDKEY", "new"));
  EXPECT_EQ(Content(), "[Sec2]\r\nMixedKey=new\r\n");
}

TEST_F(ProfileRules, NewKeysGoToTheEndOfTheirSectionAndNewSectionsToTheEnd) {
  ASSERT_TRUE(Write("Sec", "Key", "val"));
  ASSERT_TRUE(Write("Sec2", "k", "v"));
  ASSERT_TRUE(Write("Sec", "New", "x"));
  EXPECT_EQ(Content(), "[Sec]\r\nKey=val\r\nNew=x\r\n[Sec2]\r\nk=v\r\n");
}

TEST_F(ProfileRules, EmptyValuesReadAsEmptyNotAsTheDefault) {
  ASSERT_TRUE(Write("s", "q", ""));
  EXPECT_EQ(Content(), "[s]\r\nq=\r\n");
  EXPECT_EQ(Read("s", "q"), "");
  store.SetFile(kPath, "[s]\r\nq=   \r\nnoeq\r\n");
  EXPECT_EQ(Read("s", "q"), "");
  EXPECT_EQ(Read("s", "noeq"), "D");  // a line without '=' has no value
}

TEST_F(ProfileRules, ValuesAreCutTo1023Bytes) {
  Bytes longValue;
  for (int i = 0; i < 2000; ++i) longValue += static_cast<char>('a' + i % 26);
  ASSERT_TRUE(Write("s", "long", longValue));
  EXPECT_EQ(Read("s", "long"), longValue.substr(0, 1023));
  ASSERT_TRUE(Write("s", "quoted", "\"" + longValue + "\""));
  EXPECT_EQ(Read("s", "quoted"), longValue.substr(0, 1023));
  ASSERT_TRUE(Write("s", "fits", "\"" + longValue.substr(0, 1022) + "\""));
  EXPECT_EQ(Read("s", "fits"), longValue.substr(0, 1022));
  // The platform loses one byte more when the text between the quotes is exactly 1023 bytes.
  ASSERT_TRUE(Write("s", "edge", "\"" + longValue.substr(0, 1023) + "\""));
  EXPECT_EQ(Read("s", "edge"), longValue.substr(0, 1022));
  ASSERT_TRUE(Write("s", "over", "\"" + longValue.substr(0, 1024) + "\""));
  EXPECT_EQ(Read("s", "over"), longValue.substr(0, 1023));
  EXPECT_EQ(Read("s", "none", longValue), longValue.substr(0, 1023));
}

TEST_F(ProfileRules, HandWrittenLayoutIsNormalisedOnRewrite) {
  store.SetFile(kPath, "; top\r\n\r\n[ Sp ]\r\n  key1  =  val 1  \r\n\r\n; c2\r\nnoeq\r\n\r\n[Other]\r\na=1");
  ASSERT_TRUE(Write("Sp", "key2", "two"));
  EXPECT_EQ(Content(), "; top\r\n[Sp]\r\nkey1=val 1\r\n; c2\r\nnoeq\r\nkey2=two\r\n[Other]\r\na=1\r\n");
}

TEST_F(ProfileRules, AWriteThatChangesNothingLeavesTheFileAlone) {
  store.SetFile(kPath, "[s]\n  k = 1 \n");
  ASSERT_TRUE(Write("S", "K", "1"));
  EXPECT_EQ(Content(), "[s]\n  k = 1 \n");
}

TEST_F(ProfileRules, WrittenValuesLoseLeadingBlanksOnly) {
  ASSERT_TRUE(Write("s", "x", "  padded  "));
  EXPECT_EQ(Content(), "[s]\r\nx=padded  \r\n");
  EXPECT_EQ(Read("s", "x"), "padded");
}

TEST_F(ProfileRules, OddLinesAndDuplicatesFollowThePlatform) {
  store.SetFile(kPath, "k0=pre\r[a]b]\rk=1\n[c\r\nk2=2\n\n[d] tail\r\nk3=3\r\n[s]\r\n=e1\r\n=e2\r\n[d]\r\nk3=dup\r\n");
  EXPECT_EQ(Read("", "k0"), "pre");  // keys before any section
  EXPECT_EQ(Read("a]b", "k"), "1");  // the name runs to the last ']'
  EXPECT_EQ(Read("a]b", "k2"), "2");  // "[c" opens nothing
  EXPECT_EQ(Read("d", "k3"), "3");    // first of duplicate sections
  EXPECT_EQ(Read("s", ""), "e1");
  ASSERT_TRUE(Write("d", "k4", "4"));
  EXPECT_EQ(Content(), "k0=pre\r\n[a]b]\r\nk=1\r\n[c\r\nk2=2\r\n[d]\r\nk3=3\r\nk4=4\r\n[s]\r\n=e1\r\n[d]\r\nk3=dup\r\n");
}

TEST_F(ProfileRules, NulBytesEndNamesAndValues) {
  store.SetFile(kPath, Bytes("[s]\r\nk=a\0b\r\nk2=2\r\n", 19));
  EXPECT_EQ(Read("s", "k"), "a");
  EXPECT_EQ(Read("s", "k2"), "2");
  ASSERT_TRUE(Write("s", Bytes("k2\0x", 4), Bytes("3\0y", 3)));
  EXPECT_EQ(Read("s", "k2"), "3");
}

TEST_F(ProfileRules, Utf8MarkIsKeptAndSkipped) {
  store.SetFile(kPath, "\xEF\xBB\xBF[s]\r\nk=1\r\n");
  EXPECT_EQ(Read("s", "k"), "1");
  ASSERT_TRUE(Write("s", "n", "2"));
  EXPECT_EQ(Content(), "\xEF\xBB\xBF[s]\r\nk=1\r\nn=2\r\n");
}

TEST_F(ProfileRules, ReadOnlyFilesRefuseWritesAndStayUnchanged) {
  store.SetFile(kPath, "[s]\r\nk=1\r\n");
  store.SetReadOnly(kPath, true);
  EXPECT_FALSE(Write("s", "k", "2"));
  EXPECT_FALSE(Write("s", "k", "1"));
  EXPECT_EQ(Content(), "[s]\r\nk=1\r\n");
  store.SetReadOnly(kPath, false);
  EXPECT_TRUE(Write("s", "k", "2"));
}

TEST_F(ProfileRules, HighBytesPassThrough) {
  const Bytes dbcs = "\x82\xA0\x83\x5D]=\x81\x40";
  ASSERT_TRUE(Write("s", "k", dbcs));
  EXPECT_EQ(Read("s", "k"), dbcs);
}

TEST(IniFile, TextNumbersAndFlags) {
  MemoryProfileStore store;
  TIniFile ini("C:\\x\\parlo.ini", store);
  ini.WriteNumber("n", "neg", -42);
  ini.WriteNumber("n", "min", std::numeric_limits<int32_t>::min());
  ini.WriteFlag("n", "on", true);
  ini.WriteFlag("n", "off", false);
  ini.WriteText("n", "q", "\"say.txt\"");
  EXPECT_EQ(store.File("C:\\x\\parlo.ini"),
            "[n]\r\nneg=-42\r\nmin=-2147483648\r\non=1\r\noff=0\r\nq=\"say.txt\"\r\n");
  EXPECT_EQ(ini.ReadNumber("n", "neg", 7), -42);
  EXPECT_EQ(ini.ReadNumber("n", "min", 7), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ini.ReadNumber("n", "q", 7), 7);
  EXPECT_EQ(ini.ReadNumber("n", "missing", 7), 7);
  EXPECT_TRUE(ini.ReadFlag("n", "on", false));
  EXPECT_FALSE(ini.ReadFlag("n", "off", true));
  EXPECT_TRUE(ini.ReadFlag("n", "missing", true));
  EXPECT_FALSE(ini.ReadFlag("n", "q", false));
  EXPECT_EQ(ini.ReadText("n", "q", ""), "say.txt");
}

TEST(IniFile, NumberReadingUsesAnEmptyDefaultNotTheNumber) {
  // A quoted default number would otherwise survive a missing key as text.
  MemoryProfileStore store;
  store.SetFile("f", "[n]\r\nempty=\r\nspaced=\" 12\"\r\ntrailing=\"12 \"\r\n");
  TIniFile ini("f", store);
  EXPECT_EQ(ini.ReadNumber("n", "empty", 5), 5);
  EXPECT_EQ(ini.ReadNumber("n", "spaced", 5), 12);
  EXPECT_EQ(ini.ReadNumber("n", "trailing", 5), 5);
  EXPECT_TRUE(ini.ReadFlag("n", "spaced", false));
}

TEST(IniFile, RefusedWriteRaisesThePathAndTheFixedTail) {
  MemoryProfileStore store;
  store.SetReadOnly("C:\\Tools\\parlo.ini", true);
  TIniFile ini("C:\\Tools\\parlo.ini", store);
  try {
    ini.WriteFlag("Window", "StayOnTop", true);
    FAIL() << "no error";
  } catch (const ParloError& e) {
    EXPECT_EQ(e.AnsiText(), "C:\\Tools\\parlo.ini");
    EXPECT_EQ(e.Utf8Tail(), u8" \u306B\u66F8\u304D\u8FBC\u3081\u307E\u305B\u3093");
  }
  EXPECT_FALSE(store.File("C:\\Tools\\parlo.ini"));
}

class FileStore : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    if (!tmp) tmp = std::getenv("TEMP");
    path = Bytes(tmp ? tmp : "/tmp") + "/parlo_inifile_test_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
    std::remove(path.c_str());
  }
  void TearDown() override { std::remove(path.c_str()); }
  Bytes path;
  FileProfileStore store;
};

TEST_F(FileStore, CreatesRewritesAndReadsTheFile) {
  EXPECT_EQ(store.Read(path, "s", "k", "d"), "d");
  ASSERT_TRUE(store.Write(path, "s", "k", "\"v\""));
  ASSERT_TRUE(store.Write(path, "t", "k", "2"));
  EXPECT_EQ(store.Read(path, "S", "K", "d"), "v");
  EXPECT_EQ(store.Read(path, "t", "k", "d"), "2");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  char buffer[64] = {};
  size_t n = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  EXPECT_EQ(Bytes(buffer, n), "[s]\r\nk=\"v\"\r\n[t]\r\nk=2\r\n");
}

TEST_F(FileStore, AMissingDirectoryRefusesTheWrite) {
  Bytes missing = path + ".d/none/parlo.ini";
  EXPECT_FALSE(store.Write(missing, "s", "k", "1"));
  EXPECT_EQ(store.Read(missing, "s", "k", "d"), "d");
}

}  // namespace
}  // namespace parlo
