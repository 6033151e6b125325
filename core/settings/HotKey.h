#pragma once
#include <cstdint>

#include "core/prompts/MessageBoxPort.h"

namespace parlo {

constexpr int kBardHotKeyId = 14;

// Modifier bits of a registered hot key.
constexpr unsigned kModAlt = 1;
constexpr unsigned kModControl = 2;
constexpr unsigned kModShift = 4;
// Holding a key down says one line, not one per auto-repeat.
constexpr unsigned kModNoRepeat = 0x4000;

// Modifier bits of the hot-key edit control (high byte of its value); Shift and Alt are the
// other way round from the registration bits.
constexpr unsigned kHotKeyfShift = 0x01;
constexpr unsigned kHotKeyfControl = 0x02;
constexpr unsigned kHotKeyfAlt = 0x04;
constexpr unsigned kHotKeyfExt = 0x08;

inline constexpr const char kHotKeyFailedText[] = "Filed to register hot key";
inline constexpr const char kHotKeyFailedCaption[] = "Error";

// A system-wide hot key bound to the main window.
class HotKeyPort {
 public:
  virtual ~HotKeyPort() = default;
  virtual bool Register(int id, unsigned modifiers, unsigned virtualKey) = 0;
  // Harmless when nothing is registered under id.
  virtual void Unregister(int id) = 0;
};

struct BardHotKey {
  bool alt = false;
  bool ctrl = false;
  bool shift = false;
  uint16_t key = 0;  // virtual-key code; 0: no hot key
};

unsigned BardModifiers(const BardHotKey& hotKey);

// Registers hot key 14 from the four values, without auto-repeat, or does nothing when the key is 0. A
// refusal is told to the user and the program goes on without a hot key. Returns whether one is registered.
bool RegisterBardHotKey(HotKeyPort& hotKeys, MessageBoxPort& messages, const BardHotKey& hotKey);

// What the configuration dialog does on OK: drop the old registration, whether or not there was
// one, then register again.
bool ReregisterBardHotKey(HotKeyPort& hotKeys, MessageBoxPort& messages, const BardHotKey& hotKey);

// The hot-key control yields the key in the low byte and its modifiers in the high one; the Bard
// key is the bare key, as its modifiers come from the check boxes alone.
uint16_t BardKeyFromHotKeyControl(unsigned controlValue);
// The value that makes the control show the Bard key: the key alone, without modifiers.
unsigned HotKeyControlFromBardKey(uint16_t bardKey);

}  // namespace parlo
