// The layout of a graphics print job on paper: orientation, turned world, pages.

#include "graphics/print_pages.h"

#include <gtest/gtest.h>

namespace kovw::graphics {
namespace {

PrintRequest on_a4(std::int32_t width, std::int32_t height) {
  PrintRequest r;
  r.world_width = width;
  r.world_height = height;
  r.page_width_mm = 200;
  r.page_height_mm = 287;
  return r;
}

TEST(PrintPagesTest, AWideWorldInPortraitIsTurnedAndFitsOnePage) {
  const PrintLayout layout = print_layout(on_a4(28000, 20000));
  EXPECT_EQ(kPortrait, layout.orientation);
  EXPECT_EQ(20000, layout.world_width);
  EXPECT_EQ(28000, layout.world_height);
  EXPECT_EQ(1, layout.across);
  EXPECT_EQ(1, layout.down);
  EXPECT_FALSE(layout.poster);
}

TEST(PrintPagesTest, ALargeWorldNeedsNinePagesAndKeepsPortrait) {
  // Turned, the page would need 3 x 5: portrait stays, and more than one page is a poster.
  const PrintLayout layout = print_layout(on_a4(84100, 59400));
  EXPECT_EQ(kPortrait, layout.orientation);
  EXPECT_EQ(59400, layout.world_width);
  EXPECT_EQ(84100, layout.world_height);
  EXPECT_EQ(3, layout.across);
  EXPECT_EQ(3, layout.down);
  EXPECT_TRUE(layout.poster);
}

TEST(PrintPagesTest, FittingAnEmptyWorldAndTheHostsChoice) {
  PrintRequest fit = on_a4(84100, 59400);
  fit.window_flags = 0x0004;
  EXPECT_EQ(1, print_layout(fit).across * print_layout(fit).down);
  // The tolerance: 20 mm beyond a page still fit on it.
  EXPECT_EQ(1, pages_for(21999, 200));
  EXPECT_EQ(2, pages_for(22000, 200));
  EXPECT_EQ(1, pages_for(0, 200));
  // Landscape fixed by the host turns the world wide.
  PrintRequest landscape = on_a4(20000, 28000);
  landscape.options = 0x02;
  const PrintLayout l = print_layout(landscape);
  EXPECT_EQ(kLandscape, l.orientation);
  EXPECT_EQ(28000, l.world_width);
  // Poster printing asked for but not enabled is refused (and said so).
  PrintRequest poster = on_a4(84100, 59400);
  poster.options = 0x08;
  EXPECT_TRUE(print_layout(poster).poster_refused);
  poster.poster_enabled = true;
  EXPECT_FALSE(print_layout(poster).poster_refused);
}

TEST(PrintPagesTest, ThePaperComesFromTheWindowOptionsAndBadUserSizesGiveA4) {
  struct Case {
    int code;
    std::int32_t width, height;
    double width_mm, height_mm;
  };
  for (const Case& c : {Case{1, 0, 0, 148, 210}, Case{2, 0, 0, 297, 420}, Case{0, 0, 0, 210, 297},
                        Case{9, 0, 0, 210, 297}, Case{4, 0, 0, 594, 841},
                        // user sizes in hundredths of a millimetre, rounded to tenths, turned
                        // to portrait
                        Case{6, 30049, 20000, 200, 300.5}, Case{6, 0, 20000, 210, 297},
                        Case{6, -5, -5, 210, 297}}) {
    const PaperSize paper = paper_from_options(c.code, c.width, c.height);
    EXPECT_DOUBLE_EQ(c.width_mm, paper.width_mm) << c.code << " " << c.width;
    EXPECT_DOUBLE_EQ(c.height_mm, paper.height_mm) << c.code << " " << c.width;
  }
}

}  // namespace
}  // namespace kovw::graphics
