// Painting a full view of the phrase grid: a 100,000-row book against a 10-row book, both
// showing ten rows. The baseline is measured in the same run; the ratio should be close to 1,
// since only the rows in view are painted. Then both again at 200 % (192 dpi), where every
// cell, font and gem is twice the size.
//
//   grid_paint_bench [--quick]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/win/Seconds.h"
#include "core/screen/DpiScale.h"
#include "forms/Gdi.h"
#include "forms/PhraseGridControl.h"

namespace {

using namespace parlo;

constexpr int kRowHeight = 17;
constexpr int kViewRows = 10;

// Draws an 11 x 11 picture into every button cell, as the main window does with its gems.
class GlyphOwner : public GridEvents {
 public:
  GlyphOwner() {
    HDC screen = GetDC(nullptr);
    glyphDc_ = CreateCompatibleDC(screen);
    glyph_.Reset(CreateCompatibleBitmap(screen, 11, 11));
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(glyphDc_, glyph_.Get());
    RECT all{0, 0, 11, 11};
    Brush blue(CreateSolidBrush(RGB(40, 70, 200)));
    FillRect(glyphDc_, &all, blue.Get());
  }
  ~GlyphOwner() override {
    SelectObject(glyphDc_, old_);
    DeleteDC(glyphDc_);
  }
  void StringGrid1DrawCell(HDC dc, int col, int, const RECT& rect) override {
    if (col != kColButton) return;
    int x = rect.left + (rect.right - rect.left) / 2 - size / 2;
    int y = rect.top + (rect.bottom - rect.top) / 2 - size / 2;
    if (size == 11)
      BitBlt(dc, x, y, 11, 11, glyphDc_, 0, 0, SRCCOPY);
    else
      StretchBlt(dc, x, y, size, size, glyphDc_, 0, 0, 11, 11, SRCCOPY);
  }
  int size = 11;  // the gem's side on the screen
  void StringGrid1MouseDown(MouseButton, int, int) override {}
  void StringGrid1MouseMove(int, int) override {}
  void StringGrid1MouseUp(MouseButton, int, int) override {}
  void StringGrid1SelectCell(int, int, bool&) override {}
  void StringGrid1SetEditText(int, int, const Bytes&) override {}
  void StringGrid1CaptureLost() override {}

 private:
  HDC glyphDc_ = nullptr;
  Bitmap glyph_;
  HGDIOBJ old_ = nullptr;
};

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// One grid in its own window, filled with a book of `rows` say lines.
struct Subject {
  explicit Subject(int rows, HWND host, int top) : grid(owner) {
    grid.Create(host, 1000 + rows % 1000, 0, top, 380, kViewRows * kRowHeight + 4);
    grid.SetDefaultRowHeight(kRowHeight);
    grid.SetColWidth(kColLabel, 4 * kRowHeight);
    grid.SetColWidth(kColText, 240);
    GridModel& model = grid.Model();
    model.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
      model.SetCell(kColLabel, r, "label " + std::to_string(r));
      model.SetCell(kColText, r, "a line of say text number " + std::to_string(r) + ", long enough to be real");
    }
    model.SetCol(kColLabel);
    grid.SetTopRow(rows / 2);  // the middle of the book
  }
  // The same view at another dpi: the grid's own metrics follow it, the owner's are set as the
  // main window sets them.
  void MoveToDpi(int dpi, int top) {
    grid.SetDpi(dpi);
    MoveWindow(grid.Handle(), 0, top, ScaleForDpi(380, dpi), ScaleForDpi(kViewRows * kRowHeight + 4, dpi),
               TRUE);
    grid.SetDefaultRowHeight(ScaleForDpi(kRowHeight, dpi));
    grid.SetColWidth(kColLabel, 4 * grid.DefaultRowHeight());
    grid.SetColWidth(kColText, ScaleForDpi(240, dpi));
    owner.size = ScaleForDpi(11, dpi);
  }
  GlyphOwner owner;
  PhraseGridControl grid;
};

// Seconds per paint, the median of several batches.
template <typename Paint>
double Measure(Paint paint, int batches, int perBatch) {
  std::vector<double> samples;
  for (int i = 0; i < 3; ++i) paint();  // warm the caches and the font
  for (int b = 0; b < batches; ++b) {
    double start = Now();
    for (int i = 0; i < perBatch; ++i) paint();
    samples.push_back((Now() - start) / perBatch);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  int batches = quick ? 3 : 15;
  int perBatch = quick ? 20 : 200;

  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ParloGridBench";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "ParloGridBench", "grid bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                              0, 0, 420, 2 * (kViewRows * kRowHeight + 4) + 60, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!host) {
    std::fprintf(stderr, "no window (is there a display?)\n");
    return 1;
  }
  double fillStart = Now();
  Subject small(10, host, 0);
  Subject large(100000, host, kViewRows * kRowHeight + 8);
  double fillSeconds = Now() - fillStart;
  Pump();

  auto intoMemory = [](Subject& s) {
    return [&s] {
      RECT client;
      GetClientRect(s.grid.Handle(), &client);
      HDC screen = GetDC(s.grid.Handle());
      MemoryDc buffer(screen, client.right, client.bottom);
      ReleaseDC(s.grid.Handle(), screen);
      s.grid.PaintTo(buffer.Get(), client);
    };
  };
  auto throughWmPaint = [](Subject& s) {
    return [&s] {
      InvalidateRect(s.grid.Handle(), nullptr, FALSE);
      UpdateWindow(s.grid.Handle());
    };
  };

  // Both books painted into memory and through WM_PAINT, the large one's times against the small one's.
  auto measureAndReport = [&] {
    const double memorySmall = Measure(intoMemory(small), batches, perBatch);
    const double memoryLarge = Measure(intoMemory(large), batches, perBatch);
    const double paintSmall = Measure(throughWmPaint(small), batches, perBatch);
    const double paintLarge = Measure(throughWmPaint(large), batches, perBatch);
    std::printf("  %-34s %10.1f us\n", "PaintTo memory DC, 10-row book", memorySmall * 1e6);
    std::printf("  %-34s %10.1f us   ratio %.2f\n", "PaintTo memory DC, 100,000-row book", memoryLarge * 1e6,
                memoryLarge / memorySmall);
    std::printf("  %-34s %10.1f us\n", "WM_PAINT, 10-row book", paintSmall * 1e6);
    std::printf("  %-34s %10.1f us   ratio %.2f\n", "WM_PAINT, 100,000-row book", paintLarge * 1e6,
                paintLarge / paintSmall);
  };

  std::printf("grid paint, full view of %d rows (%d x %d client), median of %d batches of %d\n", kViewRows, 380,
              kViewRows * kRowHeight, batches, perBatch);
  measureAndReport();
  constexpr int kDpi200 = 192;
  SetWindowPos(host, nullptr, 0, 0, ScaleForDpi(420, kDpi200),
               ScaleForDpi(2 * (kViewRows * kRowHeight + 4) + 60, kDpi200), SWP_NOMOVE | SWP_NOZORDER);
  small.MoveToDpi(kDpi200, 0);
  large.MoveToDpi(kDpi200, ScaleForDpi(kViewRows * kRowHeight + 8, kDpi200));
  Pump();
  std::printf("at 200 %% (%d dpi, %d rows of %d pixels)\n", kDpi200, kViewRows,
              small.grid.DefaultRowHeight());
  measureAndReport();
  std::printf("  (filling both books took %.0f ms)\n", fillSeconds * 1e3);
  DestroyWindow(host);
  return 0;
}
