// What a large phrase book costs at exit and at a switch, against plain file work on the same
// bytes in the same run: the exit with a 100,000-row book, less an exit with no book, against a
// durable write (new file, flush, one replacing rename); a switch between two such books against
// reading one plus that write. Both ratios should stay at or below 1.5. A book left as it was
// read is not written again, so its exit should cost what an empty exit does; each book that is
// left has one cell changed first, so that it is written: at the exit, at the switch, and at an
// exit straight after a switch, while the system still settles the switch's write.
//
//   say_file_exit_bench [--quick]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/win/BookFiles.h"
#include "bench/win/Seconds.h"
#include "forms/ControlIds.h"
#include "forms/Unit_Main.h"
#include "platform/Win32CodePage.h"
#include "platform/Win32FileStore.h"
#include "platform/Win32ProfileStore.h"

namespace {

using namespace parlo;

constexpr int kRows = 100000;

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

struct Program {
  Win32FileStore files;
  Win32CodePage codePage;
  Win32ProfileStore profile;

  // The main window over the folder, as at start-up, with the book of LastOpen open.
  std::unique_ptr<TForm_Main> Start(const std::string& dir) {
    MainServices services;
    services.exePath = dir + "parlo.exe";
    services.files = &files;
    services.codePage = &codePage;
    services.profile = &profile;
    services.messageBox = [](HWND, const Bytes& text, const Bytes&, unsigned) {
      std::fprintf(stderr, "unexpected box: %s\n", text.c_str());
      return IDNO;
    };
    auto main = std::make_unique<TForm_Main>(services);
    main->Create();
    Pump();
    return main;
  }
  // The whole exit: the close request, the save, the settings and the window going away.
  double Exit(std::unique_ptr<TForm_Main> main) {
    double start = Now();
    SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
    main.reset();
    double seconds = Now() - start;
    Pump();
    return seconds;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int rounds = quick ? 1 : 9;

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string root =
      std::string(temp) + "parlo-exit-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  const std::string emptyDir = root + "empty\\", bigDir = root + "big\\";
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(emptyDir.c_str(), nullptr);
  CreateDirectoryA(bigDir.c_str(), nullptr);
  const std::string bookA = Book(kRows, "Well met"), bookB = Book(kRows, "Fare well");
  if (!WriteFileBytes(bigDir + "sayA.txt", bookA) || !WriteFileBytes(bigDir + "sayB.txt", bookB) ||
      !WriteFileBytes(bigDir + "durable.txt", bookA)) {
    std::fprintf(stderr, "cannot write to %s\n", bigDir.c_str());
    return 1;
  }

  Program program;
  std::vector<double> durable, read, exitEmpty, exitBig, exitChanged, switchBig, exitAfterSwitch;
  // Each exit writes the settings, which costs most when they change; after the first round (not
  // counted) only LastOpen is set back, and the rest stays as the program wrote it.
  WriteFileBytes(emptyDir + "parlo.ini", "");
  const std::string bigSettings = bigDir + "parlo.ini";
  for (int round = 0; round < rounds + 1; ++round) {
    double d = DurableWrite(bigDir, bookA);
    double r = ReadWhole(bigDir + "sayB.txt");
    // The book opened from LastOpen, in the form Parlo writes, so that no backup is due.
    WritePrivateProfileStringA("UO", "LastOpen", "sayA.txt", bigSettings.c_str());
    // A change of its own in each round: a cell set to what it already holds changes nothing.
    auto change = [round](TForm_Main& main) {
      main.Grid().Model().EditCell(kColText, kRows / 2, "changed in Parlo, round " + std::to_string(round));
    };
    double e = program.Exit(program.Start(emptyDir));
    // The player's exit: the book opened at start-up, then Parlo closed.
    double b = program.Exit(program.Start(bigDir));
    // A book changed in Parlo is written, mostly straight from the bytes it was read from.
    std::unique_ptr<TForm_Main> main = program.Start(bigDir);
    change(*main);
    double c = program.Exit(std::move(main));
    main = program.Start(bigDir);
    change(*main);
    HWND combo = main->Control(IDC_COMBOBOX_FILES);
    double start = Now();
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(IDC_COMBOBOX_FILES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    double s = Now() - start;
    change(*main);
    double a = program.Exit(std::move(main));
    if (round == 0) continue;  // the first round warms the file cache
    durable.push_back(d);
    read.push_back(r);
    exitEmpty.push_back(e);
    exitBig.push_back(b);
    exitChanged.push_back(c);
    switchBig.push_back(s);
    exitAfterSwitch.push_back(a);
  }

  const double d = Median(durable), r = Median(read), e = Median(exitEmpty), b = Median(exitBig),
               c = Median(exitChanged), s = Median(switchBig), a = Median(exitAfterSwitch);
  std::printf("say-file exit and switch, %d rows (%.1f MB), median of %d rounds\n", kRows, bookA.size() / 1e6,
              rounds);
  std::printf("  %-44s %8.1f ms\n", "durable write (new, flush, rename)", d * 1e3);
  std::printf("  %-44s %8.1f ms\n", "read", r * 1e3);
  std::printf("  %-44s %8.1f ms\n", "exit, no book", e * 1e3);
  std::printf("  %-44s %8.1f ms\n", "exit, 100,000-row book as read", b * 1e3);
  std::printf("  %-44s %8.1f ms\n", "exit, the same book with one cell changed", c * 1e3);
  std::printf("  %-44s %8.1f ms\n", "switch between two 100,000-row books", s * 1e3);
  std::printf("  %-44s %8.1f ms\n", "exit straight after that switch", a * 1e3);
  std::printf("  the book as read: exit beyond an empty one    ratio %.2f\n", (b - e) / d);
  std::printf("  the same with one cell changed               ratio %.2f\n", (c - e) / d);
  std::printf("  switch / (read + durable write)             ratio %.2f\n", s / (r + d));
  std::printf("  exit straight after the switch               ratio %.2f\n", (a - e) / d);

  RemoveFolder(emptyDir);
  RemoveFolder(bigDir);
  RemoveDirectoryA(root.c_str());
  return 0;
}
