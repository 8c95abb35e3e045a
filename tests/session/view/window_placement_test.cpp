// Placement of new main windows: the cascade and the work area.

#include "session/view/window_placement.h"

#include <gtest/gtest.h>

namespace kovw::session {
namespace {

const QRect kDesktop(0, 0, 1920, 1040);

TEST(WindowPlacement, WindowsCascadeFromTheirPositionUntilOneNoLongerFits) {
  CascadeOffset offset;
  const QRect frame(100, 100, 800, 600);
  EXPECT_EQ(QPoint(100, 100), place_new_window(frame, kDesktop, 40, true, offset));
  EXPECT_EQ(QPoint(140, 140), place_new_window(frame, kDesktop, 40, true, offset));
  EXPECT_EQ(QPoint(180, 180), place_new_window(frame, kDesktop, 40, true, offset));
  // The offsets 120 .. 320 still fit (bottom 1020 at 320); 360 would not.
  for (int k = 3; k <= 8; ++k) place_new_window(frame, kDesktop, 40, true, offset);
  EXPECT_EQ(360, offset.dx);
  // The next one does not fit: it stays where it was defined and the cascade starts again.
  EXPECT_EQ(QPoint(100, 100), place_new_window(frame, kDesktop, 40, true, offset));
  EXPECT_EQ(0, offset.dx);
  EXPECT_EQ(QPoint(100, 100), place_new_window(frame, kDesktop, 40, true, offset));
}

TEST(WindowPlacement, WindowsOutsideTheWorkAreaAreMovedBack) {
  struct Case {
    QRect frame;
    QPoint expected;
  };
  const Case cases[] = {
      {QRect(2000, 10, 800, 600), QPoint(1119, 10)},  // ends one pixel before the edge
      {QRect(10, 900, 800, 600), QPoint(10, 439)},
      {QRect(50, 50, 2500, 1200), QPoint(0, 0)},  // larger than the desktop
  };
  for (const Case& c : cases) {
    CascadeOffset offset{80, 80};
    EXPECT_EQ(c.expected, place_new_window(c.frame, kDesktop, 40, true, offset)) << c.frame.x();
    EXPECT_EQ(0, offset.dx);
    CascadeOffset untouched{80, 80};
    EXPECT_EQ(c.expected, place_new_window(c.frame, kDesktop, 40, false, untouched));
    EXPECT_EQ(80, untouched.dx);
  }
}

}  // namespace
// A docked bar lies at its edge; slid out, a strip of it stays on the desktop.
TEST(WindowPlacement, DockedBarsLieAtTheirEdgeOrSlideOut) {
  const QRect desktop(0, 0, 1920, 1040);
  EXPECT_EQ(1840, docked_bar_x(desktop, 80, false, false));
  EXPECT_EQ(1920 - kDockedStrip, docked_bar_x(desktop, 80, false, true));
  EXPECT_EQ(0, docked_bar_x(desktop, 80, true, false));
  EXPECT_EQ(kDockedStrip - 80, docked_bar_x(desktop, 80, true, true));
  EXPECT_EQ(1920 - 4, docked_bar_x(desktop, 4, false, true));  // narrower than the strip
}

}  // namespace kovw::session
