#pragma once
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core/text/Bytes.h"

namespace parlo {

// Larger documents are refused unread: a client's settings are far smaller, and a line must never
// wait on a file that has grown out of shape.
constexpr std::size_t kMaxJsonBytes = 4u << 20;
// Deeper nesting is refused, so that no document can exhaust the stack.
constexpr int kMaxJsonDepth = 64;

enum class JsonKind { kNull, kFalse, kTrue, kNumber, kString, kArray, kObject };

// A member's value. Strings are decoded; other values keep no text.
struct JsonValue {
  JsonKind kind = JsonKind::kNull;
  Bytes text;
};

struct JsonMember {
  Bytes name;
  JsonValue value;
};

// Each object as it closes, so inner ones come first, with its members in the document's order;
// depth counts the containers around it (0: the root).
using JsonObjectVisitor = std::function<void(std::vector<JsonMember>& members, int depth)>;
// Writes the character a \u escape names into a decoded string; without one it is written as UTF-8.
// Other bytes of a string pass as they are, so a string is UTF-8 when the document is.
using JsonEscapeWriter = std::function<void(Bytes& out, char32_t c)>;

// Walks a document with a root of any kind and says whether it is strict JSON; the visitor may
// have seen part of one that is not. Not strict: comments, trailing commas, single quotes, bare
// words, control characters in strings, broken escapes or surrogates, content after the root,
// nesting beyond kMaxJsonDepth, more than maxBytes.
bool WalkJson(std::string_view text, std::size_t maxBytes, const JsonObjectVisitor& visit,
              const JsonEscapeWriter& escape = nullptr);

// The members of a document whose root is an object, by name; a name given twice keeps its last
// value, as the clients' own reader does. Nothing is returned for a document that is not strict
// JSON or has more than kMaxJsonBytes. A UTF-8 byte-order mark at the start is skipped.
std::optional<std::map<Bytes, JsonValue>> ReadJsonMembers(std::string_view text);

}  // namespace parlo
