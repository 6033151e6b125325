// The portable profile store against the system's private-profile functions: every case runs on
// both, each on its own file, and must give the same reads, the same write results and the same
// file afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/IniFile.h"
#include "core/settings/Settings.h"
#include "platform/Win32ProfileStore.h"

namespace parlo {
namespace {

struct Op {
  enum Kind { kRead, kWrite } kind;
  Bytes section;
  Bytes key;
  Bytes text;  // the default of a read, the value of a write
  std::optional<Bytes> expect = std::nullopt;  // what a read must return, where it is plain
};

Op R(Bytes section, Bytes key, Bytes def, std::optional<Bytes> expect = std::nullopt) {
  return Op{Op::kRead, std::move(section), std::move(key), std::move(def), std::move(expect)};
}
Op W(Bytes section, Bytes key, Bytes value) { return Op{Op::kWrite, std::move(section), std::move(key), std::move(value)}; }

struct Case {
  const char* name;
  std::optional<Bytes> initial;  // none: no file
  std::vector<Op> ops;
  bool missingDirectory = false;
  bool lockedByAnother = false;  // held open without sharing while the ops run
};

Bytes Letters(size_t n) {
  Bytes s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}

const Bytes kLong = Letters(2000);

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"WriteThenRead", std::nullopt,
       {W("Sec", "Key", "val"), W("Sec2", "k", "v"), W("Sec", "New", "x"), R("Sec", "Key", "D", "val"),
        R("sec2", "K", "D", "v"), R("Sec", "New", "D", "x"), R("Sec", "none", "D", "D")}},
      {"QuotedValues", std::nullopt,
       {W("q", "dq", "\"abc\""), W("q", "sq", "'abc'"), W("q", "inner", "\" abc \""), W("q", "lone", "\"abc"),
        W("q", "empty", "\"\""), W("q", "mixed", "'x\""), W("q", "one", "\""),
        R("q", "dq", "D", "abc"), R("q", "sq", "D", "abc"), R("q", "inner", "D", " abc "),
        R("q", "lone", "D", "\"abc"), R("q", "empty", "D", ""), R("q", "mixed", "D", "'x\""),
        R("q", "one", "D", "\"")}},
      {"HandWrittenBlanks",
       "; top\r\n\r\n[ Sp ]\r\n  key1  =  val 1  \r\n\ttab\t=\ttab\tend\t\r\n\r\n; c2\r\nnoeq\r\n\r\n[Other]\r\na=1",
       {R("Sp", "key1", "D", "val 1"), R(" sp ", " KEY1 ", "D", "val 1"), R("Sp", "tab", "D", "tab\tend"),
        R("Sp", "noeq", "D", "D"), R("Sp", "; c2", "D", "D"), R("Other", "a", "D", "1"),
        W("Sp", "key2", "two"), W("SP", "KEY1", "changed"), R("sp", "key1", "D", "changed"),
        R("Sp", "key2", "D", "two")}},
      {"CaseKeptOnRewrite", "[Sec2]\r\nMixedKey=old\r\n",
       {W("sec2", "mixedkey", "new"), R("SEC2", "MIXEDKEY", "D", "new")}},
      {"MissingFile", std::nullopt,
       {R("s", "k", "DEF   ", "DEF"), R("s", "k", ""), R("s", "k", "Ultima Online - ", "Ultima Online -"),
        R("s", "k", "   "), R("s", "k", " a \t "), R("s", "k", "\"q\"")}},
      {"MissingSectionOrKey", "[s]\r\nk=1\r\n",
       {R("t", "k", "D", "D"), R("s", "j", "D  ", "D"), R("s", "k", "D", "1"), R("", "k", "D")}},
      {"LongValues", "[h]\r\nline=" + Letters(3000) + "\r\n",
       {W("s", "long", kLong), R("s", "long", "D", kLong.substr(0, 1023)), W("s", "quoted", "\"" + kLong + "\""),
        R("s", "quoted", "D", kLong.substr(0, 1023)), W("s", "edge", "\"" + kLong.substr(0, 1022) + "\""),
        R("s", "edge", "D", kLong.substr(0, 1022)), W("s", "edge2", "\"" + kLong.substr(0, 1023) + "\""),
        R("s", "edge2", "D", kLong.substr(0, 1022)), W("s", "edge3", "\"" + kLong.substr(0, 1024) + "\""),
        R("s", "edge3", "D", kLong.substr(0, 1023)), R("h", "line", "D", Letters(1023)),
        R("s", "none", kLong, kLong.substr(0, 1023))}},
      {"EmptyValues", "[s]\r\nq=\r\nr=   \r\n",
       {R("s", "q", "D", ""), R("s", "r", "D", ""), W("s", "e", ""), R("s", "e", "D", ""), W("t", "e", ""),
        R("t", "e", "D", "")}},
      {"PaddedWrite", std::nullopt, {W("s", "x", "  padded  "), R("s", "x", "D", "padded"), W("s", "y", "\t\tt")}},
      {"OddLines", "k0=pre\r[a]b]\rk=1\n[c\r\nk2=2\n\n[d] tail\r\nk3=3\r\n[s]\r\n=e1\r\n=e2\r\n[d]\r\nk3=dup\r\n",
       {R("", "k0", "D"), R("a]b", "k", "D", "1"), R("a]b", "k2", "D", "2"), R("a", "k", "D", "D"),
        R("d", "k3", "D", "3"), R("s", "", "D"), W("d", "k4", "4"), R("d", "k4", "D", "4")}},
      {"NulBytes", Bytes("[s]\r\nk=a\0b\r\nk2=2\r\n", 19), {R("s", "k", "D", "a"), R("s", "k2", "D", "2"), W("s", "n", "1")}},
      {"Utf8Mark", "\xEF\xBB\xBF[s]\r\nk=1\r\n", {R("s", "k", "D", "1"), W("s", "n", "2"), R("s", "n", "D", "2")}},
      {"UnchangedWriteKeepsTheLayout", "[s]\n  k = 1 \n\n; note\n", {W("S", "K", "1"), R("s", "k", "D", "1")}},
      {"HighBytes", std::nullopt,
       {W("s", "k", "\x82\xA0\x83\x5D]=\x82\xA0"), R("s", "k", "D", "\x82\xA0\x83\x5D]=\x82\xA0")}},
      {"NamesWithBlanks", "[Sec9]\r\nx=1\r\n",
       {W("Sec9 ", " y ", "sp"), W(" Sec9", "z", "sp"), R("Sec9", "y", "D", "sp"), R("Sec9", "z", "D", "sp")}},
      {"LineBreakInAValue", std::nullopt,
       {W("s", "v", "a\r\nb=c"), R("s", "v", "D", "a"), R("s", "b", "D", "c"), W("s", "w", "x=y;z"),
        R("s", "w", "D", "x=y;z")}},
      {"CommentLikeKeys", ";k=v\r\n[s]\r\n;c=1\r\n", {R("s", ";c", "D", "1"), R("", ";k", "D"), W("s", ";c", "2")}},
      {"EmptySectionNames", "pre=1\r\n[]\r\nk=2\r\n[ \t ]\r\nj=3\r\n[\r\n[x]\r\n   =   \r\n",
       {R("", "pre", "D"), R("", "k", "D"), R("", "j", "D"), R("x", "", "D"), W("", "new", "4"),
        W("y", "z", "5"), R("y", "z", "D", "5")}},
      {"EmptyFile", "", {R("s", "k", "D", "D"), W("s", "k", "1"), R("s", "k", "D", "1")}},
      {"OnlyBlankLines", "\r\n  \r\n\t\r\n", {W("s", "k", "1"), W("", "top", "2")}},
      {"OnlyUtf8Mark", "\xEF\xBB\xBF", {W("s", "k", "1"), R("s", "k", "D", "1")}},
      {"NoSectionWrite", std::nullopt, {W("", "k", "1"), W("s", "j", "2"), W("", "m", "3"), R("", "k", "D")}},
      {"CarriageReturnsOnly", "[s]\rk=1\rk2=2\r\r[t]\rj=3", {W("s", "k3", "3"), W("t", "j", "4"), R("s", "k2", "D", "2")}},
      {"ControlBlanks", "[s]\x1a\r\nk=\x0b" "1\x0c\x1a\r\n\x1a[t]\r\nv=a\x1a b\r\n",
       {R("s", "k", "D", "1"), R("t", "v", "D", "a\x1a b"), W("s", "k", "\x1a\x0b" "2")}},
      {"OddNamesWritten", std::nullopt,
       {W("a]b", "k", "1"), W("s", "x=y", "2"), W("s", "[q]", "3"), R("a]b", "k", "D", "1"), R("s", "x", "D", "y=2"),
        R("q", "", "D")}},
      {"LongLineNoBreak", "[s]\r\nk=" + Letters(10000), {R("s", "k", "D", Letters(1023)), W("s", "k2", "x")}},
      {"MissingDirectory", std::nullopt, {W("s", "k", "1"), R("s", "k", "D", "D")}, true},
      {"FileInUse", "[s]\r\nk=1\r\n", {W("s", "k", "2"), W("s", "n", "3"), R("s", "k", "D", "D")}, false, true},
  };
  return cases;
}

Bytes TempRoot() {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return Bytes(dir) + "parlo-profile-diff-" + std::to_string(GetCurrentProcessId());
}

std::optional<Bytes> LoadFile(const Bytes& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  Bytes content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
  std::fclose(f);
  return content;
}

void SaveFile(const Bytes& path, const Bytes& content) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), f), content.size());
  std::fclose(f);
}

// Printable form of bytes for failure messages.
std::string Show(const Bytes& b) {
  std::string out;
  for (unsigned char c : b.substr(0, 120)) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c < 32 || c > 126) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      out += hex;
    } else
      out += static_cast<char>(c);
  }
  if (b.size() > 120) out += "...(" + std::to_string(b.size()) + " bytes)";
  return out;
}

class ProfileStoreDifferential : public ::testing::TestWithParam<size_t> {
 protected:
  static void SetUpTestSuite() {
    CreateDirectoryA(TempRoot().c_str(), nullptr);
    CreateDirectoryA((TempRoot() + "\\portable").c_str(), nullptr);
    CreateDirectoryA((TempRoot() + "\\win32").c_str(), nullptr);
  }
  static void TearDownTestSuite() {
    for (const char* side : {"\\portable", "\\win32"}) {
      for (size_t i = 0; i < Cases().size(); ++i) DeleteFileA(FileFor(side, i).c_str());
      RemoveDirectoryA((TempRoot() + side).c_str());
    }
    RemoveDirectoryA(TempRoot().c_str());
  }

  static Bytes FileFor(const char* side, size_t index) {
    return TempRoot() + side + "\\case" + std::to_string(index) + ".ini";
  }

  // The outcome of one case on one store: each op's result, then the file.
  std::vector<Bytes> Run(ProfileStore& store, const char* side, const Case& c, size_t index) {
    Bytes path = c.missingDirectory ? TempRoot() + side + "\\absent\\case.ini" : FileFor(side, index);
    DeleteFileA(path.c_str());
    if (c.initial) SaveFile(path, *c.initial);
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (c.lockedByAnother) {
      lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      EXPECT_NE(lock, INVALID_HANDLE_VALUE);
    }
    std::vector<Bytes> outcome;
    for (const Op& op : c.ops) {
      if (op.kind == Op::kWrite) {
        outcome.push_back("write " + op.section + "/" + op.key + " -> " +
                          (store.Write(path, op.section, op.key, op.text) ? "ok" : "refused"));
      } else {
        Bytes value = store.Read(path, op.section, op.key, op.text);
        if (op.expect) {
          EXPECT_EQ(Show(value), Show(*op.expect)) << side << " read " << op.section << "/" << op.key;
        }
        outcome.push_back("read " + op.section + "/" + op.key + " -> " + Show(value));
      }
    }
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    std::optional<Bytes> file = LoadFile(path);
    outcome.push_back("file: " + (file ? Show(*file) + " (" + std::to_string(file->size()) + " bytes)" : "none"));
    return outcome;
  }
};

TEST_P(ProfileStoreDifferential, SameAsTheSystem) {
  const Case& c = Cases()[GetParam()];
  FileProfileStore portable;
  Win32ProfileStore system;
  std::vector<Bytes> expected = Run(system, "\\win32", c, GetParam());
  std::vector<Bytes> actual = Run(portable, "\\portable", c, GetParam());
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << c.name << " step " << i;
  // Files must also match byte for byte, not only in their printable start.
  std::optional<Bytes> systemFile = LoadFile(FileFor("\\win32", GetParam()));
  std::optional<Bytes> portableFile = LoadFile(FileFor("\\portable", GetParam()));
  EXPECT_EQ(systemFile, portableFile) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileStoreDifferential, ::testing::Range<size_t>(0, Cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return std::string(Cases()[info.param].name); });

// The program's own file, written and read through TIniFile on each store.
TEST(ProfileStoreSettings, TheSettingsFileIsTheSameOnBothStores) {
  Settings s;
  s.bounds = {-8, 0, 1024, 700};
  s.paste = s.stayOnTop = s.bardShift = true;
  s.bardKey = 0x74;
  s.gameCaption = "Ultima Online - ";
  s.captionList = {"a", " b", "c ", "'d'", ""};
  s.font = {128, kGridDesignFace, 10, true, true};
  s.lastOpen = "say.txt";
  Bytes root = TempRoot();
  CreateDirectoryA(root.c_str(), nullptr);
  Bytes paths[2] = {root + "\\settings-portable.ini", root + "\\settings-win32.ini"};
  FileProfileStore portable;
  Win32ProfileStore system;
  ProfileStore* stores[2] = {&portable, &system};
  Settings read[2];
  for (int i = 0; i < 2; ++i) {
    DeleteFileA(paths[i].c_str());
    TIniFile ini(paths[i], *stores[i]);
    WriteSettings(ini, s);
    ReadSettings(ini, read[i]);
  }
  EXPECT_EQ(LoadFile(paths[0]), LoadFile(paths[1]));
  for (const Settings& r : read) {
    EXPECT_EQ(r.bounds, s.bounds);
    EXPECT_EQ(r.captionList, s.captionList);
    EXPECT_EQ(r.gameCaption, s.gameCaption);
    EXPECT_EQ(r.font.name, s.font.name);
    EXPECT_EQ(r.lastOpen, s.lastOpen);
    EXPECT_EQ(r.bardKey, s.bardKey);
  }
  for (const Bytes& p : paths) DeleteFileA(p.c_str());
  RemoveDirectoryA(root.c_str());
}

}  // namespace
}  // namespace parlo
