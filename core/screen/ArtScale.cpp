#include "core/screen/ArtScale.h"

#include <cstdlib>
#include <limits>

namespace parlo {

int32_t ArtScaleForDpi(int32_t dpi) {
  int32_t best = kArtScales[0];
  int64_t bestGap = std::numeric_limits<int64_t>::max();
  // In hundredths of a dpi, so that 125 % (120 dpi) and its neighbours compare exactly.
  for (int32_t scale : kArtScales) {
    const int64_t gap = std::llabs(int64_t{dpi} * 100 - int64_t{96} * scale);
    if (gap < bestGap) {  // the scales ascend, so a tie keeps the smaller
      best = scale;
      bestGap = gap;
    }
  }
  return best;
}

}  // namespace parlo
