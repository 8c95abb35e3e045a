// The text screen for screen readers: its accessible text is its rows, the caret offset follows
// the cursor, the field under the caret is named with its label, and changed rows are
// announced.

#include <QAccessible>
#include <QAccessibleTextInterface>

#include "session/session_fixture.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

using namespace std::string_literals;

struct Announced {
  QAccessible::Event type;
  int offset;
  QString text;
};
std::vector<Announced> g_announced;

void record_event(QAccessibleEvent* event) {
  Announced a{event->type(), -1, {}};
  if (event->type() == QAccessible::TextUpdated) {
    auto* update = static_cast<QAccessibleTextUpdateEvent*>(event);
    a.offset = update->changePosition();
    a.text = update->textInserted();
  } else if (event->type() == QAccessible::TextCaretMoved) {
    a.offset = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
  }
  g_announced.push_back(a);
}

class TextScreenAccessibleTest : public SessionTest {
 protected:
  void TearDown() override {
    if (previous_update_) TextScreenWidget::set_accessibility_update(previous_update_);
    SessionTest::TearDown();
  }

  TextScreenWidget* text_program(HostPeer& peer, int pid, int columns, int rows) {
    const auto ids = init_program(peer, pid, "text");
    EXPECT_GT(define_screen(peer, "Orders", 3, columns, rows, 10, 10), 0);
    TextScreenWidget* screen = nullptr;
    EXPECT_TRUE(wait_until([&] {
      QWidget* content = registered_window(ids[0]);
      screen = content ? content->findChild<TextScreenWidget*>() : nullptr;
      return screen != nullptr && screen->window()->isVisible();
    }));
    return screen;
  }
  static int write(HostPeer& peer, const std::string& stream) {
    return peer.send(net::KWD_WIN, net::KWK_WDAT, {stream.begin(), stream.end()});
  }
  // Hears what the screen announces (the offscreen platform has no assistive technology to
  // pass it on to).
  void listen() {
    g_announced.clear();
    previous_update_ = TextScreenWidget::set_accessibility_update(record_event);
  }

  TextScreenWidget::AccessibilityUpdate previous_update_ = nullptr;
};

TEST_F(TextScreenAccessibleTest, TextIsTheRowsAndTheCaretFollowsTheCursor) {
  HostPeer& peer = start_program();
  TextScreenWidget* screen = text_program(peer, 40, 12, 3);
  ASSERT_NE(screen, nullptr);
  // Row 0 "Order", row 2 a box line of pieces (not read) around "ok".
  ASSERT_GT(write(peer,
                  "\x0c\x1b"
                  "F\x00\x00Order\x1b"
                  "F\x00\x02\x1bT]]\x1bSok\x1b"
                  "F\x03\x01"s),
            0);
  ASSERT_TRUE(wait_until([&] { return screen->row_text(2).startsWith("  ok"); }));

  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(screen);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::Terminal);
  EXPECT_EQ(accessible->text(QAccessible::Name), "Orders");
  QAccessibleTextInterface* text = accessible->textInterface();
  ASSERT_NE(text, nullptr);
  const QString blank(12, u' ');
  const QString expected = "Order       \n" + blank + "\n  ok        ";
  EXPECT_EQ(text->characterCount(), expected.size());
  EXPECT_EQ(text->text(0, text->characterCount()), expected);
  int start = 0, end = 0;
  EXPECT_EQ(text->textAtOffset(28, QAccessible::LineBoundary, &start, &end).trimmed(), "ok");
  // The cursor at column 3 of row 1.
  EXPECT_EQ(text->cursorPosition(), 13 + 3);

  // The cursor moves: the caret offset follows, and a listener hears of the moved caret and
  // of the changed row alone.
  listen();
  ASSERT_GT(write(peer,
                  "\x1b"
                  "F\x00\x01Sent\x1b"
                  "F\x05\x00"s),
            0);
  ASSERT_TRUE(wait_until([&] { return text->cursorPosition() == 5; }));
  EXPECT_TRUE(text->text(0, -1).contains("\nSent"));
  int updates = 0;
  bool caret_moved = false;
  for (const Announced& a : g_announced) {
    if (a.type == QAccessible::TextUpdated) {
      ++updates;
      EXPECT_EQ(a.offset, 13);  // row 1
      EXPECT_EQ(a.text.trimmed(), "Sent");
    }
    if (a.type == QAccessible::TextCaretMoved && a.offset == 5) caret_moved = true;
  }
  EXPECT_EQ(updates, 1);
  EXPECT_TRUE(caret_moved);
}

TEST_F(TextScreenAccessibleTest, TheFieldUnderTheCaretIsNamedByItsLabel) {
  HostPeer& peer = start_program();
  TextScreenWidget* screen = text_program(peer, 41, 40, 4);
  ASSERT_NE(screen, nullptr);
  // "Customer no." and a sunken field holding 4711; the cursor then goes into the field.
  ASSERT_GT(write(peer,
                  "\x0c\x1b"
                  "F\x02\x01"
                  "Customer no.\x1b"
                  "F\x10\x01\x1bZ\x1b#1 4711       \x1b["
                  "\x1b"
                  "F\x12\x01"s),
            0);
  ASSERT_TRUE(
      wait_until([&] { return screen->cursor().column == 0x12 && screen->cursor().row == 1; }));
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(screen);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Description), "Customer no.: 4711");
  // On the label itself there is no field.
  ASSERT_GT(write(peer,
                  "\x1b"
                  "F\x03\x01"s),
            0);
  ASSERT_TRUE(wait_until([&] { return screen->cursor().column == 3; }));
  EXPECT_EQ(accessible->text(QAccessible::Description), "");
}

}  // namespace
}  // namespace kovw::session::test
