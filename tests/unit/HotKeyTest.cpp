#include "core/HotKey.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace parlo {
namespace {

// Records every call on the hot-key and message-box ports in one log.
class FakeHotKeys : public HotKeyPort, public MessageBoxPort {
 public:
  bool Register(int id, unsigned modifiers, unsigned virtualKey) override {
    log.push_back("register " + std::to_string(id) + " " + std::to_string(modifiers) + " " +
                  std::to_string(virtualKey));
    return accept;
  }
  void Unregister(int id) override { log.push_back("unregister " + std::to_string(id)); }
  int Show(const Bytes& text, const Bytes& caption, unsigned flags) override {
    log.push_back("box " + text + " / " + caption + " / " + std::to_string(flags));
    return kIdOk;
  }
  bool accept = true;
  std::vector<std::string> log;
};

TEST(BardHotKey, ModifiersFromTheThreeFlags) {
  EXPECT_EQ(BardModifiers({false, false, false, 65}), 0u);
  EXPECT_EQ(BardModifiers({true, false, false, 65}), 1u);
  EXPECT_EQ(BardModifiers({false, true, false, 65}), 2u);
  EXPECT_EQ(BardModifiers({false, false, true, 65}), 4u);
  EXPECT_EQ(BardModifiers({true, false, true, 65}), 5u);
  EXPECT_EQ(BardModifiers({true, true, true, 65}), 7u);
}

TEST(BardHotKey, KeyZeroRegistersNothingAndSaysNothing) {
  FakeHotKeys fake;
  EXPECT_FALSE(RegisterBardHotKey(fake, fake, {true, true, true, 0}));
  EXPECT_TRUE(fake.log.empty());
}

TEST(BardHotKey, RegistersId14WithTheModifiersAndTheKey) {
  FakeHotKeys fake;
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {true, false, true, 0x74}));
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {false, false, false, 0x41}));
  EXPECT_TRUE(RegisterBardHotKey(fake, fake, {false, false, false, 0xFFFF}));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"register 14 5 116", "register 14 0 65", "register 14 0 65535"}));
}

TEST(BardHotKey, RefusalShowsThePlainErrorBoxOnce) {
  FakeHotKeys fake;
  fake.accept = false;
  EXPECT_FALSE(RegisterBardHotKey(fake, fake, {false, true, false, 0x70}));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"register 14 2 112", "box Filed to register hot key / Error / 0"}));
}

TEST(BardHotKey, ReregisteringAlwaysUnregistersFirst) {
  FakeHotKeys fake;
  EXPECT_FALSE(ReregisterBardHotKey(fake, fake, {false, false, false, 0}));
  EXPECT_TRUE(ReregisterBardHotKey(fake, fake, {false, false, true, 0x51}));
  fake.accept = false;
  EXPECT_FALSE(ReregisterBardHotKey(fake, fake, {false, false, false, 0x51}));
  EXPECT_EQ(fake.log, (std::vector<std::string>{"unregister 14", "unregister 14", "register 14 4 81", "unregister 14",
                                                "register 14 0 81", "box Filed to register hot key / Error / 0"}));
}

TEST(BardHotKey, ControlValueBecomesTheBareKey) {
  // HOTKEYF_ALT|HOTKEYF_SHIFT with F5, as the control reports it.
  EXPECT_EQ(BardKeyFromHotKeyControl(0x0574), 0x74);
  EXPECT_EQ(BardKeyFromHotKeyControl((kHotKeyfControl | kHotKeyfExt) << 8 | 0x2E), 0x2E);
  EXPECT_EQ(BardKeyFromHotKeyControl(0x0051), 0x51);
  EXPECT_EQ(BardKeyFromHotKeyControl(0), 0);
  EXPECT_EQ(HotKeyControlFromBardKey(0x41), 0x41u);
  EXPECT_EQ(HotKeyControlFromBardKey(0), 0u);
  // A hand-edited key wider than a byte shows only its key byte, never stray modifiers.
  EXPECT_EQ(HotKeyControlFromBardKey(0x2041), 0x41u);
}

}  // namespace
}  // namespace parlo
