#include "core/book/LineHotKeys.h"

#include <iterator>
#include <set>
#include <string>
#include <utility>

namespace parlo {

namespace {

struct KeyName {
  Bytes name;
  unsigned virtualKey;
};

const std::vector<KeyName>& KeyNames() {
  static const std::vector<KeyName> names = [] {
    std::vector<KeyName> all;
    for (char c = 'A'; c <= 'Z'; ++c) all.push_back({Bytes(1, c), static_cast<unsigned>(c)});
    for (char c = '0'; c <= '9'; ++c) all.push_back({Bytes(1, c), static_cast<unsigned>(c)});
    for (unsigned n = 1; n <= 24; ++n) all.push_back({"F" + std::to_string(n), 0x70 + n - 1});
    for (unsigned n = 0; n <= 9; ++n) all.push_back({"Num" + std::to_string(n), 0x60 + n});
    const KeyName others[] = {{"Insert", 0x2D}, {"Delete", 0x2E},   {"Home", 0x24}, {"End", 0x23},
                              {"PageUp", 0x21}, {"PageDown", 0x22}, {"Up", 0x26},   {"Down", 0x28},
                              {"Left", 0x25},   {"Right", 0x27},    {"Space", 0x20}};
    all.insert(all.end(), std::begin(others), std::end(others));
    return all;
  }();
  return names;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::optional<unsigned> ModifierFromName(std::string_view name) {
  if (SameName(name, "Ctrl")) return kModControl;
  if (SameName(name, "Alt")) return kModAlt;
  if (SameName(name, "Shift")) return kModShift;
  if (SameName(name, "Win")) return kModWin;
  return std::nullopt;
}

// Keys that type something: bound without Ctrl, Alt or Win they would take the player's typing.
bool TypesText(unsigned virtualKey) {
  return (virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9') ||
         virtualKey == 0x20;
}

bool IsNavigationOrNumberPad(unsigned virtualKey) {
  return (virtualKey >= 0x21 && virtualKey <= 0x28) ||  // PageUp, PageDown, End, Home, the arrows
         virtualKey == 0x2D || virtualKey == 0x2E ||    // Insert, Delete
         (virtualKey >= 0x60 && virtualKey <= 0x69);    // Num0 to Num9
}

// Copy, paste, cut, undo, redo and select all.
bool IsEditingLetter(unsigned virtualKey) {
  return virtualKey == 'C' || virtualKey == 'V' || virtualKey == 'X' || virtualKey == 'Z' ||
         virtualKey == 'Y' || virtualKey == 'A';
}

std::string_view TrimBlanks(std::string_view part, bool front, bool back) {
  while (front && !part.empty() && part.front() == ' ') part.remove_prefix(1);
  while (back && !part.empty() && part.back() == ' ') part.remove_suffix(1);
  return part;
}

// What stands between the brackets: modifiers joined by "+", then one key; blanks only around "+".
std::optional<LineKey> ParseKey(std::string_view written) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t plus = written.find('+', start);
    parts.push_back(
        written.substr(start, plus == std::string_view::npos ? std::string_view::npos : plus - start));
    if (plus == std::string_view::npos) break;
    start = plus + 1;
  }
  LineKey key;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    const std::string_view part = TrimBlanks(parts[i], i > 0, !last);
    if (part.empty()) return std::nullopt;
    if (last) {
      const std::optional<unsigned> virtualKey = KeyFromName(part);
      if (!virtualKey) return std::nullopt;
      key.virtualKey = *virtualKey;
    } else {
      const std::optional<unsigned> modifier = ModifierFromName(part);
      if (!modifier || (key.modifiers & *modifier)) return std::nullopt;
      key.modifiers |= *modifier;
    }
  }
  if (TypesText(key.virtualKey) && !(key.modifiers & (kModControl | kModAlt | kModWin))) return std::nullopt;
  return key;
}

}  // namespace

std::optional<unsigned> KeyFromName(std::string_view name) {
  for (const KeyName& key : KeyNames())
    if (SameName(name, key.name)) return key.virtualKey;
  return std::nullopt;
}

std::string_view NameOfKey(unsigned virtualKey) {
  for (const KeyName& key : KeyNames())
    if (key.virtualKey == virtualKey) return key.name;
  return {};
}

bool NeededForTyping(const LineKey& key) {
  if (IsNavigationOrNumberPad(key.virtualKey)) return (key.modifiers & ~kModShift) == 0;
  return IsEditingLetter(key.virtualKey) && key.modifiers == kModControl;
}

Bytes LineKeyTip(const LineKey& key, LineKeyTrouble trouble) {
  const Bytes name = KeyText(key);
  switch (trouble) {
    case LineKeyTrouble::None:
      return {};
    case LineKeyTrouble::NeededForTyping:
      // Ctrl is there already; Shift would make Ctrl+Shift+Z, which is redo in many programs.
      return name + (key.modifiers & kModControl
                         ? " is needed for typing: add Alt, or use a function key"
                         : " is needed for typing: add Ctrl or Alt, or use a function key");
    case LineKeyTrouble::BardKey:
      return name + " is the Bard hot key";
    case LineKeyTrouble::EarlierLine:
      return name + " belongs to a line higher up";
    case LineKeyTrouble::OtherProgram:
      return name + " is used by another program";
  }
  return {};
}

Bytes KeyText(const LineKey& key) {
  Bytes text;
  if (key.modifiers & kModControl) text += "Ctrl+";
  if (key.modifiers & kModAlt) text += "Alt+";
  if (key.modifiers & kModShift) text += "Shift+";
  if (key.modifiers & kModWin) text += "Win+";
  text += NameOfKey(key.virtualKey);
  return text;
}

std::optional<LabelKey> ParseLabelKey(std::string_view label, const LeadBytes& leadBytes) {
  if (label.empty() || label.back() != ']') return std::nullopt;
  // Walked character by character, so that a trail byte that happens to be "[" or "]" is
  // never taken for a bracket.
  std::size_t open = std::string_view::npos;
  std::size_t lastStart = 0;
  for (std::size_t i = 0; i < label.size();) {
    lastStart = i;
    const unsigned char c = static_cast<unsigned char>(label[i]);
    if (leadBytes.IsLead(c) && i + 1 < label.size()) {
      i += 2;
      continue;
    }
    if (c == '[') open = i;
    ++i;
  }
  if (lastStart != label.size() - 1 || open == std::string_view::npos) return std::nullopt;
  const std::string_view written = label.substr(open + 1, label.size() - open - 2);
  const std::optional<LineKey> key = ParseKey(written);
  if (!key) return std::nullopt;
  return LabelKey{*key, open, written};
}

std::optional<LineKey> BardLineKey(const BardHotKey& bard) {
  if (bard.key == 0) return std::nullopt;
  return LineKey{BardModifiers(bard), bard.key};
}

std::vector<LineBinding> ChooseBindings(const GridModel& grid, const LeadBytes& leadBytes,
                                        const std::optional<LineKey>& bardKey) {
  std::vector<LineBinding> bindings;
  std::set<LineKey> taken;
  if (bardKey) taken.insert(*bardKey);
  int row = 0;
  grid.ForEachLabelAndText([&](std::string_view label, std::string_view text) {
    const int r = row++;
    // Most labels end in anything but "]": they cost one byte's look. A separator never does.
    if (text.empty() || label.empty() || label.back() != ']' || label.front() == '\'') return;
    const std::optional<LabelKey> parsed = ParseLabelKey(label, leadBytes);
    if (!parsed || NeededForTyping(parsed->key) || !taken.insert(parsed->key).second) return;
    bindings.push_back({parsed->key, r, Bytes(parsed->written)});
  });
  return bindings;
}

int LineHotKeys::FreeId() const {
  std::vector<bool> used(entries_.size() + 1, false);
  for (const auto& [key, entry] : entries_) {
    const std::size_t index = static_cast<std::size_t>(entry.id - kFirstLineHotKeyId);
    if (index < used.size()) used[index] = true;
  }
  std::size_t free = 0;
  while (used[free]) ++free;
  return kFirstLineHotKeyId + static_cast<int>(free);
}

LineHotKeys::BindResult LineHotKeys::Bind(HotKeyPort& port, const std::vector<LineBinding>& bindings) {
  BindResult result;
  std::set<LineKey> wanted;
  for (const LineBinding& binding : bindings) wanted.insert(binding.key);
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (wanted.count(it->first)) {
      ++it;
      continue;
    }
    if (it->second.registered) port.Unregister(it->second.id);
    result.changedRows.push_back(it->second.binding.row);
    it = entries_.erase(it);
  }
  for (const LineBinding& binding : bindings) {
    auto it = entries_.find(binding.key);
    if (it == entries_.end()) {
      // Far more ids than there are keys to name: a book can never run out of them.
      const int id = FreeId();
      if (id > kLastLineHotKeyId) continue;
      it = entries_.emplace(binding.key, Entry{binding, id, false}).first;
      result.changedRows.push_back(binding.row);
    } else if (it->second.binding.row != binding.row) {
      result.changedRows.push_back(it->second.binding.row);
      result.changedRows.push_back(binding.row);
    }
    Entry& entry = it->second;
    entry.binding = binding;
    if (entry.registered) continue;
    entry.registered = port.Register(entry.id, binding.key.modifiers | kModNoRepeat, binding.key.virtualKey);
    if (entry.registered)
      result.changedRows.push_back(binding.row);
    else
      result.refused.push_back(binding);
  }
  return result;
}

void LineHotKeys::ReleaseAll(HotKeyPort& port) {
  for (const auto& [key, entry] : entries_)
    if (entry.registered) port.Unregister(entry.id);
  entries_.clear();
}

const LineBinding* LineHotKeys::Find(int id) const {
  for (const auto& [key, entry] : entries_)
    if (entry.id == id && entry.registered) return &entry.binding;
  return nullptr;
}

bool LineHotKeys::Works(const LineKey& key, int row) const {
  auto it = entries_.find(key);
  return it != entries_.end() && it->second.registered && it->second.binding.row == row;
}

LineKeyTrouble LineHotKeys::Trouble(const LineKey& key, int row,
                                    const std::optional<LineKey>& bardKey) const {
  if (NeededForTyping(key)) return LineKeyTrouble::NeededForTyping;
  if (bardKey && *bardKey == key) return LineKeyTrouble::BardKey;
  auto it = entries_.find(key);
  // Not chosen at all: the rows changed and the keys have not been bound again yet.
  if (it == entries_.end()) return LineKeyTrouble::None;
  if (it->second.binding.row != row) return LineKeyTrouble::EarlierLine;
  return it->second.registered ? LineKeyTrouble::None : LineKeyTrouble::OtherProgram;
}

Bytes LineHotKeysTakenMessage(const std::vector<LineBinding>& refused) {
  Bytes text = kLineHotKeysTakenText;
  for (std::size_t i = 0; i < refused.size(); ++i) {
    if (i > 0) text += ", ";
    text += refused[i].written;
  }
  return text;
}

}  // namespace parlo
