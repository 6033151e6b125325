#pragma once
// The assistants' macros and scripts: Razor's .macro files and .razor scripts, ClassicAssist's
// profiles and Python macros, Razor Enhanced's Python and .uos scripts, TazUO's Python and .lscript
// scripts. Only texts that say themselves are taken, never a variable's value; nothing is run or
// evaluated.
#include <vector>

#include "core/import/MacroText.h"

namespace parlo {

// Each reader adds what it finds to lines and says whether the text is its format at all; when
// it is not, lines may hold a part and is to be dropped. named: the file's name says it is this
// format, so any text is taken. A whole file is one macro, whose lines have an empty label: the
// file's name stands for it.
bool ReadRazorMacro(const SourceText& source, bool named, std::vector<FoundLine>& lines);
// Which tool's commands a line script holds; kAny when the file's name does not say.
enum class ScriptDialect { kRazor, kSteam, kLegion, kAny };
bool ReadLineScript(const SourceText& source, ScriptDialect dialect, bool named,
                    std::vector<FoundLine>& lines);
bool ReadPythonScript(const SourceText& source, bool named, AnsiCodePage& codePage,
                      std::vector<FoundLine>& lines);
bool ReadAssistantJson(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines);

}  // namespace parlo
