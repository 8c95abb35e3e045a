// Off-screen bitmaps and the picture of a segmented window's view.

#include "graphics/offscreen_view.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <vector>

#include "graphics_test_support.h"

namespace kovw::graphics {
namespace {

TEST(OffscreenViewTest, TheBitmapHoldsTheWholeAreaAndCopiesItsVisiblePart) {
  OffscreenBitmap bitmap;
  ASSERT_TRUE(bitmap.create(50, 40, 0xFF102030u));
  EXPECT_EQ(0xFF102030u, bitmap.image().pixel(49, 39));
  bitmap.image().setPixel(30, 20, 0xFFFFFFFFu);
  const QImage part = bitmap.visible(QRect(25, 15, 10, 10));
  EXPECT_EQ(QSize(10, 10), part.size());
  EXPECT_EQ(0xFFFFFFFFu, part.pixel(5, 5));
  EXPECT_EQ(QSize(5, 5), bitmap.visible(QRect(45, 35, 10, 10)).size());
  EXPECT_FALSE(bitmap.create(0, 10, 0));
  EXPECT_TRUE(bitmap.empty());
}

TEST(OffscreenViewTest, SegmentsReachingIntoTheViewAreReplayed) {
  const std::vector<QRect> segments = {
      QRect(0, 0, 100, 50),     // above the view
      QRect(0, 80, 100, 50),    // straddles the view's top edge: its corner lies outside
      QRect(20, 120, 30, 30),   // inside
      QRect(-50, 130, 60, 10),  // straddles the left edge
      QRect(0, 300, 100, 50),   // below
  };
  const QRect view(0, 100, 200, 100);
  EXPECT_EQ((std::vector<std::size_t>{1, 2, 3}), segments_in_view(segments, view));
}

TEST(OffscreenViewTest, TheViewIsBackgroundSegmentsAndFixedHeaders) {
  test::ensure_application();
  QImage background(200, 400, QImage::Format_ARGB32_Premultiplied);
  background.fill(Qt::white);
  // A header band in the top 10 rows and a left header column of 5 pixels.
  QPainter(&background).fillRect(QRect(0, 0, 200, 10), Qt::blue);
  QPainter(&background).fillRect(QRect(0, 0, 5, 400), Qt::green);
  const std::vector<QRect> segments = {QRect(0, 90, 200, 40), QRect(0, 300, 200, 40)};
  std::vector<std::size_t> replayed;
  const SegmentReplay replay = [&](std::size_t index, QPainter& painter, QPoint scroll) {
    replayed.push_back(index);
    // The segment fills its own rectangle, moved by the scroll offset.
    painter.fillRect(segments[index].translated(scroll), Qt::red);
    return true;
  };
  const SegmentedView view{QRect(20, 100, 100, 100), 10, 5};
  const QImage picture = compose_segmented(background, view, segments, replay);
  EXPECT_EQ((std::vector<std::size_t>{0}), replayed);
  ASSERT_EQ(QSize(100, 100), picture.size());
  EXPECT_EQ(qRgb(0, 0, 255), picture.pixel(50, 5));       // the header rows stay on top
  EXPECT_EQ(qRgb(0, 255, 0), picture.pixel(2, 50));       // and the header column at the left
  EXPECT_EQ(qRgb(255, 0, 0), picture.pixel(50, 20));      // the segment, scrolled
  EXPECT_EQ(qRgb(255, 255, 255), picture.pixel(50, 60));  // background below it
}

}  // namespace
}  // namespace kovw::graphics
