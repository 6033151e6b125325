#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/game/ClientProfile.h"
#include "core/text/Json.h"
#include "core/files/MemoryFileStore.h"

namespace parlo {
namespace {

Bytes Nested(int depth) {
  return "{\"a\":" + Bytes(depth - 1, '[') + Bytes(depth - 1, ']') + "}";
}

TEST(JsonMembers, AcceptsStrictJsonOnly) {
  struct Case {
    Bytes text;
    bool accepted;
  };
  const Case cases[] = {
      {"{}", true},
      {" \r\n\t{ \"a\" : [1, -0.5e+3, {\"b\": [true, false, null]}, \"x\"] }\n", true},
      {"\xEF\xBB\xBF{\"a\":1}", true},
      {Nested(kMaxJsonDepth), true},
      {Nested(kMaxJsonDepth + 1), false},
      {"", false},
      {"[]", false},
      {"\"a\"", false},
      {"{\"a\":1,}", false},
      {"{\"a\":[1,]}", false},
      {"{a:1}", false},
      {"{'a':1}", false},
      {"{\"a\":1} x", false},
      {"{\"a\":1}{}", false},
      {"{\"a\":1 // note\n}", false},
      {"{\"a\":01}", false},
      {"{\"a\":1.}", false},
      {"{\"a\":.5}", false},
      {"{\"a\":1e}", false},
      {"{\"a\":+1}", false},
      {"{\"a\":-}", false},
      {"{\"a\":NaN}", false},
      {"{\"a\":tru}", false},
      {"{\"a\":truex}", false},
      {"{\"a\" 1}", false},
      {"{\"a\":1", false},
      {"{\"a\":\"open}", false},
      {"{\"a\":\"tab\there\"}", false},
      {"{\"a\":\"\\q\"}", false},
      {"{\"a\":\"\\u12\"}", false},
      {"{\"a\":\"\\ud800\"}", false},
      {"{\"a\":\"\\udc00\\ud800\"}", false},
      {"{\"a\":\"\\", false},
      {Bytes("{\"a\":\"\0\"}", 9), false},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadJsonMembers(c.text).has_value(), c.accepted) << c.text;

  Bytes large = "{\"a\":\"" + Bytes(kMaxJsonBytes, 'x') + "\"}";
  EXPECT_FALSE(ReadJsonMembers(large).has_value());
}

TEST(JsonMembers, GivesTopLevelKindsAndDecodedStrings) {
  auto members = ReadJsonMembers(
      "{\"s\":\"C:\\\\UO\\/x \\\"q\\\" \\u00e9\\ud83d\\ude00\\n\", \"t\":true, \"f\":false, \"n\":null,"
      " \"o\":{\"t\":true}, \"d\":1, \"d\":\"last\"}");
  ASSERT_TRUE(members);
  EXPECT_EQ(members->at("s").kind, JsonKind::kString);
  EXPECT_EQ(members->at("s").text, "C:\\UO/x \"q\" \xC3\xA9\xF0\x9F\x98\x80\n");
  EXPECT_EQ(members->at("t").kind, JsonKind::kTrue);
  EXPECT_EQ(members->at("f").kind, JsonKind::kFalse);
  EXPECT_EQ(members->at("n").kind, JsonKind::kNull);
  EXPECT_EQ(members->at("o").kind, JsonKind::kObject);
  EXPECT_EQ(members->count("t"), 1u);  // a nested member is no top-level one
  EXPECT_EQ(members->at("d").kind, JsonKind::kString);
  EXPECT_EQ(members->at("d").text, "last");
}

TEST(ClientProfile, EnterToChatOnlyFromATopLevelTrueTheClientCanRead) {
  struct Case {
    Bytes profile;
    bool enterToChat;
  };
  const Case cases[] = {
      {"{\n  \"activate_chat_after_enter\": true,\n  \"window_client_bounds\": {}\n}", true},
      {"\xEF\xBB\xBF{\"activate_chat_after_enter\":true}", true},
      {"{\"activate_chat_after_enter\": false}", false},
      {"{\"activate_chat_additional_buttons\": true}", false},
      {"{\"activate_chat_after_enter\": \"true\"}", false},
      {"{\"Activate_Chat_After_Enter\": true}", false},
      {"{\"other\": {\"activate_chat_after_enter\": true}}", false},
      {"{\"activate_chat_after_enter\": true,}", false},
      {"{\"activate_chat_after_enter\": true", false},
      {"", false},
      // The client reads a lone backslash as itself, and so fails on an escaped quote.
      {"{\"journal_dir\": \"C:\\UO\\logs\", \"activate_chat_after_enter\": true}", true},
      {"{\"macro\": \"say \\\"hi\\\"\", \"activate_chat_after_enter\": true}", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ChatSettingsOfProfile(c.profile).enterToChat, c.enterToChat) << c.profile;
}

// A shard's own build keeps the client's shape with its own name.
TEST(ClientProfile, CharacterPartOfARenamedClientsTitle) {
  const std::pair<Bytes, Bytes> renamed[] = {
      {"Bob - UOAlive - 1.0.2.0", "Bob"},
      {"Bob - [Shard 3.2]", "Bob"},
      {"Bob - 12/400 - Gold: 1200 - UOAlive - 1.0", "Bob - 12/400 - Gold: 1200"},
      {"Bob - UOAlive", "Bob"},
      {"UOAlive - 1.0.2.0", ""},
      {"UOAlive", ""},
  };
  for (const auto& [title, part] : renamed) EXPECT_EQ(CharacterPartOfRenamedTitle(title), part) << title;
}

constexpr const char kClient[] = "C:\\Games\\CUO";

TEST(ClientProfile, ProfilesFolderFromSettingsBesideTheClient) {
  struct Case {
    const char* settings;  // nullptr: no settings.json
    Bytes folder;
  };
  const Case cases[] = {
      {nullptr, "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": \"\"}", "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": \"  \"}", "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": null}", "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": \"D:\\\\Shared\\\\Profiles\"}", "D:\\Shared\\Profiles"},
      {"{\"profilespath\": \"D:\\Shared\\Profiles\\\\\"}", "D:\\Shared\\Profiles"},
      {"{\"profilespath\": \"\\\\\\\\nas\\\\uo\"}", "\\\\nas\\uo"},
      {"{\"profilespath\": \"MyProfiles\"}", "C:\\Games\\CUO\\MyProfiles"},
      {"{\"profilespath\": \"..\\\\Profiles\"}", "C:\\Games\\CUO\\..\\Profiles"},
      {"{\"profilespath\": \"\\\\Profiles\"}", "C:\\Profiles"},
      {"{\"ProfilesPath\": \"D:\\\\Other\"}", "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": \"D:\\\\Other\",}", "C:\\Games\\CUO\\Data\\Profiles"},
      {"{\"profilespath\": \"D:\\\\Caf\xC3\xA9\"}", ""},  // no code page to spell it with
  };
  for (const Case& c : cases) {
    MemoryFileStore files;
    if (c.settings) files.Put(Bytes(kClient) + "\\settings.json", c.settings);
    EXPECT_EQ(ClientProfilesFolder(files, kClient), c.folder) << (c.settings ? c.settings : "(none)");
  }

  MemoryFileStore held;
  held.Put(Bytes(kClient) + "\\settings.json", "{\"profilespath\": \"D:\\\\Other\"}");
  held.FailReads(1);
  EXPECT_EQ(ClientProfilesFolder(held, kClient), "");
  EXPECT_EQ(ClientProfilesFolder(held, kClient), "D:\\Other");
}

// Bob on two servers (Siege's written last), Bobby whose name holds Bob's, and a character whose
// name is part of the client's own title.
void PutProfiles(MemoryFileStore& files, const Bytes& root) {
  files.Put(root + "\\acct1\\Atlantic\\Bob\\profile.json", "{\"activate_chat_after_enter\": true}");
  files.Put(root + "\\acct1\\Atlantic\\Bobby\\profile.json", "{}");
  files.Put(root + "\\acct2\\Siege Perilous\\Bob\\profile.json", "{}");
  files.Put(root + "\\acct2\\Siege Perilous\\Classic\\profile.json", "{}");
  files.AddFolder(root + "\\acct2\\Siege Perilous\\Bobbyann");  // never saved
  files.Put(root + "\\default.json", "{}");
  files.Put(root + "\\globalprofile.json", "{}");
}

TEST(ClientProfile, CharacterFolderIsTheLongestNameInTheTitleThenTheLastWritten) {
  const Bytes root = Bytes(kClient) + "\\Data\\Profiles";
  const std::pair<Bytes, std::optional<Bytes>> cases[] = {
      {"Bobby - ClassicUO - 1.1.0.0", root + "\\acct1\\Atlantic\\Bobby"},
      {"Bob - ClassicUO - 1.1.0.0", root + "\\acct2\\Siege Perilous\\Bob"},
      {"Bob - 12/400 - 90/90 - Gold: 1200 - ClassicUO - 1.1.0.0", root + "\\acct2\\Siege Perilous\\Bob"},
      {"Bobbyann - [TazUO 3.21.0]", root + "\\acct2\\Siege Perilous\\Bobbyann"},
      {"Bobby - UOAlive - 1.0.2.0", root + "\\acct1\\Atlantic\\Bobby"},  // a shard's own build
      {"Classic - ClassicUO - 1.1.0.0", root + "\\acct2\\Siege Perilous\\Classic"},
      {"Alice - ClassicUO - 1.1.0.0", std::nullopt},
      {"ClassicUO - 1.1.0.0", std::nullopt},
      {"Ultima Online", std::nullopt},
      {"UO - Bobby - ClassicUO - 1.1.0.0", root + "\\acct1\\Atlantic\\Bobby"},     // Razor
      {"BOBBY (Atlantic) - ClassicUO - 1.1.0.0", root + "\\acct1\\Atlantic\\Bobby"},  // ClassicAssist
      {"Bobbyanne - ClassicUO - 1.1.0.0", std::nullopt},  // her folder not made yet: not Bobbyann's
  };
  MemoryFileStore files;
  PutProfiles(files, root);
  for (const auto& [title, folder] : cases)
    EXPECT_EQ(CharacterProfileFolder(files, kClient, title), folder) << title;

  // Atlantic's Bob written after Siege's now.
  files.Put(root + "\\acct1\\Atlantic\\Bob\\profile.json", "{}");
  EXPECT_EQ(CharacterProfileFolder(files, kClient, "Bob - ClassicUO - 1.1.0.0"),
            root + "\\acct1\\Atlantic\\Bob");

  MemoryFileStore elsewhere;
  PutProfiles(elsewhere, "D:\\Profiles");
  elsewhere.Put(Bytes(kClient) + "\\settings.json", "{\"profilespath\": \"D:\\Profiles\"}");
  EXPECT_EQ(CharacterProfileFolder(elsewhere, kClient, "Bobby - ClassicUO - 1.1.0.0"),
            "D:\\Profiles\\acct1\\Atlantic\\Bobby");
}

// Code page 932: ソ and 表 end in the byte of a backslash.
const LeadBytes kShiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr const char kSo[] = "\x83\x5C";
constexpr const char kHyo[] = "\x95\x5C";

// Where a modern client's settings and profiles are: its working folder, which a shortcut can set
// apart, before its program's folder; a character with no profile.json yet on default.json.
TEST(ClientProfile, FoundUnderTheWorkingFolderThenTheProgramFolderThenOnDefaultJson) {
  const Bytes work = "D:\\Play";
  const Bytes program = kClient;
  const Bytes bob = "\\acct\\Atlantic\\Bob";
  const Bytes on = "{\"activate_chat_after_enter\": true}";
  const Bytes off = "{\"activate_chat_after_enter\": false}";
  const Bytes soFolder = Bytes("C:\\Games\\") + kSo;
  const Bytes hyoFolder = Bytes("D:\\") + kHyo;
  struct Case {
    const char* name;
    Bytes workingFolder, programFolder;
    std::vector<std::pair<Bytes, Bytes>> files;
    bool enterToChat;
    int failedReads = 0;
  } cases[] = {
      {"working folder only",
       work,
       program,
       {{work + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       true},
      {"working folder first",
       work,
       program,
       {{work + "\\Data\\Profiles" + bob + "\\profile.json", on},
        {program + "\\Data\\Profiles" + bob + "\\profile.json", off}},
       true},
      {"program folder when the working folder has none",
       work,
       program,
       {{work + "\\notes.txt", ""}, {program + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       true},
      {"working folder unknown",
       "",
       program,
       {{program + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       true},
      {"profilespath counts from the working folder",
       work,
       program,
       {{work + "\\settings.json", "{\"profilespath\": \"Mine\"}"},
        {work + "\\Mine" + bob + "\\profile.json", on},
        {program + "\\Mine" + bob + "\\profile.json", off}},
       true},
      {"settings in the working folder held while written: no other folder's profile",
       work,
       program,
       {{work + "\\settings.json", "{}"}, {program + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       false,
       1},
      {"no profile.json yet: default.json",
       work,
       program,
       {{work + "\\Data\\Profiles" + bob + "\\macros.xml", ""},
        {work + "\\Data\\Profiles\\default.json", on}},
       true},
      {"default.json of the profiles folder the character is in",
       work,
       program,
       {{work + "\\Data\\Profiles" + bob + "\\macros.xml", ""},
        {program + "\\Data\\Profiles\\default.json", on}},
       false},
      {"program folder ending in a trail byte 0x5C",
       "",
       soFolder,
       {{soFolder + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       true},
      {"working folder ending in a trail byte 0x5C",
       hyoFolder,
       program,
       {{hyoFolder + "\\Data\\Profiles" + bob + "\\profile.json", on}},
       true},
  };
  for (const Case& c : cases) {
    MemoryFileStore files;
    for (const auto& [path, content] : c.files) files.Put(path, content);
    files.FailReads(c.failedReads);
    ProfileChatSettings source(
        files, [&](std::uint32_t) { return c.programFolder + "\\ClassicUO.exe"; }, kShiftJis, nullptr,
        [&](std::uint32_t) { return c.workingFolder; });
    EXPECT_EQ(source.For(GameWindow{1, false, "Bob - ClassicUO - 1.1.0.0", 42}).enterToChat, c.enterToChat)
        << c.name;
  }
}

// A shard's build of a modern client is known by the settings.json in its folder, looked into once
// per process and only for an SDL window whose title names no client.
TEST(ClientProfile, ARenamedModernClientByTheSettingsInItsFolder) {
  MemoryFileStore files;
  const Bytes client = "{\"ultimaonlinedirectory\": \"C:\\\\UO\", \"profilespath\": \"\"}";
  files.Put("C:\\Alive\\settings.json", client);
  files.Put("C:\\Games\\Other\\settings.json", "{\"volume\": 3}");
  files.Put("D:\\Shard data\\settings.json", client);
  const std::map<std::uint32_t, std::pair<Bytes, Bytes>> processes = {
      {20, {"C:\\Alive\\UOAlive.exe", ""}},
      {21, {"C:\\Games\\Other\\game.exe", "C:\\Games\\Other"}},
      {22, {"C:\\Games\\CUO\\ClassicUO.exe", ""}},
      {23, {"C:\\Alive\\browser.exe", ""}},
      {24, {"C:\\Program Files\\Shard\\Shard.exe", "D:\\Shard data"}},
  };
  std::vector<std::uint32_t> lookups;
  RenamedClientFinder finder(
      files,
      [&](std::uint32_t pid) {
        lookups.push_back(pid);
        return processes.at(pid).first;
      },
      [&](std::uint32_t pid) { return processes.at(pid).second; });
  const std::vector<TopLevelWindow> listed = {
      {1, "SDL_app", "Frank - UOAlive - 1.0.2.0", true, 20},
      {2, "SDL_app", "UOAlive - 1.0.2.0", true, 20},
      {3, "SDL_app", "Some other game", true, 21},
      {4, "SDL_app", "Carol - ClassicUO - 1.1.0.0", true, 22},
      {5, "Chrome_WidgetWin_1", "Frank - UOAlive - 1.0.2.0", true, 23},
      {6, "SDL_app", "Gina - Shard - 2.0", true, 24},
  };
  auto marked = [&](std::vector<TopLevelWindow> windows) {
    finder.Mark(windows);
    Bytes handles;
    for (const TopLevelWindow& w : windows)
      if (w.modernClientFolder) handles += std::to_string(w.handle);
    return handles;
  };
  EXPECT_EQ(marked(listed), "126");
  EXPECT_EQ(lookups, (std::vector<std::uint32_t>{20, 21, 24}));
  EXPECT_EQ(marked(listed), "126");
  EXPECT_EQ(lookups.size(), 3u);

  // A process gone from the list is forgotten; a settings file held while written is looked into
  // again at the next listing.
  EXPECT_EQ(marked({listed[2]}), "");
  files.FailReads(1);
  EXPECT_EQ(marked({listed[0]}), "");
  EXPECT_EQ(marked(listed), "126");
  EXPECT_EQ(lookups, (std::vector<std::uint32_t>{20, 21, 24, 20, 20, 21, 24}));
}

struct ProfileSourceTest : ::testing::Test {
  const Bytes profile = Bytes(kClient) + "\\Data\\Profiles\\acct\\Atlantic\\Bob\\profile.json";
  MemoryFileStore files;
  int imageLookups = 0;
  ProfileChatSettings source{files, [this](std::uint32_t pid) {
                               ++imageLookups;
                               return pid == 42 ? Bytes(kClient) + "\\ClassicUO.exe" : Bytes();
                             }};
  GameWindow modern{1, false, "Bob - ClassicUO - 1.1.0.0", 42};

  bool EnterToChat(const GameWindow& window) { return source.For(window).enterToChat; }
};

TEST_F(ProfileSourceTest, ReadsTheProfileAgainOnlyWhenItChanges) {
  files.Put(profile, "{\"activate_chat_after_enter\": true}");
  EXPECT_TRUE(EnterToChat(modern));
  const int lookupReads = files.ReadCalls();
  EXPECT_TRUE(EnterToChat(modern));
  EXPECT_EQ(files.ReadCalls(), lookupReads);
  EXPECT_EQ(imageLookups, 1);

  files.Put(profile, "{\"activate_chat_after_enter\": false}");
  EXPECT_FALSE(EnterToChat(modern));
  files.Put(profile, "{\"activate_chat_after_enter\": tru");
  EXPECT_FALSE(EnterToChat(modern));
  files.Put(profile, "{\"activate_chat_after_enter\": true}");
  EXPECT_TRUE(EnterToChat(modern));
  EXPECT_EQ(files.ReadCalls(), lookupReads + 3);

  // A profile too large to be one is never read, and never stops a line.
  files.Put(profile, "{\"activate_chat_after_enter\": true, \"x\": \"" + Bytes(kMaxJsonBytes, 'x') + "\"}");
  EXPECT_FALSE(EnterToChat(modern));
  EXPECT_FALSE(EnterToChat(modern));
  EXPECT_EQ(files.ReadCalls(), lookupReads + 3);

  // A read that fails (the client writing) is tried again on the next line.
  files.Put(profile, "{\"activate_chat_after_enter\": true}");
  files.FailReads(1);
  EXPECT_FALSE(EnterToChat(modern));
  EXPECT_TRUE(EnterToChat(modern));
}

TEST_F(ProfileSourceTest, DefaultsUntilTheCharactersProfileIsThere) {
  GameWindow classic{2, true, "Ultima Online - Bob", 42};
  GameWindow unknownProcess{3, false, "Bob - ClassicUO - 1.1.0.0", 7};
  GameWindow otherCharacter{1, false, "Alice - ClassicUO - 1.1.0.0", 42};
  files.Put(profile, "{\"activate_chat_after_enter\": true}");
  EXPECT_FALSE(EnterToChat(classic));
  EXPECT_EQ(imageLookups, 0);
  EXPECT_FALSE(EnterToChat(unknownProcess));
  EXPECT_FALSE(EnterToChat(otherCharacter));

  // Alice logs in for the first time: her folder appears, and she plays on default.json as the
  // client read it then, until her profile comes with her first save.
  const Bytes defaults = Bytes(kClient) + "\\Data\\Profiles\\default.json";
  const Bytes alice = Bytes(kClient) + "\\Data\\Profiles\\acct\\Atlantic\\Alice\\profile.json";
  files.Put(defaults, "{\"activate_chat_after_enter\": true}");
  files.AddFolder(Bytes(kClient) + "\\Data\\Profiles\\acct\\Atlantic\\Alice");
  files.FailReads(2);  // settings.json (there is none), then default.json held while written
  EXPECT_FALSE(EnterToChat(otherCharacter));
  EXPECT_TRUE(EnterToChat(otherCharacter));
  const int defaultReads = files.ReadCalls();
  files.Put(defaults, "{\"activate_chat_after_enter\": false}");
  EXPECT_TRUE(EnterToChat(otherCharacter));
  EXPECT_EQ(files.ReadCalls(), defaultReads);
  files.Put(alice, "{\"activate_chat_after_enter\": false}");
  EXPECT_FALSE(EnterToChat(otherCharacter));
  files.Put(alice, "{\"activate_chat_after_enter\": true}");
  EXPECT_TRUE(EnterToChat(otherCharacter));
  EXPECT_TRUE(EnterToChat(modern));
}

}  // namespace
}  // namespace parlo
