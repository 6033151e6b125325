#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "platform/Win32Clipboard.h"

namespace parlo {
namespace {

// Puts raw CF_TEXT data on the clipboard, owned by a window as the system requires.
class ClipboardTest : public testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateWindowExA(0, "STATIC", "owner", 0, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(owner_, nullptr);
  }
  void TearDown() override {
    if (OpenClipboard(owner_)) {
      EmptyClipboard();
      CloseClipboard();
    }
    DestroyWindow(owner_);
  }

  void Put(const void* data, std::size_t size, UINT format = CF_TEXT) {
    ASSERT_TRUE(OpenClipboard(owner_));
    EmptyClipboard();
    if (data) {
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
      ASSERT_NE(memory, nullptr);
      std::memcpy(GlobalLock(memory), data, size);
      GlobalUnlock(memory);
      EXPECT_NE(SetClipboardData(format, memory), nullptr);
    }
    CloseClipboard();
  }

  HWND owner_ = nullptr;
};

TEST_F(ClipboardTest, ReadsTheTextBackByteForByte) {
  const char text[] = "first line\r\n\x82\xA0 second\r\n";
  Put(text, sizeof text);
  EXPECT_EQ(ReadClipboardText(), Bytes(text));
  // The clipboard is closed again: someone else can open it.
  EXPECT_TRUE(OpenClipboard(owner_));
  CloseClipboard();
}

TEST_F(ClipboardTest, StopsAtTheFirstZero) {
  const char text[] = "one\0two";
  Put(text, sizeof text);
  EXPECT_EQ(ReadClipboardText(), "one");
}

TEST_F(ClipboardTest, EmptyWithoutText) {
  Put(nullptr, 0);
  EXPECT_EQ(ReadClipboardText(), "");
  const char bitmapish[] = "xx";
  Put(bitmapish, sizeof bitmapish, RegisterClipboardFormatA("Parlo test private"));
  EXPECT_EQ(ReadClipboardText(), "");
}

}  // namespace
}  // namespace parlo
