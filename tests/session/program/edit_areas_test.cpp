// Edit areas on a text screen, end to end: the host's KWK_WEDIT, editing in the real widget,
// the key that leaves it, and the reply bytes with CR LF line ends.

#include <QTest>

#include "protocol/program/program_window.h"
#include "session/session_fixture.h"
#include "session/view/edit_area_widget.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

std::vector<std::uint8_t> edit_record(int capacity, int max_length, int flags) {
  std::vector<std::uint8_t> bytes(28, 0);
  bytes[2] = static_cast<std::uint8_t>(capacity & 0xFF);
  bytes[3] = static_cast<std::uint8_t>(capacity >> 8);
  bytes[4] = static_cast<std::uint8_t>(max_length & 0xFF);
  bytes[5] = static_cast<std::uint8_t>(max_length >> 8);
  bytes[8] = 2;    // column
  bytes[12] = 1;   // row
  bytes[16] = 4;   // rows
  bytes[20] = 20;  // columns
  bytes[26] = static_cast<std::uint8_t>(flags);
  return bytes;
}

class EditAreasTest : public SessionTest {
 protected:
  QWidget* program(HostPeer& peer, int pid) {
    const auto ids = init_program(peer, pid, "edit");
    EXPECT_GT(define_screen(peer, "Edit", 3, 40, 10, 10, 10), 0);
    QWidget* content = nullptr;
    EXPECT_TRUE(wait_until([&] {
      content = registered_window(ids[0]);
      return content != nullptr && content->isVisible() &&
             content->findChild<TextScreenWidget*>() != nullptr;
    }));
    return content;
  }
  static EditAreaWidget* ask(HostPeer& peer, QWidget* content, std::vector<std::uint8_t> record,
                             const std::string& text) {
    protocol::EditRequestMessage message{std::move(record), "help", {text.begin(), text.end()}};
    const auto out = protocol::build_wedit(message);
    EXPECT_GT(peer.send(out.service, out.type, out.payload), 0);
    EditAreaWidget* area = nullptr;
    EXPECT_TRUE(wait_until([&] {
      area = content->findChild<EditAreaWidget*>();
      return area != nullptr && area->isVisible();
    }));
    return area;
  }
  static protocol::EditReply reply(HostPeer& peer) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWK_WEDIT, message.type);
    auto parsed = protocol::parse_edit_reply(payload);
    EXPECT_TRUE(parsed);
    return parsed ? *parsed : protocol::EditReply{};
  }
};

TEST_F(EditAreasTest, UnchangedTextGoesBackWithCrLfAndTheExitKey) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 60);
  EditAreaWidget* area = ask(peer, content, edit_record(10, 100, 0), "a\nb");
  ASSERT_NE(nullptr, area);
  EXPECT_EQ("a\nb", area->toPlainText());
  TextScreenWidget* screen = content->findChild<TextScreenWidget*>();
  EXPECT_EQ(QRect(2 * screen->cell_width() - 1, screen->cell_height(), 20 * screen->cell_width(),
                  4 * screen->cell_height()),
            area->geometry());
  // Shift+Tab (19) without programmer's editing leaves the area.
  QTest::keyClick(area, Qt::Key_Backtab, Qt::ShiftModifier);
  const protocol::EditReply answer = reply(peer);
  EXPECT_EQ(19, answer.exit_key);
  EXPECT_EQ(0, answer.modified);
  EXPECT_EQ("a\r\nb", std::string(answer.text.begin(), answer.text.end()));
  EXPECT_EQ(0, answer.object);
}

TEST_F(EditAreasTest, EnterMakesLinesTheLimitHoldsAndTabIndentsInProgrammersEditing) {
  HostPeer& peer = start_program();
  QWidget* content = program(peer, 61);
  EditAreaWidget* area = ask(peer, content, edit_record(20, 12, 0x10), "  x");
  ASSERT_NE(nullptr, area);
  area->moveCursor(QTextCursor::End);
  // Enter keeps the indentation; Tab indents by "TAB Blanks" (2); the text stops at 12.
  QTest::keyClick(area, Qt::Key_Return);
  QTest::keyClick(area, Qt::Key_Tab);
  QTest::keyClicks(area, "yzzzz");
  EXPECT_EQ("  x\n    yzzz", area->toPlainText());
  // F3 (host key 1 in layout 0) leaves.
  QTest::keyClick(area, Qt::Key_F3);
  const protocol::EditReply answer = reply(peer);
  EXPECT_EQ(1, answer.exit_key);
  EXPECT_EQ(0x20, answer.modified);
  EXPECT_EQ("  x\r\n    yzzz", std::string(answer.text.begin(), answer.text.end()));
}

}  // namespace
}  // namespace kovw::session::test
