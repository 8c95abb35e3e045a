// Texts: trailing blanks, alignments, fitting, rotation, background and box, with the pixels
// that show them.

#include "graphics/text_layout.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>

#include "graphics/painter_renderer.h"
#include "graphics_test_support.h"
#include "platform/font_substitution.h"

namespace kovw::graphics {
namespace {

using test::inked;
using test::white_image;

constexpr int kRightAligned = kAlignRight << 8;
constexpr int kCommaAligned = kAlignDecimalComma << 8;
constexpr int kJustified = kAlignJustified << 8;
constexpr int kCentred = kAlignCentred << 8;

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ensure_application();
    font_ = QFont(platform::substitute_font_family("Arial"));
    font_.setPixelSize(20);
    font_.setKerning(false);
  }
  double width_of(const QString& text) const {
    return QFontMetricsF(font_).horizontalAdvance(text);
  }
  // The leftmost and rightmost inked columns of rows `top` to `bottom`.
  static std::pair<int, int> ink_columns(const QImage& image, int top, int bottom) {
    int left = image.width(), right = -1;
    for (int y = top; y <= bottom; ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) != 0xFFFFFFFFu) left = std::min(left, x), right = std::max(right, x);
    return {left, right};
  }
  TextStyle style(int flags, double length = 0) const {
    TextStyle s;
    s.font = font_;
    s.average_width = width_of("UuMmNnAa0123456789") / 18;
    s.options.flags = flags;
    s.length = length;
    s.antialias = false;
    return s;
  }

  QFont font_;
};

TEST_F(TextTest, TrailingBlanks) {
  struct Case {
    std::u16string in;
    int flags;
    std::u16string out;
  };
  const Case cases[] = {
      {u"ab  ", 0, u"ab"},
      {u"   ", 0, u" "},
      {u"", 0, u""},
      {u"ab  ", kTextOpaque, u"ab  "},
      {u"ab  ", kTextBoxWidth, u"ab  "},
      {u"ab  ", kRightAligned, u"ab  "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, trim_trailing_blanks(c.in, c.flags));
}

TEST_F(TextTest, TextsAreAsLongAsTheHostSentThem) {
  const std::string long_text(500, 'x');
  EXPECT_EQ(500u, graphics_text(long_text, 0).size());
  EXPECT_EQ(u"\u00e4", graphics_text("\xC3\xA4", kTextUtf8));
  EXPECT_EQ(u"\u00e4", graphics_text("\xE4", 0));
}

TEST_F(TextTest, CommaAlignedTextsHaveTheirCommasAtOneX) {
  const auto a = place_text(u"12,50", 10, 30, kCommaAligned, 150, TextMeasure(font_), 10);
  const auto b = place_text(u"3,50", 10, 60, kCommaAligned, 150, TextMeasure(font_), 10);
  const double comma_a = a.runs[0].x + width_of("12");
  const double comma_b = b.runs[0].x + width_of("3");
  EXPECT_NEAR(comma_a, comma_b, 1e-9);
  // The comma sits the two digits after it (in average widths) and itself before the edge.
  EXPECT_NEAR(160 - 2 * 10 - width_of(","), comma_a, 1e-9);

  // Drawn: the two texts end in the same glyphs, so their ink ends at the same column.
  QImage image = white_image(200, 80);
  {
    QPainter painter(&image);
    PainterRenderer r(painter);
    r.text({10, 30}, u"12,50", style(kCommaAligned, 150), {});
    r.text({10, 60}, u"3,50", style(kCommaAligned, 150), {});
  }
  const auto top = ink_columns(image, 0, 39);
  const auto bottom = ink_columns(image, 40, 79);
  EXPECT_EQ(top.second, bottom.second);
  EXPECT_LT(top.first, bottom.first);  // "12" reaches further left than "3"
}

TEST_F(TextTest, RightCentredAndJustified) {
  const double w = width_of("abc");
  EXPECT_NEAR(100 - w,
              place_text(u"abc", 100, 0, kRightAligned | kTextAnchorEnd, 0, TextMeasure(font_), 10)
                  .runs[0]
                  .x,
              1e-9);
  EXPECT_NEAR(100 + 80 - w,
              place_text(u"abc", 100, 0, kRightAligned, 80, TextMeasure(font_), 10).runs[0].x,
              1e-9);
  EXPECT_NEAR(
      100 - w / 2,
      place_text(u"abc", 100, 0, kCentred | kTextAnchorEnd, 0, TextMeasure(font_), 10).runs[0].x,
      1e-9);
  EXPECT_NEAR(100 + (80 - w) / 2,
              place_text(u"abc", 100, 0, kCentred, 80, TextMeasure(font_), 10).runs[0].x, 1e-9);
  // Justified: the words stay whole and the last one ends at the text length.
  const auto justified = place_text(u"ab cd ef", 0, 0, kJustified, 300, TextMeasure(font_), 10);
  ASSERT_EQ(3u, justified.runs.size());
  EXPECT_EQ(u"cd", justified.runs[1].text);
  EXPECT_NEAR(300, justified.runs[2].x + width_of("ef"), 1e-6);
  EXPECT_NEAR(justified.runs[1].x - (justified.runs[0].x + width_of("ab")),
              justified.runs[2].x - (justified.runs[1].x + width_of("cd")), 1e-6);
}

TEST_F(TextTest, FittedTextsStayWithinTheTextLength) {
  const std::u16string text = u"a rather long text";
  const auto placement = place_text(text, 0, 0, kTextFit, 50, TextMeasure(font_), 10);
  EXPECT_LT(placement.horizontal_scale, 1);
  QImage image = white_image(300, 40);
  {
    QPainter painter(&image);
    PainterRenderer r(painter);
    r.text({5, 25}, text, style(kTextFit, 50), {});
  }
  const auto columns = ink_columns(image, 0, 39);
  EXPECT_GE(columns.first, 5);
  EXPECT_LE(columns.second, 56);
}

TEST_F(TextTest, RotatedTextsRunUpwards) {
  QImage image = white_image(60, 200);
  TextStyle rotated = style(0);
  rotated.angle = 900;
  {
    QPainter painter(&image);
    PainterRenderer r(painter);
    r.text({40, 190}, u"UPWARD TEXT", rotated, {});
  }
  EXPECT_EQ(0, inked(image, QRect(41, 0, 19, 200)));  // capitals: nothing right of the baseline
  EXPECT_GT(inked(image, QRect(15, 100, 26, 90)), 50);
  EXPECT_EQ(0, inked(image, QRect(0, 191, 60, 9)));  // nothing below the start
}

TEST_F(TextTest, BackgroundAndBox) {
  TextColours colours;
  colours.background = 0xFFFFFF00u;
  QImage transparent = white_image(100, 40), opaque = white_image(100, 40);
  {
    QPainter painter(&transparent);
    PainterRenderer(painter).text({5, 25}, u"ab", style(0), colours);
  }
  {
    QPainter painter(&opaque);
    PainterRenderer(painter).text({5, 25}, u"ab", style(kTextOpaque), colours);
  }
  EXPECT_EQ(0xFFFFFFFFu, transparent.pixel(6, 10));
  EXPECT_EQ(0xFFFFFF00u, opaque.pixel(6, 10));
  // Above 100 the fill style leaves the background transparent.
  QImage shaded = white_image(100, 40);
  TextStyle s = style(kTextOpaque);
  s.fill_style = 105;
  {
    QPainter painter(&shaded);
    PainterRenderer(painter).text({5, 25}, u"ab", s, colours);
  }
  EXPECT_EQ(0xFFFFFFFFu, shaded.pixel(6, 10));
  // A box: frame kind 2 (sunken) of width 2 around the text, filled solid.
  QImage boxed = white_image(100, 60);
  TextStyle box = style(kTextBox);
  box.options.t3 = 1;
  box.options.t4 = 2;
  box.options.t6 = 2;
  QRectF covered;
  {
    QPainter painter(&boxed);
    covered = PainterRenderer(painter).text({20, 35}, u"ab", box, colours);
  }
  const QRect frame = covered.toAlignedRect();
  EXPECT_EQ(colours.box_edges.shadow, boxed.pixel(frame.left(), frame.top()));
  EXPECT_EQ(0xFFFFFF00u, boxed.pixel(frame.left() + 3, frame.top() + 3));
}

}  // namespace
}  // namespace kovw::graphics
