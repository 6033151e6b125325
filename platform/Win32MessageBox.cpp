#include "platform/Win32MessageBox.h"

namespace parlo {

int ShowMessageBox(HWND owner, const Bytes& text, const Bytes& caption, unsigned flags) {
  // A press held on a send button or a row being dragged must not outlive the box.
  ReleaseCapture();
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags | (owner ? 0u : static_cast<unsigned>(MB_TASKMODAL)));
}

}  // namespace parlo
