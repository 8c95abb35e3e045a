// Figures drawn by the renderer into images: exact pixels with anti-aliasing off, tolerant
// checks with it on.

#include "graphics/painter_renderer.h"

#include <gtest/gtest.h>

#include <vector>

#include "graphics/pens_and_brushes.h"
#include "graphics_test_support.h"

namespace kovw::graphics {
namespace {

using test::inked;
using test::picture_of;
using test::white_image;

constexpr Argb kRed = 0xFFFF0000u;
constexpr Argb kBlue = 0xFF0000FFu;

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override { test::ensure_application(); }

  // Draws with a fresh renderer on `image`.
  template <class F>
  void draw(QImage& image, F&& f) {
    QPainter painter(&image);
    PainterRenderer renderer(painter);
    f(renderer);
  }
};

TEST_F(RendererTest, LinesAndRectanglesLeaveOutTheirLastPixel) {
  QImage image = white_image(10, 7);
  draw(image, [](PainterRenderer& r) {
    r.line({1, 0}, {6, 0}, Stroke{}, false);
    r.rectangle(QRectF(QPointF(1, 2), QPointF(6, 6)), Stroke{}, Fill{}, false);
    r.point({8.7, 3.2}, kOpaqueBlack);
  });
  EXPECT_EQ(
      ".#####....\n"
      "..........\n"
      ".#####....\n"
      ".#...#..#.\n"
      ".#...#....\n"
      ".#####....\n"
      "..........\n",
      picture_of(image));
}

TEST_F(RendererTest, DashesHaveThePlatformsLengths) {
  QImage image = white_image(60, 3);
  Stroke dashed;
  dashed.line_type = kLineDashed;
  Stroke dash_dot;
  dash_dot.line_type = kLineDashDot;
  draw(image, [&](PainterRenderer& r) {
    r.line({0, 0}, {60, 0}, dashed, false);
    r.line({0, 2}, {60, 2}, dash_dot, false);
  });
  const std::string rows = picture_of(image);
  EXPECT_EQ(std::string(18, '#') + std::string(6, '.') + std::string(18, '#') +
                std::string(6, '.') + std::string(12, '#'),
            rows.substr(0, 60));
  EXPECT_EQ(
      std::string(9, '#') + std::string(6, '.') + "###" + std::string(6, '.') + std::string(9, '#'),
      rows.substr(2 * 61, 33));
  // Line type 4 draws nothing.
  QImage none = white_image(10, 1);
  Stroke invisible;
  invisible.line_type = kLineNone;
  draw(none, [&](PainterRenderer& r) { r.line({0, 0}, {10, 0}, invisible, false); });
  EXPECT_EQ(0, inked(none, none.rect()));
}

TEST_F(RendererTest, HatchingLeavesTheBackgroundUnchanged) {
  QImage image = white_image(16, 16);
  image.fill(QColor(0, 200, 0));
  Fill hatch;
  hatch.style = 6;  // horizontal lines
  hatch.colour = kBlue;
  Stroke no_outline;
  no_outline.line_type = kLineNone;
  draw(image,
       [&](PainterRenderer& r) { r.rectangle(QRectF(0, 0, 17, 17), no_outline, hatch, false); });
  int blue_rows = 0;
  for (int y = 0; y < 16; ++y) {
    const QRgb first = image.pixel(0, y);
    for (int x = 1; x < 16; ++x) ASSERT_EQ(first, image.pixel(x, y)) << x << "," << y;
    if (first == 0xFF0000FFu)
      ++blue_rows;
    else
      EXPECT_EQ(qRgb(0, 200, 0), first) << y;
  }
  EXPECT_EQ(2, blue_rows);  // one line in every 8 rows
}

TEST_F(RendererTest, CirclesByFillStyle) {
  QImage image = white_image(40, 20);
  Fill outline_only;
  Fill solid;
  solid.style = kFillSolid;
  solid.colour = kRed;
  Stroke stroke;
  stroke.colour = kRed;
  draw(image, [&](PainterRenderer& r) {
    r.ellipse(QRectF(0, 0, 20, 20), 0, 360, stroke, outline_only, false);
    r.ellipse(QRectF(20, 0, 20, 20), 0, 360, stroke, solid, false);
  });
  EXPECT_EQ(0xFFFFFFFFu, image.pixel(10, 10));  // fill style 0: only the outline
  EXPECT_EQ(0xFFFF0000u, image.pixel(10, 0));
  EXPECT_EQ(0xFFFF0000u, image.pixel(30, 10));
  // A quarter pie from 0 to 90 degrees covers the upper right quarter only.
  QImage pie = white_image(20, 20);
  draw(pie,
       [&](PainterRenderer& r) { r.ellipse(QRectF(0, 0, 20, 20), 0, 90, stroke, solid, false); });
  EXPECT_EQ(0xFFFF0000u, pie.pixel(13, 6));
  EXPECT_EQ(0xFFFFFFFFu, pie.pixel(6, 6));
  EXPECT_EQ(0xFFFFFFFFu, pie.pixel(13, 13));
}

TEST_F(RendererTest, PolygonsAndThePlainPolylineLimit) {
  QImage image = white_image(12, 12);
  Fill fill;
  fill.style = kFillSolid;
  const std::vector<QPointF> square{{1, 1}, {10, 1}, {10, 10}, {1, 10}};
  draw(image, [&](PainterRenderer& r) { r.polygon(square, Stroke{}, fill, false); });
  EXPECT_EQ(0xFF000000u, image.pixel(5, 5));
  EXPECT_EQ(0xFFFFFFFFu, image.pixel(11, 5));

  // 130 points, one step right each: the plain set stops after 120.
  std::vector<QPointF> steps;
  for (int i = 0; i < 130; ++i) steps.push_back({double(i), 0});
  QImage smooth = white_image(140, 1), plain = white_image(140, 1);
  draw(smooth, [&](PainterRenderer& r) { r.polyline(steps, Stroke{}, false); });
  draw(plain, [&](PainterRenderer& r) {
    r.set_plain(true);
    r.polyline(steps, Stroke{}, false);
  });
  EXPECT_EQ(129, inked(smooth, smooth.rect()));
  EXPECT_EQ(119, inked(plain, plain.rect()));
}

TEST_F(RendererTest, ShadedFills) {
  const Argb fill_colour = 0xFF4080C0u;
  Fill fill;
  fill.colour = fill_colour;
  Stroke none;
  none.line_type = kLineNone;
  const ShadeColours shades = shade_colours(fill_colour, decode_shaded_style(101), {});
  auto near = [](QRgb a, const QColor& b) {
    return std::abs(qRed(a) - b.red()) <= 8 && std::abs(qGreen(a) - b.green()) <= 8 &&
           std::abs(qBlue(a) - b.blue()) <= 8;
  };
  // 101: the fill colour at the top, the dark shade at the bottom.
  QImage vertical = white_image(20, 100);
  fill.style = 101;
  draw(vertical,
       [&](PainterRenderer& r) { r.rectangle(QRectF(0, 0, 21, 101), none, fill, false); });
  EXPECT_TRUE(near(vertical.pixel(10, 0), QColor::fromRgba(fill_colour)));
  EXPECT_TRUE(near(vertical.pixel(10, 99), shades.dark));
  EXPECT_EQ(vertical.pixel(0, 50), vertical.pixel(19, 50));
  // 103: left to right.
  QImage horizontal = white_image(100, 10);
  fill.style = 103;
  draw(horizontal,
       [&](PainterRenderer& r) { r.rectangle(QRectF(0, 0, 101, 11), none, fill, false); });
  EXPECT_TRUE(near(horizontal.pixel(0, 5), QColor::fromRgba(fill_colour)));
  EXPECT_TRUE(near(horizontal.pixel(99, 5), shades.dark));
  // 107: the middle shade in the centre, the light one at the border.
  QImage radial = white_image(60, 40);
  fill.style = 107;
  draw(radial, [&](PainterRenderer& r) { r.rectangle(QRectF(0, 0, 61, 41), none, fill, false); });
  EXPECT_TRUE(near(radial.pixel(30, 20), shades.middle));
  EXPECT_TRUE(near(radial.pixel(0, 20), shades.light));
  // 135 is kind 105 with steps of 15: diagonal, darkest at the bottom right.
  EXPECT_EQ((ShadedStyle{105, 15, 15}), decode_shaded_style(135));
  EXPECT_EQ((ShadedStyle{110, 0, 0}), decode_shaded_style(110));
  EXPECT_EQ((ShadedStyle{101, 10, 10}), decode_shaded_style(121));
  // A kind without a shading fills solid.
  QImage solid = white_image(10, 10);
  fill.style = 130;  // kind 100
  draw(solid, [&](PainterRenderer& r) { r.rectangle(QRectF(0, 0, 11, 11), none, fill, false); });
  EXPECT_EQ(fill_colour, solid.pixel(5, 5));
  EXPECT_EQ(fill_colour, solid.pixel(0, 9));
}

TEST_F(RendererTest, RadialInsets) {
  EXPECT_EQ(6, radial_inset(100, 40, 6));    // a usable radius
  EXPECT_EQ(10, radial_inset(100, 40, 0));   // a quarter of the height
  EXPECT_EQ(5, radial_inset(100, 12, 0));    // at least 5 for a side above 10
  EXPECT_EQ(2, radial_inset(100, 8, 0));     // a side of 10 or less keeps its quarter
  EXPECT_EQ(10, radial_inset(100, 40, 30));  // a radius that does not fit is not used
}

TEST_F(RendererTest, ThreeDimensionalFrames) {
  QImage image = white_image(12, 12);
  EdgeColours edges;
  edges.light = 0xFFFFFF00u;
  edges.inner_light = 0xFF00FFFFu;
  edges.shadow = 0xFF808080u;
  edges.dark = 0xFF000000u;
  draw(image, [&](PainterRenderer& r) { r.frame(QRect(1, 1, 10, 10), kFrameRaised, 2, edges); });
  EXPECT_EQ(edges.light, image.pixel(1, 1));
  EXPECT_EQ(edges.inner_light, image.pixel(2, 2));
  EXPECT_EQ(edges.dark, image.pixel(10, 10));
  EXPECT_EQ(edges.shadow, image.pixel(9, 9));
  EXPECT_EQ(0xFFFFFFFFu, image.pixel(5, 5));
  EXPECT_EQ(0xFFFFFFFFu, image.pixel(11, 11));
}

TEST_F(RendererTest, BarPatternsByDirection) {
  const std::uint8_t pattern[] = {0xA0};  // 1 0 1 0 0 0 0 0
  QImage image = white_image(12, 4);
  draw(image, [&](PainterRenderer& r) { r.bars({0, 4}, pattern, 2, 3, kBarsLeftToRight); });
  EXPECT_EQ(
      "............\n"
      "##..##......\n"
      "##..##......\n"
      "##..##......\n",
      picture_of(image));
  QImage down = white_image(3, 8);
  draw(down, [&](PainterRenderer& r) { r.bars({0, 0}, pattern, 2, 3, kBarsTopToBottom); });
  EXPECT_EQ("###\n###\n...\n...\n###\n###\n...\n...\n", picture_of(down));
}

TEST_F(RendererTest, AntiAliasedFiguresStayNearTheirPath) {
  QImage image = white_image(40, 40);
  Stroke stroke;
  draw(image, [&](PainterRenderer& r) { r.line({2, 2}, {37, 30}, stroke, true); });
  int grey = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      const QRgb p = image.pixel(x, y);
      if (p == 0xFFFFFFFFu) continue;
      if (qRed(p) != 0 && qRed(p) != 255) ++grey;
      // Every inked pixel lies within two pixels of the line.
      const double distance =
          std::abs((30 - 2) * (x + 0.5 - 2) - (37 - 2) * (y + 0.5 - 2)) / std::hypot(28.0, 35.0);
      EXPECT_LT(distance, 2.0) << x << "," << y;
    }
  EXPECT_GT(grey, 0);  // smoothing produced intermediate shades
}

TEST_F(RendererTest, ColourRecordsWithAndWithoutTheRgbFlag) {
  EXPECT_EQ(0xFF102030u, colour_record_argb(0x00ABCDEF, 0x10, 0x20, 0x30, 0xFF01));
  // Without flag 0x0001 the device colour is the platform's 0x00BBGGRR.
  EXPECT_EQ(0xFF332211u, colour_record_argb(0x00112233, 0x10, 0x20, 0x30, 0xFF00));
}

TEST_F(RendererTest, FillStylesAboveOneHundredAreStylesNotTheirLowBits) {
  EXPECT_EQ(FillKind::Shaded, classify_fill(105, true).kind);
  EXPECT_EQ(FillKind::Solid, classify_fill(105, false).kind);  // 105 & 15 would hatch
  EXPECT_EQ(Qt::BDiagPattern, classify_fill(2, false).pattern);
  EXPECT_EQ(Qt::CrossPattern, classify_fill(10, false).pattern);
  EXPECT_EQ(FillKind::SecondColour, classify_fill(15, false).kind);
  EXPECT_EQ(7, effective_fill_style(kFillKeepPrevious, 7));
}

}  // namespace
}  // namespace kovw::graphics
