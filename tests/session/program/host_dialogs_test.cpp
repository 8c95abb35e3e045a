// Host dialogs end to end: a definition from the host, the dialog window over the program's
// window, the user's clicks and keys through it, and the reply bytes.

#include <QAccessible>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialogs/view/host_dialog_window.h"
#include "protocol/program/dialog_messages.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

using protocol::DialogMessage;

class HostDialogsTest : public SessionTest {
 protected:
  QWidget* program(HostPeer& peer, int pid) {
    const auto ids = init_program(peer, pid, "dialogs");
    EXPECT_GT(define_screen(peer, "Dialogs", 3, 60, 25, 10, 10), 0);
    QWidget* main = nullptr;
    EXPECT_TRUE(wait_until([&] {
      main = registered_window(ids[1]);
      return main != nullptr && main->isVisible();
    }));
    return main;
  }
  static void send(HostPeer& peer, const DialogMessage& message) {
    const auto out = protocol::build_dialog_definition(net::KWD_WIN, net::KWK_WDIALOG, message);
    ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  }
  static protocol::DialogReply reply(HostPeer& peer) {
    net::LinkMessage message;
    std::vector<std::uint8_t> payload;
    EXPECT_EQ(1, peer.receive(message, payload));
    EXPECT_EQ(net::KWD_DIGRA, message.service);
    EXPECT_EQ(net::KWK_GDIALOG, message.type);
    auto parsed = protocol::parse_dialog_reply(payload);
    EXPECT_TRUE(parsed) << (parsed ? "" : parsed.error().message);
    return parsed ? *parsed : protocol::DialogReply{};
  }
  static dialogs::HostDialogWindow* dialog(QWidget* main) {
    dialogs::HostDialogWindow* found = nullptr;
    wait_until([&] {
      found = main->findChild<dialogs::HostDialogWindow*>();
      return found != nullptr && found->isVisible();
    });
    return found;
  }
};

TEST_F(HostDialogsTest, AYesNoQuestionAnswersWithTheButtonAndCloses) {
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 70);
  DialogMessage question;
  question.kind = 0;
  question.lines = {"Save the record?", "It was changed."};
  question.title = "Question";
  question.buttons = {{"Yes", "Saves it", 0, 1}, {"No", "", 0, 2}};
  send(peer, question);
  dialogs::HostDialogWindow* window = dialog(main);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ("Question", window->windowTitle());
  EXPECT_EQ(Qt::WindowModal, window->windowModality());
  ASSERT_EQ(2u, window->buttons().size());
  EXPECT_EQ("Save the record?\nIt was changed.", window->findChild<QLabel*>()->text());
  QAccessibleInterface* yes = QAccessible::queryAccessibleInterface(window->buttons()[0]);
  EXPECT_EQ("Yes", yes->text(QAccessible::Name));
  EXPECT_EQ("Saves it", yes->text(QAccessible::Description));
  QTest::mouseClick(window->buttons()[1], Qt::LeftButton);
  const protocol::DialogReply answer = reply(peer);
  EXPECT_EQ(2, answer.result);
  EXPECT_EQ(0, answer.selected);
  EXPECT_TRUE(wait_until([&] { return main->findChild<dialogs::HostDialogWindow*>() == nullptr; }));
}

TEST_F(HostDialogsTest, AVirtualListPagesThroughTheHost) {
  HostPeer& peer = start_program();
  QWidget* main = program(peer, 71);
  DialogMessage list;
  list.kind = 2;
  list.flags = 0x0001;
  list.total_lines = 500;
  for (int i = 1; i <= 12; ++i) list.lines.push_back("line " + std::to_string(i));
  list.title = "Choose";
  list.selected = 1;
  list.buttons = {{"OK", "", 0, 1}, {"Cancel", "", 0, 2}};
  send(peer, list);
  dialogs::HostDialogWindow* window = dialog(main);
  ASSERT_NE(nullptr, window);
  ASSERT_NE(nullptr, window->scroll_bar());
  EXPECT_EQ(12, window->list()->count());
  EXPECT_EQ("Choose",
            QAccessible::queryAccessibleInterface(window->list())->text(QAccessible::Name));
  const int visible = window->visible_lines();
  QTest::keyClick(window->list(), Qt::Key_PageDown);
  protocol::DialogReply answer = reply(peer);
  EXPECT_EQ(1006, answer.result);
  EXPECT_EQ(visible, answer.first_line);
  EXPECT_EQ(visible, answer.visible_lines);
  EXPECT_TRUE(answer.flags & 0x0080);
  // The host sends the next page (kind 32) and waits again (kind 33).
  DialogMessage page;
  page.kind = 32;
  page.total_lines = 500;
  page.first_line = visible;
  for (int i = 0; i < 12; ++i) page.lines.push_back("line " + std::to_string(visible + 1 + i));
  page.title = "Choose";
  send(peer, page);
  EXPECT_EQ(0, reply(peer).result);
  ASSERT_TRUE(wait_until([&] {
    return window->list()->count() > 0 && window->list()->item(0)->text() == page.lines[0].c_str();
  }));
  EXPECT_EQ(visible, window->scroll_bar()->value());
  DialogMessage wait;
  wait.kind = 33;
  wait.total_lines = 500;
  wait.first_line = visible;
  send(peer, wait);
  // Up on the first line asks the host for the lines before.
  QTest::qWait(50);
  window->list()->setCurrentRow(0);
  QTest::keyClick(window->list(), Qt::Key_Up);
  answer = reply(peer);
  EXPECT_EQ(1002, answer.result);
  EXPECT_EQ(0, answer.selected);
  // Kind 34 closes it.
  DialogMessage close;
  close.kind = 34;
  send(peer, close);
  EXPECT_EQ(0, reply(peer).result);
  EXPECT_TRUE(wait_until([&] { return main->findChild<dialogs::HostDialogWindow*>() == nullptr; }));
}

// In single-key mode keys typed before the dialog wait in the key buffer: the dialog gets them.
TEST_F(HostDialogsTest, KeysTypedAheadGoIntoTheDialog) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 72, "ahead");
  ASSERT_GT(define_screen(peer, "Ahead", 3 | (1 << 8), 60, 25, 10, 10), 0);
  QWidget* main = nullptr;
  ASSERT_TRUE(wait_until([&] {
    main = registered_window(ids[1]);
    return main != nullptr && main->isVisible();
  }));
  QWidget* content = registered_window(ids[0]);
  QTest::keyClick(content, Qt::Key_K);
  QTest::qWait(100);
  DialogMessage list;
  list.kind = 2;
  list.flags = 0x0001;
  list.lines = {"one", "two"};
  list.buttons = {{"OK", "", 0, 1}};
  send(peer, list);
  const protocol::DialogReply answer = reply(peer);
  EXPECT_EQ(-2, answer.result);
  EXPECT_EQ('k', answer.key);
}

}  // namespace
}  // namespace kovw::session::test
