// Start-up and exit of parlo.exe as the player sees them, each as a whole process in a folder of
// its own: from starting the process to a main window that answers, and from WM_CLOSE to the
// end of the process. A 100,000-row book is measured against the same folder without a book, and
// what it adds is set against plain file work on the same bytes in the same run: the start
// against one read of the file and one scan of its lines, the exit after one change against one
// durable write (new file, flush, replacing rename). Both ratios should stay at or below 1.5. An
// exit with the book as it was read writes nothing and should cost what an empty exit does.
//
//   process_start_exit_bench [--quick] [--exe PATH] [--rows N] [--rounds N]
// The program (parlo.exe from the benchmark's own folder unless another is given, to compare two
// builds) is copied into each test folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/win/BookFiles.h"
#include "bench/win/Seconds.h"
#include "forms/ControlIds.h"

namespace {

using namespace parlo;

constexpr DWORD kPatienceMs = 30000;

std::string OwnFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

struct Search {
  DWORD pid;
  int id;  // a control id; 0: the main window itself
  HWND found;
};

BOOL CALLBACK MatchMain(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (pid != search->pid || std::strcmp(name, PARLO_CLASS_MAIN) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK MatchControl(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (GetDlgCtrlID(window) != search->id) return TRUE;
  search->found = window;
  return FALSE;
}

// One run of parlo.exe, ended by its main window's close however the measurement goes.
class Parlo {
 public:
  explicit Parlo(const std::string& dir) {
    std::string command = "\"" + dir + "parlo.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                        &process_))
      process_ = PROCESS_INFORMATION{};
  }
  ~Parlo() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      if (main_) PostMessageA(main_, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process_.hProcess, kPatienceMs) == WAIT_TIMEOUT)
        TerminateProcess(process_.hProcess, 1);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Parlo(const Parlo&) = delete;
  Parlo& operator=(const Parlo&) = delete;

  // Seconds from the start of the process to a main window that answers a message; < 0 when
  // none came.
  double Answered() {
    Search search{process_.dwProcessId, 0, nullptr};
    const double giveUp = started_ + kPatienceMs / 1000.0;
    while (process_.hProcess && Now() < giveUp) {
      search.found = nullptr;
      EnumWindows(MatchMain, reinterpret_cast<LPARAM>(&search));
      DWORD_PTR result = 0;
      if (search.found &&
          SendMessageTimeoutA(search.found, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &result)) {
        main_ = search.found;
        return Now() - started_;
      }
      Sleep(1);
    }
    return -1;
  }
  // Clicks a button of the main window and waits until the click has been handled.
  bool Click(int id) {
    Search search{0, id, nullptr};
    EnumChildWindows(main_, MatchControl, reinterpret_cast<LPARAM>(&search));
    DWORD_PTR result = 0;
    return search.found &&
           SendMessageTimeoutA(search.found, BM_CLICK, 0, 0, SMTO_NORMAL, kPatienceMs, &result) != 0;
  }
  // Seconds from WM_CLOSE to the end of the process; < 0 when it did not end.
  double Closed() {
    const double start = Now();
    PostMessageA(main_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, kPatienceMs) != WAIT_OBJECT_0) return -1;
    return Now() - start;
  }

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
  double started_ = 0;
};

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

bool Failed(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  int rows = 100000;
  int rounds = 20;
  std::string exe = OwnFolder() + "parlo.exe";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--exe") == 0 && i + 1 < argc) exe = argv[++i];
    if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) rows = std::max(1, std::atoi(argv[++i]));
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
  }
  if (quick) rounds = 1;

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string root =
      std::string(temp) + "parlo-process-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  const std::string emptyDir = root + "empty\\", bigDir = root + "big\\";
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(emptyDir.c_str(), nullptr);
  CreateDirectoryA(bigDir.c_str(), nullptr);
  const std::string book = Book(rows, "Well met");
  bool ok = true;
  for (const std::string& dir : {emptyDir, bigDir})
    if (!CopyFileA(exe.c_str(), (dir + "parlo.exe").c_str(), FALSE))
      ok = Failed(("cannot copy " + exe).c_str());

  // The book opened from LastOpen. Each exit writes the settings, which costs most when they
  // change; after the first round (not counted) they stay as they are, as at a player's exit.
  ok = ok && WriteFileBytes(bigDir + "parlo.ini", "[UO]\r\nLastOpen=sayA.txt\r\n") &&
       WriteFileBytes(emptyDir + "parlo.ini", "");

  std::vector<double> durable, read, startEmpty, exitEmpty, startBig, exitBig, exitChanged;
  int written = 0;  // exits of the unchanged book that wrote it all the same
  // The empty folder before and after the book's runs, so that a drift within the round evens out.
  auto runEmpty = [&](double& start, double& exit) {
    Parlo parlo(emptyDir);
    start = parlo.Answered();
    exit = start < 0 ? -1 : parlo.Closed();
    if (start < 0) return Failed("parlo.exe did not answer in the empty folder");
    return exit >= 0 || Failed("parlo.exe did not end in the empty folder");
  };
  for (int round = 0; ok && round < rounds + 1; ++round) {
    // The book as it is before each start; its cache is as warm as the read's.
    if (!(ok = WriteFileBytes(bigDir + "sayA.txt", book))) break;
    double d = DurableWrite(bigDir, book);
    size_t lines = 0;
    double r = ReadWhole(bigDir + "sayA.txt", &lines);
    if (lines != static_cast<size_t>(rows) + 1) ok = Failed("the book has not the lines it should");

    double se1 = -1, ee1 = -1, se2 = -1, ee2 = -1, sb = -1, eb = -1, sc = -1, ec = -1;
    ok = runEmpty(se1, ee1) && ok;
    const FILETIME before = WriteTime(bigDir + "sayA.txt");
    {
      Parlo parlo(bigDir);
      sb = parlo.Answered();
      eb = sb < 0 ? -1 : parlo.Closed();
    }
    const FILETIME after = WriteTime(bigDir + "sayA.txt");
    if (CompareFileTime(&before, &after) != 0) ++written;
    {
      // One change: the current row deleted, as the player does with the Delete button.
      Parlo parlo(bigDir);
      sc = parlo.Answered();
      const bool clicked = sc >= 0 && parlo.Click(IDC_BUTTON_DELETE);
      if (sc >= 0 && !clicked) ok = Failed("the Delete button did not answer");
      ec = clicked ? parlo.Closed() : 0;
    }
    const FILETIME changed = WriteTime(bigDir + "sayA.txt");
    if (CompareFileTime(&after, &changed) == 0) ok = Failed("the changed book was not written");
    ok = runEmpty(se2, ee2) && ok;
    if (sb < 0 || sc < 0) ok = Failed("parlo.exe did not answer");
    if (eb < 0 || ec < 0) ok = Failed("parlo.exe did not end");
    if (!ok || round == 0) continue;  // the first round warms the caches
    durable.push_back(d);
    read.push_back(r);
    startEmpty.insert(startEmpty.end(), {se1, se2});
    exitEmpty.insert(exitEmpty.end(), {ee1, ee2});
    startBig.insert(startBig.end(), {sb, sc});
    exitBig.push_back(eb);
    exitChanged.push_back(ec);
  }
  RemoveFolder(emptyDir);
  RemoveFolder(bigDir);
  RemoveDirectoryA(root.c_str());
  if (!ok || durable.empty()) return 1;

  // A process start under Wine varies by a hundred milliseconds and more with the load of the
  // machine, far more than the book adds: next to the medians stand the lower quartiles, which
  // what others do on the machine disturbs less, and which a single lucky run cannot set.
  auto quartile = [](std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 4];
  };
  std::printf("parlo.exe start and exit as whole processes, %d rows (%.1f MB), %d rounds\n", rows,
              book.size() / 1e6, rounds);
  std::printf("  %-46s %8s %8s\n", "", "median", "quartile");
  auto line = [&](const char* what, const std::vector<double>& values) {
    std::printf("  %-46s %8.1f %8.1f ms\n", what, Median(values) * 1e3, quartile(values) * 1e3);
  };
  line("durable write (new, flush, rename)", durable);
  line("read and line scan", read);
  line("start to answer, no book", startEmpty);
  line("start to answer, with the book", startBig);
  line("WM_CLOSE to process end, no book", exitEmpty);
  line("the same, book as it was read", exitBig);
  line("the same, one row deleted", exitChanged);
  std::printf("  start beyond an empty start / (read + line scan)  ratio %5.2f %8.2f\n",
              (Median(startBig) - Median(startEmpty)) / Median(read),
              (quartile(startBig) - quartile(startEmpty)) / quartile(read));
  std::printf("  exit after a change beyond an empty exit / write  ratio %5.2f %8.2f\n",
              (Median(exitChanged) - Median(exitEmpty)) / Median(durable),
              (quartile(exitChanged) - quartile(exitEmpty)) / quartile(durable));
  std::printf(
      "  exit of the book as read beyond an empty exit    %5.1f ms %5.1f ms, written at %d of %d exits\n",
      (Median(exitBig) - Median(exitEmpty)) * 1e3, (quartile(exitBig) - quartile(exitEmpty)) * 1e3, written,
      rounds + 1);
  return 0;
}
