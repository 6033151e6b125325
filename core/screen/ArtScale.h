#pragma once
#include <cstdint>

namespace parlo {

// The display scales, in percent of 96 dpi, that the program's pictures are drawn for.
inline constexpr int32_t kArtScales[] = {100, 125, 150, 200};

// The drawn scale nearest to a screen of dpi pixels per inch. Halfway between two scales the
// smaller wins, so that a picture never outgrows the room the scaled layout gives it. Below 96 dpi
// (or with none known, 0 or less) it is 100 %; past 192 dpi it is 200 %.
int32_t ArtScaleForDpi(int32_t dpi);

}  // namespace parlo
