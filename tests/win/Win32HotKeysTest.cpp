#include "platform/Win32HotKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/book/LineHotKeys.h"

namespace parlo {
namespace {

class RecordingBox : public MessageBoxPort {
 public:
  int Show(const Bytes& text, const Bytes& caption, unsigned flags) override {
    shown.push_back(text + " / " + caption + " / " + std::to_string(flags));
    return kIdOk;
  }
  std::vector<std::string> shown;
};

class Win32HotKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "hotkeys", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    UnregisterHotKey(window_, kBardHotKeyId);
    UnregisterHotKey(window_, kBardHotKeyId + 1);
    DestroyWindow(window_);
  }

  // Presses the modifiers and the key through the system's input, then collects the WM_HOTKEY
  // identifiers that reach the window. A marker hot key pressed after them closes the collection:
  // hot keys reach the window in the order of their input, so once the marker is in, anything the
  // press caused is in too.
  std::vector<WPARAM> Press(std::vector<BYTE> modifiers, BYTE key) {
    constexpr int kMarkerId = 0x7F00;
    EXPECT_TRUE(RegisterHotKey(window_, kMarkerId, 0, VK_F24)) << GetLastError();
    for (BYTE m : modifiers) keybd_event(m, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) keybd_event(*it, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_F24, 0, 0, 0);
    keybd_event(VK_F24, 0, KEYEVENTF_KEYUP, 0);
    std::vector<WPARAM> ids;
    bool marker = false;
    DWORD start = GetTickCount();
    while (!marker && GetTickCount() - start < 5000) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_HOTKEY && msg.hwnd == window_) {
          if (msg.wParam == kMarkerId)
            marker = true;
          else
            ids.push_back(msg.wParam);
        }
        DispatchMessageA(&msg);
      }
      if (!marker) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    UnregisterHotKey(window_, kMarkerId);
    EXPECT_TRUE(marker) << "the marker hot key never arrived";
    return ids;
  }

  HWND window_ = nullptr;
};

TEST_F(Win32HotKeysTest, RegisteredBardKeyReachesTheWindowUntilUnregistered) {
  Win32HotKeys hotKeys(window_);
  RecordingBox box;
  ASSERT_TRUE(RegisterBardHotKey(hotKeys, box, {true, false, true, VK_F5}));
  EXPECT_TRUE(box.shown.empty());
  EXPECT_EQ(Press({VK_MENU, VK_SHIFT}, VK_F5), std::vector<WPARAM>{kBardHotKeyId});
  EXPECT_TRUE(Press({VK_SHIFT}, VK_F5).empty());  // the combination must match exactly
  hotKeys.Unregister(kBardHotKeyId);
  EXPECT_TRUE(Press({VK_MENU, VK_SHIFT}, VK_F5).empty());
}

TEST_F(Win32HotKeysTest, TakenCombinationIsRefusedAndReported) {
  Win32HotKeys hotKeys(window_);
  RecordingBox box;
  ASSERT_TRUE(hotKeys.Register(kBardHotKeyId + 1, MOD_CONTROL, VK_F9));
  EXPECT_FALSE(RegisterBardHotKey(hotKeys, box, {false, true, false, VK_F9}));
  EXPECT_EQ(box.shown, std::vector<std::string>{"Filed to register hot key / Error / 0"});
}

TEST_F(Win32HotKeysTest, UnregisteringWhatWasNeverRegisteredIsHarmless) {
  Win32HotKeys hotKeys(window_);
  RecordingBox box;
  hotKeys.Unregister(kBardHotKeyId);
  EXPECT_TRUE(ReregisterBardHotKey(hotKeys, box, {false, false, false, VK_F8}));
  EXPECT_EQ(Press({}, VK_F8), std::vector<WPARAM>{kBardHotKeyId});
  EXPECT_TRUE(box.shown.empty());
}


TEST_F(Win32HotKeysTest, LineKeysReachTheWindowUnderTheirOwnIdsUntilReleased) {
  Win32HotKeys hotKeys(window_);
  GridModel grid;
  grid.SetRowCount(2);
  grid.SetCell(kColLabel, 0, "Heal [Ctrl+F11]");
  grid.SetCell(kColText, 0, "heal me");
  grid.SetCell(kColLabel, 1, "Guards [Shift+F12]");
  grid.SetCell(kColText, 1, "guards!");
  LineHotKeys keys;
  // Registered without auto-repeat, which the system takes as it stands.
  EXPECT_TRUE(keys.Bind(hotKeys, ChooseBindings(grid, LeadBytes(), std::nullopt)).refused.empty());
  EXPECT_EQ(Press({VK_CONTROL}, VK_F11), std::vector<WPARAM>{0x100});
  EXPECT_EQ(Press({VK_SHIFT}, VK_F12), std::vector<WPARAM>{0x101});
  keys.ReleaseAll(hotKeys);
  EXPECT_TRUE(Press({VK_CONTROL}, VK_F11).empty());
}

}  // namespace
}  // namespace parlo
