#pragma once
#include <windows.h>

#include "core/game/ClientProfile.h"
#include "core/game/Delivery.h"
#include "core/text/LeadBytes.h"
#include "platform/Win32FileStore.h"

namespace parlo {

// Delivery through the real window system: posted messages to the game window and synthesised
// key transitions, which go to whichever window is in front. Nothing here waits.
class Win32GamePort : public GamePort {
 public:
  Win32GamePort();
  std::vector<TopLevelWindow> TopLevelWindows() override;
  std::uint32_t OwnProcessId() override;
  PostResult PostImeChar(WindowRef w, unsigned code) override;
  PostResult PostChar(WindowRef w, unsigned code) override;
  PostResult PostKey(WindowRef w, unsigned vk, bool up) override;
  bool IsVisible(WindowRef w) override;
  void BringToFront(WindowRef w) override;
  bool IsForeground(WindowRef w) override;
  bool ModifiersDown() override;
  std::uint64_t NowMs() override;
  unsigned ScanCode(unsigned vk) override;
  void KeyEvent(unsigned vk, unsigned scanLowByte, unsigned flags) override;

  static HWND ToHandle(WindowRef w) { return reinterpret_cast<HWND>(w); }
  static WindowRef ToRef(HWND h) { return reinterpret_cast<WindowRef>(h); }

 private:
  Win32FileStore files_;
  RenamedClientFinder renamedClients_;
};

// The lead bytes of the ANSI code page; none on a system without double-byte support.
// Read once at start-up.
LeadBytes SystemLeadBytes();

}  // namespace parlo
