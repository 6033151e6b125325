#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/import/MacroImport.h"
#include "tests/unit/text/Latin1CodePage.h"
#include "tests/unit/text/OtherCodePages.h"

namespace parlo {
namespace {

using namespace std::string_literals;
using Rows = std::vector<std::pair<Bytes, Bytes>>;

struct Sample {
  const char* what;
  std::string fileName;
  std::string file;
  Rows rows;
  int unwritable = 0;
  enum class Page { kLatin1, k1251, k932 } page = Page::kLatin1;  // the system's code page
};

constexpr Sample::Page k1251 = Sample::Page::k1251;
constexpr Sample::Page k932 = Sample::Page::k932;

// The rows as an empty book takes them, each macro's numbered.
Rows RowsOf(const MacroImport& read) {
  std::vector<ImportedLine> lines = read.lines;
  NumberMacroLines(lines);
  Rows rows;
  for (const ImportedLine& line : lines) rows.emplace_back(line.label, line.text);
  return rows;
}

void ExpectRead(const std::vector<Sample>& samples) {
  for (const Sample& sample : samples) {
    Latin1CodePage latin1;
    Cp1251CodePage cyrillic;
    Cp932CodePage japanese;
    AnsiCodePage& codePage = sample.page == k1251  ? static_cast<AnsiCodePage&>(cyrillic)
                             : sample.page == k932 ? static_cast<AnsiCodePage&>(japanese)
                                                   : latin1;
    const MacroImport read = ReadMacroLines(sample.file, sample.fileName, codePage,
                                            sample.page == k932 ? Cp932CodePage::Leads() : LeadBytes());
    EXPECT_TRUE(read.recognised) << sample.what;
    EXPECT_EQ(RowsOf(read), sample.rows) << sample.what;
    EXPECT_EQ(read.unwritable, sample.unwritable) << sample.what;
  }
}

void ExpectUnrecognised(const std::vector<std::pair<std::string, std::string>>& files) {
  for (const auto& [fileName, file] : files) {
    Latin1CodePage latin1;
    const MacroImport read = ReadMacroLines(file, fileName, latin1, LeadBytes());
    EXPECT_FALSE(read.recognised) << fileName << ": " << file;
    EXPECT_TRUE(read.lines.empty()) << fileName << ": " << file;
  }
}

std::string Utf16Le(std::u16string_view text) {
  std::string out;
  for (const char16_t u : text) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

std::string Utf16Be(std::u16string_view text) {
  std::string out;
  for (const char16_t u : text) {
    out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  }
  return out;
}

// ClassicUO and TazUO: <macros><macro name=..><actions><action code= text=/>, Say to Yell as 1 to 4.
TEST(MacroImport, ModernClientMacrosXml) {
  const std::string greet =
      "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\"?>\r\n<macros>\r\n"
      "\t<macro name=\"Greet\" key=\"103\" alt=\"False\" ctrl=\"True\" shift=\"False\">\r\n\t\t<actions>\r\n"
      "\t\t\t<action code=\"1\" subcode=\"0\" submenutype=\"2\" text=\"Hail, friend\" />\r\n"
      "\t\t\t<action code=\"8\" subcode=\"10\" submenutype=\"1\" />\r\n"
      "\t\t\t<action code=\"28\" subcode=\"0\" submenutype=\"2\" text=\"500\" />\r\n"
      "\t\t\t<action code=\"2\" subcode=\"0\" submenutype=\"2\" text=\"waves\" />\r\n"
      "\t\t\t<action code=\"3\" subcode=\"0\" submenutype=\"2\" text=\"psst\" />\r\n"
      "\t\t\t<action code=\"4\" subcode=\"0\" submenutype=\"2\" text=\"Guards!\" />\r\n"
      "\t\t</actions>\r\n\t</macro>\r\n"
      "\t<macro name=\"Shop\" key=\"0\"><actions>"
      "<action code=\"1\" submenutype=\"2\" text=\"Fish &amp; chips &lt;3 &quot;caf&#233;&quot; &#x41;\" />"
      "<action code=\"1\" text=\"\" /><action code=\"1\" text=\"  \" /></actions></macro>\r\n"
      "</macros>";
  ExpectRead({
      {"each kind, other actions passed over",
       "macros.xml",
       greet,
       {{"Greet", "Hail, friend"},
        {"Greet 2", ": waves"},
        {"Greet 3", "; psst"},
        {"Greet 4", "! Guards!"},
        {"Shop", "Fish & chips <3 \"caf\xE9\" A"}}},
      {"a loop's actions, an empty name, a character the code page lacks",
       "macros.xml",
       "<macros><macro name=\"Loop\"><actions><loop loopcount=\"3\"><action code=\"1\" text=\"again\"/>"
       "<action code=\"4\" text=\"price &#x20AC;5\"/></loop><action code=\"2\" "
       "text='bows'/></actions></macro>"
       "<macro name=\"\"><actions><action code=\"1\" text=\"nameless\"/></actions></macro></macros>",
       {{"Loop", "again"}, {"Loop 2", ": bows"}, {"macros", "nameless"}},
       1},
      {"UTF-8 with its mark, attributes in any order",
       "macros.xml",
       "\xEF\xBB\xBF<macros><macro name=\"Caf\xC3\xA9\"><actions><action text=\"na\xC3\xAFve\" code=\"1\"/>"
       "</actions></macro></macros>",
       {{"Caf\xE9", "na\xEFve"}}},
      {"UTF-16 with its mark",
       "macros.xml",
       "\xFF\xFE" + Utf16Le(u"<macros><macro name=\"M\"><actions><action code=\"3\" text=\"\u00E9\"/>"
                            u"</actions></macro></macros>"),
       {{"M", "; \xE9"}}},
      {"no macros at all", "macros.xml", "<macros />", {}},
      {"an entity in a macro's name",
       "macros.xml",
       "<macros><macro name=\"Fish &amp; Chips\"><actions><action code=\"1\" text=\"hi\"/></actions></macro>"
       "</macros>",
       {{"Fish & Chips", "hi"}}},
      {"entities through a code page without \xE9: the file's byte 0xE9 stays",
       "macros.xml",
       "<macros><macro name=\"\xE9\"><actions><action code=\"1\" text=\"caf&#233;\"/>"
       "<action code=\"1\" text=\"&#x436; \xE9\"/></actions></macro></macros>",
       {{"\xE9", "\xE6 \xE9"}},
       1,
       k1251},
      {"entities into two bytes, the second a backslash",
       "macros.xml",
       "<macros><macro name=\"&#x30BD;\"><actions><action code=\"1\" text=\"&#x3042;&#12477;\"/>"
       "<action code=\"1\" text=\"&#233;\"/></actions></macro></macros>",
       {{"\x83\x5C", "\x82\xA0\x83\x5C"}},
       1,
       k932},
  });
  ExpectUnrecognised({{"macros.xml", "<config><macro name=\"a\"/></config>"},
                      {"macros.xml", "<macros><macro name=\"a\"><actions><action code=\"1\" text=\"cut"},
                      {"macros.xml", "<macros><macro name=\"a\"></macro>"},
                      {"macros.xml", "junk <macros></macros>"}});
}

// The classic client: a key line (key, then Ctrl, Alt and Shift), one action a line, '#' ends the
// macro; a line opened by '+' holds UTF-16.
TEST(MacroImport, ClassicClientMacrosTxt) {
  ExpectRead({
      {"each kind, named by its keys",
       "macros.txt",
       "F1 0 0 0\r\nSay Hail  there\r\nOpen Paperdoll\r\nEmote waves\r\n#####\r\n"
       "A 1 0 1\r\nYell Guards\r\nWhisper psst\r\nsay\r\n#####\r\nNUM 0 0 1 0\r\nSay numpad\r\n#####\r\n",
       {{"F1", "Hail  there"},
        {"F1 2", ": waves"},
        {"Ctrl+Shift+A", "! Guards"},
        {"Ctrl+Shift+A 2", "; psst"},
        {"Alt+NUM 0", "numpad"}}},
      {"a UTF-16 line",
       "macros.txt",
       "F2 0 0 0\r\n+" + Utf16Le(u"Say caf\u00E9 \u010D") + "\r\n+" + Utf16Le(u"Emote \u00E9\r\n") +
           "#####\r\n",
       {{"F2", ": \xE9"}},
       1},
      {"UTF-16 lines through a code page without \xE9",
       "macros.txt",
       "F2 0 0 0\r\n+" + Utf16Le(u"Say \u0436") + "\r\n+" + Utf16Le(u"Say caf\u00E9") + "\r\n#####\r\n",
       {{"F2", "\xE6"}},
       1,
       k1251},
      {"a whole file in UTF-16",
       "macros.txt",
       "\xFF\xFE" + Utf16Le(u"F3 1 1 1\r\n+Say \u00E9\r\n#####\r\n"),
       {{"Ctrl+Alt+Shift+F3", "\xE9"}}},
  });
  ExpectUnrecognised({{"macros.txt", "just some notes\nabout macros\n"}, {"macros.txt", "F1 0 0 0\n"}});
}

// Razor: one action a line, its type and values joined by '|'; speech is type, hue, font,
// language, a count of keywords, the keywords, then the text.
TEST(MacroImport, RazorMacroFiles) {
  ExpectRead({
      {"each kind, keywords, a '|' in the text",
       "heal.macro",
       "!Loop\r\n"
       "Assistant.Macros.SpeechAction|0|52|3|ENU|0|Hail there\r\n"
       "Assistant.Macros.PauseAction|1000\r\n"
       "Assistant.Macros.SpeechAction|2|52|3|ENU|0|waves\r\n"
       "Assistant.Macros.SpeechAction|8|52|3|ENU|0|psst\r\n"
       "Assistant.Macros.SpeechAction|9|52|3|ENU|0|Guards\r\n"
       "Assistant.Macros.SpeechAction|192|52|3|ENU|2|16|1|vendor buy\r\n"
       "Assistant.Macros.SpeechAction|13|52|3|ENU|0|guild news\r\n"
       "Assistant.Macros.SpeechAction|206|52|3|ENU|0|allies\r\n"
       "Assistant.Macros.SpeechAction|6|52|3|ENU|0|a label\r\n"
       "// Assistant.Macros.SpeechAction|0|52|3|ENU|0|a comment\r\n"
       "Assistant.Macros.SpeechAction|0|52|3|ENU|0|either|or\r\n"
       "Assistant.Macros.SpeechAction|0|52|3|ENU|5|cut short\r\n",
       {{"heal", "Hail there"},
        {"heal 2", ": waves"},
        {"heal 3", "; psst"},
        {"heal 4", "! Guards"},
        {"heal 5", "vendor buy"},
        {"heal 6", "\\ guild news"},
        {"heal 7", "| allies"},
        {"heal 8", "either|or"}}},
      {"no speech in a named file", "walk.macro", "Assistant.Macros.WalkAction|2\r\n", {}},
  });
  ExpectUnrecognised({{"x.macro", "\0\1\2"s}, {"x.txt", "SpeechAction|0|52|3|ENU|0|hi\n"}});
}

// Razor's .razor, Razor Enhanced's .uos and TazUO's .lscript scripts: a command and its words on a
// line, statements parted by ';'. A word without quotes says itself unless the script names a
// variable, an alias or a list by it.
TEST(MacroImport, LineScripts) {
  ExpectRead({
      {"Razor's commands",
       "greet.razor",
       "// greeting\r\nsay 'Hello there'\r\n  msg \"Hi\"\r\nyell 'Stop!'\r\nwhisper 'psst'\r\nemote "
       "'waves'\r\n"
       "# say 'a comment'\r\noverhead 'not speech'\r\nsay 'open to the end\r\nSAY 'upper'\r\n"
       "guild 'HAMSTRUNG TARGET !! DROP NOW !!'\r\n@alliance! 'allies' 33\r\npartymsg 'not Razor'\r\n",
       {{"greet", "Hello there"},
        {"greet 2", "Hi"},
        {"greet 3", "! Stop!"},
        {"greet 4", "; psst"},
        {"greet 5", ": waves"},
        {"greet 6", "open to the end"},
        {"greet 7", "upper"},
        {"greet 8", "\\ HAMSTRUNG TARGET !! DROP NOW !!"},
        {"greet 9", "| allies"}}},
      {"Razor's words without quotes",
       "bank.razor",
       "say bank\nyell [ShieldsStance2\nsay two words\nsay it's\nsetvar 'pet'\nsay pet\ngetlabel backpack "
       "found\nwhisper found\nforeach x in loot\nemote x\nsay loot[0]\nsay 'a'; yell 'b' ;say c\n",
       {{"bank", "bank"},
        {"bank 2", "! [ShieldsStance2"},
        {"bank 3", "two"},
        {"bank 4", "it's"},
        {"bank 5", "a"},
        {"bank 6", "! b"},
        {"bank 7", "c"}}},
      {"Razor Enhanced's commands",
       "shop.uos",
       "msg 'hail' 33\nyellmsg 'guards'\nwhispermsg \"hush\"\nemotemsg 'bows'\nheadmsg 'over'\n"
       "partymsg 'stunned'\nguildmsg 'guild up'\nallymsg 'ally up'\nchatmsg 'chat'\nguild 'not steam'\n",
       {{"shop", "hail"},
        {"shop 2", "! guards"},
        {"shop 3", "; hush"},
        {"shop 4", ": bows"},
        {"shop 5", "/ stunned"},
        {"shop 6", "\\ guild up"},
        {"shop 7", "| ally up"},
        {"shop 8", "chat"}}},
      {"Razor Enhanced's words and arguments",
       "bank.uos",
       "msg bank\nmsg two words\nmsg 'red' 0x21\nmsg hi # a comment\nmsg 'quoted # kept'\n"
       "partymsg 'to one' 0x1234\nguildmsg 'hued' 33\nsetalias 'pet' self\nmsg pet\n"
       "for 0 to 'loot'\nyellmsg loot\n",
       {{"bank", "bank"}, {"bank 2", "red"}, {"bank 3", "hi"}, {"bank 4", "quoted # kept"}}},
      {"TazUO's commands",
       "tell.lscript",
       "msg hello there friend\nmsg 'quoted' words\npartymsg 'party'\nguildmsg guild\nallymsg 'ally'\n"
       "whispermsg 'w' 33\nyellmsg 'y'\nemotemsg e\nsay 'not TazUO'\ncreatelist 'foes'\nmsg foes\n",
       {{"tell", "hello there friend"},
        {"tell 2", "quoted words"},
        {"tell 3", "/ party"},
        {"tell 4", "\\ guild"},
        {"tell 5", "| ally"},
        {"tell 6", "; w"},
        {"tell 7", "! y"},
        {"tell 8", ": e"}}},
      {"no speech in a named script", "loot.razor", "dclick 'backpack'\n", {}},
      {"a UTF-8 file that ends in a character of two bytes",
       "u.razor",
       "say caf\xC3\xA9",
       {{"u", "caf\xE9"}}},
      {"double-byte characters whose second byte is a backslash",
       "j.razor",
       "say \x83\x5C\r\nguild '\x82\xA0\x83\x5C'\r\n",
       {{"j", "\x83\x5C"}, {"j 2", "\\ \x82\xA0\x83\x5C"}},
       0,
       k932},
  });
}

// ClassicAssist's Msg family and Razor Enhanced's Player.Chat family, literal texts only.
TEST(MacroImport, PythonMacrosAndScripts) {
  ExpectRead({
      {"ClassicAssist",
       "greet.py",
       "from ClassicAssist.Data.Macros.Commands.MainCommands import *\n"
       "Msg(\"Hello\")\nYellMsg('Guards!')\nWhisperMsg(\"psst\", 33)\nEmoteMsg(message = 'waves')\n"
       "Msg(f\"hp {x}\")\nMsg(\"a\" + name)\nMsg(name)\nMsg(\"%d hp\" % hp)\n# Msg(\"commented\")\n"
       "x = \"Msg('in a string')\"\nself.Msg(\"method\")\ndef Msg(text):\n  pass\n"
       "Msg(\"\"\"triple \"quoted\" \"\"\")\nMsg('joined ' \"parts\")\nMsg(\n  'on two lines',\n  33)\n"
       "PartyMsg(\"party\")\nGuildMsg('guild')\nAllyMsg(message='ally')\n",
       {{"greet", "Hello"},
        {"greet 2", "! Guards!"},
        {"greet 3", "; psst"},
        {"greet 4", ": waves"},
        {"greet 5", "triple \"quoted\""},
        {"greet 6", "joined parts"},
        {"greet 7", "on two lines"},
        {"greet 8", "/ party"},
        {"greet 9", "\\ guild"},
        {"greet 10", "| ally"}}},
      {"escapes",
       "escapes.py",
       "Msg(\"tab\\there \\\"q\\\" caf\\xe9 \\u00e9\\\\\")\nMsg(r\"C:\\new\")\nMsg('\\N{BULLET} named')\n"
       "Msg(b'bytes')\nMsg('\\u20ac')\nMsg(\"back\\\nslash\")\n",
       {{"escapes", "tab here \"q\" caf\xE9 \xE9\\"}, {"escapes 2", "C:\\new"}, {"escapes 3", "backslash"}},
       1},
      {"escapes through a code page without \xE9: the file's byte 0xE9 stays",
       "escapes.py",
       "Msg('caf\\xe9')\nMsg('\\u0436 \xE9 \\u20ac')\nMsg('\\N{BULLET}')\nMsg('\\351')\n",
       {{"escapes", "\xE6 \xE9 \x88"}},
       2,
       k1251},
      {"escapes into two bytes, the second a backslash",
       "escapes.py",
       "Msg('\\u30bd\\u3042')\nMsg('\\u00e9')\nMsg('\x83\x5C')\nMsg(\"\x82\xA0\x83\x5C\")\n",
       {{"escapes", "\x83\x5C\x82\xA0"}, {"escapes 2", "\x83\x5C"}, {"escapes 3", "\x82\xA0\x83\x5C"}},
       1,
       k932},
      {"Razor Enhanced",
       "vendor.py",
       "Player.ChatSay(33, \"Vendor buy\")\nPlayer.ChatSay(\"hi\")\nPlayer.ChatEmote(70, 'dances')\n"
       "Player.ChatYell(1, \"Run\")\nPlayer.ChatWhisper(1, \"shh\")\nMisc.ChatSay(\"not the player\")\n"
       "ChatSay(\"bare\")\nPlayer.ChatSay(33, text)\nPlayer.ChatSay(hue, msg=\"keyword\")\n"
       "Player.ChatParty('party')\nPlayer.ChatParty('to one', 0x1234)\nPlayer.ChatParty('one', "
       "recepient_serial=s)\nPlayer.ChatParty(msg='named')\nPlayer.ChatGuild('guild')\n"
       "Player.ChatAlliance(\"ally\")\nPlayer.PartyMsg('not Razor Enhanced')\n",
       {{"vendor", "Vendor buy"},
        {"vendor 2", "hi"},
        {"vendor 3", ": dances"},
        {"vendor 4", "! Run"},
        {"vendor 5", "; shh"},
        {"vendor 6", "keyword"},
        {"vendor 7", "/ party"},
        {"vendor 8", "/ named"},
        {"vendor 9", "\\ guild"},
        {"vendor 10", "| ally"}}},
      {"TazUO",
       "tell.py",
       "import API\nAPI.Msg(\"Hello friend!\")\nAPI.YellMsg('y')\nAPI.WhisperMsg('w')\nAPI.EmoteMsg('e')\n"
       "API.PartyMsg('p')\nAPI.GuildMsg(message='g')\nAPI.AllyMsg('a')\nAPI.Msg(name)\nAPI.SysMsg('own')\n"
       "API.HeadMsg('over', API.Player)\nAPI.ChatSay('not TazUO')\n",
       {{"tell", "Hello friend!"},
        {"tell 2", "! y"},
        {"tell 3", "; w"},
        {"tell 4", ": e"},
        {"tell 5", "/ p"},
        {"tell 6", "\\ g"},
        {"tell 7", "| a"}}},
      {"no speech in a named script", "loot.py", "Items.UseItem(0x4001)\n", {}},
      {"no speech, but Python", "walk.txt", "from RazorEnhanced import *\nPlayer.Walk('North')\n", {}},
      {"a call left open ends the scan", "open.py", "Msg('first')\nMsg('second'", {{"open", "first"}}},
  });
}

// ClassicAssist's profile keeps each macro as {"Name", "Macro": its Python}; Macros.json is an
// array of the same.
TEST(MacroImport, ClassicAssistProfiles) {
  ExpectRead({
      {"a profile",
       "Default.json",
       "{\"Macros\": {\"Groups\": [{\"Name\": \"G\"}], \"Macros\": [\r\n"
       "{\"Id\": \"1\", \"Name\": \"Greet\", \"Loop\": false, \"Macro\": "
       "\"Msg(\\\"Hail\\\")\\r\\nEmoteMsg('bows')\","
       " \"Keys\": {\"Keys\": 0}},\r\n"
       "{\"Name\": \"Shout\", \"Macro\": \"YellMsg('Help \\u00e9 "
       "\\ud83d\\ude00')\\nYellMsg(\\\"Now\\\")\"},\r\n"
       "{\"Name\": \"\", \"Macro\": \"Msg('nameless')\"}], \"Alias\": []}}",
       {{"Greet", "Hail"}, {"Greet 2", ": bows"}, {"Shout", "! Now"}, {"Default", "nameless"}},
       1},
      {"global macros", "Macros.json", "[{\"Name\": \"G\", \"Macro\": \"WhisperMsg('x')\"}]", {{"G", "; x"}}},
      {"a profile without macros", "Empty.json", "{\"Macros\": {\"Macros\": []}}", {}},
      {"a profile in the system code page, escapes in its texts",
       "Default.json",
       "{\"Macros\": {\"Macros\": [{\"Name\": \"\x82\xA0\\u3042\", \"Macro\": "
       "\"Msg('\\u30bd')\\r\\nPartyMsg('\x82\xA0 "
       "\\u00e9')\\nGuildMsg('\\u3042')\"}]}}",
       {{"\x82\xA0\x82\xA0", "\x83\x5C"}, {"\x82\xA0\x82\xA0 2", "\\ \x82\xA0"}},
       1,
       k932},
  });
  ExpectUnrecognised({{"p.json", "{\"Macros\": {\"Macros\": [{\"Name\": \"a\", \"Macro\": \"Msg('x')\"}"},
                      {"p.json", "{\"Other\": 1}"},
                      {"p.json", "{\"Name\": \"a\", \"Macro\": \"Msg('\\q')\"}"},
                      {"p.json", std::string(200, '[') + std::string(200, ']')}});
}

// The content decides the format and the encoding; the name only helps.
TEST(MacroImport, FormatAndEncodingComeFromTheContent) {
  ExpectRead({
      {"a client's macros under another name",
       "export.txt",
       "<macros><macro name=\"M\"><actions><action code=\"1\" text=\"xml\"/></actions></macro></macros>",
       {{"M", "xml"}}},
      {"a Razor script named like Python", "script.py", "say 'steam'\n", {{"script", "steam"}}},
      {"a profile without its extension",
       "profile",
       "[{\"Name\": \"P\", \"Macro\": \"Msg('json')\"}]",
       {{"P", "json"}}},
      {"UTF-8 without a mark", "u.razor", "say 'caf\xC3\xA9'\nsay '\xE2\x82\xAC'\n", {{"u", "caf\xE9"}}, 1},
      {"the system code page", "a.razor", "say 'caf\xE9'\nsay '\x80'\n", {{"a", "caf\xE9"}, {"a 2", "\x80"}}},
      {"an escape the system code page cannot hold",
       "a.py",
       "Msg('\\u20ac \xE9')\nMsg('\\u00e9 \xE9')\n",
       {{"a", "\xE9 \xE9"}},
       1},
      {"UTF-16 big-endian", "b.uos", "\xFE\xFF" + Utf16Be(u"msg '\u00E9'\n"), {{"b", "\xE9"}}},
      {"a script renamed, saying nothing",
       "loot.txt",
       "@useobject backpack\r\nwhile true\r\npause 500\r\n",
       {}},
      {"a name that would make a comment or a separator",
       "macros.xml",
       "<macros><macro name=\"'note\"><actions><action code=\"1\" text=\"a\"/></actions></macro>"
       "<macro name=\"-----\"><actions><action code=\"1\" text=\"b\"/></actions></macro></macros>",
       {{"note", "a"}, {"macros", "b"}}},
  });
  ExpectUnrecognised({{"notes.txt", "Remember to import reagents.\nfrom the bank\n"},
                      {"data.bin", "\x01\x02\x03"},
                      {"", ""}});
}

}  // namespace
}  // namespace parlo
