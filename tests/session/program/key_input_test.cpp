// The user's input on a shown text screen reaching the host: typed keys, clicks and wheel
// turns as key data, the host asking for keys (KWK_WTEST, KWK_WTAST) in normal and single-key
// mode, and closing the window.

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QTest>

#include "protocol/program/program_window.h"
#include "protocol/program/screen_definition.h"
#include "protocol/program/window_service.h"
#include "session/session_fixture.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

using Codes = std::vector<std::uint16_t>;
using namespace std::string_literals;

class KeyInputTest : public SessionTest {
 protected:
  // A program with a shown text screen of 40 x 10 (mode 1 with `style` bits).
  std::vector<std::int32_t> text_program(HostPeer& peer, int pid, int style = 0) {
    const auto ids = init_program(peer, pid, "keys");
    EXPECT_GT(define_screen(peer, "Keys", 1 | style, 40, 10, 10, 10), 0);
    EXPECT_TRUE(wait_until([&] { return screen(ids) != nullptr && content(ids)->isVisible(); }));
    return ids;
  }
  static QWidget* content(const std::vector<std::int32_t>& ids) {
    return registered_window(ids[0]);
  }
  static TextScreenWidget* screen(const std::vector<std::int32_t>& ids) {
    QWidget* window = content(ids);
    return window ? window->findChild<TextScreenWidget*>() : nullptr;
  }
  // The next key data message, as raw 16-bit codes.
  static Codes key_data(HostPeer& peer) { return receive_key_codes(peer); }
  static int ask_for_keys(HostPeer& peer, int type = net::KWK_WTEST) {
    return peer.send(net::KWD_WIN, type);
  }
};

TEST_F(KeyInputTest, TypedKeysArriveAsKeyDataAtOnce) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 40);
  QWidget* window = content(ids);

  QTest::keyClick(window, 'A', Qt::ShiftModifier);  // a character, not a function key
  EXPECT_EQ(Codes{0x0041}, key_data(peer));
  QTest::keyClick(window, Qt::Key_F7);
  EXPECT_EQ(Codes{0x0128}, key_data(peer));
  QTest::keyClick(window, Qt::Key_F7, Qt::ControlModifier);
  EXPECT_EQ(Codes{0x0116}, key_data(peer));
  QTest::keyClick(window, Qt::Key_Escape);  // no code: the next key acts as with Ctrl
  QTest::keyClick(window, Qt::Key_F7);
  EXPECT_EQ(Codes{0x0116}, key_data(peer));
  QTest::keyClick(window, Qt::Key_Tab, Qt::ShiftModifier);  // stays with the program
  EXPECT_EQ(Codes{0x0113}, key_data(peer));
  QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);  // Ctrl+C: function 33
  EXPECT_EQ(Codes{0x0121}, key_data(peer));
  QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);  // other control characters: none
  QTest::keyClick(window, Qt::Key_X, Qt::ControlModifier);  // Ctrl+X, without values
  EXPECT_EQ(Codes{0x01CC}, key_data(peer));
  QTest::keyClick(window, Qt::Key_F7, Qt::AltModifier);  // Alt chords: nothing
  QTest::keyClick(window, Qt::Key_E, Qt::AltModifier);
  QTest::sendKeyEvent(QTest::Click, window, Qt::Key_Adiaeresis, QString::fromUtf8("\xc3\xa4"),
                      Qt::NoModifier);
  EXPECT_EQ(Codes{0x00E4}, key_data(peer));  // the ANSI code page
  QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString::fromUtf8("\xe2\x82\xac"),
                      Qt::NoModifier);
  EXPECT_EQ(Codes{0x0080}, key_data(peer));
  EXPECT_EQ(6u, window_ids(peer).size());  // nothing else was sent
}

// While the host works (KWK_CURSOR 1 of the window service) the content window shows the wait
// cursor and takes no input; keys typed then are lost. KWK_CURSOR 0 gives the input back; other
// values change nothing.
TEST_F(KeyInputTest, HostBusyShowsTheWaitCursorAndDropsTypedKeys) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 49);
  QWidget* window = content(ids);
  const auto busy = [&peer](int value) {
    const auto out = protocol::build_single_int(net::KWD_WIN, net::KWK_CURSOR, value);
    return peer.send(out.service, out.type, out.payload);
  };
  ASSERT_GT(busy(1), 0);
  ASSERT_TRUE(wait_until([&] { return !window->isEnabled(); }));
  EXPECT_EQ(Qt::WaitCursor, window->cursor().shape());
  QTest::keyClick(screen(ids), 'A', Qt::ShiftModifier);
  ASSERT_GT(busy(7), 0);  // ignored
  window_ids(peer);       // no key data came before the ids
  QCoreApplication::sendPostedEvents();
  EXPECT_FALSE(window->isEnabled());
  ASSERT_GT(busy(0), 0);
  ASSERT_TRUE(wait_until([&] { return window->isEnabled(); }));
  EXPECT_EQ(Qt::ArrowCursor, window->cursor().shape());
  QTest::keyClick(window, 'B', Qt::ShiftModifier);
  EXPECT_EQ(Codes{0x0042}, key_data(peer));
}

// A menu program's screen comes with the wait cursor (KWK_DMINIT) until it is ready
// (KWK_DMBEREIT).
TEST_F(KeyInputTest, MenuProgramKeepsTheWaitCursorUntilReady) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 48, "menu");
  protocol::ScreenDefinition definition;
  definition.mode_and_style = 5;
  definition.title = "Menu";
  definition.width = 200;
  definition.height = 100;
  definition.screen_options = protocol::default_screen_options();
  const auto out =
      protocol::build_screen_definition(definition, 0x070305, net::KWD_DIMEN, net::KWK_DMINIT);
  ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  QWidget* window = nullptr;
  ASSERT_TRUE(wait_until([&] {
    window = content(ids);
    return window != nullptr && window->isVisible();
  }));
  window_ids(peer);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Qt::WaitCursor, window->cursor().shape());
  ASSERT_GT(peer.send(net::KWD_DIMEN, net::KWK_DMBEREIT), 0);
  ASSERT_TRUE(wait_until([&] { return window->cursor().shape() == Qt::ArrowCursor; }));
}

// The layout comes from the settings: F7 is 23 in layout 2.
TEST_F(KeyInputTest, KeyboardLayoutSettingSelectsTheTable) {
  SessionHost host = *session_host();
  host.keyboard_layout = 2;
  set_session_host(host);
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 41);
  QTest::keyClick(content(ids), Qt::Key_F6);  // the prefix of layout 2: as Shift
  QTest::keyClick(content(ids), Qt::Key_F7);
  EXPECT_EQ(Codes{0x0118}, key_data(peer));
  QTest::keyClick(content(ids), Qt::Key_F7);
  EXPECT_EQ(Codes{0x0117}, key_data(peer));
}

// A single-key host gets keys only when it asks, one per request; a request that finds no keys
// makes the next key go at once, alone.
TEST_F(KeyInputTest, SingleKeyHostGetsOneKeyPerRequest) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 42, protocol::kStyleNoCaret);
  QWidget* window = content(ids);
  for (const char key : {'x', 'y', 'z'}) QTest::keyClick(window, key);
  EXPECT_EQ(6u, window_ids(peer).size());  // nothing sent yet: the host did not ask
  ASSERT_GT(ask_for_keys(peer), 0);
  EXPECT_EQ(Codes{'x'}, key_data(peer));
  ASSERT_GT(ask_for_keys(peer, net::KWK_WTAST), 0);  // flushes output, then as KWK_WTEST
  EXPECT_EQ(Codes{'y'}, key_data(peer));
  ASSERT_GT(ask_for_keys(peer), 0);
  EXPECT_EQ(Codes{'z'}, key_data(peer));

  ASSERT_GT(ask_for_keys(peer), 0);  // the buffer is empty: the host waits
  EXPECT_EQ(6u, window_ids(peer).size());
  QTest::keyClick(window, Qt::Key_Return);
  QTest::keyClick(window, 'q');
  EXPECT_EQ(Codes{0x0102}, key_data(peer));
  ASSERT_GT(ask_for_keys(peer), 0);
  EXPECT_EQ(Codes{'q'}, key_data(peer));
}

TEST_F(KeyInputTest, KeysTypedWhileTheWaitCursorShowsAreDropped) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 43);
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {0x1b, '%', '2'}), 0);
  EXPECT_EQ(6u, window_ids(peer).size());
  QTest::keyClick(content(ids), 'w');
  QTest::mouseClick(screen(ids), Qt::LeftButton, {}, QPoint(1, 1));
  registered_window(ids[1])->close();  // no close key, no question
  EXPECT_EQ(6u, window_ids(peer).size());
  EXPECT_EQ(0u, user_.count());
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {0x1b, '%', '0'}), 0);
  EXPECT_EQ(6u, window_ids(peer).size());
  QTest::keyClick(content(ids), 'v');
  EXPECT_EQ(Codes{'v'}, key_data(peer));
}

// An old host library's message box empties the buffer: its answer is the only key the host
// reads, and it goes at once, also to a single-key host that did not ask.
TEST_F(KeyInputTest, MessageBoxAnswerReplacesTypedKeys) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 47, protocol::kStyleNoCaret);
  QTest::keyClick(content(ids), 'a');
  QTest::keyClick(content(ids), 'b');
  EXPECT_EQ(6u, window_ids(peer).size());
  user_.answers = {foundation::kAnswerCancel};
  const auto box = protocol::build_wmelde({foundation::kMsgOkCancel, "Abbrechen?"});
  ASSERT_GT(peer.send(box.service, box.type, box.payload), 0);
  EXPECT_EQ(Codes{0x0101}, key_data(peer));  // F3
  ASSERT_GT(ask_for_keys(peer), 0);          // nothing left: the host waits
  EXPECT_EQ(6u, window_ids(peer).size());
  QTest::keyClick(content(ids), 'c');
  EXPECT_EQ(Codes{'c'}, key_data(peer));
}

// A click gives the mouse event with the button code and the cell under the pointer; the wheel
// gives one code per notch.
TEST_F(KeyInputTest, ClicksAndWheelTurnsOnTheTextScreen) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 44);
  TextScreenWidget* text = screen(ids);
  const int w = text->cell_width();
  const int h = text->cell_height();

  QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(3 * w + 1, 7 * h + h - 1));
  EXPECT_EQ((Codes{0x0165, 1, 3, 7}), key_data(peer));
  QTest::mouseClick(text, Qt::MiddleButton, Qt::ShiftModifier, QPoint(1, 1));
  EXPECT_EQ((Codes{0x0165, 22, 0, 0}), key_data(peer));
  // Ctrl with a right double click at pixel (5 x cell width, 2 x cell height).
  QTest::mouseDClick(text, Qt::RightButton, Qt::ControlModifier, QPoint(5 * w, 2 * h));
  QTest::mouseRelease(text, Qt::RightButton, Qt::ControlModifier, QPoint(5 * w, 2 * h));
  EXPECT_EQ((Codes{0x0165, 53, 5, 2}), key_data(peer));

  const auto turn = [text](int units) {
    QWheelEvent wheel(QPointF(5, 5), text->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, units),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(text, &wheel);
  };
  turn(240);
  EXPECT_EQ((Codes{0x0108, 0x0108}), key_data(peer));
  turn(-60);  // half a notch: nothing yet
  turn(-60);
  EXPECT_EQ(Codes{0x0109}, key_data(peer));
}

// A view smaller than the grid (ESC @ B) gets scroll bars; the caret stays in sight; the wheel
// scrolls instead of typing, and a click names the cell of the grid under the pointer.
TEST_F(KeyInputTest, ViewSmallerThanTheGridScrolls) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 47);
  TextScreenWidget* text = screen(ids);
  auto* area = qobject_cast<QAbstractScrollArea*>(text->parentWidget()->parentWidget());
  ASSERT_NE(nullptr, area);
  EXPECT_FALSE(area->verticalScrollBar()->isVisible());
  const int w = text->cell_width();
  const int h = text->cell_height();
  // The view: 20 columns and 4 rows of the 40 x 10 grid; then the cursor to column 30, row 8.
  const std::string stream = "\x1b@B"s + std::string{0, 20, 0, 4} +
                             "\x1b"
                             "F" +
                             std::string{30, 8};
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {stream.begin(), stream.end()}), 0);
  const auto shown = [area] {
    return QRect(QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value()),
                 area->viewport()->size());
  };
  ASSERT_TRUE(wait_until([&] {
    return area->verticalScrollBar()->isVisible() && area->horizontalScrollBar()->isVisible() &&
           shown().contains(QRect(30 * w, 8 * h, w, h));
  })) << shown().x()
      << "," << shown().y() << " " << shown().width() << "x" << shown().height() << " cell " << w
      << "x" << h;
  EXPECT_EQ(QSize(20 * w, 4 * h), area->viewport()->size());

  const int before = area->verticalScrollBar()->value();
  QWheelEvent wheel(QPointF(5, 5), text->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(text, &wheel);
  EXPECT_LT(area->verticalScrollBar()->value(), before);
  // A click at the screen's second column of the fourth row, wherever it is scrolled to.
  QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(1 * w + 1, 3 * h + 1));
  EXPECT_EQ((Codes{0x0165, 1, 1, 3}), key_data(peer));  // no wheel keys came before
}

// Closing the window of a text screen sends the close key and asks nothing; with a full buffer
// the user is asked.
TEST_F(KeyInputTest, ClosingTheWindowSendsTheCloseKey) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 45);
  registered_window(ids[1])->close();
  EXPECT_EQ(Codes{0x01FF}, key_data(peer));
  EXPECT_EQ(0u, user_.count());
  EXPECT_TRUE(registered_window(ids[1])->isVisible());
}

TEST_F(KeyInputTest, ClosingWithAFullBufferAsksTheUser) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 46, protocol::kStyleNoCaret);
  for (int k = 0; k < 32; ++k) QTest::keyClick(content(ids), 'k');
  EXPECT_EQ(6u, window_ids(peer).size());
  user_.answers = {foundation::kAnswerNo};
  registered_window(ids[1])->close();
  ASSERT_TRUE(wait_until([&] { return user_.count() == 1; }));
  ASSERT_GT(ask_for_keys(peer), 0);
  EXPECT_EQ(Codes{'k'}, key_data(peer));  // the typed keys are still there, not the close key
}

}  // namespace
}  // namespace kovw::session::test
