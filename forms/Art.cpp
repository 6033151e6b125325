#include "forms/Art.h"

#include "core/screen/ArtScale.h"
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

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace parlo
