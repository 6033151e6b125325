#include <gtest/gtest.h>

#include <limits>

#include "core/ArtScale.h"

namespace parlo {
namespace {

TEST(ArtScale, EachDrawnScaleAtItsOwnDpi) {
  EXPECT_EQ(ArtScaleForDpi(96), 100);
  EXPECT_EQ(ArtScaleForDpi(120), 125);
  EXPECT_EQ(ArtScaleForDpi(144), 150);
  EXPECT_EQ(ArtScaleForDpi(192), 200);
}

TEST(ArtScale, NearestWinsAndHalfwayTakesTheSmaller) {
  // Halfway points: 108 dpi (112.5 %), 132 dpi (137.5 %), 168 dpi (175 %).
  EXPECT_EQ(ArtScaleForDpi(107), 100);
  EXPECT_EQ(ArtScaleForDpi(108), 100);
  EXPECT_EQ(ArtScaleForDpi(109), 125);
  EXPECT_EQ(ArtScaleForDpi(131), 125);
  EXPECT_EQ(ArtScaleForDpi(132), 125);
  EXPECT_EQ(ArtScaleForDpi(133), 150);
  EXPECT_EQ(ArtScaleForDpi(167), 150);
  EXPECT_EQ(ArtScaleForDpi(168), 150);
  EXPECT_EQ(ArtScaleForDpi(169), 200);
}

TEST(ArtScale, OutOfRangeTakesTheNearestEnd) {
  EXPECT_EQ(ArtScaleForDpi(72), 100);
  EXPECT_EQ(ArtScaleForDpi(0), 100);
  EXPECT_EQ(ArtScaleForDpi(-96), 100);
  EXPECT_EQ(ArtScaleForDpi(std::numeric_limits<int32_t>::min()), 100);
  EXPECT_EQ(ArtScaleForDpi(240), 200);
  EXPECT_EQ(ArtScaleForDpi(288), 200);
  EXPECT_EQ(ArtScaleForDpi(std::numeric_limits<int32_t>::max()), 200);
}

}  // namespace
}  // namespace parlo
