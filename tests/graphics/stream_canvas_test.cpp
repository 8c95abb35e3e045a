// The stream drawing into a window's picture, and the view of a segmented window built from
// its segments.

#include "graphics/stream_canvas.h"

#include <gtest/gtest.h>

#include "graphics/stream_opcodes.h"
#include "graphics_test_support.h"
#include "stream_test_support.h"

namespace kovw::graphics {
namespace {

Stream red_rectangle(int x1, int y1, int x2, int y2) {
  Stream s = with_length(0x19, Stream{}.u8(255).u8(0).u8(0));
  s.append(with_length(DB_FILL, Stream{}.u8(1)));
  s.append(with_length(
      DB_RECT,
      Stream{}.u8(0).u16(0).u16(0).u8(0x10).u8(0).i32(x1).i32(y1).i32(x2).i32(y2).u8(0).u16(0)));
  return s;
}

struct StreamCanvasTest : ::testing::Test {
  StreamCanvas canvas;
  StreamContext context;
  void SetUp() override {
    test::ensure_application();
    context.library_version = 0x070305;
    context.suppress_repaints = true;
  }
};

TEST_F(StreamCanvasTest, CommandsDrawIntoTheWindowsPictureAndAClearKeepsTheBackground) {
  ASSERT_TRUE(
      canvas.create_window(0, fit_world(1000, 500, 400, 200, false), 400, 200, 0xFFFFFFF0u));
  canvas.stream().interpret(red_rectangle(0, 0, 500, 250).bytes, kStreamWithLengths, context);
  const QImage& picture = *canvas.picture(0);
  EXPECT_EQ(QColor(255, 0, 0), picture.pixelColor(50, 150));
  EXPECT_EQ(QColor(255, 255, 240), picture.pixelColor(300, 50));
  canvas.clear_pictures();
  EXPECT_EQ(QColor(255, 255, 240), canvas.picture(0)->pixelColor(50, 150));
}

TEST_F(StreamCanvasTest, ASegmentReachingIntoTheViewIsReplayedWithTheScroll) {
  // A drawing area of 400 x 1000 pixels shown 100 rows at a time; one world unit per pixel.
  ASSERT_TRUE(
      canvas.create_window(0, fit_world(400, 1000, 400, 1000, false), 400, 100, kOpaqueWhite));
  StreamWindow& window = *canvas.stream().window(0);
  window.virtual_y = true;
  // Segment A covers device rows 400-600, its rectangle rows 500-550; segment B rows 0-100.
  Stream s = with_length(DB_WINSEG, winseg_operands(1, 0, 600, 400, 400));
  s.append(red_rectangle(0, 500, 400, 450));
  s.append(with_length(DB_WINSEG, winseg_operands(1, 0, 1000, 400, 900)));
  s.append(red_rectangle(0, 1000, 400, 900));
  s.append(with_length(DB_WINSEG, winseg_operands(3, 0, 0, 0, 0)));
  canvas.stream().interpret(s.bytes, kStreamWithLengths, context);
  ASSERT_EQ(2u, window.segments.segments().size());
  EXPECT_EQ(QColor(255, 255, 255), canvas.picture(0)->pixelColor(10, 10));  // nothing drawn live

  // The view starts at row 470: segment A starts above it and is replayed all the same.
  SegmentedView view;
  view.view = QRect(0, 470, 400, 100);
  const QImage shown = canvas.segmented_picture(0, view);
  ASSERT_EQ(QSize(400, 100), shown.size());
  const DevicePoint top = window.mapping.map(0, 500);
  EXPECT_EQ(QColor(255, 255, 255), shown.pixelColor(10, top.y - 470 - 2));
  EXPECT_EQ(QColor(255, 0, 0), shown.pixelColor(10, top.y - 470 + 2));
  EXPECT_EQ(QColor(255, 255, 255), shown.pixelColor(10, 95));  // below the rectangle
  // The state the segments set is the host's no longer after the replay.
  EXPECT_EQ(0xFF000000u, window.attributes.colours.at(0x19));
}

}  // namespace
}  // namespace kovw::graphics
