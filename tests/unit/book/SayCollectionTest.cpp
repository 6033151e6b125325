#include "core/book/SayCollection.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/files/MemoryFileStore.h"

namespace parlo {
namespace {

TEST(SayNames, DisplayNameDropsPrefixAndExtension) {
  EXPECT_EQ(DisplayNameOf("sayBard.txt"), "Bard");
  EXPECT_EQ(DisplayNameOf("say.txt"), "");
  EXPECT_EQ(DisplayNameOf("say-default.txt"), "-default");
  EXPECT_EQ(DisplayNameOf("SAYNOTE.TXT"), "NOTE");
  EXPECT_EQ(DisplayNameOf("sayA.txt"), "A");
  EXPECT_EQ(DisplayNameOf(".txt"), "");
  EXPECT_EQ(DisplayNameOf(""), "");
  EXPECT_EQ(DisplayNameOf("say\x95\x5C.txt"), "\x95\x5C");  // bytes, not characters
  // The character a book belongs to.
  const std::pair<Bytes, Bytes> characters[] = {
      {"Alice", "Alice"}, {"-Alice", "Alice"}, {"_ -Alice", "Alice"}, {"Mary-Jane", "Mary-Jane"},
      {"Bob Smith", "Bob Smith"}, {"", ""}, {"--", ""}, {"\x83\x5C", "\x83\x5C"},
  };
  for (const auto& [entry, character] : characters) EXPECT_EQ(CharacterOfBook(entry), character) << entry;
}

TEST(SayNames, FileNameForDisplayNameRoundTrips) {
  EXPECT_EQ(SayFileNameFor("Bard"), "sayBard.txt");
  EXPECT_EQ(SayFileNameFor(""), "say.txt");
  for (const char* name : {"", "a", "-default", "with space", "x.y"})
    EXPECT_EQ(DisplayNameOf(SayFileNameFor(name)), name);
}

TEST(FindFileIndex, ExactCaseSensitiveFirstMatch) {
  const std::vector<Bytes> entries = {"", "A", "b", "B", "b"};
  EXPECT_EQ(FindFileIndex(entries, "say.txt"), 0);
  EXPECT_EQ(FindFileIndex(entries, "sayA.txt"), 1);
  EXPECT_EQ(FindFileIndex(entries, "sayb.txt"), 2);
  EXPECT_EQ(FindFileIndex(entries, "sayB.txt"), 3);
  EXPECT_EQ(FindFileIndex(entries, "saya.txt"), -1);
  EXPECT_EQ(FindFileIndex(entries, "sayA"), 0);  // too short: the key is empty
  EXPECT_EQ(FindFileIndex({}, "say.txt"), -1);
  EXPECT_EQ(FindFileIndex({"A"}, ""), -1);
}

TEST(Wildcard, WindowsRulesOnLongNames) {
  EXPECT_TRUE(MatchesWildcard("say.txt", "say*.txt"));
  EXPECT_TRUE(MatchesWildcard("sayBard.txt", "say*.txt"));
  EXPECT_TRUE(MatchesWildcard("SAYNOTE.TXT", "say*.txt"));
  EXPECT_TRUE(MatchesWildcard("say.txt.txt", "say*.txt"));
  EXPECT_FALSE(MatchesWildcard("sayfoo.txtx", "say*.txt"));
  EXPECT_FALSE(MatchesWildcard("asay.txt", "say*.txt"));
  EXPECT_FALSE(MatchesWildcard("say.tx", "say*.txt"));
  EXPECT_TRUE(MatchesWildcard("abc", "a?c"));
  EXPECT_FALSE(MatchesWildcard("ac", "a?c"));
  EXPECT_TRUE(MatchesWildcard("", "*"));
  EXPECT_TRUE(MatchesWildcard("a*b", "a**b"));
}

TEST(ListSayFiles, PlainMatchingFilesOfTheFolderOnly) {
  MemoryFileStore store;
  const Bytes dir = "C:\\P\\";
  store.Put(dir + "sayA.txt", "");
  store.Put(dir + "sayb.txt", "");
  store.Put(dir + "say.txt", "");
  store.Put(dir + "SAYNOTE.TXT", "");
  store.Put(dir + "say-default.txt", "");
  store.Put(dir + "sayHidden.txt", "", MemoryFileStore::kHidden);
  store.Put(dir + "saySys.txt", "", MemoryFileStore::kSystem);
  store.AddFolder(dir + "sayFolder.txt");
  store.Put(dir + "other.txt", "");
  store.Put(dir + "sayA.txt.tmp", "");
  store.Put(dir + "sub\\sayDeep.txt", "");
  store.Put("C:\\Q\\sayElse.txt", "");
  std::vector<Bytes> names = ListSayFiles(store, dir);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<Bytes>{"", "-default", "A", "NOTE", "b"}));
  EXPECT_TRUE(ListSayFiles(store, "C:\\Empty\\").empty());
}

TEST(DeleteSayFile, RemovesOnlyANamedFile) {
  MemoryFileStore store;
  store.Put("C:\\P\\sayA.txt", "x");
  EXPECT_FALSE(DeleteSayFile(store, "C:\\P\\", ""));
  EXPECT_FALSE(DeleteSayFile(store, "C:\\P\\", "sayB.txt"));
  EXPECT_EQ(store.FileCount(), 1u);
  EXPECT_TRUE(DeleteSayFile(store, "C:\\P\\", "sayA.txt"));
  EXPECT_EQ(store.FileCount(), 0u);
}

TEST(SaveAsNameProblem, AcceptsOrdinaryNamesIncludingTheEmptyOne) {
  const Bytes dir = "C:\\Parlo\\";
  for (const char* name : {"", "Bard", "two words", "-x", "a.b", "trailing dot.", "trailing space ", "CON", "..",
                           "\x82\xA0", "'quote"})
    EXPECT_EQ(SaveAsNameProblem(name, dir), "") << name;
}

TEST(SaveAsNameProblem, RefusesSeparatorsWildcardsAndControlBytes) {
  const Bytes dir = "C:\\Parlo\\";
  for (const char* name : {"a\\b", "..\\..\\x", "a/b", "c:x", "a*", "a?", "\"q\"", "<", ">", "a|b"}) {
    Bytes reason = SaveAsNameProblem(name, dir);
    EXPECT_NE(reason.find("cannot contain any of these characters"), Bytes::npos) << name;
  }
  for (const char* name : {"a\tb", "\x01", "line\r\n", "\x1F"})
    EXPECT_EQ(SaveAsNameProblem(name, dir), "A name cannot contain control characters") << name;
}

TEST(SaveAsNameProblem, DoubleByteTrailIsNotASeparator) {
  const Bytes dir = "C:\\Parlo\\";
  auto shiftJisLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
  const Bytes table = "\x95\x5C";  // a kanji whose trail byte is a backslash
  EXPECT_EQ(SaveAsNameProblem(table, dir, shiftJisLead), "");
  EXPECT_EQ(SaveAsNameProblem("\x83\x7C", dir, shiftJisLead), "");  // trail '|'
  EXPECT_NE(SaveAsNameProblem(table, dir), "");                     // single-byte code page
  EXPECT_NE(SaveAsNameProblem(table + "\\", dir, shiftJisLead), "");
  EXPECT_EQ(SaveAsNameProblem("\x95", dir, shiftJisLead), "");
}

TEST(SaveAsNameProblem, RefusesNamesTooLongForThePath) {
  // Room is kept for the backup a save may keep beside the file and the temporary name it writes
  // beside that (eight bytes more).
  EXPECT_EQ(SaveAsNameProblem(Bytes(240, 'a'), "C:\\"), "");
  EXPECT_EQ(SaveAsNameProblem(Bytes(241, 'a'), "C:\\"), "The name is too long");
  const Bytes deepDir = "C:\\" + Bytes(200, 'd') + "\\";
  EXPECT_EQ(SaveAsNameProblem(Bytes(40, 'a'), deepDir), "");
  EXPECT_EQ(SaveAsNameProblem(Bytes(41, 'a'), deepDir), "The name is too long");
}

}  // namespace
}  // namespace parlo
