// Pacing of text screen updates: at once while the view is idle, coalesced while it is busy,
// never held beyond the deadline, and at once on a flush.
#include "session/program/text_output_pacing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>
#include <vector>

#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class TextOutputPacingTest : public ::testing::Test {
 protected:
  TextOutputPacingTest() { test_app(); }

  // The view finishes the oldest update it holds.
  void view_done() {
    ASSERT_FALSE(held_by_view.empty());
    held_by_view.front()();
    held_by_view.erase(held_by_view.begin());
    QCoreApplication::sendPostedEvents(&pacer);
  }

  std::vector<std::function<void()>> held_by_view;
  int posted = 0;
  TextOutputPacer pacer{[this](std::function<void()> done) {
    ++posted;
    held_by_view.push_back(std::move(done));
  }};
};

TEST_F(TextOutputPacingTest, FirstOutputGoesAtOnceAndFollowingOutputWaitsForTheView) {
  pacer.changed();
  EXPECT_EQ(1, posted);
  pacer.changed();
  pacer.changed();
  EXPECT_EQ(1, posted);
  EXPECT_TRUE(pacer.holding());
  view_done();
  EXPECT_EQ(2, posted);  // everything held, as one update
  EXPECT_FALSE(pacer.holding());
  view_done();
  EXPECT_EQ(2, posted);  // nothing was held
  pacer.changed();       // the view is idle again
  EXPECT_EQ(3, posted);
}

TEST_F(TextOutputPacingTest, FlushSendsHeldOutputAtOnce) {
  pacer.changed();
  pacer.changed();
  pacer.flush();
  EXPECT_EQ(2, posted);
  EXPECT_FALSE(pacer.holding());
  EXPECT_EQ(2, pacer.updates_in_flight());
  // The view finishing the first update leaves the second one in flight: output waits.
  view_done();
  pacer.changed();
  EXPECT_EQ(2, posted);
  view_done();
  EXPECT_EQ(3, posted);
}

TEST_F(TextOutputPacingTest, HeldOutputGoesByTheDeadlineWhileTheViewIsBusy) {
  pacer.changed();
  pacer.changed();
  QElapsedTimer waited;
  waited.start();
  while (posted < 2 && waited.elapsed() < 5000) QCoreApplication::processEvents();
  EXPECT_EQ(2, posted);
  EXPECT_FALSE(pacer.holding());
}

TEST_F(TextOutputPacingTest, AReceiptAfterThePacerIsGoneReachesNobody) {
  std::function<void()> done;
  {
    TextOutputPacer gone([&](std::function<void()> d) { done = std::move(d); });
    gone.changed();
  }
  ASSERT_TRUE(done);
  done();
  QCoreApplication::sendPostedEvents();
}

}  // namespace
}  // namespace kovw::session::test
