#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"
#include "core/settings/HotKey.h"
#include "core/text/LeadBytes.h"
#include "core/book/PhraseGrid.h"

namespace parlo {

// A say line's own hot key, written at the end of its label: "Heal [F7]", "Guards [Ctrl+F8]".

constexpr unsigned kModWin = 8;
// Line keys take the ids from here up; the Bard key keeps its own.
constexpr int kFirstLineHotKeyId = 0x100;
// The last id an application may give a hot key.
constexpr int kLastLineHotKeyId = 0xBFFF;

inline constexpr const char kLineHotKeysTakenText[] = "These hot keys are used by another program: ";
inline constexpr const char kLineHotKeysTakenCaption[] = "Parlo";

struct LineKey {
  unsigned modifiers = 0;  // kModAlt, kModControl, kModShift, kModWin
  unsigned virtualKey = 0;

  friend bool operator==(const LineKey& a, const LineKey& b) {
    return a.modifiers == b.modifiers && a.virtualKey == b.virtualKey;
  }
  friend bool operator!=(const LineKey& a, const LineKey& b) { return !(a == b); }
  friend bool operator<(const LineKey& a, const LineKey& b) {
    return a.modifiers != b.modifiers ? a.modifiers < b.modifiers : a.virtualKey < b.virtualKey;
  }
};

// The key names a label may use, either way round. Names match without regard to letter case;
// an unknown name or key gives nothing.
std::optional<unsigned> KeyFromName(std::string_view name);
std::string_view NameOfKey(unsigned virtualKey);
// The key as Parlo writes it: modifiers in the order Ctrl, Alt, Shift, Win, then the key's name.
Bytes KeyText(const LineKey& key);

// Keys everybody needs while typing: the arrows, Home, End, PageUp, PageDown, Insert, Delete and
// the number pad's digits, alone or with Shift only, and Ctrl+C, V, X, Z, Y, A. Taken
// system-wide they would stop working in the game's chat, in Parlo and everywhere else, so a line
// never binds one, whatever its label says.
bool NeededForTyping(const LineKey& key);

// Why a label's key does not work.
enum class LineKeyTrouble { None, NeededForTyping, BardKey, EarlierLine, OtherProgram };
// The tip shown over a key part that does not work, naming the key as Parlo writes it; empty for
// a key that works.
Bytes LineKeyTip(const LineKey& key, LineKeyTrouble trouble);

// The key a label ends with. `open` is where its "[" stands; the key part runs from there to the
// label's end. `written` is what stands between the brackets.
struct LabelKey {
  LineKey key;
  std::size_t open = 0;
  std::string_view written;
};
// Nothing when the label does not end with a key in brackets, or the brackets hold anything but
// a key, or the key alone is a letter, digit or Space without Ctrl, Alt or Win.
std::optional<LabelKey> ParseLabelKey(std::string_view label, const LeadBytes& leadBytes);

struct LineBinding {
  LineKey key;
  int row = 0;
  Bytes written;  // as the label writes it, for telling the player
};

// The Bard key as a line key would be, or nothing when there is no Bard key.
std::optional<LineKey> BardLineKey(const BardHotKey& bard);

// The keys a book binds, in row order: say rows only; of two rows with one key the first wins;
// a line with the Bard key or a key needed for typing binds nothing.
std::vector<LineBinding> ChooseBindings(const GridModel& grid, const LeadBytes& leadBytes,
                                        const std::optional<LineKey>& bardKey);

// The line keys registered through the hot-key port: which id holds which key for which row, and
// which keys the system refused.
class LineHotKeys {
 public:
  struct BindResult {
    std::vector<LineBinding> refused;  // refused by this call, in row order
    std::vector<int> changedRows;      // rows whose key now works or stops working, or moved
  };

  // Makes the bindings the registered ones: keys no longer bound are released, new keys and keys
  // refused before are registered; keys that stay keep their registration.
  BindResult Bind(HotKeyPort& port, const std::vector<LineBinding>& bindings);
  void ReleaseAll(HotKeyPort& port);

  // The binding registered under the id, if any.
  const LineBinding* Find(int id) const;
  // How the label key of a say row fares: it works when its row holds the registered key.
  bool Works(const LineKey& key, int row) const;
  // Why it does not work, for the label of a say row; None when it works.
  LineKeyTrouble Trouble(const LineKey& key, int row, const std::optional<LineKey>& bardKey) const;
  bool Empty() const { return entries_.empty(); }

 private:
  struct Entry {
    LineBinding binding;
    int id = 0;
    bool registered = false;
  };
  int FreeId() const;

  std::map<LineKey, Entry> entries_;
};

// The text of the one box that tells which keys another program holds.
Bytes LineHotKeysTakenMessage(const std::vector<LineBinding>& refused);

}  // namespace parlo
