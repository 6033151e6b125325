#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <string_view>

#include "core/Bytes.h"

namespace parlo {

// Larger documents are refused unread: a client's settings are far smaller, and a line must never
// wait on a file that has grown out of shape.
constexpr std::size_t kMaxJsonBytes = 4u << 20;
// Deeper nesting is refused, so that no document can exhaust the stack.
constexpr int kMaxJsonDepth = 64;

enum class JsonKind { kNull, kFalse, kTrue, kNumber, kString, kArray, kObject };

// One member of the outermost object. Strings are decoded to UTF-8; other values keep no text.
struct JsonValue {
  JsonKind kind = JsonKind::kNull;
  Bytes text;
};

// The members of a document whose root is an object, by name; a name given twice keeps its last
// value, as the clients' own reader does. Nothing is returned for anything that is not strict
// JSON: comments, trailing commas, single quotes, bare words, control characters in strings,
// broken escapes or surrogates, content after the root, nesting beyond kMaxJsonDepth or more than
// kMaxJsonBytes. A UTF-8 byte-order mark at the start is skipped.
std::optional<std::map<Bytes, JsonValue>> ReadJsonMembers(std::string_view text);

}  // namespace parlo
