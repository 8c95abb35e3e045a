// The key buffer: the ring of 32 codes, events of four entries, taking single keys, and storing
// keys for a session (repeat, full buffer, wait cursor).

#include <gtest/gtest.h>

#include "session/program/cursor_kind_numbers.h"
#include "session/program/key_buffer.h"
#include "session/program/program_session.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

using Codes = std::vector<std::uint16_t>;

Codes codes_of(const std::vector<protocol::KeyEvent>& keys) {
  Codes codes;
  for (const auto& key : keys) {
    codes.push_back(key.code);
    if (key.mouse) codes.insert(codes.end(), key.mouse->begin(), key.mouse->end());
  }
  return codes;
}

TEST(KeyBuffer, RingKeepsOrderAcrossTheEndAndRefusesTheThirtyThirdKey) {
  KeyBuffer keys;
  for (std::uint16_t k = 0; k < 20; ++k) ASSERT_TRUE(keys.put(k));
  EXPECT_EQ((Codes{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), codes_of(keys.take(10)));
  for (std::uint16_t k = 20; k < 42; ++k) ASSERT_TRUE(keys.put(k));  // wraps around
  EXPECT_EQ(KeyBuffer::kCapacity, keys.count());
  EXPECT_FALSE(keys.put(99));
  const Codes all = codes_of(keys.take());
  ASSERT_EQ(32u, all.size());
  for (std::size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(static_cast<std::uint16_t>(10 + i), all[i]);
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(keys.take(1).empty());
}

// A mouse event goes in with its three values or not at all, and leaves as one key.
TEST(KeyBuffer, EventsTakeFourEntriesAndCountAsOneKey) {
  KeyBuffer keys;
  for (int k = 0; k < 29; ++k) keys.put('a');
  EXPECT_FALSE(keys.put_event(kKeyMouseEvent, {1, 5, 2}));
  EXPECT_EQ(29, keys.count());
  keys.clear();

  for (int k = 0; k < 26; ++k) keys.put('x');  // move the ring's start near its end
  keys.take();
  ASSERT_TRUE(keys.put_event(kKeyMouseEvent, {53, 5, 2}));  // wraps inside the event
  keys.put(0x01CC);                                         // Ctrl+X: the code alone
  keys.put('b');
  const auto first = keys.take(1);
  ASSERT_EQ(1u, first.size());
  EXPECT_EQ(kKeyMouseEvent, first[0].code);
  EXPECT_EQ((std::array<std::uint16_t, 3>{53, 5, 2}), first[0].mouse);
  const auto rest = keys.take(5);
  ASSERT_EQ(2u, rest.size());
  EXPECT_EQ(0x01CC, rest[0].code);
  EXPECT_FALSE(rest[0].mouse);
  // On the wire the Ctrl+X code carries no values.
  EXPECT_EQ((std::vector<std::uint8_t>{0x01, 0xCC, 0x00, 'b'}),
            protocol::build_key_data(rest).payload);
}

// Receives the view events of a session: counts the warning beeps.
class BeepCounter : public QObject {
 public:
  int beeps = 0;

 protected:
  void customEvent(QEvent* event) override {
    if (wml_number(event) == WML_VIEW_BEEP) ++beeps;
  }
};

class KeyPutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_app();
    session.host_hooks = std::make_shared<SessionHost>();
    session.to_view = std::make_shared<EventChannel>();
    session.to_view->bind(&view);
  }
  void TearDown() override { session.to_view->unbind(); }
  int beeps() {
    QCoreApplication::sendPostedEvents(&view);
    return view.beeps;
  }
  ProgramSession session;
  BeepCounter view;
};

TEST_F(KeyPutTest, RepeatFillsTheBufferAndAFullBufferBeeps) {
  EXPECT_EQ(30, key_put(session, 'a', 30));
  EXPECT_EQ(2, key_put(session, 'b', 5));  // two fit, the rest is lost
  EXPECT_EQ(1, beeps());
  EXPECT_EQ(0, key_put(session, 'c'));
  EXPECT_EQ(2, beeps());
  EXPECT_FALSE(key_put_event(session, kKeyMouseEvent, {1, 0, 0}));
  EXPECT_EQ(3, beeps());
  EXPECT_EQ(KeyBuffer::kCapacity, session.keys.count());

  // With beeps off the key is lost silently.
  auto quiet = std::make_shared<SessionHost>();
  quiet->beeps_on = false;
  session.host_hooks = quiet;
  EXPECT_EQ(0, key_put(session, 'd'));
  EXPECT_EQ(3, beeps());
}

TEST_F(KeyPutTest, WaitCursorDropsKeysAndClicks) {
  session.cursor_kind = kCursorWait;
  EXPECT_EQ(0, key_put(session, 'a', 3));
  EXPECT_FALSE(key_put_event(session, kKeyMouseEvent, {1, 0, 0}));
  EXPECT_TRUE(session.keys.empty());
  EXPECT_EQ(0, beeps());
  session.cursor_kind = kCursorArrow;
  EXPECT_EQ(1, key_put(session, 'a', 0));  // a press counts at least once
  EXPECT_TRUE(key_put_event(session, kKeyMouseEvent, {1, 0, 0}));
  EXPECT_EQ(5, session.keys.count());
}

// Sending: the session's link is one end of a socket pair, the test reads the other.
class KeySendTest : public KeyPutTest {
 protected:
  void SetUp() override {
    KeyPutTest::SetUp();
    int pair[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
    session.link.attach(pair[0]);
    host.socket = pair[1];
  }
  void TearDown() override {
    session.link.close();
    KeyPutTest::TearDown();
  }
  // The payloads sent so far, as 16-bit codes per message.
  std::vector<Codes> sent() {
    std::vector<Codes> messages;
    for (;;) {
      pollfd readable{host.socket, POLLIN, 0};
      if (::poll(&readable, 1, 0) <= 0) return messages;
      net::LinkMessage message;
      std::vector<std::uint8_t> payload;
      if (host.receive(message, payload) != 1) return messages;
      EXPECT_EQ(net::KWK_WTAST, message.type);
      Codes codes;
      for (std::size_t i = 0; i + 1 < payload.size(); i += 2)
        codes.push_back(static_cast<std::uint16_t>(payload[i] << 8 | payload[i + 1]));
      messages.push_back(codes);
    }
  }
  void put_three() {
    for (const char key : {'a', 'b', 'c'}) key_put(session, key);
  }
  HostPeer host;
};

TEST_F(KeySendTest, RequestSendsAllKeysInNormalModeAndOneInSingleKeyMode) {
  put_three();
  key_request(session);
  EXPECT_EQ(std::vector<Codes>{(Codes{'a', 'b', 'c'})}, sent());
  EXPECT_TRUE(session.keys.empty());

  session.screen_style = protocol::kStyleNoCaret;
  put_three();
  key_request(session);
  EXPECT_EQ(std::vector<Codes>{Codes{'a'}}, sent());
  EXPECT_EQ(2, session.keys.count());
  EXPECT_FALSE(session.host_waits_for_keys);
  EXPECT_EQ(0, key_send(session, 0));  // limit 0 sends nothing
  key_send_pending(session);           // nobody waits: nothing
  EXPECT_TRUE(sent().empty());
}

TEST_F(KeySendTest, WaitingHostGetsTheNextKeyAndAMouseEventCountsAsOne) {
  session.screen_style = protocol::kStyleNoCaret;
  key_request(session);  // nothing buffered: the host waits
  EXPECT_TRUE(session.host_waits_for_keys);
  EXPECT_TRUE(sent().empty());
  ASSERT_TRUE(key_put_event(session, kKeyMouseEvent, {53, 5, 2}));
  key_put(session, 'a');
  key_send_pending(session);
  EXPECT_EQ(std::vector<Codes>{(Codes{kKeyMouseEvent, 53, 5, 2})}, sent());
  EXPECT_FALSE(session.host_waits_for_keys);
  key_send_pending(session);  // the note is used up
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(1, session.keys.count());
}

}  // namespace
}  // namespace kovw::session::test
