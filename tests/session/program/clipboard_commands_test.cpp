// The host's clipboard requests: text to the clipboard and back, files dropped on the content
// window, and the empty answer; through a running program and on a fake context.

#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include "protocol/program/host_requests.h"
#include "session/context_fixture.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

std::string bytes_text(const protocol::Bytes& bytes) {
  return {bytes.begin(), bytes.end()};
}

class ClipboardTest : public SessionTest {
 protected:
  static int set_clipboard(HostPeer& peer, const std::string& host_text) {
    const auto out = protocol::build_ksetclip({0, {host_text.begin(), host_text.end()}});
    return peer.send(out.service, out.type, out.payload);
  }
  // KGETCLIP with `kind`; the answer's kind and data, and its payload as it came.
  static std::pair<protocol::ClipAnswer, std::vector<std::uint8_t>> get_clipboard(HostPeer& peer,
                                                                                  int kind) {
    const auto out = protocol::build_kgetclip(kind);
    EXPECT_GT(peer.send(out.service, out.type, out.payload), 0);
    const auto [message, payload] = answer_pumping(peer);
    EXPECT_EQ(net::KWD_KOMM, message.service);
    EXPECT_EQ(net::KWK_KGETCLIP, message.type);
    const auto answer = protocol::parse_clip_answer(payload);
    EXPECT_TRUE(answer);
    return {answer ? *answer : protocol::ClipAnswer{}, payload};
  }
  static std::string text_of(const protocol::Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

  // Drags `urls` over the content window and drops them, as the window system delivers a drop
  // from a file manager: to the top-level window, which hands it to the widget below the
  // pointer. True when the drop was taken.
  static bool drop(QWidget* content, const QList<QUrl>& urls) {
    QWindow* window = content->window()->windowHandle();
    if (window == nullptr) return false;
    QMimeData data;
    data.setUrls(urls);
    const QPointF at = content->mapTo(content->window(), content->rect().center());
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    return drop.isAccepted();
  }
};

// Host text reaches the clipboard as text and comes back in the program's code page: ANSI
// (0xFC u-umlaut, 0xDF sharp s), also for a text the host marked as UTF-8 (trailing 0xA0).
TEST_F(ClipboardTest, TextRoundTripThroughTheClipboard) {
  HostPeer& peer = start_program();
  init_program(peer, 40, "clip");
  const std::string ansi =
      "Gr\xFC\xDF"
      "e\r\nZeile 2";
  for (const std::string& sent : {ansi, std::string("Gr\xC3\xBC\xC3\x9F"
                                                    "e\r\nZeile 2\xA0")}) {
    ASSERT_GT(set_clipboard(peer, sent), 0);
    const auto [answer, payload] = get_clipboard(peer, 0);
    EXPECT_EQ(1, answer.kind);
    EXPECT_EQ(ansi, text_of(answer.data));
    EXPECT_EQ(QString::fromUtf8("Grüße\r\nZeile 2"), QGuiApplication::clipboard()->text());
  }
}

// Dropped files are answered first, each name followed by CR LF, and forgotten: the next
// request gets the clipboard text. Drops of anything but local files are refused.
TEST_F(ClipboardTest, DroppedFilesAreAnsweredOnceBeforeTheClipboard) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 41, "drop");
  ASSERT_GT(define_screen(peer, "drop", 3, 200, 100), 0);
  ASSERT_GT(set_clipboard(peer, "kept"), 0);
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KGETWINID), 0);
  answer_pumping(peer);  // the clipboard holds the text now
  QWidget* content = nullptr;
  ASSERT_TRUE(wait_until([&] {
    content = registered_window(ids[0]);
    return content != nullptr && content->isVisible();
  }));

  EXPECT_FALSE(drop(content, {QUrl("https://example.org/a.txt")}));
  EXPECT_TRUE(drop(content, {QUrl::fromLocalFile("/tmp/a.txt")}));
  EXPECT_TRUE(drop(content, {QUrl::fromLocalFile("/tmp/b c.txt")}));

  const auto [files, files_payload] = get_clipboard(peer, 5);
  EXPECT_EQ(5, files.kind);
  EXPECT_EQ(std::string("/tmp/a.txt\r\n/tmp/b c.txt\r\n") + '\0', text_of(files.data));

  const auto [text, text_payload] = get_clipboard(peer, 5);
  EXPECT_EQ(1, text.kind);
  EXPECT_EQ("kept", text_of(text.data));
}

TEST_F(ClipboardTest, EmptyClipboardAnswersNull) {
  HostPeer& peer = start_program();
  init_program(peer, 42, "empty");
  QGuiApplication::clipboard()->clear();
  const auto [answer, payload] = get_clipboard(peer, 3);
  EXPECT_EQ(3, answer.kind);
  EXPECT_TRUE(answer.data.empty());
  ASSERT_GE(payload.size(), 4u);
  EXPECT_EQ("NULL", std::string(payload.end() - 4, payload.end()));
}

// KSETCLIP hands the text, up to its first zero byte and in the program's code page, to the
// view; a view that is gone loses it without an answer.
TEST(ClipboardContextTest, SetClipboardPostsTheTextToTheView) {
  test_app();
  struct Case {
    int text_flags;
    std::string sent;
    QString posted;
  };
  const Case cases[] = {
      {0,
       std::string("Gr\xFC\xDF"
                   "e\0rest",
                   10),
       QString::fromUtf8("Grüße")},
      {foundation::kTextUtf8,
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       QString::fromUtf8("Grüße")},
      {0, "", QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    FakeContext fake;
    fake.text_flags = c.text_flags;
    fake.run(protocol::build_ksetclip({0, {c.sent.begin(), c.sent.end()}}));
    EXPECT_TRUE(fake.replies.sent.empty());
    ASSERT_EQ(1u, fake.view.posted.size());
    const auto* clipboard = std::get_if<to_view::Clipboard>(&fake.view.posted[0]);
    ASSERT_NE(nullptr, clipboard);
    EXPECT_EQ(c.posted, clipboard->text);
  }
  FakeContext closed;
  closed.view.open = false;
  closed.run(protocol::build_ksetclip({0, {'x'}}));
  EXPECT_TRUE(closed.view.posted.empty());
  EXPECT_TRUE(closed.replies.sent.empty());
}

// KGETCLIP: the dropped files first, once, each name with CR LF and the list with a zero byte,
// in the program's code page; then the clipboard's text as kind 1.
TEST(ClipboardContextTest, GetClipboardAnswersDroppedFilesOnceThenTheText) {
  test_app();
  QGuiApplication::clipboard()->setText(QString::fromUtf8("Maß"));
  FakeContext fake;
  fake.dropped_files = {QString::fromUtf8("/tmp/ä.txt"), "/tmp/b c.txt"};

  auto get = [&](int kind) {
    const auto answer =
        protocol::parse_clip_answer(fake.ask(protocol::build_kgetclip(kind)).payload);
    EXPECT_TRUE(answer);
    return answer ? *answer : protocol::ClipAnswer{};
  };
  const protocol::ClipAnswer files = get(5);
  EXPECT_EQ(5, files.kind);
  EXPECT_EQ(std::string("/tmp/\xE4.txt\r\n/tmp/b c.txt\r\n") + '\0', bytes_text(files.data));
  EXPECT_TRUE(fake.dropped_files.isEmpty());

  const protocol::ClipAnswer text = get(5);
  EXPECT_EQ(1, text.kind);
  EXPECT_EQ("Ma\xDF", bytes_text(text.data));

  fake.text_flags = foundation::kTextUtf8;
  EXPECT_EQ("Ma\xC3\x9F", bytes_text(get(1).data));
  QGuiApplication::clipboard()->clear();
}

}  // namespace
}  // namespace kovw::session::test
