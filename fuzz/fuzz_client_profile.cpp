// Arbitrary JSON text and an arbitrary client folder tree with its title: the reader never runs past
// its input, every string it decodes reads back the same when written out again, the profile
// chosen is always a character folder whose name stands in the title's character part, as the
// character of a title is always the longest name its part holds, and an SDL window is taken for a
// renamed client exactly when its title names none and a folder of its process holds a client's
// settings.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/files/MemoryFileStore.h"
#include "core/game/ClientProfile.h"
#include "core/text/Json.h"

namespace {

using parlo::Bytes;

Bytes Escaped(const Bytes& text) {
  static const char kHex[] = "0123456789abcdef";
  Bytes out = "\"";
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void CheckReader(const std::string& text) {
  auto members = parlo::ReadJsonMembers(text);
  if (!members) return;
  for (const auto& [name, value] : *members) {
    if (value.kind != parlo::JsonKind::kString) continue;
    auto again = parlo::ReadJsonMembers("{" + Escaped(name) + ":" + Escaped(value.text) + "}");
    if (!again || again->size() != 1 || again->begin()->first != name ||
        again->begin()->second.text != value.text)
      std::abort();
  }
  parlo::ChatSettingsOfProfile(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const Bytes client = "C:\\UO";
  const Bytes working = "D:\\W";
  parlo::MemoryFileStore files;
  if (in.ConsumeBool()) files.Put(client + "\\settings.json", in.ConsumeRandomLengthString(200));
  const Bytes roots[] = {client + "\\Data\\Profiles", "D:\\P", client + "\\P", working + "\\Data\\Profiles"};
  int folders = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < folders; ++i) {
    Bytes path = roots[in.ConsumeIntegralInRange(0, 3)];
    for (int level = 0; level < 3; ++level) path += "\\" + in.ConsumeRandomLengthString(12);
    files.Put(path + "\\profile.json", in.ConsumeRandomLengthString(100));
  }
  Bytes title = in.ConsumeRandomLengthString(60);
  if (in.ConsumeBool()) files.Put(working + "\\settings.json", in.ConsumeRandomLengthString(200));
  if (in.ConsumeBool())
    files.Put(roots[in.ConsumeIntegralInRange(0, 3)] + "\\default.json", in.ConsumeRandomLengthString(100));
  Bytes rest = in.ConsumeRemainingBytesAsString();

  CheckReader(rest);
  if (auto folder = parlo::CharacterProfileFolder(files, client, title)) {
    size_t slash = folder->find_last_of('\\');
    Bytes character = folder->substr(slash + 1);
    std::string_view part = parlo::CharacterPartOfTitle(title);
    if (part.empty()) part = parlo::CharacterPartOfRenamedTitle(title);
    if (!parlo::HoldsName(part, character, parlo::AsciiLowerTable(), parlo::LeadBytes())) std::abort();
  }
  // The character of the title among names cut out of it: one its part holds, none longer held.
  const parlo::LeadBytes shiftJis{{0x81, 0x9F}, {0xE0, 0xFC}};
  std::vector<Bytes> names;
  for (size_t at = 0; at < title.size() && names.size() < 8; at += 3) names.push_back(title.substr(at, 1 + at % 7));
  const std::string_view part = parlo::CharacterPartOfTitle(title);
  if (auto owner = parlo::CharacterOfTitle(title, names, parlo::AsciiLowerTable(), shiftJis)) {
    if (!parlo::HoldsName(part, names[*owner], parlo::AsciiLowerTable(), shiftJis)) std::abort();
    for (const Bytes& name : names)
      if (name.size() > names[*owner].size() && parlo::HoldsName(part, name, parlo::AsciiLowerTable(), shiftJis))
        std::abort();
  }
  auto image = [&](std::uint32_t) { return client + "\\ClassicUO.exe"; };
  auto workingFolder = [&](std::uint32_t) { return working; };
  parlo::ProfileChatSettings source(files, image, parlo::LeadBytes(), nullptr, workingFolder);
  source.For(parlo::GameWindow{1, false, title, 5});
  source.For(parlo::GameWindow{1, false, title, 5});

  std::vector<parlo::TopLevelWindow> windows = {{1, "SDL_app", title, true, 5}};
  parlo::RenamedClientFinder(files, image, workingFolder).Mark(windows);
  bool renamed =
      parlo::NamesNoClient(windows[0], parlo::LeadBytes()) &&
      (parlo::HoldsModernClientSettings(files, working) || parlo::HoldsModernClientSettings(files, client));
  if (windows[0].modernClientFolder != renamed) std::abort();
  return 0;
}
