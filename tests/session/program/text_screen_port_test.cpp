// The text screen as the session's current screen, driven through the screen interface on a
// bare session (no thread, no link).

#include "session/program/text_screen_port.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <string>

#include "session/program/key_buffer.h"
#include "session/program/program_session.h"
#include "session/program/text_output.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class Discard : public QObject {
 protected:
  void customEvent(QEvent*) override {}
};

class TextScreenPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    session.host_hooks = std::make_shared<SessionHost>();
    session.to_view = std::make_shared<EventChannel>();
    session.to_view->bind(&view);
  }
  void TearDown() override {
    session.to_view->unbind();
    QCoreApplication::sendPostedEvents(&view);
  }
  ProgramSession session;
  Discard view;
};

TEST_F(TextScreenPortTest, TheTextScreenIsTheCurrentScreenWhileItExists) {
  EXPECT_EQ(nullptr, session.screen);
  text_screen_create(session, 4, 2, false);
  ASSERT_NE(nullptr, session.screen);

  const std::string output = "ab";
  session.screen->output(
      session, std::span(reinterpret_cast<const std::uint8_t*>(output.data()), output.size()));
  EXPECT_EQ("ab  \r\n    \r\n", session.screen->hardcopy_text(session));

  // Closing sends the close key in the screen's way: nobody needs to be asked.
  EXPECT_FALSE(session.screen->close_request(session));
  EXPECT_EQ(1, session.keys.count());

  text_screen_release(session);
  EXPECT_EQ(nullptr, session.screen);
}

}  // namespace
}  // namespace kovw::session::test
