// Arbitrary settings-file bytes, then reads and writes of arbitrary keys: nothing crashes, reads
// stay within 1023 bytes, and while every write is plain a write reads back and leaves the other
// keys alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "core/settings/IniFile.h"

namespace {

const std::string kPath = "parlo.ini";

bool IsBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// A name that stays one name on a line of its own.
bool PlainName(const std::string& s) {
  std::string t = Trim(s);
  if (t.empty()) return false;
  for (char c : t)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '_' || c == '.'))
      return false;
  return true;
}

// A value that stays on its line and is not taken for a quoted one.
bool PlainValue(const std::string& s) {
  for (char c : s)
    if (c == '\r' || c == '\n' || c == '\0') return false;
  std::string t = Trim(s);
  return t.empty() || (t.front() != '"' && t.front() != '\'');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  parlo::MemoryProfileStore store;
  if (in.ConsumeBool()) store.SetFile(kPath, in.ConsumeRandomLengthString(4096));
  bool plainSoFar = !store.File(kPath);  // a hand-written file may hold anything
  std::map<std::pair<std::string, std::string>, std::string> model;

  while (in.remaining_bytes() > 0) {
    bool write = in.ConsumeBool();
    std::string section = in.ConsumeRandomLengthString(24);
    std::string key = in.ConsumeRandomLengthString(24);
    std::string text = in.ConsumeBool() ? in.ConsumeRandomLengthString(64) : std::string(in.ConsumeIntegralInRange<size_t>(0, 1500), 'v');
    if (!write) {
      std::string value = store.Read(kPath, section, key, text);
      if (value.size() > parlo::kProfileValueMax) std::abort();
      continue;
    }
    if (!store.Write(kPath, section, key, text)) std::abort();
    bool plain = PlainName(section) && PlainName(key) && PlainValue(text);
    plainSoFar = plainSoFar && plain;
    if (!plain) continue;
    const std::string expected = Trim(text).substr(0, parlo::kProfileValueMax);
    if (store.Read(kPath, section, key, "<none>") != expected) std::abort();
    // Written again, the same value finds the file as wanted: the writer and the reader agree on
    // the layout (trailing blanks are trimmed by the reader, so they would differ).
    if (Trim(text) == text && parlo::profile_text::Update(store.File(kPath), section, key, text)) std::abort();
    if (!plainSoFar) continue;
    model[{Lower(Trim(section)), Lower(Trim(key))}] = expected;
    for (const auto& [name, value] : model)
      if (store.Read(kPath, name.first, name.second, "<none>") != value) std::abort();
  }
  return 0;
}
