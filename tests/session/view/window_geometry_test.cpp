// The main window stays where the user puts it: the view reports every move, and a later
// screen definition at the same position as the one before does not move the window back; a
// definition at another position moves it there.

#include <QTest>

#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class WindowGeometryTest : public SessionTest {};

TEST_F(WindowGeometryTest, AMovedWindowStaysWhereTheUserPutIt) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 40, "placed");
  ASSERT_GT(define_screen(peer, "Placed", 3, 20, 5, 10, 10), 0);
  QWidget* window = nullptr;
  ASSERT_TRUE(wait_until([&] {
    window = registered_window(ids[1]);
    return window != nullptr && window->isVisible();
  }));

  window->move(130, 90);
  // The report crosses to the program thread before the next definition arrives.
  QTest::qWait(200);
  ASSERT_GT(define_screen(peer, "Placed again", 3, 20, 5, 10, 10), 0);
  ASSERT_TRUE(wait_until([&] { return window->windowTitle() == "Placed again"; }));
  QTest::qWait(50);
  EXPECT_EQ(QPoint(130, 90), window->pos());

  // The host names another position: the window goes there.
  ASSERT_GT(define_screen(peer, "Moved by the host", 3, 20, 5, 60, 40), 0);
  ASSERT_TRUE(wait_until([&] { return window->windowTitle() == "Moved by the host"; }));
  EXPECT_TRUE(wait_until([&] { return window->pos() == QPoint(60, 40); }));
}

}  // namespace
}  // namespace kovw::session::test
