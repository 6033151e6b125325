#include "core/settings/AppPaths.h"

#include <gtest/gtest.h>

namespace parlo {
namespace {

bool NoLeads(unsigned char) { return false; }
// Shift-JIS lead-byte ranges.
bool ShiftJisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(ExecutableDirectory, DropsTheFinalBackslashButKeepsADriveRoot) {
  EXPECT_EQ(ExecutableDirectory("C:\\Tools\\Say\\app.exe", NoLeads), "C:\\Tools\\Say");
  EXPECT_EQ(ExecutableDirectory("C:\\app.exe", NoLeads), "C:\\");
  EXPECT_EQ(ExecutableDirectory("C:app.exe", NoLeads), "C:");
  EXPECT_EQ(ExecutableDirectory("\\\\server\\share\\app.exe", NoLeads), "\\\\server\\share");
  EXPECT_EQ(ExecutableDirectory("\\\\app.exe", NoLeads), "\\\\");
  EXPECT_EQ(ExecutableDirectory("app.exe", NoLeads), "");
  // The file's own name is what the folder leaves.
  EXPECT_EQ(FileNameOfPath("C:\\Tools\\Say\\macros.xml", NoLeads), "macros.xml");
  EXPECT_EQ(FileNameOfPath("C:macros.txt", NoLeads), "macros.txt");
  EXPECT_EQ(FileNameOfPath("macros.txt", NoLeads), "macros.txt");
}

TEST(ExecutableDirectory, SettingsAndSayPathsAtADriveRootDoubleTheBackslash) {
  EXPECT_EQ(IniFileNameFor("C:\\app.exe", NoLeads), "C:\\\\parlo.ini");
  EXPECT_EQ(SayDirFor("C:\\app.exe", NoLeads), "C:\\\\");
  EXPECT_EQ(IniFileNameFor("D:\\Games\\Parlo\\parlo.exe", NoLeads), "D:\\Games\\Parlo\\parlo.ini");
  EXPECT_EQ(SayDirFor("D:\\Games\\Parlo\\parlo.exe", NoLeads), "D:\\Games\\Parlo\\");
  EXPECT_EQ(FallbackSayFileFor("D:\\P\\parlo.exe", NoLeads), "D:\\P\\say-default.txt");
}

TEST(ExecutableDirectory, ATrailByteBackslashIsNoSeparator) {
  // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
  const Bytes dir = "C:\\\x95\x5C";
  EXPECT_EQ(ExecutableDirectory(dir + "\\app.exe", ShiftJisLead), dir);
  // The same bytes read without double-byte support end at that backslash.
  EXPECT_EQ(ExecutableDirectory(dir + "x.exe", NoLeads), "C:\\\x95");
  EXPECT_EQ(ExecutableDirectory(dir + "x.exe", ShiftJisLead), "C:\\");
  // A trail-byte backslash before the final one is no reason to keep it.
  EXPECT_EQ(ExecutableDirectory("C:\\\x95\x5C\\app.exe", ShiftJisLead), "C:\\\x95\x5C");
  // A lead byte at the very end has no trail.
  EXPECT_EQ(ExecutableDirectory("C:\\a\\\x95", ShiftJisLead), "C:\\a");
  EXPECT_EQ(FileNameOfPath("C:\\a\\\x95\x5C.py", ShiftJisLead), "\x95\x5C.py");
  EXPECT_EQ(FileNameOfPath("C:\\a\\\x95\x5C.py", NoLeads), ".py");
}

TEST(ExecutableDirectory, LongPathsAreNotCut) {
  Bytes dir = "C:";
  for (int i = 0; i < 40; ++i) dir += "\\folder-number-" + std::to_string(i);
  ASSERT_GT(dir.size(), 600u);
  EXPECT_EQ(ExecutableDirectory(dir + "\\parlo.exe", NoLeads), dir);
  EXPECT_EQ(IniFileNameFor(dir + "\\parlo.exe", NoLeads), dir + "\\parlo.ini");
}

}  // namespace
}  // namespace parlo
