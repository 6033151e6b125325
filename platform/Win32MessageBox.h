#pragma once
#include <windows.h>

#include <functional>

#include "core/prompts/MessageBoxPort.h"

namespace parlo {

// Shows one of the program's message boxes and returns the answer. A null owner makes the box
// modal to the whole application: every window of the program is disabled while it shows.
int ShowMessageBox(HWND owner, const Bytes& text, const Bytes& caption, unsigned flags);

using MessageBoxFunction = std::function<int(HWND owner, const Bytes& text, const Bytes& caption, unsigned flags)>;

// A message-box port with a fixed owner, over whichever function shows the boxes.
class OwnedMessageBoxes : public MessageBoxPort {
 public:
  OwnedMessageBoxes(MessageBoxFunction show, HWND owner) : show_(std::move(show)), owner_(owner) {}
  int Show(const Bytes& text, const Bytes& caption, unsigned flags) override {
    return show_ ? show_(owner_, text, caption, flags) : 0;
  }

 private:
  MessageBoxFunction show_;
  HWND owner_;
};

}  // namespace parlo
