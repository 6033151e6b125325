#pragma once
// Drives the Save-As dialog from inside its own modal loop, and records the message boxes the
// program shows in place of showing them.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/text/Bytes.h"
#include "core/prompts/MessageBoxPort.h"
#include "forms/ControlIds.h"
#include "platform/Win32MessageBox.h"

namespace parlo::testing {

struct BoxCall {
  HWND owner;
  Bytes text;
  Bytes caption;
  unsigned flags;
};

// Stands in for the message-box function: records each box and answers from a script. A box
// nobody expected fails the test and is answered No.
class ScriptedBoxes {
 public:
  using Answer = std::function<int(const BoxCall&)>;

  void Then(int answer) {
    answers_.push_back([answer](const BoxCall&) { return answer; });
  }
  void Then(Answer answer) { answers_.push_back(std::move(answer)); }

  MessageBoxFunction Function() {
    return [this](HWND owner, const Bytes& text, const Bytes& caption, unsigned flags) {
      calls_.push_back({owner, text, caption, flags});
      if (answers_.empty()) {
        ADD_FAILURE() << "unexpected message box: \"" << text << "\" / \"" << caption << "\"";
        return kIdNo;
      }
      Answer answer = std::move(answers_.front());
      answers_.pop_front();
      return answer(calls_.back());
    };
  }

  const std::vector<BoxCall>& Calls() const { return calls_; }
  size_t Unused() const { return answers_.size(); }

 private:
  std::vector<BoxCall> calls_;
  std::deque<Answer> answers_;
};

// The visible Save-As dialog of this thread, or null.
inline HWND FindInputBox() {
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, PARLO_CLASS_INPUTBOX, nullptr)) != nullptr) {
    if (GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

// Runs one step per timer tick while the dialog shows. When the steps have run out, or the
// dialog shows for longer than the script expected, it is closed, so a test never hangs in the
// modal loop.
class InputBoxScript {
 public:
  using Step = std::function<void(HWND box)>;

  explicit InputBoxScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~InputBoxScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  InputBoxScript(const InputBoxScript&) = delete;
  InputBoxScript& operator=(const InputBoxScript&) = delete;

  size_t StepsRun() const { return next_; }
  HWND Box() const { return box_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    InputBoxScript* self = current_;
    if (!self || self->busy_) return;
    HWND box = FindInputBox();
    if (!box) return;
    self->busy_ = true;
    self->box_ = box;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++](box);
    } else {
      PostMessageA(box, WM_CLOSE, 0, 0);
    }
    self->busy_ = false;
  }

  static inline InputBoxScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  HWND box_ = nullptr;
  UINT_PTR timer_ = 0;
};

// Names the Save-As dialog refuses, each with the warning it must show, written out: the oracle
// for the dialog on its own and for the dialog run from the main window.
struct RefusedName {
  Bytes name;
  Bytes warning;
};
inline std::vector<RefusedName> RefusedSaveAsNames() {
  const Bytes characters = "A name cannot contain any of these characters: \\ / : * ? \" < > |";
  return {{"a\\b", characters},
          {"..\\escape", characters},
          {"a/b", characters},
          {"sub/dir", characters},
          {"C:other", characters},
          {"a*b", characters},
          {"what?", characters},
          {"a\"b", characters},
          {"a<b", characters},
          {"a>b", characters},
          {"a|b", characters},
          {"tab\there", "A name cannot contain control characters"},
          {"line\x1F", "A name cannot contain control characters"},
          {Bytes(300, 'n'), "The name is too long"}};
}

inline InputBoxScript::Step TypeName(const Bytes& name) {
  return [name](HWND box) { SetWindowTextA(GetDlgItem(box, IDC_INPUT_EDIT_TEXT), name.c_str()); };
}
inline InputBoxScript::Step Click(int buttonId) {
  return [buttonId](HWND box) { SendMessageA(GetDlgItem(box, buttonId), BM_CLICK, 0, 0); };
}
inline InputBoxScript::Step PressKey(BYTE vk) {
  return [vk](HWND box) {
    HWND focus = GetFocus();
    HWND target = focus && IsChild(box, focus) ? focus : GetDlgItem(box, IDC_INPUT_EDIT_TEXT);
    PostMessageA(target, WM_KEYDOWN, vk, 1);
    PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
  };
}

}  // namespace parlo::testing
