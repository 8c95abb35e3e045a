// Input fields on a text screen, end to end: the host's KWK_WDIAC, the user's keys through the
// real window, the field drawn over the cells, and the reply bytes; keys typed before the field
// appeared are replayed into it, repeats included.

#include <QKeyEvent>
#include <QTest>

#include "protocol/program/program_window.h"
#include "session/session_fixture.h"
#include "session/view/input_field_widget.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

std::vector<std::uint8_t> request_record(int row, int column, int length, int cursor = 0,
                                         std::uint8_t flags = 0, std::uint8_t type = 'X') {
  std::vector<std::uint8_t> record(20, 0);
  auto put = [&](int at, int value) {
    record[at] = static_cast<std::uint8_t>(value & 0xFF);
    record[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
  };
  put(2, cursor);
  put(4, row);
  put(6, column);
  put(8, length);
  record[16] = 1;  // red text
  record[17] = 7;  // on white
  record[18] = flags;
  record[19] = type;
  return record;
}

class InputFieldsTest : public SessionTest {
 protected:
  // A program with a text screen of 40 x 10 (style bits added to mode 3), shown.
  QWidget* program(HostPeer& peer, int pid, int style = 0) {
    const auto ids = init_program(peer, pid, "fields");
    EXPECT_GT(define_screen(peer, "Fields", 3 | style, 40, 10, 10, 10), 0);
    QWidget* content = nullptr;
    EXPECT_TRUE(wait_until([&] {
      content = registered_window(ids[0]);
      return content != nullptr && content->isVisible() &&
             content->findChild<TextScreenWidget*>() != nullptr;
    }));
    return content;
  }
  static int ask_field(HostPeer& peer, std::vector<std::uint8_t> record,
                       const std::string& contents, const std::string& help = "Help text") {
    protocol::FieldRequestMessage message{std::move(record), help, contents};
    const auto out = protocol::build_wdiac(message);
    return peer.send(out.service, out.type, out.payload);
  }
  static protocol::FieldReply reply(HostPeer& peer) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWD_WIN, message.service);
    EXPECT_EQ(net::KWK_WDIAC, message.type);
    auto parsed = protocol::parse_field_reply(payload);
    EXPECT_TRUE(parsed);
    return parsed ? *parsed : protocol::FieldReply{};
  }
  static InputFieldWidget* field(QWidget* content) {
    return content->findChild<InputFieldWidget*>();
  }
};

TEST_F(InputFieldsTest, TypingFillsTheFieldAndLeavingRepliesItsContents) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 50);
  ASSERT_GT(ask_field(peer, request_record(2, 5, 6), "Anna"), 0);
  ASSERT_TRUE(wait_until([&] { return field(content) && field(content)->isVisible(); }));
  InputFieldWidget* shown = field(content);
  TextScreenWidget* screen = content->findChild<TextScreenWidget*>();
  EXPECT_EQ(QPoint(5 * screen->cell_width(), 2 * screen->cell_height()), shown->pos());
  EXPECT_EQ(6 * screen->cell_width(), shown->width());
  EXPECT_EQ("Anna  ", shown->field().text);

  // Smart Edit (the default 6): the first character replaces the preset.
  QTest::keyClicks(content, "Bea");
  ASSERT_TRUE(wait_until([&] { return shown->field().text == "Bea   "; }));
  EXPECT_EQ(3, shown->field().cursor);
  QTest::keyClick(content, Qt::Key_Left);
  QTest::keyClick(content, Qt::Key_Return);
  const protocol::FieldReply answer = reply(peer);
  EXPECT_EQ(2, answer.exit_key);
  EXPECT_EQ(2, answer.cursor);
  EXPECT_EQ("Bea   ", answer.text);
  EXPECT_TRUE(wait_until([&] { return !shown->isVisible(); }));
}

TEST_F(InputFieldsTest, AFullFieldIsLeftAndAClickElsewhereLeavesWithItsCell) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 51);
  ASSERT_GT(ask_field(peer, request_record(1, 1, 3), ""), 0);
  ASSERT_TRUE(wait_until([&] { return field(content) && field(content)->isVisible(); }));
  QTest::keyClicks(content, "xyz");
  protocol::FieldReply answer = reply(peer);
  EXPECT_EQ(0, answer.exit_key);
  EXPECT_EQ("xyz", answer.text);

  ASSERT_TRUE(wait_until([&] { return !field(content)->isVisible(); }));
  ASSERT_GT(ask_field(peer, request_record(1, 1, 3), "abc"), 0);
  ASSERT_TRUE(wait_until(
      [&] { return field(content)->isVisible() && field(content)->field().text == "abc"; }));
  TextScreenWidget* screen = content->findChild<TextScreenWidget*>();
  const QPoint cell(7 * screen->cell_width() + 2, 4 * screen->cell_height() + 2);
  QTest::mouseClick(screen, Qt::LeftButton, Qt::NoModifier, cell);
  answer = reply(peer);
  EXPECT_EQ(101, answer.exit_key);
  EXPECT_EQ(7, answer.mouse_column);
  EXPECT_EQ(4, answer.mouse_row);
  EXPECT_EQ(3, answer.mouse_info);
  EXPECT_EQ("abc", answer.text);
}

// In single-key mode the keys typed before the field stay in the buffer: the field gets them
// all, in order, repeats included ("100" stays "100").
TEST_F(InputFieldsTest, KeysTypedAheadAreReplayedIntoTheField) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 52, protocol::kStyleNoCaret);
  QTest::keyClicks(content, "1004");
  QTest::qWait(100);  // the keys reach the program before the request
  ASSERT_GT(ask_field(peer, request_record(3, 0, 4, 0, 0, 'N'), ""), 0);
  const protocol::FieldReply answer = reply(peer);
  EXPECT_EQ(0, answer.exit_key);  // full after the four keys
  EXPECT_EQ("1004", answer.text);
}

TEST_F(InputFieldsTest, Utf8FieldRepliesInUtf8) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 53);
  ASSERT_GT(ask_field(peer, request_record(0, 0, 4, 0, 0x10), ""), 0);
  ASSERT_TRUE(wait_until([&] { return field(content) && field(content)->isVisible(); }));
  QKeyEvent umlaut(QEvent::KeyPress, Qt::Key_Adiaeresis, Qt::NoModifier, QString::fromUtf8("ä"));
  QApplication::sendEvent(content, &umlaut);
  QTest::keyClick(content, Qt::Key_B);
  QTest::keyClick(content, Qt::Key_Tab);
  const protocol::FieldReply answer = reply(peer);
  EXPECT_EQ(18, answer.exit_key);
  EXPECT_EQ(
      "\xC3\xA4"
      "b ",
      answer.text);
}

}  // namespace
}  // namespace kovw::session::test
