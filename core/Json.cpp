#include "core/Json.h"

#include <cstdint>

#include "core/TextCoding.h"

namespace parlo {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<std::map<Bytes, JsonValue>> Document() {
    std::map<Bytes, JsonValue> members;
    SkipBlanks();
    if (!Take('{')) return std::nullopt;
    SkipBlanks();
    if (!Take('}')) {
      for (;;) {
        Bytes name;
        JsonValue value;
        SkipBlanks();
        if (!String(&name)) return std::nullopt;
        SkipBlanks();
        if (!Take(':')) return std::nullopt;
        SkipBlanks();
        if (!Value(1, &value)) return std::nullopt;
        members[std::move(name)] = std::move(value);
        SkipBlanks();
        if (Take('}')) break;
        if (!Take(',')) return std::nullopt;
      }
    }
    SkipBlanks();
    if (pos_ != text_.size()) return std::nullopt;
    return members;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool Take(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  bool TakeWord(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  void SkipBlanks() {
    while (!AtEnd() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
      ++pos_;
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

  // depth counts the containers around the value; out, when given, receives a top-level value.
  bool Value(int depth, JsonValue* out) {
    JsonKind kind;
    switch (Peek()) {
      case '{':
        kind = JsonKind::kObject;
        if (!Container(depth, '}', true)) return false;
        break;
      case '[':
        kind = JsonKind::kArray;
        if (!Container(depth, ']', false)) return false;
        break;
      case '"':
        kind = JsonKind::kString;
        if (!String(out ? &out->text : nullptr)) return false;
        break;
      case 't':
        kind = JsonKind::kTrue;
        if (!TakeWord("true")) return false;
        break;
      case 'f':
        kind = JsonKind::kFalse;
        if (!TakeWord("false")) return false;
        break;
      case 'n':
        kind = JsonKind::kNull;
        if (!TakeWord("null")) return false;
        break;
      default:
        kind = JsonKind::kNumber;
        if (!Number()) return false;
    }
    if (out) out->kind = kind;
    return true;
  }

  bool Container(int depth, char close, bool named) {
    if (depth >= kMaxJsonDepth) return false;
    ++pos_;  // the opening bracket
    SkipBlanks();
    if (Take(close)) return true;
    for (;;) {
      SkipBlanks();
      if (named) {
        if (!String(nullptr)) return false;
        SkipBlanks();
        if (!Take(':')) return false;
        SkipBlanks();
      }
      if (!Value(depth + 1, nullptr)) return false;
      SkipBlanks();
      if (Take(close)) return true;
      if (!Take(',')) return false;
    }
  }

  bool Number() {
    Take('-');
    if (Take('0')) {
    } else if (IsDigit(Peek())) {
      while (IsDigit(Peek())) ++pos_;
    } else {
      return false;
    }
    if (Take('.')) {
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++pos_;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (!Take('+')) Take('-');
      if (!IsDigit(Peek())) return false;
      while (IsDigit(Peek())) ++pos_;
    }
    return true;
  }

  bool Hex4(std::uint32_t& code) {
    if (text_.size() - pos_ < 4) return false;
    code = 0;
    for (int i = 0; i < 4; ++i) {
      char c = text_[pos_++];
      std::uint32_t digit;
      if (c >= '0' && c <= '9')
        digit = static_cast<std::uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        digit = static_cast<std::uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        digit = static_cast<std::uint32_t>(c - 'A' + 10);
      else
        return false;
      code = code * 16 + digit;
    }
    return true;
  }

  // Bytes above 0x7F pass as they are: the clients read their files leniently as UTF-8.
  bool String(Bytes* out) {
    if (!Take('"')) return false;
    for (;;) {
      if (AtEnd()) return false;
      char c = text_[pos_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        if (out) *out += c;
        continue;
      }
      if (AtEnd()) return false;
      char e = text_[pos_++];
      char plain;
      switch (e) {
        case '"':
          plain = '"';
          break;
        case '\\':
          plain = '\\';
          break;
        case '/':
          plain = '/';
          break;
        case 'b':
          plain = '\b';
          break;
        case 'f':
          plain = '\f';
          break;
        case 'n':
          plain = '\n';
          break;
        case 'r':
          plain = '\r';
          break;
        case 't':
          plain = '\t';
          break;
        case 'u': {
          std::uint32_t code;
          if (!Hex4(code)) return false;
          if (code >= 0xDC00 && code <= 0xDFFF) return false;
          if (code >= 0xD800 && code <= 0xDBFF) {
            std::uint32_t low;
            if (!TakeWord("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          if (out) AppendUtf8(*out, code);
          continue;
        }
        default:
          return false;
      }
      if (out) *out += plain;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::optional<std::map<Bytes, JsonValue>> ReadJsonMembers(std::string_view text) {
  if (text.size() > kMaxJsonBytes) return std::nullopt;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Reader(text).Document();
}

}  // namespace parlo
