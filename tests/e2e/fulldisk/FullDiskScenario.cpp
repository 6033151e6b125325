// The exit save on a full disk: a small file system of its own holds parlo.exe and a book, and
// fills up while Parlo runs. Run by full-disk.sh, which mounts it (root only) and names it in
// PARLO_FULL_DISK_DIR; without it the scenario says why it skips.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/e2e/driver/ParloApp.h"
#include "tests/e2e/driver/Wait.h"

namespace parlo::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Content = std::optional<std::string>;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Writes into one file until the disk takes no single byte more; returns the bytes written.
size_t FillDisk(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const std::string chunk(64 * 1024, 'f');
  size_t total = 0;
  for (DWORD size = static_cast<DWORD>(chunk.size()); size > 0;) {
    DWORD written = 0;
    if (WriteFile(file, chunk.data(), size, &written, nullptr) && written == size) {
      total += written;
    } else {
      total += written;
      size /= 2;
    }
  }
  FlushFileBuffers(file);
  CloseHandle(file);
  return total;
}

// Adds five rows, fills the disk, then asks Parlo to close: its exit save must ask to retry.
void CloseWithTheDiskFull(const ScenarioDir& dir, ParloApp& parlo, std::optional<MessageBoxWindow>& prompt) {
  ASSERT_TRUE(parlo.SendClick(IDC_BUTTON_ADD));
  ASSERT_GT(FillDisk(dir.File("filler")), 0u);
  PostMessageA(parlo.Main(), WM_CLOSE, 0, 0);
  prompt = parlo.WaitForMessageBox("ERROR");
  ASSERT_TRUE(prompt.has_value()) << "no save retry prompt on a full disk";
}

TEST(FullDisk, TheExitSaveAsksToRetryAndLeavesTheLastSavedBookWholeAndNothingElse) {
  const std::string path = Env("PARLO_FULL_DISK_DIR");
  if (path.empty()) {
    const std::string why = Env("PARLO_FULL_DISK_SKIP");
    GTEST_SKIP() << (why.empty() ? "needs a small file system of its own; run through tests/e2e/full-disk.sh"
                                 : why);
  }
  const ScenarioDir dir = ScenarioDir::At(path);
  std::string book = "[PARLO!]\r\n";
  for (int row = 0; row < 2000; ++row)
    book += "Line\tWell met, traveller; line " + std::to_string(row) + "\r\n";
  const std::string added = book + "\r\n\r\n\r\n\r\n\r\n";  // Add: five empty rows
  dir.Put("sayA.txt", book);

  // Full while Parlo closes: it asks; asked again while still full; saves once there is room.
  {
    ParloApp parlo = ParloApp::Launch(dir);
    std::optional<MessageBoxWindow> prompt;
    ASSERT_NO_FATAL_FAILURE(CloseWithTheDiskFull(dir, parlo, prompt));
    EXPECT_EQ(prompt->Text(), "File Save Error. Retry?");
    EXPECT_THAT(dir.Files(), ElementsAre("filler", "parlo.exe", "sayA.txt"));
    EXPECT_EQ(dir.Read("sayA.txt"), Content(book));
    ASSERT_TRUE(prompt->Answer(IDYES));
    prompt = parlo.WaitForMessageBox("ERROR");
    ASSERT_TRUE(prompt.has_value()) << "still full: asked again";
    dir.Remove("filler");
    ASSERT_TRUE(prompt->Answer(IDYES));
    EXPECT_EQ(parlo.Process().WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(dir.Read("sayA.txt"), Content(added));
  }
  // Full again, and the player gives up: the book saved last time stays whole, and nothing of
  // the failed save is left in the folder. The settings file is written again in the room the old
  // one took, so it keeps the window's new place, and Parlo ends without a box about it.
  {
    ParloApp parlo = ParloApp::Launch(dir);
    RECT place{};
    GetWindowRect(parlo.Main(), &place);
    ASSERT_TRUE(SetWindowPos(parlo.Main(), nullptr, place.left + 10, place.top + 10, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    std::optional<MessageBoxWindow> prompt;
    ASSERT_NO_FATAL_FAILURE(CloseWithTheDiskFull(dir, parlo, prompt));
    ASSERT_TRUE(prompt->Answer(IDNO));
    EXPECT_EQ(parlo.Process().WaitExit(kExitTimeoutMs), std::optional<DWORD>(0)) << "Parlo did not end";
    EXPECT_EQ(dir.Read("sayA.txt"), Content(added));
    EXPECT_THAT(dir.Read("parlo.ini").value_or(""),
                HasSubstr("[Window]\r\nLeft=" + std::to_string(place.left + 10) +
                          "\r\nTop=" + std::to_string(place.top + 10) + "\r\n"));
    EXPECT_THAT(dir.Files(), ElementsAre("filler", "parlo.exe", "parlo.ini", "sayA.txt"));
    dir.Remove("filler");
  }
}

}  // namespace
}  // namespace parlo::e2e
