#include "core/import/ClientMacros.h"

#include <optional>

namespace parlo {

namespace {

// The action kinds both clients know by these names; macros.xml keeps them as numbers 1 to 4.
std::optional<SpeechKind> KindOfAction(std::string_view name) {
  name = TrimSpace(name);
  if (name == "1" || EqualsNoCase(name, "Say")) return SpeechKind::kSay;
  if (name == "2" || EqualsNoCase(name, "Emote")) return SpeechKind::kEmote;
  if (name == "3" || EqualsNoCase(name, "Whisper")) return SpeechKind::kWhisper;
  if (name == "4" || EqualsNoCase(name, "Yell")) return SpeechKind::kYell;
  return std::nullopt;
}

// --- macros.xml ---------------------------------------------------------------------------------

struct XmlTag {
  std::string_view name;
  std::string_view attributes;
  bool end = false;
  bool selfClosing = false;
};

enum class XmlStep { kTag, kDone, kBroken };

bool IsXmlNameChar(char c) {
  return !IsSpace(c) && c != '/' && c != '>' && c != '=' && c != '<';
}

// The next tag after at, passing over text, comments, CDATA, declarations and instructions.
XmlStep NextTag(std::string_view text, size_t& at, XmlTag& tag) {
  while (true) {
    const size_t open = text.find('<', at);
    if (open == std::string_view::npos) return XmlStep::kDone;
    const std::string_view rest = text.substr(open);
    std::string_view closer;
    if (StartsWith(rest, "<!--"))
      closer = "-->";
    else if (StartsWith(rest, "<![CDATA["))
      closer = "]]>";
    else if (StartsWith(rest, "<?"))
      closer = "?>";
    else if (StartsWith(rest, "<!"))
      closer = ">";
    if (!closer.empty()) {
      const size_t close = text.find(closer, open + 2);
      if (close == std::string_view::npos) return XmlStep::kBroken;
      at = close + closer.size();
      continue;
    }
    size_t i = open + 1;
    tag = XmlTag{};
    if (i < text.size() && text[i] == '/') {
      tag.end = true;
      ++i;
    }
    const size_t nameStart = i;
    while (i < text.size() && IsXmlNameChar(text[i])) ++i;
    tag.name = text.substr(nameStart, i - nameStart);
    if (tag.name.empty()) return XmlStep::kBroken;
    const size_t attributesStart = i;
    // A '>' inside a quoted value does not close the tag.
    char quote = 0;
    while (i < text.size() && (quote || text[i] != '>')) {
      if (quote && text[i] == quote)
        quote = 0;
      else if (!quote && (text[i] == '"' || text[i] == '\''))
        quote = text[i];
      else if (!quote && text[i] == '<')
        return XmlStep::kBroken;
      ++i;
    }
    if (i >= text.size()) return XmlStep::kBroken;
    tag.attributes = text.substr(attributesStart, i - attributesStart);
    if (!tag.attributes.empty() && tag.attributes.back() == '/') {
      tag.selfClosing = true;
      tag.attributes.remove_suffix(1);
    }
    at = i + 1;
    return XmlStep::kTag;
  }
}

// The raw value of one attribute, still with its entities.
std::optional<std::string_view> Attribute(std::string_view attributes, std::string_view name) {
  size_t i = 0;
  const size_t n = attributes.size();
  while (true) {
    while (i < n && IsSpace(attributes[i])) ++i;
    const size_t nameStart = i;
    while (i < n && IsXmlNameChar(attributes[i])) ++i;
    const std::string_view found = attributes.substr(nameStart, i - nameStart);
    while (i < n && IsSpace(attributes[i])) ++i;
    if (found.empty() || i >= n || attributes[i] != '=') return std::nullopt;
    ++i;
    while (i < n && IsSpace(attributes[i])) ++i;
    if (i >= n || (attributes[i] != '"' && attributes[i] != '\'')) return std::nullopt;
    const char quote = attributes[i++];
    const size_t close = attributes.find(quote, i);
    if (close == std::string_view::npos) return std::nullopt;
    if (found == name) return attributes.substr(i, close - i);
    i = close + 1;
  }
}

bool ParseNumber(std::string_view digits, int base, char32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (const char c : digits) {
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    value = value * base + static_cast<char32_t>(d);
  }
  return true;
}

std::string DecodeEntities(std::string_view raw, const SourceText& source, AnsiCodePage& codePage) {
  TextBuilder out(source, codePage);
  while (!raw.empty()) {
    const size_t amp = raw.find('&');
    out.Raw(raw.substr(0, amp));
    if (amp == std::string_view::npos) break;
    raw.remove_prefix(amp);
    const size_t semi = raw.find(';');
    const std::string_view entity = raw.substr(1, semi == std::string_view::npos ? 0 : semi - 1);
    char32_t c = 0;
    bool known = true;
    if (entity == "lt")
      c = '<';
    else if (entity == "gt")
      c = '>';
    else if (entity == "amp")
      c = '&';
    else if (entity == "quot")
      c = '"';
    else if (entity == "apos")
      c = '\'';
    else if (StartsWith(entity, "#x") || StartsWith(entity, "#X"))
      known = ParseNumber(entity.substr(2), 16, c);
    else if (StartsWith(entity, "#"))
      known = ParseNumber(entity.substr(1), 10, c);
    else
      known = false;
    if (!known || semi == std::string_view::npos) {
      out.Raw('&');
      raw.remove_prefix(1);
      continue;
    }
    out.CodePoint(c);
    raw.remove_prefix(semi + 1);
  }
  return out.Take();
}

// --- macros.txt ---------------------------------------------------------------------------------

// A line of macros.txt. One that starts with '+' holds its text as UTF-16 (low byte first) inside
// the otherwise single-byte file, and ends with a CR or LF in either width.
bool NextClassicLine(std::string_view text, size_t& at, const SourceText& source, AnsiCodePage& codePage,
                     std::string& line) {
  if (at >= text.size()) return false;
  const bool wide = text[at] == '+' && at + 2 < text.size() && text[at + 2] == '\0';
  if (!wide) {
    std::string_view narrow;
    NextLine(text, at, narrow);
    line.assign(narrow.data(), narrow.size());
    return true;
  }
  TextBuilder out(source, codePage);
  size_t i = at + 1;
  char32_t pending = 0;  // a high surrogate waiting for its partner
  auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  for (; i + 1 < text.size(); i += 2) {
    const char low = text[i], high = text[i + 1];
    if (isBreak(low) && (high == '\0' || isBreak(high))) break;
    const char32_t unit = static_cast<unsigned char>(low) | (static_cast<unsigned char>(high) << 8);
    if (pending && unit >= 0xDC00 && unit < 0xE000) {
      out.CodePoint(0x10000 + ((pending - 0xD800) << 10) + (unit - 0xDC00));
      pending = 0;
      continue;
    }
    if (pending) out.CodePoint(0xFFFD);
    pending = 0;
    if (unit >= 0xD800 && unit < 0xDC00)
      pending = unit;
    else
      out.CodePoint(unit);
  }
  if (pending) out.CodePoint(0xFFFD);
  // Past the line's end: CR and LF, each as one byte or as one unit.
  while (i < text.size() && isBreak(text[i])) {
    ++i;
    if (i < text.size() && text[i] == '\0') ++i;
  }
  if (i + 1 == text.size()) ++i;  // an odd last byte
  at = i;
  line = out.Take();
  return true;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !IsSpace(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool IsNumber(std::string_view word) {
  if (word.empty() || word.size() > 9) return false;
  for (const char c : word)
    if (c < '0' || c > '9') return false;
  return true;
}

// The line that opens a macro: its key (one or two words) and the Ctrl, Alt and Shift flags.
std::optional<std::string> MacroKeyLabel(std::string_view line) {
  const std::vector<std::string_view> words = Words(line);
  const size_t n = words.size();
  if (n < 4 || n > 5) return std::nullopt;
  if (!IsNumber(words[n - 3]) || !IsNumber(words[n - 2]) || !IsNumber(words[n - 1])) return std::nullopt;
  std::string label;
  if (words[n - 3] != "0") label += "Ctrl+";
  if (words[n - 2] != "0") label += "Alt+";
  if (words[n - 1] != "0") label += "Shift+";
  label.append(words[0].data(), words[0].size());
  if (n == 5) {
    label += ' ';
    label.append(words[1].data(), words[1].size());
  }
  return label;
}

}  // namespace

bool ReadClientXml(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines) {
  const std::string_view text = source.bytes;
  size_t at = 0;
  // Nothing but space may stand before the first tag.
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size() || text[at] != '<') return false;
  XmlTag tag;
  if (NextTag(text, at, tag) != XmlStep::kTag || tag.end || tag.name != "macros") return false;
  if (tag.selfClosing) return true;
  int macro = 0;
  bool inMacro = false;
  std::string name;
  while (true) {
    const XmlStep step = NextTag(text, at, tag);
    if (step != XmlStep::kTag) return false;  // the root never closed
    if (tag.end) {
      if (tag.name == "macros") return true;
      if (tag.name == "macro") inMacro = false;
      continue;
    }
    if (tag.name == "macro") {
      ++macro;
      inMacro = !tag.selfClosing;
      const std::optional<std::string_view> raw = Attribute(tag.attributes, "name");
      name = raw ? DecodeEntities(*raw, source, codePage) : std::string();
      continue;
    }
    // TazUO keeps a loop's actions inside a <loop> of the macro: any depth counts.
    if (tag.name != "action" || !inMacro) continue;
    const std::optional<std::string_view> code = Attribute(tag.attributes, "code");
    const std::optional<std::string_view> said = Attribute(tag.attributes, "text");
    if (!code || !said) continue;
    const std::optional<SpeechKind> kind = KindOfAction(*code);
    if (!kind) continue;
    lines.push_back({name, macro, *kind, DecodeEntities(*said, source, codePage)});
  }
}

bool ReadClassicMacros(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines) {
  const std::string_view text = source.bytes;
  size_t at = 0;
  std::string line;
  int macro = 0;
  bool inMacro = false, sawHeader = false, sawEnd = false, sawSpeech = false;
  std::string label;
  while (NextClassicLine(text, at, source, codePage, line)) {
    std::string_view trimmed = TrimSpace(line);
    // A file that is UTF-16 as a whole keeps the '+' of its wide lines.
    if (!trimmed.empty() && trimmed.front() == '+') trimmed = TrimSpace(trimmed.substr(1));
    if (trimmed.empty()) continue;
    if (!inMacro) {
      std::optional<std::string> key = MacroKeyLabel(trimmed);
      // The file opens with a macro's key line; later stray lines are passed over.
      if (!key) {
        if (!sawHeader) return false;
        continue;
      }
      sawHeader = inMacro = true;
      label = std::move(*key);
      ++macro;
      continue;
    }
    if (trimmed.front() == '#') {
      inMacro = false;
      sawEnd = true;
      continue;
    }
    size_t split = 0;
    while (split < trimmed.size() && !IsSpace(trimmed[split])) ++split;
    // Only names count here, not the numbers of macros.xml.
    const std::optional<SpeechKind> kind = KindOfAction(trimmed.substr(0, split));
    if (!kind || IsNumber(trimmed.substr(0, split))) continue;
    lines.push_back({label, macro, *kind, std::string(TrimSpace(trimmed.substr(split)))});
    sawSpeech = true;
  }
  // A key line alone could open any text; a macro's end or one of its lines makes it ours.
  return sawHeader && (sawEnd || sawSpeech);
}

}  // namespace parlo
