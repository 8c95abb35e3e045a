// Message boxes the host asks for (KWK_WMELDE): the box, its answer in both forms, and the
// non-blocking forms that open, change and close the program's message and splash windows;
// through a running program and on a fake context.

#include <QLabel>
#include <QScreen>

#include "protocol/payload_codec.h"
#include "protocol/program/program_window.h"
#include "protocol/program/retc.h"
#include "session/context_fixture.h"
#include "session/program/host_message_box.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class HostMessageBoxTest : public SessionTest {
 protected:
  int send_box(HostPeer& peer, int flags, const std::string& text) {
    const auto out = protocol::build_wmelde({flags, text});
    return peer.send(out.service, out.type, out.payload);
  }
  // The next frame from the workstation.
  std::pair<net::LinkMessage, std::vector<std::uint8_t>> answer(HostPeer& peer) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    return {message, payload};
  }
  static QWidget* window_named(const char* name) {
    for (QWidget* widget : QApplication::allWidgets())
      if (widget->objectName() == name && widget->isVisible()) return widget;
    return nullptr;
  }
  static QString text_of(QWidget* window) {
    const auto* label = window->findChild<QLabel*>();
    return label ? label->text() : QString();
  }
};

TEST_F(HostMessageBoxTest, RetcAnswerFollowsTheButtonChosen) {
  HostPeer& peer = start_program();
  init_program(peer, 20, "boxes");
  struct Case {
    int flags;
    int user_answer;
    std::int32_t expected;
  };
  const Case cases[] = {
      {protocol::kMeldeRetc | foundation::kMsgYesNo, foundation::kAnswerYes, 25},
      {protocol::kMeldeRetc | foundation::kMsgYesNo, foundation::kAnswerNo, 1},
      {protocol::kMeldeRetc | foundation::kMsgRetryCancel, foundation::kAnswerRetry, 25},
      {protocol::kMeldeRetc | foundation::kMsgOkCancel, foundation::kAnswerCancel, 1},
      {protocol::kMeldeRetc, foundation::kAnswerOk, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    user_.answers = {c.user_answer};
    ASSERT_GT(send_box(peer, c.flags, "Daten speichern?  \r\n"), 0);
    const auto [message, payload] = answer(peer);
    EXPECT_EQ(net::KWD_WIN, message.service);
    EXPECT_EQ(net::KWK_WMELDE, message.type);
    EXPECT_EQ(std::vector<std::int32_t>{c.expected}, read_ints(payload));
  }
  ASSERT_EQ(std::size(cases), user_.count());
  EXPECT_EQ("Daten speichern?", user_.asked[0]);  // padding and line end dropped
}

// Host libraries that want no Retc answer get the key F2 or F3 (host function keys 25 and 1).
TEST_F(HostMessageBoxTest, OldHostLibraryGetsTheAnswerAsKey) {
  HostPeer& peer = start_program();
  init_program(peer, 21, "old boxes");
  for (const auto& [user_answer, key] :
       {std::pair{foundation::kAnswerYes, 0x0119}, {foundation::kAnswerNo, 0x0101}}) {
    user_.answers = {user_answer};
    ASSERT_GT(send_box(peer, foundation::kMsgYesNo, "Weiter?"), 0);
    const auto [message, payload] = answer(peer);
    EXPECT_EQ(net::KWK_WTAST, message.type);
    const auto keys = protocol::parse_key_data(payload);
    ASSERT_TRUE(keys);
    ASSERT_EQ(1u, keys->size());
    EXPECT_EQ(key, (*keys)[0].code);
  }
}

// The forms 0x20, 0x80, 0x60 and 0x40 never wait for the user: the host gets the default answer
// at once while the windows open, change and close.
TEST_F(HostMessageBoxTest, NonBlockingFormsDriveTheMessageAndSplashWindows) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 22, "long work");
  ASSERT_GT(define_screen(peer, "long work", 3, 300, 200), 0);
  const auto expect_default_answer = [&] {
    const auto [message, payload] = answer(peer);
    EXPECT_EQ(std::vector<std::int32_t>{25}, read_ints(payload));
  };

  ASSERT_GT(send_box(peer, protocol::kMeldeRetc | foundation::kMsgFormOpenWindow, "Lese Daten"), 0);
  expect_default_answer();
  ASSERT_TRUE(wait_until([] { return window_named("MessageWindow") != nullptr; }));
  EXPECT_EQ("Lese Daten", text_of(window_named("MessageWindow")));
  EXPECT_EQ("long work", window_named("MessageWindow")->windowTitle());
  // It stands over the program's window.
  EXPECT_TRUE(registered_window(ids[1])->frameGeometry().contains(
      window_named("MessageWindow")->geometry().center()));

  ASSERT_GT(send_box(peer, protocol::kMeldeRetc | foundation::kMsgFormReplaceText, "Satz 100"), 0);
  expect_default_answer();
  ASSERT_TRUE(wait_until([] { return text_of(window_named("MessageWindow")) == "Satz 100"; }));

  ASSERT_GT(send_box(peer, protocol::kMeldeRetc | foundation::kMsgFormSplash, "Willkommen"), 0);
  expect_default_answer();
  ASSERT_TRUE(wait_until([] { return window_named("SplashWindow") != nullptr; }));
  QWidget* splash = window_named("SplashWindow");
  EXPECT_EQ(QSize(320, 240), splash->size());
  EXPECT_LE((splash->screen()->availableGeometry().center() - splash->geometry().center())
                .manhattanLength(),
            2);  // centred on the work area
  EXPECT_EQ("Willkommen", text_of(splash));

  ASSERT_GT(send_box(peer, protocol::kMeldeRetc | foundation::kMsgFormCloseWindows, ""), 0);
  expect_default_answer();
  ASSERT_TRUE(wait_until([] {
    return window_named("MessageWindow") == nullptr && window_named("SplashWindow") == nullptr;
  }));
  EXPECT_EQ(0u, user_.count());
  EXPECT_EQ(6u, window_ids(peer).size());
}

// A box whose text length runs past the payload is logged and not shown; the program goes on.
TEST_F(HostMessageBoxTest, MalformedBoxIsDroppedAndTheProgramGoesOn) {
  HostPeer& peer = start_program();
  init_program(peer, 23, "broken box");
  std::vector<std::uint8_t> payload;
  // A text length of 500, but only three bytes follow.
  protocol::PayloadWriter(payload).int_field(protocol::kMeldeRetc).int_field(500);
  payload.insert(payload.end(), {'a', 'b', 'c'});
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WMELDE, payload), 0);
  EXPECT_EQ(6u, window_ids(peer).size());  // the next answer is KGETWINID's
  EXPECT_EQ(0u, user_.count());
}

// On a fake context: the box shows the host's text under the caption, the Retc answer follows
// the button, an older host library gets the answer as a key, and keys typed before the box
// are forgotten.
class MessageBoxContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    setenv(foundation::kUnattendedVariable, "0", 1);
    foundation::set_message_presenter(&user_);
    fake_.caption = "Kunden";
  }
  void TearDown() override {
    foundation::set_message_presenter(nullptr);
    setenv(foundation::kUnattendedVariable, "1", 1);
  }

  ScriptedUser user_;
  FakeContext fake_;
};

TEST_F(MessageBoxContextTest, AnswerAsRetcOrAsKey) {
  struct Case {
    int flags;
    int user_answer;
    std::vector<std::int32_t> retc;  // empty: answered as a key
    std::vector<bool> keys;
  };
  const Case cases[] = {
      {protocol::kMeldeRetc | foundation::kMsgYesNo, foundation::kAnswerYes, {25}, {}},
      {protocol::kMeldeRetc | foundation::kMsgYesNo, foundation::kAnswerNo, {1}, {}},
      {protocol::kMeldeRetc | foundation::kMsgRetryCancel, foundation::kAnswerRetry, {25}, {}},
      {foundation::kMsgYesNo, foundation::kAnswerYes, {}, {true}},
      {foundation::kMsgOkCancel, foundation::kAnswerCancel, {}, {false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    fake_.replies.sent.clear();
    fake_.keys = RecordingKeys{};
    user_.answers = {c.user_answer};
    fake_.run(protocol::build_wmelde({c.flags, "Daten speichern?  \r\n"}));
    EXPECT_EQ(1, fake_.keys.cleared);
    EXPECT_EQ(c.keys, fake_.keys.box_answers);
    if (c.retc.empty()) {
      EXPECT_TRUE(fake_.replies.sent.empty());
    } else {
      ASSERT_EQ(1u, fake_.replies.sent.size());
      EXPECT_EQ(net::KWD_WIN, fake_.replies.sent[0].service);
      EXPECT_EQ(net::KWK_WMELDE, fake_.replies.sent[0].type);
      EXPECT_EQ(c.retc, read_ints(fake_.replies.sent[0].payload));
    }
  }
  ASSERT_EQ(std::size(cases), user_.count());
  EXPECT_EQ("Daten speichern?", user_.asked[0]);  // padding and line end dropped
  EXPECT_TRUE(fake_.view.posted.empty());
}

// The warning sound beeps unless beeps are off; a box that cannot be read is not shown.
TEST_F(MessageBoxContextTest, WarningSoundAndMalformedBox) {
  constexpr int kWarningSound = 0x10;
  for (const bool beeps_on : {true, false}) {
    SCOPED_TRACE(beeps_on);
    fake_.view.posted.clear();
    fake_.host.beeps_on = beeps_on;
    fake_.run(protocol::build_wmelde({protocol::kMeldeRetc | kWarningSound, "Achtung"}));
    ASSERT_EQ(beeps_on ? 1u : 0u, fake_.view.posted.size());
    if (beeps_on) {
      EXPECT_TRUE(std::holds_alternative<to_view::Beep>(fake_.view.posted[0]));
    }
  }
  EXPECT_EQ(2u, user_.count());

  std::vector<std::uint8_t> payload;
  protocol::PayloadWriter(payload).int_field(protocol::kMeldeRetc).int_field(500);
  payload.insert(payload.end(), {'a', 'b', 'c'});
  fake_.replies.sent.clear();
  fake_.run(protocol::Outgoing{net::KWD_WIN, net::KWK_WMELDE, payload});
  EXPECT_EQ(2u, user_.count());
  EXPECT_TRUE(fake_.replies.sent.empty());
  EXPECT_EQ(2, fake_.keys.cleared);  // only by the two boxes shown
}

}  // namespace
}  // namespace kovw::session::test
