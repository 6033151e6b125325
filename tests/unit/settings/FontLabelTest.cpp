#include "core/settings/FontLabel.h"

#include <gtest/gtest.h>

#include <limits>

namespace parlo {
namespace {

TEST(FontLabel, ReadsFaceCommaPointsPoint) {
  EXPECT_EQ(FontLabelText("Arial", -12, 96), "Arial, 9point");
  EXPECT_EQ(FontLabelText("Arial", -16, 96), "Arial, 12point");
  EXPECT_EQ(FontLabelText("\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", -12, 96),
            "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E, 9point");
  EXPECT_EQ(FontLabelText("", -12, 96), ", 9point");
}

TEST(FontLabel, PointsRoundHalfAwayFromZero) {
  EXPECT_EQ(PointsFromHeight(-12, 96), 9);
  EXPECT_EQ(PointsFromHeight(-11, 96), 8);   // 8.25
  EXPECT_EQ(PointsFromHeight(-14, 96), 11);  // 10.5 rounds up
  EXPECT_EQ(PointsFromHeight(-10, 96), 8);   // 7.5 rounds up
  EXPECT_EQ(PointsFromHeight(14, 96), -11);  // -10.5 rounds away from zero
  EXPECT_EQ(PointsFromHeight(-15, 120), 9);
  EXPECT_EQ(PointsFromHeight(-5, 144), 3);   // 2.5
  EXPECT_EQ(PointsFromHeight(0, 96), 0);
}

TEST(FontLabel, HeightFromPointsIsTheInverse) {
  EXPECT_EQ(HeightFromPoints(9, 96), -12);
  EXPECT_EQ(HeightFromPoints(11, 96), -15);  // 14.67
  EXPECT_EQ(HeightFromPoints(9, 120), -15);
  EXPECT_EQ(HeightFromPoints(3, 108), -5);   // 4.5
  EXPECT_EQ(HeightFromPoints(-9, 96), 12);
  for (int points = 1; points < 100; ++points)
    for (int dpi : {96, 120, 144, 192}) EXPECT_EQ(PointsFromHeight(HeightFromPoints(points, dpi), dpi), points);
}

TEST(FontLabel, ExtremeValuesStayInRange) {
  EXPECT_EQ(HeightFromPoints(std::numeric_limits<int32_t>::max(), 96), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(HeightFromPoints(std::numeric_limits<int32_t>::min(), 96), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(PointsFromHeight(std::numeric_limits<int32_t>::min(), 1), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(PointsFromHeight(-12, 0), 0);
}

}  // namespace
}  // namespace parlo
