// Start-up and exit of parlo.exe as the player sees them, each as a whole process in a folder of
// its own: from starting the process to a main window that answers, and from WM_CLOSE to the
// end of the process. Two 100,000-row books (5.1 MB of short lines, one row then deleted; 8.4 MB
// of long lines with a separator every hundred rows, five rows then added) are measured against
// the same folder without a book, and what they add is set against plain file work on the same
// bytes in the same run: the start against one read of the file and one scan of its lines, the
// exit after the change against one durable write (new file, flush, replacing rename), measured
// before the start and again right after the exit. Both ratios should stay at or below 1.5. A
// book of a hundred rows, more than the grid shows, is a second measure for the start: a start
// with it pays what any book longer than a screen costs once (the grid's scroll bars drawn for
// the first time), so what the large book adds beyond it is what its rows cost. As
// the load of a shared machine drifts, each ratio is also taken round by round, the book's runs
// against the empty folder's runs of the same round, and its median and quartiles shown. An
// exit with the book as it was read writes nothing and should cost what an empty exit does.
//
//   process_start_exit_bench [--quick] [--exe PATH] [--rows N] [--rounds N] [--phases] [--starts]
// The program (parlo.exe from the benchmark's own folder unless another is given, to compare two
// builds) is copied into each test folder. --phases adds, after the measured rounds, changed exits
// watched from outside as they go: WM_CLOSE to the window hidden, to the book replaced by the
// save, to the end of the process. Watching costs a little, so those exits are kept apart from
// the ratios. --starts measures starts alone, and so many more of them in the same time: each round
// starts every folder once, in an order that turns from round to round, and closes it unchanged.
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

// The visible windows of a process, by class and title: what stood in the way when it did not answer.
BOOL CALLBACK NoteVisible(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<DWORD, std::string>*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != search->first || !IsWindowVisible(window)) return TRUE;
  char name[64] = {}, title[128] = {};
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, title, sizeof title);
  search->second += std::string(" [") + name + " \"" + title + "\"]";
  return TRUE;
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
                        &process_)) {
      std::fprintf(stderr, "cannot start %s: error %lu\n", command.c_str(), GetLastError());
      process_ = PROCESS_INFORMATION{};
    }
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
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0) break;  // it ended instead
      Sleep(1);
    }
    std::pair<DWORD, std::string> seen{process_.dwProcessId, ""};
    EnumWindows(NoteVisible, reinterpret_cast<LPARAM>(&seen));
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    const std::string state = !process_.hProcess ? std::string("it did not start")
                              : code == STILL_ACTIVE
                                  ? "still running after " + std::to_string(kPatienceMs) + " ms"
                                  : "it ended with " + std::to_string(code);
    std::fprintf(stderr, "no answer: %s; its windows:%s\n", state.c_str(),
                 seen.second.empty() ? " none" : seen.second.c_str());
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
  // The same, and when (after WM_CLOSE) the window was hidden and the book was replaced, polled
  // about every millisecond: {hidden, hidden to replaced, replaced to the end, in all}. Steps
  // shorter than the polling (the new file before its rename) cannot be told apart from here.
  // Empty when the process did not end.
  std::vector<double> ClosedInPhases(const std::string& bookPath, const FILETIME& bookWritten) {
    const double start = Now();
    double hidden = -1, renamed = -1;
    PostMessageA(main_, WM_CLOSE, 0, 0);
    while (WaitForSingleObject(process_.hProcess, 1) == WAIT_TIMEOUT) {
      const double now = Now();
      if (now - start > kPatienceMs / 1000.0) return {};
      if (hidden < 0 && !IsWindowVisible(main_)) hidden = now - start;
      WIN32_FILE_ATTRIBUTE_DATA book{};
      if (renamed < 0 && GetFileAttributesExA(bookPath.c_str(), GetFileExInfoStandard, &book) &&
          CompareFileTime(&book.ftLastWriteTime, &bookWritten) != 0)
        renamed = now - start;
    }
    const double end = Now() - start;
    // A step too short for the polling is taken to end with the next one seen.
    if (renamed < 0) renamed = end;
    if (hidden < 0) hidden = renamed;
    return {hidden, renamed - hidden, end - renamed, end};
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

// One book and what was measured with it.
struct BookCase {
  const char* title;
  const char* change;  // the change made before the measured exit
  int button;          // the main window's button that makes it
  std::string dir;
  std::string bytes;
  std::vector<double> durable, read, start, exitAsRead, exitChanged;
  std::vector<double> durableAfter;  // the same write right after the changed exit
  std::vector<std::vector<double>> phases;
  int written = 0;  // exits of the unchanged book that wrote it all the same
};

double Quartile(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 4];
}

double UpperQuartile(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() * 3 / 4];
}

// Each round's book set against the empty folder's runs of the same round, which met the same
// load of the machine: what the book adds, divided by the plain file work of that round.
std::vector<double> PairedRatios(const std::vector<double>& book, size_t bookRuns,
                                 const std::vector<double>& empty, const std::vector<double>& work) {
  std::vector<double> ratios;
  for (size_t round = 0; round < work.size(); ++round) {
    double withBook = 0;
    for (size_t k = 0; k < bookRuns; ++k) withBook += book[round * bookRuns + k];
    const double without = (empty[2 * round] + empty[2 * round + 1]) / 2;
    ratios.push_back((withBook / bookRuns - without) / work[round]);
  }
  return ratios;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false, phases = false, startsOnly = false;
  int rows = 100000;
  int rounds = 20;
  std::string exe = OwnFolder() + "parlo.exe";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) quick = true;
    if (std::strcmp(argv[i], "--phases") == 0) phases = true;
    if (std::strcmp(argv[i], "--starts") == 0) startsOnly = true;
    if (std::strcmp(argv[i], "--exe") == 0 && i + 1 < argc) exe = argv[++i];
    if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) rows = std::max(1, std::atoi(argv[++i]));
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
  }
  if (quick) rounds = 1;

  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string root =
      std::string(temp) + "parlo-process-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  const std::string emptyDir = root + "empty\\";
  const std::string screensDir = root + "screens\\";
  constexpr int kScreensRows = 100;
  std::vector<BookCase> books(2);
  books[0].title = "short lines";
  books[0].change = "one row deleted";
  books[0].button = IDC_BUTTON_DELETE;
  books[0].dir = root + "short\\";
  books[0].bytes = Book(rows, "Well met");
  books[1].title = "long lines";
  books[1].change = "five rows added";
  books[1].button = IDC_BUTTON_ADD;
  books[1].dir = root + "long\\";
  books[1].bytes = LongLineBook(rows);
  bool ok = true;
  CreateDirectoryA(root.c_str(), nullptr);
  std::vector<std::string> dirs = {emptyDir, screensDir};
  for (const BookCase& book : books) dirs.push_back(book.dir);
  for (const std::string& dir : dirs) {
    CreateDirectoryA(dir.c_str(), nullptr);
    if (!CopyFileA(exe.c_str(), (dir + "parlo.exe").c_str(), FALSE))
      ok = Failed(("cannot copy " + exe).c_str());
  }

  // The book opened from LastOpen. Each exit writes the settings, which costs most when they
  // change; after the first round (not counted) they stay as they are, as at a player's exit.
  ok = ok && WriteFileBytes(emptyDir + "parlo.ini", "");
  ok = ok && WriteFileBytes(screensDir + "parlo.ini", "[UO]\r\nLastOpen=sayA.txt\r\n") &&
       WriteFileBytes(screensDir + "sayA.txt", Book(kScreensRows, "Well met"));
  for (const BookCase& book : books)
    ok = ok && WriteFileBytes(book.dir + "parlo.ini", "[UO]\r\nLastOpen=sayA.txt\r\n");

  std::vector<double> startEmpty, exitEmpty, startScreens;
  // The empty folder before and after the books' runs, so that a drift within the round evens out.
  auto runEmpty = [&](double& start, double& exit) {
    Parlo parlo(emptyDir);
    start = parlo.Answered();
    exit = start < 0 ? -1 : parlo.Closed();
    if (start < 0) return Failed("parlo.exe did not answer in the empty folder");
    return exit >= 0 || Failed("parlo.exe did not end in the empty folder");
  };
  auto runScreens = [&](double& start) {
    Parlo parlo(screensDir);
    start = parlo.Answered();
    if (start < 0) return Failed("parlo.exe did not answer with the book of a few screens");
    return parlo.Closed() >= 0 || Failed("parlo.exe did not end with the book of a few screens");
  };
  // The book as it is before each start; its cache is as warm as the read's.
  auto putBook = [&](BookCase& book, double& d, double& r) {
    const std::string path = book.dir + "sayA.txt";
    if (!WriteFileBytes(path, book.bytes)) return Failed("cannot write the book");
    d = DurableWrite(book.dir, book.bytes);
    size_t lines = 0;
    r = ReadWhole(path, &lines);
    return lines == static_cast<size_t>(rows) + 1 || Failed("the book has not the lines it should");
  };
  // Starts parlo.exe on the book, makes the change and closes it; < 0 when something failed.
  auto runChanged = [&](BookCase& book, double& start, std::vector<double>* phasesSeen) {
    const std::string path = book.dir + "sayA.txt";
    const FILETIME before = WriteTime(path);
    double exit = -1;
    {
      Parlo parlo(book.dir);
      start = parlo.Answered();
      const bool clicked = start >= 0 && parlo.Click(book.button);
      if (start >= 0 && !clicked) {
        Failed("the button did not answer");
        return -1.0;
      }
      if (phasesSeen) {
        *phasesSeen = parlo.ClosedInPhases(path, before);
        exit = phasesSeen->empty() ? -1 : phasesSeen->back();
      } else if (clicked) {
        exit = parlo.Closed();
      }
    }
    const FILETIME changed = WriteTime(path);
    if (CompareFileTime(&before, &changed) == 0) {
      Failed("the changed book was not written");
      return -1.0;
    }
    return exit;
  };

  for (BookCase& book : books) ok = ok && (!startsOnly || WriteFileBytes(book.dir + "sayA.txt", book.bytes));
  for (int round = 0; ok && startsOnly && round < rounds + 1; ++round) {
    double start[4] = {-1, -1, -1, -1};  // empty, a few screens, the two books
    for (int k = 0; ok && k < 4; ++k) {
      const int which = (round + k) % 4;
      Parlo parlo(which == 0 ? emptyDir : which == 1 ? screensDir : books[which - 2].dir);
      start[which] = parlo.Answered();
      if (start[which] < 0 || parlo.Closed() < 0) ok = Failed("parlo.exe did not answer or did not end");
    }
    if (!ok || round == 0) continue;
    startEmpty.push_back(start[0]);
    startScreens.push_back(start[1]);
    for (int b = 0; b < 2; ++b) {
      books[b].read.push_back(ReadWhole(books[b].dir + "sayA.txt"));
      books[b].start.push_back(start[2 + b]);
    }
  }
  for (int round = 0; ok && !startsOnly && round < rounds + 1; ++round) {
    double se1 = -1, ee1 = -1, se2 = -1, ee2 = -1, ss1 = -1, ss2 = -1;
    ok = runEmpty(se1, ee1) && ok;
    ok = runScreens(ss1) && ok;
    for (BookCase& book : books) {
      double d = -1, r = -1, sb = -1, eb = -1, sc = -1;
      if (!(ok = putBook(book, d, r) && ok)) break;
      const FILETIME before = WriteTime(book.dir + "sayA.txt");
      {
        Parlo parlo(book.dir);
        sb = parlo.Answered();
        eb = sb < 0 ? -1 : parlo.Closed();
      }
      const FILETIME after = WriteTime(book.dir + "sayA.txt");
      if (CompareFileTime(&before, &after) != 0) ++book.written;
      const double ec = runChanged(book, sc, nullptr);
      // What a flush costs depends on what else the file system has to commit with it: the write
      // before the start follows a flush of its own, this one meets the disk as the exit met it.
      const double da = DurableWrite(book.dir, book.bytes);
      if (sb < 0 || sc < 0) ok = Failed("parlo.exe did not answer");
      if (eb < 0 || ec < 0) ok = Failed("parlo.exe did not end");
      if (!ok || round == 0) continue;  // the first round warms the caches
      book.durable.push_back(d);
      book.durableAfter.push_back(da);
      book.read.push_back(r);
      book.start.insert(book.start.end(), {sb, sc});
      book.exitAsRead.push_back(eb);
      book.exitChanged.push_back(ec);
    }
    ok = runScreens(ss2) && ok;
    ok = runEmpty(se2, ee2) && ok;
    if (!ok || round == 0) continue;
    startEmpty.insert(startEmpty.end(), {se1, se2});
    startScreens.insert(startScreens.end(), {ss1, ss2});
    exitEmpty.insert(exitEmpty.end(), {ee1, ee2});
  }
  for (int round = 0; ok && phases && !startsOnly && round < rounds; ++round) {
    for (BookCase& book : books) {
      double d = -1, r = -1, start = -1;
      std::vector<double> seen;
      if (!(ok = putBook(book, d, r))) break;
      if (runChanged(book, start, &seen) < 0 || seen.empty()) ok = Failed("parlo.exe did not end");
      if (ok) book.phases.push_back(seen);
    }
  }
  for (const std::string& dir : dirs) RemoveFolder(dir);
  RemoveDirectoryA(root.c_str());
  if (!ok || startEmpty.empty()) return 1;

  // A process start under Wine varies by a hundred milliseconds and more with the load of the
  // machine, far more than the book adds: next to the medians stand the lower quartiles, which
  // what others do on the machine disturbs less, and which a single lucky run cannot set.
  auto line = [&](const std::string& what, const std::vector<double>& values) {
    std::printf("  %-50s %8.1f %8.1f ms\n", what.c_str(), Median(values) * 1e3, Quartile(values) * 1e3);
  };
  if (startsOnly) {
    std::printf("parlo.exe starts as whole processes, %d rows a book, %d rounds\n", rows, rounds);
    std::printf("  %-50s %8s %8s\n", "", "median", "quartile");
    line("start to answer, no book", startEmpty);
    line("start to answer, a book of " + std::to_string(kScreensRows) + " rows", startScreens);
    for (const BookCase& book : books) {
      std::printf("%s (%.1f MB):\n", book.title, book.bytes.size() / 1e6);
      line("read and line scan", book.read);
      line("start to answer, with the book", book.start);
      for (const auto* reference : {&startEmpty, &startScreens}) {
        std::vector<double> paired;
        for (size_t round = 0; round < book.start.size(); ++round)
          paired.push_back((book.start[round] - (*reference)[round]) / book.read[round]);
        std::printf("  beyond %-22s / (read + line scan)  ratio %5.2f %8.2f, paired %5.2f [%5.2f %5.2f]\n",
                    reference == &startEmpty ? "an empty start" : "the small book's start",
                    (Median(book.start) - Median(*reference)) / Median(book.read),
                    (Quartile(book.start) - Quartile(*reference)) / Quartile(book.read), Median(paired),
                    Quartile(paired), UpperQuartile(paired));
      }
    }
    return 0;
  }
  std::printf("parlo.exe start and exit as whole processes, %d rows a book, %d rounds\n", rows, rounds);
  std::printf("  %-50s %8s %8s\n", "", "median", "quartile");
  line("start to answer, no book", startEmpty);
  line("WM_CLOSE to process end, no book", exitEmpty);
  line("start to answer, a book of " + std::to_string(kScreensRows) + " rows", startScreens);
  for (const BookCase& book : books) {
    std::printf("%s (%.1f MB), %s:\n", book.title, book.bytes.size() / 1e6, book.change);
    line("durable write (new, flush, rename)", book.durable);
    line("read and line scan", book.read);
    line("start to answer, with the book", book.start);
    line("WM_CLOSE to process end, book as it was read", book.exitAsRead);
    line(std::string("the same, ") + book.change, book.exitChanged);
    line("durable write right after that exit", book.durableAfter);
    std::printf("  start beyond an empty start / (read + line scan)  ratio %5.2f %8.2f\n",
                (Median(book.start) - Median(startEmpty)) / Median(book.read),
                (Quartile(book.start) - Quartile(startEmpty)) / Quartile(book.read));
    std::printf("  exit after the change beyond an empty exit / write  ratio %5.2f %8.2f\n",
                (Median(book.exitChanged) - Median(exitEmpty)) / Median(book.durable),
                (Quartile(book.exitChanged) - Quartile(exitEmpty)) / Quartile(book.durable));
    std::printf("  the same against the write right after the exit     ratio %5.2f %8.2f\n",
                (Median(book.exitChanged) - Median(exitEmpty)) / Median(book.durableAfter),
                (Quartile(book.exitChanged) - Quartile(exitEmpty)) / Quartile(book.durableAfter));
    auto paired = [](const char* what, const std::vector<double>& ratios) {
      std::printf("  %-50s ratio %5.2f %8.2f %8.2f\n", what, Median(ratios), Quartile(ratios),
                  UpperQuartile(ratios));
    };
    paired("the start, paired by round (median, quartiles)",
           PairedRatios(book.start, 2, startEmpty, book.read));
    std::printf("  start beyond a %d-row book's / (read + line scan)   ratio %5.2f %8.2f\n", kScreensRows,
                (Median(book.start) - Median(startScreens)) / Median(book.read),
                (Quartile(book.start) - Quartile(startScreens)) / Quartile(book.read));
    paired("the same, paired by round", PairedRatios(book.start, 2, startScreens, book.read));
    paired("the changed exit, paired by round", PairedRatios(book.exitChanged, 1, exitEmpty, book.durable));
    std::printf(
        "  exit of the book as read beyond an empty exit    %5.1f ms %5.1f ms, written at %d of %d exits\n",
        (Median(book.exitAsRead) - Median(exitEmpty)) * 1e3,
        (Quartile(book.exitAsRead) - Quartile(exitEmpty)) * 1e3, book.written, rounds + 1);
    if (book.phases.empty()) continue;
    static const char* const kPhases[] = {
        "  phase: WM_CLOSE to the window hidden", "  phase: hidden to the book replaced (the save)",
        "  phase: replaced to the process end", "  phases in all (watched)"};
    for (size_t phase = 0; phase < 4; ++phase) {
      std::vector<double> values;
      for (const std::vector<double>& seen : book.phases) values.push_back(seen[phase]);
      line(kPhases[phase], values);
    }
  }
  return 0;
}
