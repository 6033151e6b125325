#pragma once
// The program's pictures that come drawn for several display scales.
#include <windows.h>

#include "forms/Gdi.h"

namespace parlo {

enum class ArtPicture { Gem, GemPressed, About };

// The resource id of a picture as drawn for percent (100, 125, 150 or 200); any other percent
// gives the 96-dpi picture's id.
int ArtResourceId(ArtPicture picture, int percent);

// The picture drawn for the scale nearest to dpi, from module's resources. A module that lacks
// that scale's picture gives the 96-dpi one; one that holds neither gives an empty bitmap.
Bitmap LoadArt(HINSTANCE module, ArtPicture picture, int dpi);

// A bitmap's size in pixels; 0 x 0 for none.
SIZE BitmapSize(HBITMAP bitmap);

}  // namespace parlo
