#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/screen/ArtScale.h"

namespace parlo {
namespace {

TEST(ArtScale, NearestDrawnScaleHalfwayTakesTheSmallerOutOfRangeTheNearestEnd) {
  struct Case {
    int dpi, percent;
  };
  // Each drawn scale at its own dpi; the halfway points 108, 132 and 168 dpi and their neighbours;
  // values past either end.
  const Case cases[] = {{96, 100},
                        {120, 125},
                        {144, 150},
                        {192, 200},
                        {107, 100},
                        {108, 100},
                        {109, 125},
                        {131, 125},
                        {132, 125},
                        {133, 150},
                        {167, 150},
                        {168, 150},
                        {169, 200},
                        {72, 100},
                        {0, 100},
                        {-96, 100},
                        {240, 200},
                        {288, 200},
                        {std::numeric_limits<int32_t>::min(), 100},
                        {std::numeric_limits<int32_t>::max(), 200}};
  for (const Case& c : cases) EXPECT_EQ(ArtScaleForDpi(c.dpi), c.percent) << c.dpi;
}

}  // namespace
}  // namespace parlo
