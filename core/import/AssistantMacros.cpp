#include "core/import/AssistantMacros.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>

#include "core/text/Json.h"

namespace parlo {

namespace {

// The largest file an import reads, 16 MiB, grows by half when it is UTF-16 turned into UTF-8.
constexpr std::size_t kLargestAssistantJson = 24u << 20;

bool HoldsNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

// --- Razor's, Razor Enhanced's .uos and TazUO's .lscript line scripts ------------------------------

// Every command and keyword of the three tools, in byte order: a file whose every statement opens
// with one of them is a script even when it says nothing.
// clang-format off
constexpr std::string_view kScriptWords[] = {
    "addcooldown", "addfriend", "alliance", "allymsg", "attack", "autocolorpick", "autoloot",
    "autotargetobject", "bandageself", "bigheal", "break", "buy", "cancelautotarget", "cancelpathfind",
    "cancelprompt", "canceltarget", "cast", "chatmsg", "chivalryheal", "classicuo", "clearall",
    "clearbuy", "cleardragdrop", "clearhands", "clearignore", "clearignorelist", "clearjournal",
    "clearlist", "clearsell", "clearsysmsg", "cleartargetqueue", "clearusequeue", "clickobject",
    "clickscreen", "closegump", "contextmenu", "continue", "cooldown", "counter", "createlist",
    "createtimer", "cuo", "dclick", "dclicktype", "dress", "dressconfig", "drop", "droprelloc", "else",
    "elseif", "emote", "emotemsg", "endfor", "endif", "endwhile", "equipitem", "equipwand", "feed",
    "fly", "follow", "for", "foreach", "getenemy", "getfriend", "getlabel", "getproperties", "goto",
    "guild", "guildbutton", "guildmsg", "gumpclose", "gumpresponse", "headmsg", "helpbutton", "hotkey",
    "hotkeys", "if", "ignore", "ignoreobject", "info", "interrupt", "land", "lasttarget", "lift",
    "lifttype", "location", "logout", "logoutbutton", "loop", "mapuo", "menu", "menuresponse",
    "messagebox", "miniheal", "moveitem", "moveitemoffset", "movetype", "movetypeoffset", "msg",
    "music", "namespace", "org", "organize", "organizer", "overhead", "paperdoll", "partymsg",
    "pathfind", "pathfindto", "pause", "ping", "playmacro", "playsound", "poplist", "potion",
    "promptalias", "promptmsg", "promptresponse", "pushlist", "questsbutton", "random", "removefriend",
    "removelist", "removetimer", "rename", "replay", "replygump", "restock", "resync", "return", "run",
    "say", "scav", "scavenger", "script", "sell", "setability", "setalias", "setlasttarget",
    "setskill", "settimer", "setvar", "setvariable", "shownames", "skill", "snapshot", "sound", "stop",
    "sysmsg", "target", "targetground", "targetlandrel", "targetloc", "targetrelloc", "targetresource",
    "targettile", "targettileoffset", "targettilerel", "targettilerelative", "targettype", "timermsg",
    "toggleautoloot", "togglefly", "togglehands", "togglemounted", "togglescavenger", "togglescript",
    "turn", "undress", "unignore", "uniquejournal", "unsetalias", "unsetvar", "unsetvariable",
    "useobject", "useonce", "useprimaryability", "usesecondaryability", "useskill", "usetype",
    "virtue", "wait", "waitforcontents", "waitforcontext", "waitforgump", "waitforjournal",
    "waitformenu", "waitforprompt", "waitforproperties", "waitforsysmsg", "waitfortarget", "walk",
    "warmode", "wfsysmsg", "wft", "where", "while", "whisper", "whispermsg", "yell", "yellmsg"
};
// clang-format on

bool IsScriptWord(std::string_view word) {
  if (word.size() > 32) return false;
  std::string lower(word);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return std::binary_search(std::begin(kScriptWords), std::end(kScriptWords), std::string_view(lower));
}

// How a command takes its text from its arguments.
enum class ScriptText {
  kFirst,       // the first argument; any after it (a colour) does not matter
  kWithColour,  // one argument, or two whose second is a number; more make the command fail
  kAlone,       // exactly one argument; a second one sends the text elsewhere or fails
  kJoined,      // every argument, joined by blanks
};

struct ScriptCommand {
  std::string_view name;
  SpeechKind kind;
  ScriptDialect dialect;
  ScriptText text;
};

// A command two tools share takes its first entry when the tool is not known.
constexpr ScriptCommand kScriptCommands[] = {
    {"say", SpeechKind::kSay, ScriptDialect::kRazor, ScriptText::kFirst},
    {"msg", SpeechKind::kSay, ScriptDialect::kRazor, ScriptText::kFirst},
    {"yell", SpeechKind::kYell, ScriptDialect::kRazor, ScriptText::kFirst},
    {"whisper", SpeechKind::kWhisper, ScriptDialect::kRazor, ScriptText::kFirst},
    {"emote", SpeechKind::kEmote, ScriptDialect::kRazor, ScriptText::kFirst},
    {"guild", SpeechKind::kGuild, ScriptDialect::kRazor, ScriptText::kFirst},
    {"alliance", SpeechKind::kAlliance, ScriptDialect::kRazor, ScriptText::kFirst},
    {"msg", SpeechKind::kSay, ScriptDialect::kSteam, ScriptText::kWithColour},
    {"chatmsg", SpeechKind::kSay, ScriptDialect::kSteam, ScriptText::kWithColour},
    {"yellmsg", SpeechKind::kYell, ScriptDialect::kSteam, ScriptText::kWithColour},
    {"whispermsg", SpeechKind::kWhisper, ScriptDialect::kSteam, ScriptText::kWithColour},
    {"emotemsg", SpeechKind::kEmote, ScriptDialect::kSteam, ScriptText::kWithColour},
    {"partymsg", SpeechKind::kParty, ScriptDialect::kSteam, ScriptText::kAlone},
    {"guildmsg", SpeechKind::kGuild, ScriptDialect::kSteam, ScriptText::kAlone},
    {"allymsg", SpeechKind::kAlliance, ScriptDialect::kSteam, ScriptText::kAlone},
    {"msg", SpeechKind::kSay, ScriptDialect::kLegion, ScriptText::kJoined},
    {"yellmsg", SpeechKind::kYell, ScriptDialect::kLegion, ScriptText::kFirst},
    {"whispermsg", SpeechKind::kWhisper, ScriptDialect::kLegion, ScriptText::kFirst},
    {"emotemsg", SpeechKind::kEmote, ScriptDialect::kLegion, ScriptText::kFirst},
    {"partymsg", SpeechKind::kParty, ScriptDialect::kLegion, ScriptText::kFirst},
    {"guildmsg", SpeechKind::kGuild, ScriptDialect::kLegion, ScriptText::kFirst},
    {"allymsg", SpeechKind::kAlliance, ScriptDialect::kLegion, ScriptText::kFirst},
};

const ScriptCommand* FindScriptCommand(std::string_view word, ScriptDialect dialect) {
  for (const ScriptCommand& command : kScriptCommands)
    if ((dialect == ScriptDialect::kAny || command.dialect == dialect) && EqualsNoCase(word, command.name))
      return &command;
  return nullptr;
}

struct ScriptToken {
  std::string_view text;
  bool quoted = false;
};

// A statement's words as the tools split them: blanks part them; a quote at a word's start runs to
// the same quote (or the end) and may hold blanks, and an empty quoted word is no word at all.
// Razor Enhanced also ends a statement at an unquoted "//" or "#".
std::vector<ScriptToken> ScriptTokens(std::string_view statement, bool inlineComments) {
  std::vector<ScriptToken> tokens;
  const size_t n = statement.size();
  auto commentAt = [&](size_t k) {
    return inlineComments && (statement[k] == '#' || statement.substr(k, 2) == "//");
  };
  size_t i = 0;
  while (i < n) {
    while (i < n && statement[i] == ' ') ++i;
    if (i >= n || commentAt(i)) break;
    const char c = statement[i];
    if (c == '\'' || c == '"') {
      const size_t close = statement.find(c, i + 1);
      const size_t end = close == std::string_view::npos ? n : close;
      if (end > i + 1) tokens.push_back({statement.substr(i + 1, end - i - 1), true});
      i = close == std::string_view::npos ? n : close + 1;
      continue;
    }
    const size_t start = i;
    while (i < n && statement[i] != ' ' && !commentAt(i)) ++i;
    tokens.push_back({statement.substr(start, i - start), false});
    if (i < n && commentAt(i)) break;
  }
  return tokens;
}

// Calls f with the words of each statement: the tools cut every line at each ';', quoted or not,
// and pass over a statement that opens with "//" or "#".
template <typename F>
void ForEachStatement(std::string_view text, bool inlineComments, F f) {
  size_t at = 0;
  std::string_view line;
  while (NextLine(text, at, line)) {
    while (true) {
      const size_t semicolon = line.find(';');
      const std::string_view statement = TrimSpace(line.substr(0, semicolon));
      if (!StartsWith(statement, "//") && !StartsWith(statement, "#")) {
        const std::vector<ScriptToken> tokens = ScriptTokens(statement, inlineComments);
        if (!tokens.empty()) f(tokens);
      }
      if (semicolon == std::string_view::npos) break;
      line.remove_prefix(semicolon + 1);
    }
  }
}

std::string_view CommandWord(std::string_view word) {
  if (!word.empty() && word.front() == '@') word.remove_prefix(1);
  if (!word.empty() && word.back() == '!') word.remove_suffix(1);
  return word;
}

// The names a script gives to variables, aliases and lists: a word that is one of them stands for
// its value, not for itself.
void CollectScriptNames(const std::vector<ScriptToken>& tokens, std::set<std::string_view>& names) {
  const std::string_view command = CommandWord(tokens[0].text);
  auto add = [&](size_t k) {
    if (k < tokens.size()) names.insert(tokens[k].text);
  };
  for (const std::string_view namer :
       {"setvar", "setvariable", "unsetvar", "unsetvariable", "setalias", "unsetalias", "promptalias",
        "createlist", "pushlist", "poplist", "clearlist", "removelist"}) {
    if (EqualsNoCase(command, namer)) add(1);
  }
  if (EqualsNoCase(command, "getlabel")) add(2);
  if (EqualsNoCase(command, "for") || EqualsNoCase(command, "foreach")) {
    add(1);
    add(3);
  }
  for (size_t k = 1; k + 1 < tokens.size(); ++k)
    if (!tokens[k].quoted && tokens[k].text == "as") add(k + 1);
}

bool IsScriptNumber(std::string_view word) {
  const bool hex = StartsWith(word, "0x");
  if (hex) word.remove_prefix(2);
  if (word.empty()) return false;
  for (const char c : word) {
    const bool digit = c >= '0' && c <= '9';
    const bool hexLetter = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!digit && !(hex && hexLetter)) return false;
  }
  return true;
}

// The text a speech command says, or nothing when its words are no literal text.
std::optional<std::string> ScriptSaid(const ScriptCommand& command, const std::vector<ScriptToken>& tokens,
                                      const std::set<std::string_view>& names) {
  const size_t arguments = tokens.size() - 1;
  if (arguments == 0) return std::nullopt;
  switch (command.text) {
    case ScriptText::kFirst:
    case ScriptText::kJoined:
      break;
    case ScriptText::kWithColour:
      if (arguments > 2 || (arguments == 2 && !IsScriptNumber(tokens[2].text))) return std::nullopt;
      break;
    case ScriptText::kAlone:
      if (arguments > 1) return std::nullopt;
      break;
  }
  const size_t last = command.text == ScriptText::kJoined ? arguments : 1;
  std::string said;
  for (size_t k = 1; k <= last; ++k) {
    const ScriptToken& token = tokens[k];
    if (!token.quoted) {
      // A variable's or a list element's name stands for a value the script has only when it runs.
      const std::string_view name = token.text.substr(0, token.text.find('['));
      if (names.count(name) > 0) return std::nullopt;
    }
    if (k > 1) said += ' ';
    said.append(token.text.data(), token.text.size());
  }
  return said;
}

// --- Python -------------------------------------------------------------------------------------

struct PythonCall {
  std::string_view name;
  SpeechKind kind;
  // ClassicAssist's calls stand alone, Razor Enhanced's go to Player, TazUO's to API.
  std::string_view receiver;
  std::string_view keyword;  // the message's parameter name
  bool messageLast;          // after Razor Enhanced's colour
  std::string_view toOne;    // a parameter that sends the message to one player alone
};

constexpr PythonCall kPythonCalls[] = {
    {"Msg", SpeechKind::kSay, "", "message", false, ""},
    {"EmoteMsg", SpeechKind::kEmote, "", "message", false, ""},
    {"WhisperMsg", SpeechKind::kWhisper, "", "message", false, ""},
    {"YellMsg", SpeechKind::kYell, "", "message", false, ""},
    {"PartyMsg", SpeechKind::kParty, "", "message", false, ""},
    {"GuildMsg", SpeechKind::kGuild, "", "message", false, ""},
    {"AllyMsg", SpeechKind::kAlliance, "", "message", false, ""},
    {"ChatSay", SpeechKind::kSay, "Player", "msg", true, ""},
    {"ChatEmote", SpeechKind::kEmote, "Player", "msg", true, ""},
    {"ChatWhisper", SpeechKind::kWhisper, "Player", "msg", true, ""},
    {"ChatYell", SpeechKind::kYell, "Player", "msg", true, ""},
    {"ChatGuild", SpeechKind::kGuild, "Player", "msg", false, ""},
    {"ChatAlliance", SpeechKind::kAlliance, "Player", "msg", false, ""},
    {"ChatParty", SpeechKind::kParty, "Player", "msg", false, "recepient_serial"},
    {"Msg", SpeechKind::kSay, "API", "message", false, ""},
    {"EmoteMsg", SpeechKind::kEmote, "API", "message", false, ""},
    {"WhisperMsg", SpeechKind::kWhisper, "API", "message", false, ""},
    {"YellMsg", SpeechKind::kYell, "API", "message", false, ""},
    {"PartyMsg", SpeechKind::kParty, "API", "message", false, ""},
    {"GuildMsg", SpeechKind::kGuild, "API", "message", false, ""},
    {"AllyMsg", SpeechKind::kAlliance, "API", "message", false, ""},
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
        const bool qualified = before == ".";
        const PythonCall* call = Find(word, qualified ? beforeThat : std::string_view());
        if (call && before != "def" && OpensCall()) {
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
  static const PythonCall* Find(std::string_view word, std::string_view receiver) {
    for (const PythonCall& call : kPythonCalls)
      if (call.name == word && call.receiver == receiver) return &call;
    return nullptr;
  }

  // ClassicAssist's and TazUO's message comes first, Razor Enhanced's after an optional colour; a
  // message to one party member alone is not the party's.
  static const PythonArg* Message(const PythonCall& call, const std::vector<PythonArg>& args) {
    const PythonArg* named = nullptr;
    std::vector<const PythonArg*> positional;
    for (const PythonArg& arg : args) {
      if (!call.toOne.empty() && arg.keyword == call.toOne) return nullptr;
      if (arg.keyword == call.keyword) named = &arg;
      if (arg.keyword.empty()) positional.push_back(&arg);
    }
    if (!call.toOne.empty() && positional.size() > (named ? 0u : 1u)) return nullptr;
    if (named) return named;
    if (positional.empty()) return nullptr;
    return call.messageLast ? positional.back() : positional.front();
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
      if (source_.DoubleByteAt(text_, i_)) {
        out.Raw(text_.substr(i_, 2));
        i_ += 2;
        continue;
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
      case 13:
        kind = SpeechKind::kGuild;
        break;
      case 14:
        kind = SpeechKind::kAlliance;
        break;
      default:
        break;  // labels, system and spell texts are no speech of the player's
    }
    if (!kind) continue;
    // A '|' typed into the speech split it; it is put back.
    const size_t offset = static_cast<size_t>(values[first].data() - line.data());
    lines.push_back({std::string(), 1, *kind, std::string(line.substr(offset))});
  }
  return sawAction || named;
}

bool ReadLineScript(const SourceText& source, ScriptDialect dialect, bool named,
                    std::vector<FoundLine>& lines) {
  const std::string_view text = source.bytes;
  if (HoldsNul(text)) return false;
  const bool inlineComments = dialect == ScriptDialect::kSteam;
  std::set<std::string_view> names;
  bool allScript = true, any = false;
  ForEachStatement(text, inlineComments, [&](const std::vector<ScriptToken>& tokens) {
    any = true;
    allScript = allScript && IsScriptWord(CommandWord(tokens[0].text));
    CollectScriptNames(tokens, names);
  });
  bool sawSpeech = false;
  ForEachStatement(text, inlineComments, [&](const std::vector<ScriptToken>& tokens) {
    if (tokens[0].quoted) return;
    const ScriptCommand* command = FindScriptCommand(CommandWord(tokens[0].text), dialect);
    if (!command) return;
    std::optional<std::string> said = ScriptSaid(*command, tokens, names);
    if (!said) return;
    lines.push_back({std::string(), 1, command->kind, std::move(*said)});
    sawSpeech = true;
  });
  return named || sawSpeech || (any && allScript);
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
