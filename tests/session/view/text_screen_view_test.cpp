// The text screen as a program shows it: made by a text screen definition, written by the
// host's output streams and the shell's text output, and drawn in the program's window.

#include <QImage>

#include "session/program/text_cells.h"
#include "session/session_fixture.h"
#include "session/view/text_screen_widget.h"

namespace kovw::session::test {
namespace {

using namespace std::string_literals;

class TextScreenViewTest : public SessionTest {
 protected:
  // A program with a text screen of `columns` x `rows` (mode 3: field layout).
  std::vector<std::int32_t> text_program(HostPeer& peer, int pid, int columns, int rows) {
    const auto ids = init_program(peer, pid, "text");
    EXPECT_GT(define_screen(peer, "Text", 3, columns, rows, 10, 10), 0);
    EXPECT_TRUE(wait_until([&] { return screen(ids) != nullptr && window(ids)->isVisible(); }));
    return ids;
  }
  static QWidget* window(const std::vector<std::int32_t>& ids) { return registered_window(ids[1]); }
  static TextScreenWidget* screen(const std::vector<std::int32_t>& ids) {
    QWidget* content = registered_window(ids[0]);
    return content ? content->findChild<TextScreenWidget*>() : nullptr;
  }
  static int write(HostPeer& peer, const std::string& stream) {
    return peer.send(net::KWD_WIN, net::KWK_WDAT, {stream.begin(), stream.end()});
  }
  static char character(TextScreenWidget* widget, int column, int row) {
    return static_cast<char>(cell_character(widget->cell(column, row)));
  }
};

TEST_F(TextScreenViewTest, OutputIsShownInAWindowSizedByTheGrid) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 30, 40, 10);
  TextScreenWidget* text = screen(ids);
  EXPECT_EQ(QSize(40 * text->cell_width(), 10 * text->cell_height()),
            registered_window(ids[0])->size());

  ASSERT_GT(write(peer,
                  "\x0c\x1b"
                  "F\x02\x01Hallo\x1b"
                  "F\x00\x09"
                  "Ende"s),
            0);
  ASSERT_TRUE(wait_until([&] { return character(text, 2, 1) == 'H'; }));
  EXPECT_EQ('o', character(text, 6, 1));
  EXPECT_EQ('E', character(text, 0, 9));

  // The text is drawn: the cells of "Hallo" hold pixels of the text colour, an empty row none.
  const QImage image = text->grab().toImage();
  const QColor back = image.pixelColor(1, 1);
  auto inked = [&](int column, int row, int count) {
    for (int y = row * text->cell_height(); y < (row + 1) * text->cell_height(); ++y)
      for (int x = column * text->cell_width(); x < (column + count) * text->cell_width(); ++x)
        if (image.pixelColor(x, y) != back) return true;
    return false;
  };
  EXPECT_TRUE(inked(2, 1, 5));
  EXPECT_FALSE(inked(0, 5, 40));
}

// Line-drawing characters become lines: a row of "]" in semigraphics is one horizontal line.
TEST_F(TextScreenViewTest, SemigraphicsAreDrawnAsLines) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 31, 20, 4);
  ASSERT_GT(write(peer, "\x1bT]]]]]\x1bS"), 0);
  TextScreenWidget* text = screen(ids);
  ASSERT_TRUE(wait_until([&] { return character(text, 4, 0) == ']'; }));
  const QImage image = text->grab().toImage();
  const int middle = text->cell_height() / 2;
  const QColor line = image.pixelColor(text->cell_width() / 2, middle);
  EXPECT_NE(line, image.pixelColor(text->cell_width() / 2, 1));  // not the background
  for (int x = 0; x < 5 * text->cell_width(); x += 3) EXPECT_EQ(line, image.pixelColor(x, middle));
}

// The shell's text output reaches the program's text screen; a screen of another kind
// replaces the text screen and ignores output.
TEST_F(TextScreenViewTest, ShellOutputReachesTheScreenAndAnotherKindReplacesIt) {
  HostPeer& peer = start_program();
  const auto ids = text_program(peer, 32, 20, 4);
  const std::string stream = "Shell";
  ASSERT_EQ(1, post_text_output(ids[5], {stream.begin(), stream.end()}));
  ASSERT_TRUE(wait_until([&] { return character(screen(ids), 4, 0) == 'l'; }));

  ASSERT_GT(define_screen(peer, "Grafik", 2, 300, 200), 0);
  ASSERT_TRUE(wait_until([&] { return screen(ids) == nullptr; }));
  ASSERT_GT(write(peer, "ignored"), 0);
  EXPECT_EQ(6u, window_ids(peer).size());  // the program goes on
}

}  // namespace
}  // namespace kovw::session::test
