#pragma once
#include <windows.h>

#include "core/Delivery.h"
#include "core/LeadBytes.h"

namespace parlo {

// Delivery through the real window system: posted messages to the game window and synthesised
// key transitions, which go to whichever window is in front.
class Win32GamePort : public GamePort {
 public:
  std::vector<TopLevelWindow> TopLevelWindows() override;
  std::uint32_t OwnProcessId() override;
  PostResult PostImeChar(WindowRef w, unsigned code) override;
  bool IsVisible(WindowRef w) override;
  void BringToFront(WindowRef w) override;
  bool WaitUntilForeground(WindowRef w, int maxMs) override;
  bool WaitUntilModifiersReleased(int maxMs) override;
  unsigned ScanCode(unsigned vk) override;
  void KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) override;

  static HWND ToHandle(WindowRef w) { return reinterpret_cast<HWND>(w); }
  static WindowRef ToRef(HWND h) { return reinterpret_cast<WindowRef>(h); }
};

// The lead bytes of the ANSI code page; none on a system without double-byte support.
// Read once at start-up.
LeadBytes SystemLeadBytes();

}  // namespace parlo
