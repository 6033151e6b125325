#include "core/settings/FontLabel.h"

#include <cstdint>
#include <limits>
#include <string>

namespace parlo {
namespace {

// a * b / c rounded half away from zero and kept within 32 bits; 0 for a zero divisor.
int32_t ScaleRounded(int64_t a, int64_t b, int64_t c) {
  if (c == 0) return 0;
  if (c < 0) {
    a = -a;
    c = -c;
  }
  int64_t product = a * b;  // both within 32 bits, so no overflow
  int64_t magnitude = ((product < 0 ? -product : product) + c / 2) / c;
  int64_t result = product < 0 ? -magnitude : magnitude;
  if (result > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (result < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(result);
}

}  // namespace

int32_t PointsFromHeight(int32_t heightPx, int32_t dpi) { return ScaleRounded(-int64_t{heightPx}, 72, dpi); }

int32_t HeightFromPoints(int32_t points, int32_t dpi) { return ScaleRounded(-int64_t{points}, dpi, 72); }

Bytes FontLabelText(const Bytes& face, int32_t heightPx, int32_t dpi) {
  return face + ", " + std::to_string(PointsFromHeight(heightPx, dpi)) + "point";
}

}  // namespace parlo
