#include "forms/Art.h"

#include "core/ArtScale.h"
#include "res/resource.h"

namespace parlo {

namespace {

struct ArtIds {
  int percent;
  int gem;
  int pressed;
  int about;
};

constexpr ArtIds kArtIds[] = {
    {100, IDB_GEM, IDB_GEM_PRESSED, IDB_ABOUT},
    {125, IDB_GEM_125, IDB_GEM_PRESSED_125, IDB_ABOUT_125},
    {150, IDB_GEM_150, IDB_GEM_PRESSED_150, IDB_ABOUT_150},
    {200, IDB_GEM_200, IDB_GEM_PRESSED_200, IDB_ABOUT_200},
};

int IdOf(const ArtIds& ids, ArtPicture picture) {
  switch (picture) {
    case ArtPicture::Gem:
      return ids.gem;
    case ArtPicture::GemPressed:
      return ids.pressed;
    case ArtPicture::About:
      return ids.about;
  }
  return ids.gem;
}

HBITMAP LoadBitmapResource(HINSTANCE module, int id) {
  return static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

// The window's dpi: GetDpiForWindow where user32 has it (Windows 10 1607 on), else the screen's.
// Looked up at run time so that the program still starts on Windows 7.
int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  WindowDc screen(nullptr);
  return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

}  // namespace

int ArtResourceId(ArtPicture picture, int percent) {
  for (const ArtIds& ids : kArtIds) {
    if (ids.percent == percent) return IdOf(ids, picture);
  }
  return IdOf(kArtIds[0], picture);
}

Bitmap LoadArt(HINSTANCE module, ArtPicture picture, int dpi) {
  const int percent = ArtScaleForDpi(dpi);
  Bitmap bitmap(LoadBitmapResource(module, ArtResourceId(picture, percent)));
  if (!bitmap && percent != 100) bitmap.Reset(LoadBitmapResource(module, ArtResourceId(picture, 100)));
  return bitmap;
}

Bitmap LoadArtFor(HWND window, HINSTANCE module, ArtPicture picture) {
  return LoadArt(module, picture, WindowDpi(window));
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace parlo
