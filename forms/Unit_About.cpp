// The About box.
#include "forms/Unit_About.h"

#include <utility>

#include "forms/ControlIds.h"
#include "res/resource.h"

namespace parlo {

const char* const TAboutBox::kVersionText = "version 1.14";
const char* const TAboutBox::kCreditText = "(C) 2026 The Parlo developers";
const char* const TAboutBox::kEmailText = "e-mail: parlo@example.org";
const char* const TAboutBox::kSentenceText = "\"UO is one of the best communication tools...\"";

namespace {

constexpr FontSpec kFont{"Arial", -12, ANSI_CHARSET, false};
constexpr FontSpec kTitleFont{"Arial", -16, ANSI_CHARSET, true};
constexpr COLORREF kPanelColor = RGB(0, 0, 0);
constexpr COLORREF kTextColor = RGB(255, 255, 255);

// The box is drawn to exact rectangles: its labels keep their size instead of fitting their text,
// never wrap, and show an ampersand as it is.
constexpr ControlKind kFixedLabel = ControlKind::Custom;
constexpr const char* kStatic = "Static";
constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr int kLabelIds[] = {IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL2, IDC_ABOUT_LABEL3, IDC_ABOUT_LABEL4,
                             IDC_ABOUT_LABEL5};

// CreateCompatibleDC / DeleteDC.
class CompatibleDc {
 public:
  explicit CompatibleDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~CompatibleDc() {
    if (dc_) DeleteDC(dc_);
  }
  CompatibleDc(const CompatibleDc&) = delete;
  CompatibleDc& operator=(const CompatibleDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

constexpr int kPictureLeft = 137, kPictureTop = 41, kPictureWidth = 144, kPictureHeight = 135;

const ControlSpec kLayout[] = {
    {IDC_ABOUT_PANEL1, ControlKind::Panel, 0, 4, 4, 285, 181, nullptr, 0, true, nullptr, nullptr, 0,
     PanelBevel::Lowered},
    {IDC_ABOUT_LABEL1, kFixedLabel, IDC_ABOUT_PANEL1, 8, 8, 61, 19, "Parlo!", -1, true, &kTitleFont, kStatic,
     kLabelStyle},
    {IDC_ABOUT_LABEL4, kFixedLabel, IDC_ABOUT_PANEL1, 80, 12, 67, 15, TAboutBox::kVersionText, -1, true,
     nullptr, kStatic, kLabelStyle},
    {IDC_ABOUT_LABEL2, kFixedLabel, IDC_ABOUT_PANEL1, 8, 28, 200, 15, TAboutBox::kCreditText, -1, true,
     nullptr, kStatic, kLabelStyle},
    {IDC_ABOUT_LABEL3, kFixedLabel, IDC_ABOUT_PANEL1, 8, 40, 185, 15, TAboutBox::kEmailText, -1, true,
     nullptr, kStatic, kLabelStyle},
    {IDC_ABOUT_LABEL5, kFixedLabel, IDC_ABOUT_PANEL1, 8, 160, 250, 15, TAboutBox::kSentenceText, -1, true,
     nullptr, kStatic, kLabelStyle},
    // Clipped by the labels above it, so a repaint of the picture cannot wipe their text out.
    {IDC_ABOUT_IMAGE1, ControlKind::Bitmap, IDC_ABOUT_PANEL1, kPictureLeft, kPictureTop, kPictureWidth,
     kPictureHeight, nullptr, -1, true, nullptr, nullptr, WS_CLIPSIBLINGS},
    {IDOK, ControlKind::DefaultButton, 0, 115, 188, 62, 21, "OK", 1, true, nullptr},
};

}  // namespace

TAboutBox::TAboutBox()
    : ModalForm(Frame{PARLO_CLASS_ABOUT, "Parlo!", 293, 212, true, kFont, kLayout,
                      sizeof kLayout / sizeof kLayout[0]}),
      black_(CreateSolidBrush(kPanelColor)) {}

void TAboutBox::ComponentsCreated() {
  HINSTANCE module = ModuleInstance();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadIconA(module, MAKEINTRESOURCEA(IDI_PARLO))));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadImageA(module, MAKEINTRESOURCEA(IDI_PARLO), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), LR_SHARED)));

  if (Panel* panel = controls_.PanelOf(IDC_ABOUT_PANEL1)) panel->SetColor(kPanelColor);

  picture_.Reset(
      static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(IDB_ABOUT), IMAGE_BITMAP, 0, 0, 0)));
  PlacePicture();
  // The labels lie above the picture, which keeps out of their rectangles (they draw what is
  // under them themselves).
  for (int id : kLabelIds)
    SetWindowPos(Control(id), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  PaintBehindLabels();
}

void TAboutBox::DpiChanged() {
  PlacePicture();
  backdrops_.clear();
  PaintBehindLabels();
}

void TAboutBox::PlacePicture() {
  const int width = controls_.Scale(kPictureWidth), height = controls_.Scale(kPictureHeight);
  BITMAP info{};
  if (picture_ && GetObjectA(picture_.Get(), sizeof info, &info) &&
      (info.bmWidth != width || info.bmHeight != height)) {
    WindowDc screen(nullptr);
    Bitmap sized(CreateCompatibleBitmap(screen.Get(), width, height));
    CompatibleDc from(screen.Get()), to(screen.Get());
    {
      SelectScope selectFrom(from.Get(), picture_.Get());
      SelectScope selectTo(to.Get(), sized.Get());
      SetStretchBltMode(to.Get(), HALFTONE);
      StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    picture_ = std::move(sized);
  }
  if (picture_)
    SendMessageA(Control(IDC_ABOUT_IMAGE1), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(picture_.Get()));
  // The static sizes itself to the picture; keep it where it was laid out.
  SetWindowPos(Control(IDC_ABOUT_IMAGE1), nullptr, controls_.Scale(kPictureLeft),
               controls_.Scale(kPictureTop), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutBox::PaintBehindLabels() {
  RECT image;
  GetWindowRect(Control(IDC_ABOUT_IMAGE1), &image);
  WindowDc screen(nullptr);
  for (int id : kLabelIds) {
    HWND label = Control(id);
    RECT rc;
    GetWindowRect(label, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) continue;

    Backdrop backdrop{label, Bitmap(CreateCompatibleBitmap(screen.Get(), width, height)), Brush()};
    CompatibleDc canvas(screen.Get());
    {
      SelectScope select(canvas.Get(), backdrop.pixels.Get());
      RECT all{0, 0, width, height};
      FillRect(canvas.Get(), &all, black_.Get());
      if (picture_) {
        CompatibleDc source(screen.Get());
        SelectScope selectPicture(source.Get(), picture_.Get());
        BitBlt(canvas.Get(), image.left - rc.left, image.top - rc.top, image.right - image.left,
               image.bottom - image.top, source.Get(), 0, 0, SRCCOPY);
      }
    }
    backdrop.brush.Reset(CreatePatternBrush(backdrop.pixels.Get()));
    backdrops_.push_back(std::move(backdrop));
  }
}

HBRUSH TAboutBox::LabelColors(HDC dc, HWND control) {
  SetTextColor(dc, kTextColor);
  SetBkColor(dc, kPanelColor);
  SetBkMode(dc, TRANSPARENT);
  for (const Backdrop& backdrop : backdrops_) {
    if (backdrop.label == control && backdrop.brush) {
      // The label fills its rectangle from the brush's origin, its own top-left corner.
      SetBrushOrgEx(dc, 0, 0, nullptr);
      return backdrop.brush.Get();
    }
  }
  return black_.Get();
}

LRESULT TAboutBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(
          LabelColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    default:
      return ModalForm::WndProc(message, wParam, lParam);
  }
}

}  // namespace parlo
