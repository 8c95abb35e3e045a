// World-to-device mapping: reduced scales, y upwards, truncating integer rounding.

#include "graphics/world_mapping.h"

#include <gtest/gtest.h>

namespace kovw::graphics {
namespace {

TEST(WorldMappingTest, AWideWorldInASquareAreaKeepsOneScale) {
  const WorldMapping m = fit_world(1000, 500, 400, 400, false);
  EXPECT_EQ(2, m.x_numerator);
  EXPECT_EQ(5, m.x_denominator);
  EXPECT_EQ(-2, m.y_numerator);
  EXPECT_EQ(5, m.y_denominator);
  EXPECT_EQ((DevicePoint{0, 399}), m.map(0, 0));
  EXPECT_EQ((DevicePoint{400, 199}), m.map(1000, 500));
  EXPECT_EQ((DevicePoint{0, 399}), m.map(1, 1));  // 0.4 pixels each way truncate to nothing
}

TEST(WorldMappingTest, RoundingTruncatesTowardZero) {
  // Scale 1/3: half the denominator is 1, added with the numerator's sign.
  const WorldMapping m = fit_world(300, 300, 100, 100, false);
  struct Case {
    int world;
    int device_x;  // x = (w + 1) / 3
    int device_y;  // y = 99 + (-w - 1) / 3
  };
  for (const Case c : {Case{1, 0, 99}, Case{2, 1, 98}, Case{4, 1, 98}, Case{5, 2, 97},
                       Case{-1, 0, 99}, Case{-2, 0, 99}, Case{-5, -1, 100}}) {
    EXPECT_EQ((DevicePoint{c.device_x, c.device_y}), m.map(c.world, c.world)) << c.world;
  }
  // The floating form keeps the fraction.
  EXPECT_DOUBLE_EQ(2.0 / 3, m.map_f(2, 0).x);
  EXPECT_DOUBLE_EQ(99 - 2.0 / 3, m.map_f(0, 2).y);
}

TEST(WorldMappingTest, FittingKeepsTheAspectAndZeroCountsAsOne) {
  EXPECT_EQ((DeviceSize{400, 200}), fitted_extent(1000, 500, 400, 400));
  EXPECT_EQ((DeviceSize{200, 400}), fitted_extent(500, 1000, 400, 400));
  const WorldMapping fitted = fit_world(1000, 500, 400, 400, true);
  EXPECT_EQ(199, fitted.y_offset);
  EXPECT_EQ((DevicePoint{400, -1}), fitted.map(1000, 500));
  const WorldMapping zero = fit_world(0, 0, 50, 20, false);
  EXPECT_EQ(1, zero.world_width);
  EXPECT_EQ(50, zero.x_numerator);
  EXPECT_EQ(1, zero.x_denominator);
}

TEST(WorldMappingTest, ShiftScrollAndAbsoluteMode) {
  WorldMapping m = fit_world(100, 100, 100, 100, false);
  m.shift_x = 10;
  m.shift_y = 5;
  m.scroll_x = -20;
  m.scroll_y = -30;
  EXPECT_EQ((DevicePoint{-10, 99 - 5 - 30}), m.map(0, 0));
  m.absolute = true;
  EXPECT_EQ((DevicePoint{7, -7}), m.map(7, 7));
  // Huge world coordinates do not overflow the products.
  m.absolute = false;
  const WorldMapping big = fit_world(10, 10, 20000, 20000, false);
  EXPECT_EQ(2000000000, big.map(1000000, 0).x);
  EXPECT_EQ(2147483647, big.map(100000000, 0).x);  // beyond int: held at the edge
}

TEST(WorldMappingTest, MetricPagesAndNaturalSize) {
  const WorldMapping page = metric_page_mapping(21000, 29700, 600, 600, 0, 7000);
  EXPECT_EQ(600, page.x_numerator);
  EXPECT_EQ(2540, page.x_denominator);
  EXPECT_EQ(-600, page.y_numerator);
  EXPECT_EQ((DevicePoint{600, 7000 - 600}), page.map(2540, 2540));
  EXPECT_EQ((DeviceSize{1240, 1753}), natural_size(21000, 29700));
}

}  // namespace
}  // namespace kovw::graphics
