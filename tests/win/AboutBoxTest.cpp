// The About box with real windows: its layout and look, where it opens, how it closes, and the
// main window's About button around it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/files/MemoryFileStore.h"
#include "core/book/PhraseGrid.h"
#include "forms/ControlIds.h"
#include "forms/Fonts.h"
#include "forms/Unit_About.h"
#include "forms/Unit_Main.h"
#include "res/resource.h"
#include "tests/win/Dpi96.h"

namespace parlo {
namespace {

// The visible About box of this thread, or null.
HWND FindAboutBox() {
  HWND box = nullptr;
  while ((box = FindWindowExA(nullptr, box, PARLO_CLASS_ABOUT, nullptr)) != nullptr) {
    if (GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() && IsWindowVisible(box)) return box;
  }
  return nullptr;
}

// Acts on the box from inside its modal loop, one step per timer tick. Once the steps have run
// out and the box still shows, it is closed, so a test never hangs.
class AboutScript {
 public:
  using Step = std::function<void(HWND box)>;

  explicit AboutScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~AboutScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  AboutScript(const AboutScript&) = delete;
  AboutScript& operator=(const AboutScript&) = delete;

  size_t StepsRun() const { return next_; }
  bool ClosedByScript() const { return closedByScript_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    AboutScript* self = current_;
    if (!self || self->busy_) return;
    HWND box = FindAboutBox();
    if (!box) return;
    self->busy_ = true;
    if (self->next_ < self->steps_.size()) {
      self->steps_[self->next_++](box);
    } else {
      self->closedByScript_ = true;
      PostMessageA(box, WM_CLOSE, 0, 0);
    }
    self->busy_ = false;
  }

  static inline AboutScript* current_ = nullptr;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
  bool closedByScript_ = false;
  UINT_PTR timer_ = 0;
};

std::string TextOf(HWND hwnd) {
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
  RECT rc;
  GetWindowRect(control, &rc);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

LOGFONTA FontOf(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

#define EXPECT_RECT(rc, l, t, w, h)       \
  do {                                    \
    EXPECT_EQ((rc).left, l);              \
    EXPECT_EQ((rc).top, t);               \
    EXPECT_EQ((rc).right - (rc).left, w); \
    EXPECT_EQ((rc).bottom - (rc).top, h); \
  } while (0)

// The pixels of a window's client area as it now shows on screen, row by row.
class Pixels {
 public:
  explicit Pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width_, height_);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, dc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    Read(memory, bitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
  }
  // The pixels of a bitmap.
  explicit Pixels(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    width_ = info.bmWidth;
    height_ = info.bmHeight;
    pixels_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
    HDC dc = CreateCompatibleDC(nullptr);
    Read(dc, bitmap);
    DeleteDC(dc);
  }

  COLORREF At(int x, int y) const {
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x];
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  void Read(HDC dc, HBITMAP bitmap) {
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width_;
    bmi.bmiHeader.biHeight = -height_;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(pixels_.size());
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(height_), raw.data(), &bmi, DIB_RGB_COLORS);
    for (size_t i = 0; i < raw.size(); ++i)
      pixels_[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;
};

bool IsLight(COLORREF c) {
  return GetRValue(c) > 160 && GetGValue(c) > 160 && GetBValue(c) > 160;
}

class AboutBoxTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (owner_) DestroyWindow(owner_);
  }

  // A plain visible window to own the box, at the given place.
  HWND MakeOwner(int x, int y) {
    owner_ = CreateWindowExA(0, "Static", "owner", WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, 160, 120, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    return owner_;
  }

  int Run(std::vector<AboutScript::Step> steps, HWND owner = nullptr) {
    const size_t count = steps.size();
    TAboutBox box;
    AboutScript script(std::move(steps));
    int result = box.ShowModal(owner);
    // Checks made inside the box pass unseen when it never shows.
    EXPECT_EQ(script.StepsRun(), count) << "the box did not show";
    closedByScript_ = script.ClosedByScript();
    return result;
  }

  HWND owner_ = nullptr;
  bool closedByScript_ = false;
};

TEST_F(AboutBoxTest, IsAFixedTopmostDialogWithTheLaidOutControls) {
  int result = Run({[](HWND box) {
    EXPECT_EQ(TextOf(box), "Parlo!");
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 293);
    EXPECT_EQ(client.bottom, 212);
    LONG style = GetWindowLongA(box, GWL_STYLE);
    EXPECT_TRUE(GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_NE(SendMessageA(box, WM_GETICON, ICON_BIG, 0), 0);

    HWND panel = GetDlgItem(box, IDC_ABOUT_PANEL1);
    ASSERT_NE(panel, nullptr);
    EXPECT_RECT(RectInParent(panel), 4, 4, 285, 181);

    struct Expected {
      int id;
      int left, top, width, height;
      const char* text;
    };
    const Expected labels[] = {
        {IDC_ABOUT_LABEL1, 8, 8, 61, 19, "Parlo!"},
        {IDC_ABOUT_LABEL4, 80, 12, 67, 15, "version 1.14"},
        {IDC_ABOUT_LABEL2, 8, 28, 200, 15, TAboutBox::kCreditText},
        {IDC_ABOUT_LABEL3, 8, 40, 185, 15, TAboutBox::kEmailText},
        {IDC_ABOUT_LABEL5, 8, 160, 250, 15, "\"UO is one of the best communication tools...\""},
    };
    for (const Expected& e : labels) {
      SCOPED_TRACE(e.text);
      HWND label = GetDlgItem(panel, e.id);
      ASSERT_NE(label, nullptr);
      EXPECT_EQ(TextOf(label), e.text);
      EXPECT_RECT(RectInParent(label), e.left, e.top, e.width, e.height);
      LOGFONTA font = FontOf(label);
      // Arial where the system has it; a system without it shows a stand-in of the same size.
      if (FontInstalled("Arial", ANSI_CHARSET)) {
        EXPECT_STREQ(font.lfFaceName, "Arial");
        EXPECT_EQ(font.lfCharSet, ANSI_CHARSET);
      }
      EXPECT_EQ(font.lfHeight, e.id == IDC_ABOUT_LABEL1 ? -16 : -12);
      EXPECT_EQ(font.lfWeight >= FW_BOLD, e.id == IDC_ABOUT_LABEL1);
      EXPECT_FALSE(GetWindowLongA(label, GWL_STYLE) & WS_TABSTOP);
    }
    EXPECT_EQ(TextOf(GetDlgItem(panel, IDC_ABOUT_LABEL3)).rfind("e-mail: ", 0), 0u);

    HWND image = GetDlgItem(panel, IDC_ABOUT_IMAGE1);
    ASSERT_NE(image, nullptr);
    EXPECT_RECT(RectInParent(image), 137, 41, 144, 135);
    EXPECT_NE(SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);

    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(TextOf(ok), "OK");
    EXPECT_RECT(RectInParent(ok), 115, 188, 62, 21);
    EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(LOWORD(SendMessageA(box, DM_GETDEFID, 0, 0)), IDOK);
    // The panel comes first in the tab order but holds nothing to stop at: OK has the focus
    // and Tab stays on it.
    EXPECT_EQ(GetFocus(), ok);
    EXPECT_EQ(GetNextDlgTabItem(box, ok, FALSE), ok);
    EXPECT_EQ(GetWindow(panel, GW_HWNDNEXT), ok) << "panel before OK in the tab order";
  }});
  EXPECT_TRUE(closedByScript_);
  EXPECT_EQ(result, IDCANCEL);
}

// How wide the system draws Arial's "a", in thousandths of the em: 556 in Arial and in Liberation
// Sans, its metric twin. Wine on a machine with only the DejaVu fonts draws "Arial" with a wider
// stand-in (596), and every label measured for Arial is then too short.
int ArialAdvanceOfA() {
  HDC dc = GetDC(nullptr);
  HFONT font = CreateFontA(-1000, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32A(dc, "a", 1, &extent);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  return extent.cx;
}

TEST_F(AboutBoxTest, ItsSizeButtonAndPictureAtEveryScale) {
  PARLO_SKIP_UNLESS_A_CHECKED_DPI();
  using testing::Expected;
  Run({[](HWND box) {
    RECT client;
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, Expected({293, 440, 586}));
    EXPECT_EQ(client.bottom, Expected({212, 318, 424}));
    HWND panel = GetDlgItem(box, IDC_ABOUT_PANEL1);
    EXPECT_RECT(RectInParent(panel), Expected({4, 6, 8}), Expected({4, 6, 8}), Expected({285, 428, 570}),
                Expected({181, 272, 362}));
    EXPECT_RECT(RectInParent(GetDlgItem(box, IDOK)), Expected({115, 173, 230}), Expected({188, 282, 376}),
                Expected({62, 93, 124}), Expected({21, 32, 42}));
    EXPECT_RECT(RectInParent(GetDlgItem(panel, IDC_ABOUT_LABEL2)), Expected({8, 12, 16}),
                Expected({28, 42, 56}), Expected({200, 300, 400}), Expected({15, 23, 30}));
    // The picture fills its laid-out rectangle, whatever scale its art was made for.
    EXPECT_RECT(RectInParent(GetDlgItem(panel, IDC_ABOUT_IMAGE1)), Expected({137, 206, 274}),
                Expected({41, 62, 82}), Expected({144, 216, 288}), Expected({135, 203, 270}));
    EXPECT_EQ(FontOf(GetDlgItem(panel, IDC_ABOUT_LABEL1)).lfHeight, Expected({-16, -24, -32}));
    EXPECT_EQ(FontOf(GetDlgItem(panel, IDC_ABOUT_LABEL2)).lfHeight, Expected({-12, -18, -24}));
  }});
}

TEST_F(AboutBoxTest, EveryLineFitsItsLabelWithoutBeingCutAtEveryScale) {
  ASSERT_NEAR(ArialAdvanceOfA(), 556, 3)
      << "this system has no font with Arial's metrics: install Arial, or under Wine the Debian package "
         "fonts-liberation (Liberation Sans), as scripts/setup.sh does";
  Run({[](HWND box) {
    HWND panel = GetDlgItem(box, IDC_ABOUT_PANEL1);
    for (int id :
         {IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL2, IDC_ABOUT_LABEL3, IDC_ABOUT_LABEL4, IDC_ABOUT_LABEL5}) {
      HWND label = GetDlgItem(panel, id);
      std::string text = TextOf(label);
      SCOPED_TRACE(text);
      HDC dc = GetDC(label);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
      SIZE extent{};
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      SelectObject(dc, old);
      ReleaseDC(label, dc);
      RECT rc;
      GetClientRect(label, &rc);
      EXPECT_LE(extent.cx, rc.right);
      EXPECT_LE(extent.cy, rc.bottom);
    }
  }});
}

TEST_F(AboutBoxTest, OpensCentredOnTheScreenWhereverItsOwnerIs) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  for (POINT at : {POINT{0, 0}, POINT{screenW - 170, screenH - 130}, POINT{30, screenH / 2}}) {
    SCOPED_TRACE(std::to_string(at.x) + "," + std::to_string(at.y));
    HWND owner = MakeOwner(at.x, at.y);
    Run({[&](HWND box) {
          RECT outer;
          GetWindowRect(box, &outer);
          EXPECT_NEAR((outer.left + outer.right) / 2, screenW / 2, 1);
          EXPECT_NEAR((outer.top + outer.bottom) / 2, screenH / 2, 1);
          EXPECT_EQ(GetWindow(box, GW_OWNER), owner);
          EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner takes no input while the box shows";
          SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        }},
        owner);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
    owner_ = nullptr;
  }
}

TEST_F(AboutBoxTest, OkEnterEscAndTheCloseBoxCloseIt) {
  EXPECT_EQ(Run({[](HWND box) { SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }}), IDOK);
  EXPECT_FALSE(closedByScript_);

  // Enter goes to the focused control; the dialog manager turns it into the default button.
  EXPECT_EQ(Run({[](HWND) {
              HWND focus = GetFocus();
              PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 1);
              PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC0000001);
            }}),
            IDOK);
  EXPECT_FALSE(closedByScript_);

  EXPECT_EQ(Run({[](HWND) {
              HWND focus = GetFocus();
              PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
              PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
            }}),
            IDCANCEL);
  EXPECT_FALSE(closedByScript_);

  EXPECT_EQ(Run({[](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }}), IDCANCEL);
  EXPECT_FALSE(closedByScript_);
  EXPECT_EQ(FindAboutBox(), nullptr) << "gone once ShowModal returns";
}

// How the box looks once painted: white text on black, the picture opaque, and the sentence's
// letters over the picture's lower part with the picture showing between them.
class AboutBoxLookTest : public AboutBoxTest {
 protected:
  void Look(const std::function<void(HWND box, HWND panel)>& check) {
    Run({[&](HWND box) {
      RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      check(box, GetDlgItem(box, IDC_ABOUT_PANEL1));
    }});
  }
  static HBITMAP Picture() {
    return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_ABOUT),
                                           IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }

  // Over a label's part that lies on the picture: how many pixels show the picture as it is,
  // and how many are light (letters).
  struct LabelOverPicture {
    int picture = 0;
    int light = 0;
    int other = 0;
  };
  static LabelOverPicture Inspect(HWND panel, int labelId) {
    Pixels screen(panel);
    HBITMAP bitmap = Picture();
    Pixels art(bitmap);
    DeleteObject(bitmap);
    RECT label = RectInParent(GetDlgItem(panel, labelId));
    LabelOverPicture seen;
    for (int y = std::max<int>(label.top, 41); y < std::min<int>(label.bottom, 41 + 135); ++y) {
      for (int x = std::max<int>(label.left, 137); x < std::min<int>(label.right, 137 + 144); ++x) {
        COLORREF shown = screen.At(x, y);
        if (shown == art.At(x - 137, y - 41))
          ++seen.picture;
        else if (IsLight(shown))
          ++seen.light;
        else
          ++seen.other;
      }
    }
    return seen;
  }
};

TEST_F(AboutBoxLookTest, TextIsWhiteOnTheBlackPanelAndThePictureIsDrawnAsItIs) {
  Look([](HWND, HWND panel) {
    Pixels screen(panel);
    ASSERT_EQ(screen.Width(), 285);
    // Around the title and in the gap under it: only the black of the panel and white text.
    int light = 0;
    for (int y = 8; y < 27; ++y) {
      for (int x = 8; x < 69; ++x) {
        COLORREF c = screen.At(x, y);
        if (IsLight(c)) ++light;
        EXPECT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c))
            << "grey levels only, at " << x << "," << y;
      }
    }
    EXPECT_GT(light, 40) << "the title's letters";
    EXPECT_EQ(screen.At(100, 100), RGB(0, 0, 0)) << "the panel between the labels and the picture";
    EXPECT_EQ(screen.At(60, 60), RGB(0, 0, 0));

    HBITMAP bitmap = Picture();
    ASSERT_NE(bitmap, nullptr);
    Pixels art(bitmap);
    DeleteObject(bitmap);
    // Between the e-mail line (to row 55) and the sentence (from row 160).
    int same = 0;
    for (int y = 55; y < 160; ++y)
      for (int x = 0; x < 144; ++x) same += screen.At(137 + x, y) == art.At(x, y - 41);
    EXPECT_EQ(same, 144 * 105) << "the picture, pixel for pixel";
  });
}

TEST_F(AboutBoxLookTest, TheSentenceLiesOverThePictureWithoutABackground) {
  Look([](HWND, HWND panel) {
    const int area = (258 - 137) * 15;
    LabelOverPicture seen = Inspect(panel, IDC_ABOUT_LABEL5);
    EXPECT_GT(seen.light, 60) << "letters over the picture";
    EXPECT_GT(seen.picture, area / 2) << "the picture between the letters";
    EXPECT_LT(seen.other, area / 4) << "anti-aliased edges at most";

    // Only the picture repaints (something uncovered it): the letters stay.
    HWND image = GetDlgItem(panel, IDC_ABOUT_IMAGE1);
    RedrawWindow(image, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    LabelOverPicture again = Inspect(panel, IDC_ABOUT_LABEL5);
    EXPECT_EQ(again.light, seen.light);
    // Only the sentence repaints: the picture still shows behind it.
    RedrawWindow(GetDlgItem(panel, IDC_ABOUT_LABEL5), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    LabelOverPicture once = Inspect(panel, IDC_ABOUT_LABEL5);
    EXPECT_EQ(once.picture, seen.picture);
    EXPECT_EQ(once.light, seen.light);
  });
}

TEST_F(AboutBoxLookTest, TheEmailLineCutsNoBlackBoxOutOfThePictureItReaches) {
  Look([](HWND, HWND panel) {
    LabelOverPicture seen = Inspect(panel, IDC_ABOUT_LABEL3);
    EXPECT_EQ(seen.other + seen.light + seen.picture, (193 - 137) * (55 - 41))
        << "the line does reach the picture";
    EXPECT_GT(seen.picture, (193 - 137) * (55 - 41) / 2);
    EXPECT_LT(seen.other, (193 - 137) * (55 - 41) / 4);
  });
}

// ---- The main window's About button ----

class MainAboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files_.Put("C:\\parlo-about\\saya.txt", "[PARLO!]\r\nhi\thello\r\n");
    MainServices services;
    services.exePath = "C:\\parlo-about\\parlo.exe";
    services.files = &files_;
    services.messageBox = [](HWND, const Bytes& text, const Bytes&, unsigned) {
      ADD_FAILURE() << "unexpected message box: " << text;
      return IDNO;
    };
    main_ = std::make_unique<TForm_Main>(services);
    main_->Create();
    ASSERT_NE(main_->Handle(), nullptr);
    main_->Show(SW_SHOWNOACTIVATE);
  }
  void TearDown() override {
    if (main_ && main_->Handle()) DestroyWindow(main_->Handle());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message != WM_QUIT) DispatchMessageA(&msg);
    }
    main_.reset();
  }

  bool Topmost() const { return (GetWindowLongA(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
  // Clicks About; the script closes the box with OK.
  void ClickAbout(std::function<void(HWND box)> look = {}) {
    AboutScript script({[&](HWND box) {
      if (look) look(box);
      SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }});
    SendMessageA(main_->Control(IDC_BUTTON_ABOUT), BM_CLICK, 0, 0);
    EXPECT_EQ(script.StepsRun(), 1u) << "the box showed";
    EXPECT_FALSE(script.ClosedByScript());
  }

  // Label and text of every row, and the current cell.
  std::vector<Bytes> Rows() const {
    const GridModel& grid = main_->Grid().Model();
    std::vector<Bytes> rows;
    for (int row = 0; row < grid.RowCount(); ++row) rows.push_back(grid.Label(row) + "|" + grid.Text(row));
    rows.push_back("current " + std::to_string(grid.Col()) + "," + std::to_string(grid.Row()));
    return rows;
  }

  MemoryFileStore files_;
  std::unique_ptr<TForm_Main> main_;
};

TEST_F(MainAboutTest, TheBoxIsOwnedByTheMainWindowWhichTakesNoInputMeanwhile) {
  ClickAbout([this](HWND box) {
    EXPECT_EQ(GetWindow(box, GW_OWNER), main_->Handle());
    EXPECT_FALSE(IsWindowEnabled(main_->Handle()));
  });
  EXPECT_TRUE(IsWindowEnabled(main_->Handle()));
  EXPECT_EQ(FindAboutBox(), nullptr);
}

TEST_F(MainAboutTest, StayOnTopIsAppliedAgainAfterTheBoxCloses) {
  main_->StayOnTop = true;
  SetWindowPos(main_->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ASSERT_FALSE(Topmost());
  ClickAbout();
  EXPECT_TRUE(Topmost());

  main_->StayOnTop = false;
  ClickAbout();
  EXPECT_FALSE(Topmost());
}

TEST_F(MainAboutTest, NothingOfTheMainWindowChanges) {
  ASSERT_EQ(main_->CurrentFile, "saya.txt");
  SendMessageA(main_->Control(IDC_CHECKBOX_YELL), BM_SETCHECK, BST_CHECKED, 0);
  const std::vector<Bytes> before = Rows();
  ASSERT_GE(before.size(), 2u);
  RECT boundsBefore;
  GetWindowRect(main_->Handle(), &boundsBefore);

  ClickAbout();

  EXPECT_EQ(main_->CurrentFile, "saya.txt");
  EXPECT_TRUE(main_->Checked(IDC_CHECKBOX_YELL));
  EXPECT_FALSE(main_->Checked(IDC_CHECKBOX_PASTE));
  EXPECT_EQ(Rows(), before);
  RECT boundsAfter;
  GetWindowRect(main_->Handle(), &boundsAfter);
  EXPECT_TRUE(EqualRect(&boundsBefore, &boundsAfter));
  EXPECT_EQ(files_.WriteCalls(), 0) << "no file is written";
}

}  // namespace
}  // namespace parlo
