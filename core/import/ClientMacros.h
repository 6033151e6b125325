#pragma once
// The game clients' own macros: the macros.xml of ClassicUO and TazUO, and the classic client's
// macros.txt. Only the texts of Say, Emote, Whisper and Yell actions are taken.
#include <vector>

#include "core/import/MacroText.h"

namespace parlo {

// Each reader adds what it finds to lines and says whether the text is its format at all; when
// it is not, lines may hold a part and is to be dropped.
bool ReadClientXml(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines);
bool ReadClassicMacros(const SourceText& source, AnsiCodePage& codePage, std::vector<FoundLine>& lines);

}  // namespace parlo
