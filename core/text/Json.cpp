#include "core/text/Json.h"

#include <cstdint>

#include "core/text/TextCoding.h"

namespace parlo {

namespace {

class Walker {
 public:
  Walker(std::string_view text, const JsonObjectVisitor& visit, const JsonEscapeWriter& escape)
      : text_(text), visit_(visit), escape_(escape ? escape : JsonEscapeWriter(AppendUtf8)) {}

  bool Document() {
    SkipBlanks();
    if (!Value(0, nullptr)) return false;
    SkipBlanks();
    return pos_ == text_.size();
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

  // depth counts the containers around the value; out, when given, receives a member's value.
  bool Value(int depth, JsonValue* out) {
    JsonKind kind;
    switch (Peek()) {
      case '{':
        kind = JsonKind::kObject;
        if (!Container(depth, true)) return false;
        break;
      case '[':
        kind = JsonKind::kArray;
        if (!Container(depth, false)) return false;
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

  bool Container(int depth, bool object) {
    if (depth >= kMaxJsonDepth) return false;
    const char close = object ? '}' : ']';
    std::vector<JsonMember> members;
    ++pos_;  // the opening bracket
    SkipBlanks();
    if (!Take(close)) {
      for (;;) {
        JsonMember member;
        SkipBlanks();
        if (object) {
          if (!String(&member.name)) return false;
          SkipBlanks();
          if (!Take(':')) return false;
          SkipBlanks();
        }
        if (!Value(depth + 1, object ? &member.value : nullptr)) return false;
        if (object) members.push_back(std::move(member));
        SkipBlanks();
        if (Take(close)) break;
        if (!Take(',')) return false;
      }
    }
    if (object) visit_(members, depth);
    return true;
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
          if (out) escape_(*out, code);
          continue;
        }
        default:
          return false;
      }
      if (out) *out += plain;
    }
  }

  std::string_view text_;
  const JsonObjectVisitor& visit_;
  JsonEscapeWriter escape_;
  std::size_t pos_ = 0;
};

}  // namespace

bool WalkJson(std::string_view text, std::size_t maxBytes, const JsonObjectVisitor& visit,
              const JsonEscapeWriter& escape) {
  return text.size() <= maxBytes && Walker(text, visit, escape).Document();
}

std::optional<std::map<Bytes, JsonValue>> ReadJsonMembers(std::string_view text) {
  // The mark counts towards the limit.
  const std::size_t mark = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  std::optional<std::map<Bytes, JsonValue>> members;
  auto root = [&members](std::vector<JsonMember>& found, int depth) {
    if (depth > 0) return;
    members.emplace();
    for (JsonMember& member : found) (*members)[std::move(member.name)] = std::move(member.value);
  };
  if (!WalkJson(text.substr(mark), kMaxJsonBytes - mark, root)) return std::nullopt;
  return members;
}

}  // namespace parlo
