#pragma once
// Fakes and helpers shared by the tests of the settings file, the Bard hot key and the
// configuration dialog as the main window runs them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/game/Delivery.h"
#include "core/settings/HotKey.h"
#include "core/settings/IniFile.h"

namespace parlo::testing {

// One log that the store and the hot keys write into, so a test sees how the reads, the writes
// and the registrations interleave.
using EventLog = std::vector<std::string>;

// The settings file in memory, logging each read and write.
class LoggingProfileStore : public ProfileStore {
 public:
  explicit LoggingProfileStore(EventLog& log) : log_(log) {}
  Bytes Read(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& def) override {
    log_.push_back("read " + section + "/" + key);
    return memory_.Read(path, section, key, def);
  }
  bool Write(const Bytes& path, const Bytes& section, const Bytes& key, const Bytes& value) override {
    log_.push_back("write " + section + "/" + key + "=" + value);
    return memory_.Write(path, section, key, value);
  }
  MemoryProfileStore& Memory() { return memory_; }

 private:
  EventLog& log_;
  MemoryProfileStore memory_;
};

// Hot keys that are only recorded; a registration succeeds unless the test refuses it.
class FakeHotKeys : public HotKeyPort {
 public:
  explicit FakeHotKeys(EventLog& log) : log_(log) {}
  bool Register(int id, unsigned modifiers, unsigned virtualKey) override {
    char entry[64];
    std::snprintf(entry, sizeof entry, "register %d mod=%u key=0x%02X", id, modifiers, virtualKey);
    log_.push_back(entry);
    if (refuse_) return false;
    registered_[id] = {modifiers, virtualKey};
    return true;
  }
  void Unregister(int id) override {
    log_.push_back("unregister " + std::to_string(id));
    registered_.erase(id);
  }
  void Refuse(bool refuse) { refuse_ = refuse; }
  // modifiers and key of the registration under id; (0, 0) when there is none
  std::pair<unsigned, unsigned> Registered(int id) const {
    auto it = registered_.find(id);
    return it == registered_.end() ? std::pair<unsigned, unsigned>{0, 0} : it->second;
  }
  bool IsRegistered(int id) const { return registered_.count(id) != 0; }

 private:
  EventLog& log_;
  bool refuse_ = false;
  std::map<int, std::pair<unsigned, unsigned>> registered_;
};

// A game window that takes every line; records the characters each line brought.
class RecordingGame : public GamePort {
 public:
  // Found by its class, and by the caption "Shard" the settings of some tests choose.
  std::vector<TopLevelWindow> TopLevelWindows() override { return windows; }
  std::uint32_t OwnProcessId() override { return 1; }
  PostResult PostImeChar(WindowRef, unsigned code) override {
    current_.push_back(static_cast<char>(code));
    return PostResult::kQueued;
  }
  bool ModifiersDown() override { return false; }
  std::uint64_t NowMs() override { return 0; }
  bool IsVisible(WindowRef) override { return true; }
  void BringToFront(WindowRef) override { ++fronts_; }
  bool IsForeground(WindowRef) override { return true; }
  // The game is a classic client: characters go as WM_IME_CHAR, keys through the input stream.
  PostResult PostChar(WindowRef, unsigned) override { return PostResult::kFailed; }
  PostResult PostKey(WindowRef, unsigned, bool) override { return PostResult::kFailed; }
  unsigned ScanCode(unsigned) override { return 0x1C; }
  void KeyEvent(unsigned vk, unsigned, unsigned flags) override {
    if (vk == kVkReturn && !(flags & kKeyUp)) {
      lines_.push_back(current_);
      current_.clear();
    }
  }
  const std::vector<Bytes>& Lines() const { return lines_; }
  // Typed since the last Enter: what a paste-only send leaves for the player.
  const Bytes& Pending() const { return current_; }
  int Fronts() const { return fronts_; }

  std::vector<TopLevelWindow> windows = {{1, kGameWindowClass, "Shard of the game", true, 2}};

 private:
  int fronts_ = 0;
  Bytes current_;
  std::vector<Bytes> lines_;
};

// Handles what is queued, as the message loop would; the quit a closed main window posts is
// dropped so that it cannot end a later modal loop.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A visible top-level window of this thread with the class and, when given, the caption.
inline HWND FindOwnWindow(const char* className, const char* caption = nullptr) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, caption)) != nullptr) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Runs one step per timer tick, each once a visible window of its class (and caption, when
// given) of this thread shows; modal loops keep the ticks coming. Once the steps have run out and
// the last step's window still shows, it is sent WM_CLOSE, so that a test never hangs.
class ModalScript {
 public:
  struct Step {
    const char* className;
    const char* caption;
    std::function<void(HWND window)> action;
  };

  explicit ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ModalScript(const char* className, const char* caption, std::vector<std::function<void(HWND)>> actions) {
    for (auto& action : actions) steps_.push_back({className, caption, std::move(action)});
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~ModalScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  size_t StepsRun() const { return next_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* self = current_;
    if (!self || self->busy_ || self->steps_.empty()) return;
    self->busy_ = true;
    if (self->next_ < self->steps_.size()) {
      const Step& step = self->steps_[self->next_];
      if (HWND window = FindOwnWindow(step.className, step.caption)) {
        ++self->next_;
        step.action(window);
      }
    } else if (HWND window = FindOwnWindow(self->steps_.back().className, self->steps_.back().caption)) {
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
    self->busy_ = false;
  }

  static inline ModalScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};

// The text of a message box's message, read with the wide API so that any code page reads right.
inline std::wstring MessageBoxTextW(HWND box) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 1024);
  return text;
}

}  // namespace parlo::testing
