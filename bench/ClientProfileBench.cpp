// The chat settings are asked for on every line sent to a modern client. While the character's
// profile stays as it is, that should cost about what learning the file's stamp costs, measured in
// the same run, and so should a line of a character who has no profile yet and plays on
// default.json; reading a profile that changed costs a parse of the whole file.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/CpuRatioReporter.h"
#include "core/game/ClientProfile.h"
#include "core/files/MemoryFileStore.h"

namespace parlo {
namespace {

const Bytes kClient = "C:\\UO";
const Bytes kProfile = kClient + "\\Data\\Profiles\\acct\\Atlantic\\Bob\\profile.json";
const GameWindow kWindow{1, false, "Bob - ClassicUO - 1.1.0.0", 42};

// A profile of a long-played character: a few thousand members, some of them nested.
Bytes MakeProfile() {
  Bytes text = "{\n";
  for (int i = 0; i < 3000; ++i) {
    text += "  \"option_" + std::to_string(i) + "\": ";
    if (i % 10 == 0)
      text += "{ \"x\": " + std::to_string(i) + ", \"y\": [1, 2, 3], \"name\": \"gump \\u00e9\" },\n";
    else if (i % 3 == 0)
      text += "\"some text " + std::to_string(i) + "\",\n";
    else
      text += (i % 2 ? "true" : "-12.5e2") + Bytes(",\n");
  }
  return text + "  \"activate_chat_after_enter\": true\n}\n";
}

struct Client {
  MemoryFileStore files;
  ProfileChatSettings source{files, [](std::uint32_t) { return kClient + "\\ClassicUO.exe"; }};
  Client() {
    files.Put(kProfile, MakeProfile());
    source.For(kWindow);
  }
};

void StampOnly(benchmark::State& state) {
  Client client;
  for (auto _ : state) {
    FileStamp stamp;
    benchmark::DoNotOptimize(client.files.Stamp(kProfile, stamp));
  }
}

void LineWithProfileUnchanged(benchmark::State& state) {
  Client client;
  for (auto _ : state) benchmark::DoNotOptimize(client.source.For(kWindow).enterToChat);
}

void LineOnDefaultProfile(benchmark::State& state) {
  MemoryFileStore files;
  files.AddFolder(kClient + "\\Data\\Profiles\\acct\\Atlantic\\Bob");
  files.Put(kClient + "\\Data\\Profiles\\default.json", MakeProfile());
  ProfileChatSettings source{files, [](std::uint32_t) { return kClient + "\\ClassicUO.exe"; }};
  source.For(kWindow);
  for (auto _ : state) benchmark::DoNotOptimize(source.For(kWindow).enterToChat);
}

void LineAfterProfileChanged(benchmark::State& state) {
  Client client;
  const Bytes profile = MakeProfile();
  for (auto _ : state) {
    state.PauseTiming();
    client.files.Put(kProfile, profile);
    state.ResumeTiming();
    benchmark::DoNotOptimize(client.source.For(kWindow).enterToChat);
  }
}

BENCHMARK(StampOnly);
BENCHMARK(LineWithProfileUnchanged);
BENCHMARK(LineOnDefaultProfile);
BENCHMARK(LineAfterProfileChanged);

}  // namespace
}  // namespace parlo

int main(int argc, char** argv) {
  parlo::CpuRatioReporter reporter("StampOnly", "one stamp of the profile");
  return parlo::RunWithRatios(argc, argv, reporter);
}
