#include "core/import/AssistantMacros.h"

#include <optional>

#include "core/text/Json.h"

namespace parlo {

namespace {

// The largest file an import reads, 16 MiB, grows by half when it is UTF-16 turned into UTF-8.
constexpr std::size_t kLargestAssistantJson = 24u << 20;

bool HoldsNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

std::string_view Unquoted(std::string_view rest, bool& quoted) {
  quoted = !rest.empty() && (rest.front() == '\'' || rest.front() == '"');
  if (!quoted) return {};
  const char quote = rest.front();
  rest.remove_prefix(1);
  // Like the assistants themselves, a quote left open runs to the end of the line.
  return rest.substr(0, rest.find(quote));
}

// --- Razor and Razor Enhanced line scripts --------------------------------------------------------

std::optional<SpeechKind> KindOfCommand(std::string_view word) {
  if (!word.empty() && word.front() == '@') word.remove_prefix(1);
  if (!word.empty() && word.back() == '!') word.remove_suffix(1);
  // Razor's names, then those of Razor Enhanced's .uos scripts.
  if (EqualsNoCase(word, "say") || EqualsNoCase(word, "msg")) return SpeechKind::kSay;
  if (EqualsNoCase(word, "emote") || EqualsNoCase(word, "emotemsg")) return SpeechKind::kEmote;
  if (EqualsNoCase(word, "whisper") || EqualsNoCase(word, "whispermsg")) return SpeechKind::kWhisper;
  if (EqualsNoCase(word, "yell") || EqualsNoCase(word, "yellmsg")) return SpeechKind::kYell;
  return std::nullopt;
}

// --- Python -------------------------------------------------------------------------------------

struct PythonCall {
  std::string_view name;
  SpeechKind kind;
  bool onPlayer;             // Razor Enhanced's Player.ChatSay; otherwise ClassicAssist's bare Msg
  std::string_view keyword;  // the message's parameter name
};

constexpr PythonCall kPythonCalls[] = {
    {"Msg", SpeechKind::kSay, false, "message"},
    {"EmoteMsg", SpeechKind::kEmote, false, "message"},
    {"WhisperMsg", SpeechKind::kWhisper, false, "message"},
    {"YellMsg", SpeechKind::kYell, false, "message"},
    {"ChatSay", SpeechKind::kSay, true, "msg"},
    {"ChatEmote", SpeechKind::kEmote, true, "msg"},
    {"ChatWhisper", SpeechKind::kWhisper, true, "msg"},
    {"ChatYell", SpeechKind::kYell, true, "msg"},
};

struct PythonArg {
  std::string_view keyword;
  bool literal = false;
  std::string text;
};

class PythonScanner {
 public:
  PythonScanner(std::string_view text, const SourceText& source, AnsiCodePage& codePage)
      : text_(text), source_(source), codePage_(codePage) {}

  // Every call of kPythonCalls whose message is a literal, in order.
  void Scan(const std::string& label, int macro, std::vector<FoundLine>& lines, bool& sawPython) {
    std::string_view before, beforeThat;  // the last two tokens, for "Player" "." and "def"
    while (i_ < text_.size()) {
      const char c = text_[i_];
      if (IsSpace(c)) {
        ++i_;
      } else if (c == '#') {
        SkipComment();
      } else if (StringStarts()) {
        TextBuilder ignored(source_, codePage_);
        bool literal = true;
        ReadString(ignored, literal);
        beforeThat = before;
        before = "'";
      } else if (IsIdentifierChar(c)) {
        const size_t start = i_;
        while (i_ < text_.size() && IsIdentifierChar(text_[i_])) ++i_;
        const std::string_view word = text_.substr(start, i_ - start);
        const PythonCall* call = Find(word);
        const bool qualified = before == ".";
        const bool fits = call && (call->onPlayer ? qualified && beforeThat == "Player" : !qualified);
        if (fits && before != "def" && OpensCall()) {
          sawPython = true;
          std::vector<PythonArg> args;
          if (!ReadArguments(args)) return;
          const PythonArg* message = Message(*call, args);
          if (message && message->literal) lines.push_back({label, macro, call->kind, message->text});
          before = ")";
          beforeThat = word;
          continue;
        }
        beforeThat = before;
        before = word;
      } else {
        ++i_;
        beforeThat = before;
        before = text_.substr(i_ - 1, 1);
      }
    }
  }

 private:
  static const PythonCall* Find(std::string_view word) {
    for (const PythonCall& call : kPythonCalls)
      if (call.name == word) return &call;
    return nullptr;
  }

  // ClassicAssist's message comes first, Razor Enhanced's last (after an optional colour).
  static const PythonArg* Message(const PythonCall& call, const std::vector<PythonArg>& args) {
    const PythonArg* positional = nullptr;
    for (const PythonArg& arg : args) {
      if (arg.keyword == call.keyword) return &arg;
      if (!arg.keyword.empty()) continue;
      if (!positional || call.onPlayer) positional = &arg;
    }
    return positional;
  }

  void SkipComment() {
    while (i_ < text_.size() && text_[i_] != '\n' && text_[i_] != '\r') ++i_;
  }

  // Whether a string literal, with or without its prefix letters, starts at i_.
  bool StringStarts() const {
    size_t k = i_;
    while (k < text_.size() && k - i_ < 2 &&
           std::string_view("rRuUfFbB").find(text_[k]) != std::string_view::npos)
      ++k;
    if (k < text_.size() && (text_[k] == '\'' || text_[k] == '"')) {
      // The letters must stand alone, not end a longer name.
      return i_ == 0 || !IsIdentifierChar(text_[i_ - 1]);
    }
    return false;
  }

  bool OpensCall() {
    size_t k = i_;
    while (k < text_.size() && (text_[k] == ' ' || text_[k] == '\t')) ++k;
    if (k >= text_.size() || text_[k] != '(') return false;
    i_ = k + 1;
    return true;
  }

  // Reads the string literal at i_ into out; literal turns false for a formatted or bytes string,
  // a named character, or a string left open.
  void ReadString(TextBuilder& out, bool& literal) {
    bool raw = false;
    while (text_[i_] != '\'' && text_[i_] != '"') {
      const char p = text_[i_++];
      if (p == 'r' || p == 'R') raw = true;
      if (p == 'f' || p == 'F' || p == 'b' || p == 'B') literal = false;
    }
    const char quote = text_[i_];
    const bool triple = text_.substr(i_, 3) == std::string(3, quote);
    i_ += triple ? 3 : 1;
    while (true) {
      if (i_ >= text_.size()) {
        literal = false;
        return;
      }
      const char c = text_[i_];
      if (c == quote && (!triple || text_.substr(i_, 3) == std::string(3, quote))) {
        i_ += triple ? 3 : 1;
        return;
      }
      if (!triple && (c == '\n' || c == '\r')) {
        literal = false;
        return;
      }
      if (c != '\\') {
        out.Raw(c);
        ++i_;
        continue;
      }
      if (i_ + 1 >= text_.size()) {
        ++i_;
        continue;
      }
      if (raw) {
        out.Raw(text_.substr(i_, 2));
        i_ += 2;
        continue;
      }
      ReadEscape(out, literal);
    }
  }

  void ReadEscape(TextBuilder& out, bool& literal) {
    const char e = text_[i_ + 1];
    i_ += 2;
    switch (e) {
      case '\n':
        return;
      case '\r':
        if (i_ < text_.size() && text_[i_] == '\n') ++i_;
        return;
      case '\\':
      case '\'':
      case '"':
        out.Raw(e);
        return;
      case 'a':
        out.Raw('\a');
        return;
      case 'b':
        out.Raw('\b');
        return;
      case 'f':
        out.Raw('\f');
        return;
      case 'n':
        out.Raw('\n');
        return;
      case 'r':
        out.Raw('\r');
        return;
      case 't':
        out.Raw('\t');
        return;
      case 'v':
        out.Raw('\v');
        return;
      case 'x':
        return Hex(out, 2, e);
      case 'u':
        return Hex(out, 4, e);
      case 'U':
        return Hex(out, 8, e);
      case 'N': {
        literal = false;  // a character's name would need Unicode's table
        const size_t close = text_.find_first_of("}\n", i_);
        i_ = close == std::string_view::npos ? text_.size() : close + 1;
        return;
      }
      default:
        break;
    }
    if (e >= '0' && e <= '7') {
      char32_t value = static_cast<char32_t>(e - '0');
      for (int k = 0; k < 2 && i_ < text_.size() && text_[i_] >= '0' && text_[i_] <= '7'; ++k)
        value = value * 8 + static_cast<char32_t>(text_[i_++] - '0');
      out.CodePoint(value);
      return;
    }
    out.Raw('\\');
    out.Raw(e);
  }

  void Hex(TextBuilder& out, int digits, char letter) {
    char32_t value = 0;
    for (int k = 0; k < digits; ++k) {
      const char c = i_ + static_cast<size_t>(k) < text_.size() ? text_[i_ + k] : '\0';
      int d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else {
        // Not an escape after all (a syntax error to Python): keep it as it stands.
        out.Raw('\\');
        out.Raw(letter);
        return;
      }
      value = value * 16 + static_cast<char32_t>(d);
    }
    i_ += static_cast<size_t>(digits);
    out.CodePoint(value);
  }

  // The arguments up to the call's closing parenthesis; false when the input ends first.
  bool ReadArguments(std::vector<PythonArg>& args) {
    while (true) {
      PythonArg arg;
      TextBuilder text(source_, codePage_);
      bool literal = true, sawString = false, sawAnything = false;
      // A keyword argument: a name, then '=' but not '=='.
      size_t k = i_;
      while (k < text_.size() && IsSpace(text_[k])) ++k;
      const size_t nameStart = k;
      while (k < text_.size() && IsIdentifierChar(text_[k])) ++k;
      const size_t nameEnd = k;
      while (k < text_.size() && (text_[k] == ' ' || text_[k] == '\t')) ++k;
      if (nameEnd > nameStart && k + 1 < text_.size() && text_[k] == '=' && text_[k + 1] != '=') {
        arg.keyword = text_.substr(nameStart, nameEnd - nameStart);
        i_ = k + 1;
      }
      int depth = 0;
      while (true) {
        if (i_ >= text_.size()) return false;
        const char c = text_[i_];
        if (depth == 0 && (c == ',' || c == ')')) break;
        if (IsSpace(c) || c == '\\') {
          ++i_;
        } else if (c == '#') {
          SkipComment();
        } else if (StringStarts()) {
          if (depth > 0) {
            TextBuilder ignored(source_, codePage_);
            bool unused = true;
            ReadString(ignored, unused);
          } else {
            ReadString(text, literal);
            sawString = true;
          }
          sawAnything = true;
        } else {
          if (c == '(' || c == '[' || c == '{') ++depth;
          if ((c == ')' || c == ']' || c == '}') && depth > 0) --depth;
          literal = false;
          sawAnything = true;
          ++i_;
        }
      }
      arg.literal = literal && sawString;
      arg.text = text.Take();
      if (sawAnything || !arg.keyword.empty()) args.push_back(std::move(arg));
      if (text_[i_++] == ')') return true;
    }
  }

  std::string_view text_;
  const SourceText& source_;
  AnsiCodePage& codePage_;
  size_t i_ = 0;
};

}  // namespace

bool ReadRazorMacro(const SourceText& source, bool named, std::vector<FoundLine>& lines) {
  const std::string_view text = source.bytes;
  if (HoldsNul(text)) return false;
  bool sawAction = false;
  size_t at = 0;
  std::string_view line;
  while (NextLine(text, at, line)) {
    // Each action is its type's name and its values, joined by '|'.
    if (!StartsWith(line, "Assistant.Macros.")) continue;
    sawAction = true;
    std::vector<std::string_view> values;
    size_t start = 0;
    while (true) {
      const size_t bar = line.find('|', start);
      values.push_back(
          line.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
      if (bar == std::string_view::npos) break;
      start = bar + 1;
    }
    if (values[0] != "Assistant.Macros.SpeechAction" || values.size() < 7) continue;
    auto number = [](std::string_view digits, int& value) {
      digits = TrimSpace(digits);
      if (digits.empty() || digits.size() > 6) return false;
      value = 0;
      for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
      }
      return true;
    };
    int type = 0, keywords = 0;
    if (!number(values[1], type) || !number(values[5], keywords)) continue;
    const size_t first = 6 + static_cast<size_t>(keywords);
    if (first >= values.size()) continue;
    std::optional<SpeechKind> kind;
    switch (type & ~0xC0) {  // without the flag of keyword-encoded speech
      case 0:
        kind = SpeechKind::kSay;
        break;
      case 2:
        kind = SpeechKind::kEmote;
        break;
      case 8:
        kind = SpeechKind::kWhisper;
        break;
      case 9:
        kind = SpeechKind::kYell;
        break;
      default:
        break;  // guild and alliance chat have no form the game's chat line reads
    }
    if (!kind) continue;
    // A '|' typed into the speech split it; it is put back.
    const size_t offset = static_cast<size_t>(values[first].data() - line.data());
    lines.push_back({std::string(), 1, *kind, std::string(line.substr(offset))});
  }
  return sawAction || named;
}

bool ReadLineScript(const SourceText& source, bool named, std::vector<FoundLine>& lines) {
  const std::string_view text = source.bytes;
  if (HoldsNul(text)) return false;
  bool sawSpeech = false;
  size_t at = 0;
  std::string_view line;
  while (NextLine(text, at, line)) {
    line = TrimSpace(line);
    if (StartsWith(line, "//") || StartsWith(line, "#")) continue;
    size_t split = 0;
    while (split < line.size() && !IsSpace(line[split])) ++split;
    const std::optional<SpeechKind> kind = KindOfCommand(line.substr(0, split));
    if (!kind) continue;
    bool quoted = false;
    const std::string_view said = Unquoted(TrimSpace(line.substr(split)), quoted);
    // An unquoted word may name an alias or a variable: not a literal text.
    if (!quoted) continue;
    lines.push_back({std::string(), 1, *kind, std::string(said)});
    sawSpeech = true;
  }
  return named || sawSpeech;
}

bool ReadPythonScript(const SourceText& source, bool named, AnsiCodePage& codePage,
                      std::vector<FoundLine>& lines) {
  if (HoldsNul(source.bytes)) return false;
  bool sawPython = false;
  // Without a call to go by, a line that imports or defines tells Python from other text.
  size_t at = 0;
  std::string_view line;
  while (!sawPython && NextLine(source.bytes, at, line)) {
    line = TrimSpace(line);
    sawPython = StartsWith(line, "import ") || StartsWith(line, "def ") ||
                (StartsWith(line, "from ") && line.find(" import ") != std::string_view::npos);
  }
  PythonScanner(source.bytes, source, codePage).Scan(std::string(), 1, lines, sawPython);
  return named || sawPython;
}

// ClassicAssist keeps each macro as an object with its "Name" and its Python source as "Macro".
bool ReadAssistantJson(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines) {
  bool sawMacros = false;
  int macro = 0;
  auto visit = [&](std::vector<JsonMember>& members, int) {
    std::optional<std::string> name, python;
    for (JsonMember& member : members) {
      if (member.name == "Macros") sawMacros = true;
      if (member.value.kind != JsonKind::kString) continue;
      if (member.name == "Name") name = std::move(member.value.text);
      if (member.name == "Macro") python = std::move(member.value.text);
    }
    bool ignored = false;
    if (python) PythonScanner(*python, source, codePage).Scan(name.value_or(""), ++macro, lines, ignored);
  };
  // Escaped characters go into the source's own encoding, as the Python's do, so that one the code
  // page lacks leaves its line out.
  auto escape = [&](Bytes& out, char32_t c) {
    TextBuilder one(source, codePage);
    one.CodePoint(c);
    out += one.Take();
  };
  return WalkJson(source.bytes, kLargestAssistantJson, visit, escape) && (sawMacros || macro > 0);
}

}  // namespace parlo
