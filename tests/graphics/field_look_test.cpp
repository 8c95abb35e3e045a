// The first character an input field in a graphics window shows: the text scrolls so that the
// cursor stays in sight, and no further. The program thread maps clicks with the same value the
// view draws from.

#include "graphics/field_look.h"

#include <gtest/gtest.h>

#include "graphics_test_support.h"

namespace kovw::graphics {
namespace {

TEST(FieldLook, TheTextScrollsToKeepTheCursorInSight) {
  test::ensure_application();
  QFont font;
  font.setPixelSize(12);
  const QFontMetrics metrics(font);
  const QString text(20, QLatin1Char('m'));
  const int width = metrics.horizontalAdvance(text.left(10));  // room for 10 characters
  struct Case {
    int cursor, previous, first;
  };
  const Case cases[] = {
      {0, 0, 0},     // at the start
      {9, 0, 0},     // the cursor's character still fits
      {10, 0, 1},    // one past: one character scrolls out
      {20, 0, 10},   // after the last character: the last 10 show
      {15, 11, 11},  // moving left inside what is shown keeps it
      {5, 11, 5},    // moving before the first shown brings it back
      {-3, 4, 0},    // cursors outside the text are clamped
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.first, first_shown(text, c.cursor, width, c.previous, metrics))
        << "cursor " << c.cursor << " from " << c.previous;
}

}  // namespace
}  // namespace kovw::graphics
