#include "core/import/MacroImport.h"

#include <initializer_list>
#include <string>

#include "core/import/AssistantMacros.h"
#include "core/import/ClientMacros.h"
#include "core/import/MacroText.h"

namespace parlo {

namespace {

enum class Format { kNone, kClientXml, kAssistantJson, kRazorMacro, kClassicMacros, kPython, kLineScript };

bool EndsWithNoCase(std::string_view name, std::string_view suffix) {
  return name.size() >= suffix.size() && EqualsNoCase(name.substr(name.size() - suffix.size()), suffix);
}

Format FormatOfName(std::string_view name) {
  if (EndsWithNoCase(name, ".xml")) return Format::kClientXml;
  if (EndsWithNoCase(name, ".json")) return Format::kAssistantJson;
  if (EndsWithNoCase(name, ".macro")) return Format::kRazorMacro;
  if (EndsWithNoCase(name, ".txt")) return Format::kClassicMacros;
  if (EndsWithNoCase(name, ".py")) return Format::kPython;
  if (EndsWithNoCase(name, ".razor") || EndsWithNoCase(name, ".uos") || EndsWithNoCase(name, ".lscript"))
    return Format::kLineScript;
  return Format::kNone;
}

ScriptDialect DialectOfName(std::string_view name) {
  if (EndsWithNoCase(name, ".razor")) return ScriptDialect::kRazor;
  if (EndsWithNoCase(name, ".uos")) return ScriptDialect::kSteam;
  if (EndsWithNoCase(name, ".lscript")) return ScriptDialect::kLegion;
  return ScriptDialect::kAny;
}

bool ReadAs(Format format, bool named, ScriptDialect dialect, const SourceText& source,
            AnsiCodePage& codePage, std::vector<FoundLine>& lines) {
  lines.clear();
  switch (format) {
    case Format::kClientXml:
      return ReadClientXml(source, codePage, lines);
    case Format::kAssistantJson:
      return ReadAssistantJson(source, codePage, lines);
    case Format::kRazorMacro:
      return ReadRazorMacro(source, named, lines);
    case Format::kClassicMacros:
      return ReadClassicMacros(source, codePage, lines);
    case Format::kPython:
      return ReadPythonScript(source, named, codePage, lines);
    case Format::kLineScript:
      return ReadLineScript(source, dialect, named, lines);
    case Format::kNone:
      break;
  }
  return false;
}

// The content decides; the name only says which format to try first, and lets a script that
// shows nothing of its kind (no speech yet) count as one.
bool ReadAnyFormat(const SourceText& source, std::string_view fileName, AnsiCodePage& codePage,
                   std::vector<FoundLine>& lines) {
  const Format byName = FormatOfName(fileName);
  const ScriptDialect dialect = DialectOfName(fileName);
  if (byName != Format::kNone && ReadAs(byName, false, dialect, source, codePage, lines)) return true;
  for (const Format format : {Format::kClientXml, Format::kAssistantJson, Format::kRazorMacro,
                              Format::kClassicMacros, Format::kPython, Format::kLineScript}) {
    if (format != byName && ReadAs(format, false, ScriptDialect::kAny, source, codePage, lines)) return true;
  }
  if (byName == Format::kRazorMacro || byName == Format::kPython || byName == Format::kLineScript)
    return ReadAs(byName, true, dialect, source, codePage, lines);
  lines.clear();
  return false;
}

// A book's cell holds no line break, tab or other control character.
std::string Cleaned(std::string_view text) {
  std::string out(TrimSpace(text));
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return std::string(TrimSpace(out));
}

// The text in the book's code page; false when a character has no place in it.
bool ToCodePage(const std::string& text, bool utf8, AnsiCodePage& codePage, Bytes& out) {
  if (!utf8) {
    out = text;
    return true;
  }
  return codePage.FromUtf16Exact(Utf16FromUtf8(text), out);
}

const char* PrefixOf(SpeechKind kind) {
  switch (kind) {
    case SpeechKind::kEmote:
      return ": ";
    case SpeechKind::kWhisper:
      return "; ";
    case SpeechKind::kYell:
      return "! ";
    // The channels' signs the game's chat line reads, each with its blank like the others.
    case SpeechKind::kParty:
      return "/ ";
    case SpeechKind::kGuild:
      return "\\ ";
    case SpeechKind::kAlliance:
      return "| ";
    case SpeechKind::kSay:
      break;
  }
  return "";
}

// A leading apostrophe would make the row a comment, five hyphens a separator.
Bytes AsLabel(Bytes label) {
  while (!label.empty() && (label.front() == '\'' || label.front() == ' ')) label.erase(0, 1);
  if (label == "-----") label.clear();
  return label;
}

Bytes LabelOf(const FoundLine& line, const SourceText& source, AnsiCodePage& codePage,
              std::string_view fileName) {
  Bytes label;
  ToCodePage(Cleaned(line.label), source.utf8, codePage, label);
  label = AsLabel(std::move(label));
  return label.empty() ? AsLabel(Cleaned(FileStem(fileName))) : label;
}

}  // namespace

MacroImport ReadMacroLines(std::string_view fileBytes, std::string_view fileName, AnsiCodePage& codePage,
                           const LeadBytes& leads) {
  MacroImport result;
  const SourceText source = DecodeSource(fileBytes, leads);
  std::vector<FoundLine> found;
  result.recognised = ReadAnyFormat(source, fileName, codePage, found);
  for (const FoundLine& line : found) {
    if (!source.utf8 && line.text.find(TextBuilder::kUnwritable) != std::string::npos) {
      ++result.unwritable;
      continue;
    }
    const std::string text = Cleaned(line.text);
    if (text.empty()) continue;
    Bytes converted;
    if (!ToCodePage(text, source.utf8, codePage, converted)) {
      ++result.unwritable;
      continue;
    }
    result.lines.push_back(
        {LabelOf(line, source, codePage, fileName), PrefixOf(line.kind) + converted, line.macro});
  }
  return result;
}

void NumberMacroLines(std::vector<ImportedLine>& lines) {
  int count = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool sameMacro = i > 0 && lines[i].macro != 0 && lines[i].macro == lines[i - 1].macro;
    count = sameMacro ? count + 1 : 1;
    if (count > 1) lines[i].label += " " + std::to_string(count);
  }
}

}  // namespace parlo
