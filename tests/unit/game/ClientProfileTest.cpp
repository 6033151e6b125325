#include <gtest/gtest.h>

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

  // Alice logs in for the first time: her folder appears, and her profile with her first save.
  const Bytes alice = Bytes(kClient) + "\\Data\\Profiles\\acct\\Atlantic\\Alice\\profile.json";
  files.AddFolder(Bytes(kClient) + "\\Data\\Profiles\\acct\\Atlantic\\Alice");
  EXPECT_FALSE(EnterToChat(otherCharacter));
  files.Put(alice, "{\"activate_chat_after_enter\": true}");
  EXPECT_TRUE(EnterToChat(otherCharacter));
  files.Delete(alice);
  EXPECT_FALSE(EnterToChat(otherCharacter));
  EXPECT_TRUE(EnterToChat(modern));
}

}  // namespace
}  // namespace parlo
