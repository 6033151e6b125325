// Integer reading of settings values: never crashes, and agrees with a plain reference reading.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings/IniFile.h"

namespace {

bool AllOf(std::string_view s, bool (*pred)(char)) {
  for (char c : s)
    if (!pred(c)) return false;
  return true;
}
bool IsDec(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDec(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view DropLeading(std::string_view s, char c) {
  while (!s.empty() && s.front() == c) s.remove_prefix(1);
  return s;
}

std::optional<int32_t> Reference(std::string_view text) {
  text = DropLeading(text, ' ');
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (!digits.empty() && AllOf(digits, IsDec)) {
    std::string_view significant = DropLeading(digits, '0');
    if (significant.size() > 10) return std::nullopt;
    long long value = significant.empty() ? 0 : std::stoll(std::string(significant));
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
  }
  std::string_view hex;
  if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")
    hex = text.substr(2);
  else if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X'))
    hex = text.substr(1);
  else
    return std::nullopt;
  if (hex.empty() || !AllOf(hex, IsHex)) return std::nullopt;
  std::string_view significant = DropLeading(hex, '0');
  if (significant.size() > 8) return std::nullopt;
  unsigned long pattern = significant.empty() ? 0 : std::stoul(std::string(significant), nullptr, 16);
  return static_cast<int32_t>(static_cast<int64_t>(pattern) - (pattern > INT32_MAX ? (int64_t{1} << 32) : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<int32_t> got = parlo::ParseProfileInteger(text);
  if (got != Reference(text)) std::abort();
  // What the settings file writes for a number reads back as that number.
  if (got && parlo::ParseProfileInteger(std::to_string(*got)) != got) std::abort();
  return 0;
}
