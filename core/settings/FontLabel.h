#pragma once
#include <cstdint>

#include "core/text/Bytes.h"

namespace parlo {

// Points of a font of the given pixel height (negative: character height, as fonts are made)
// on a screen of dpi pixels per inch: -height * 72 / dpi, rounded half away from zero.
int32_t PointsFromHeight(int32_t heightPx, int32_t dpi);
// The pixel height that gives a font of that many points: -points * dpi / 72, rounded the same way.
int32_t HeightFromPoints(int32_t points, int32_t dpi);

// "Arial, 9point": the face, a comma and a blank, the points, then "point".
Bytes FontLabelText(const Bytes& face, int32_t heightPx, int32_t dpi);

}  // namespace parlo
