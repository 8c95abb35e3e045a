// Window requests of the host: KMAP operations on a window by its handle, the title (WTIT) and
// the workflow result (WRETC).

#include <fstream>
#include <iterator>

#include "foundation/log.h"
#include "foundation/message_table.h"
#include "foundation/workflow_state.h"
#include "protocol/program/program_window.h"
#include "protocol/program/start_messages.h"
#include "protocol/program/window_service.h"
#include "session/context_fixture.h"
#include "session/program/colour_model.h"
#include "session/program/program_session.h"
#include "session/program/system_colours.h"
#include "session/program/window_title.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

class WindowCommandsTest : public SessionTest {
 protected:
  static int map(HostPeer& peer, int operation, std::int32_t window) {
    const auto out = protocol::build_kmap({operation, window});
    return peer.send(out.service, out.type, out.payload);
  }
  // A shown program; its KGETWINID answer.
  std::vector<std::int32_t> shown_program(HostPeer& peer, int pid, const std::string& name) {
    const auto ids = init_program(peer, pid, name);
    EXPECT_GT(define_screen(peer, name, 3, 200, 100), 0);
    EXPECT_TRUE(wait_until([&] {
      QWidget* main = registered_window(ids[1]);
      return main != nullptr && main->isVisible();
    }));
    return ids;
  }
};

// 7 hides, 9 is no operation and leaves the window hidden, 1 shows it again; the window keeps
// its place.
TEST_F(WindowCommandsTest, MapHidesAndShowsTheWindowByItsHandle) {
  HostPeer& peer = start_program();
  const auto ids = shown_program(peer, 60, "map");
  QWidget* main = registered_window(ids[1]);
  const QRect geometry = main->geometry();

  ASSERT_GT(map(peer, 7, ids[1]), 0);
  ASSERT_TRUE(wait_until([&] { return !main->isVisible(); }));

  ASSERT_GT(map(peer, 9, ids[1]), 0);
  window_ids(peer);  // the program thread has handled KMAP 9 before it answers this
  QCoreApplication::sendPostedEvents();
  EXPECT_FALSE(main->isVisible());

  ASSERT_GT(map(peer, 1, ids[1]), 0);
  ASSERT_TRUE(wait_until([&] { return main->isVisible(); }));
  EXPECT_EQ(geometry, main->geometry());

  // A handle that names no window changes nothing and the program goes on.
  ASSERT_GT(map(peer, 7, 12345), 0);
  EXPECT_EQ(6u, window_ids(peer).size());
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(main->isVisible());
}

TEST_F(WindowCommandsTest, MapMinimisesAndRestores) {
  HostPeer& peer = start_program();
  const auto ids = shown_program(peer, 61, "minimise");
  QWidget* main = registered_window(ids[1]);
  ASSERT_GT(map(peer, 5, ids[1]), 0);
  ASSERT_TRUE(wait_until([&] { return main->isMinimized(); }));
  ASSERT_GT(map(peer, 6, ids[1]), 0);
  ASSERT_TRUE(wait_until([&] { return !main->isMinimized() && main->isVisible(); }));
  ASSERT_GT(map(peer, 2, ids[1]), 0);
  ASSERT_TRUE(wait_until(
      [&] { return main->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && main->isVisible(); }));
  ASSERT_GT(map(peer, 3, ids[1]), 0);
  ASSERT_TRUE(wait_until([&] {
    return !main->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && main->isVisible();
  }));
}

// The title names the connection and, with a slow-connection level, the pictures left out.
// The title: the caption in the program's code page, the connection name and the slow
// connection level; the caption also names the thread, cut to 15 bytes between characters.
TEST(WindowTitleTest, TitleNamesConnectionAndSlowConnectionLevel) {
  test_app();
  const std::string pictures_off = foundation::message_text(40504);
  const std::string large_off = foundation::message_text(40505);
  ASSERT_FALSE(pictures_off.empty());
  ASSERT_FALSE(large_off.empty());
  const std::pair<int, std::string> cases[] = {
      {0, "Kunden (peer title)"},
      {1, "Kunden (peer title) [" + pictures_off + "]"},
      {3, "Kunden (peer title) [" + large_off + "]"},
  };
  for (const auto& [level, expected] : cases) {
    SCOPED_TRACE(level);
    FakeContext fake;
    fake.connection = "peer title";
    fake.host.slow_connect_level = level;
    fake.run(protocol::build_raw_text(net::KWD_WIN, net::KWK_WTIT, "Kunden"));
    EXPECT_TRUE(fake.replies.sent.empty());
    ASSERT_EQ(1u, fake.view.posted.size());
    const auto* title = std::get_if<to_view::Title>(&fake.view.posted[0]);
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(QString::fromStdString(expected), title->text);
    EXPECT_EQ("Kunden", fake.caption);
    EXPECT_EQ("Kunden", fake.short_name);
  }
}

TEST(WindowTitleTest, CaptionFollowsTheTextFlagsAndNamesTheThreadShortly) {
  test_app();
  struct Case {
    int text_flags;
    std::string sent;
    std::string caption;     // UTF-8
    std::string short_name;  // at most 15 bytes, whole characters
  };
  const Case cases[] = {
      {0, "Kunden \xE4ndern", "Kunden \xC3\xA4ndern", "Kunden \xC3\xA4ndern"},
      {foundation::kTextUtf8, "Kunden \xC3\xA4ndern", "Kunden \xC3\xA4ndern",
       "Kunden \xC3\xA4ndern"},
      {0, "Stammdaten \xE4ndern", "Stammdaten \xC3\xA4ndern", "Stammdaten \xC3\xA4nd"},
      {0, "Kundenstamm\xE4\xE4\xE4", "Kundenstamm\xC3\xA4\xC3\xA4\xC3\xA4",
       "Kundenstamm\xC3\xA4\xC3\xA4"},
      {0, "Kundenstamm1\xE4\xE4", "Kundenstamm1\xC3\xA4\xC3\xA4", "Kundenstamm1\xC3\xA4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sent);
    FakeContext fake;
    fake.text_flags = c.text_flags;
    fake.run(protocol::build_raw_text(net::KWD_WIN, net::KWK_WTIT, c.sent));
    EXPECT_EQ(c.caption, fake.caption);
    EXPECT_EQ(c.short_name, fake.short_name);
  }
}

// A screen definition's language digit switches the program thread's language: its texts
// (here the title's note of the slow connection) follow it; other threads keep theirs.
TEST_F(WindowCommandsTest, LanguageDigitSwitchesTheProgramThreadsLanguage) {
  ASSERT_EQ(foundation::kLanguageGerman, foundation::language());
  SessionHost host = *session_host();
  host.slow_connect_level = 1;
  set_session_host(std::move(host));
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 67, "language");
  protocol::ScreenDefinition screen;
  screen.mode_and_style = 3;
  screen.title = "Sprache";
  screen.width = 20;
  screen.height = 5;
  screen.language_digit = '4';  // English
  screen.screen_options = protocol::default_screen_options();
  const auto definition =
      protocol::build_screen_definition(screen, 0x070305, net::KWD_WIN, net::KWK_WINIT);
  ASSERT_GT(peer.send(definition.service, definition.type, definition.payload), 0);
  const auto out = protocol::build_raw_text(net::KWD_WIN, net::KWK_WTIT, "Kunden");
  ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  const QString title = QString::fromStdString(
      "Kunden (peer title) [" + std::string(foundation::message_text(40504, false)) + "]");
  ASSERT_TRUE(wait_until([&] {
    QWidget* main = registered_window(ids[1]);
    return main != nullptr && main->windowTitle() == title;
  }));
  EXPECT_EQ(foundation::kLanguageGerman, foundation::language());
}

// Each screen definition's title becomes the caption; an empty one clears it.
TEST_F(WindowCommandsTest, EmptyDefinitionTitleClearsTheCaption) {
  HostPeer& peer = start_program();
  const auto ids = shown_program(peer, 68, "Erst");
  QWidget* main = registered_window(ids[1]);
  ASSERT_TRUE(wait_until([&] { return main->windowTitle() == "Erst"; }));
  ASSERT_GT(define_screen(peer, "", 3, 200, 100), 0);
  EXPECT_TRUE(wait_until([&] { return main->windowTitle().isEmpty(); }));
}

// A host library too old to leave large pictures out, on a login with a slow connection: the
// log says so (message 10084), once for the whole run.
TEST_F(WindowCommandsTest, OldHostLibraryOnSlowConnectionIsLoggedOnce) {
  const std::string note = foundation::message_text(10084);
  const auto notes = [&note] {
    std::ifstream log(foundation::log_path());
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    std::size_t count = 0;
    for (auto at = text.find(note); at != std::string::npos; at = text.find(note, at + 1)) ++count;
    return count;
  };
  ASSERT_EQ(0u, notes());
  HostPeer& current = start_program();
  init_program(current, 69, "current");  // a current library: nothing to say
  SessionHost host = *session_host();
  host.slow_connect_level = 2;
  set_session_host(std::move(host));
  HostPeer& recent = start_program();
  init_program(recent, 70, "recent", {0x040A00});
  EXPECT_EQ(0u, notes());
  for (const int pid : {71, 72}) {
    HostPeer& old = start_program();
    init_program(old, pid, "old", {0x040909});
  }
  EXPECT_EQ(1u, notes());
}

// The colour model's background brush paints the main and content windows.
TEST_F(WindowCommandsTest, ModelBackgroundIsTheWindowsBackground) {
  HostPeer& peer = start_program();
  const auto ids = shown_program(peer, 73, "background");
  protocol::ScreenOptions options = protocol::default_screen_options();
  normalise_screen_options(options, system_colours());
  ModelContext context;
  context.screen_kind = kScreenText;
  context.host_version = 0x070305;
  const Rgb rgb = apply_colour_model(options, context, system_colours()).background();
  const QColor expected(rgb.red, rgb.green, rgb.blue);
  for (const std::int32_t handle : {ids[0], ids[1]}) {
    QWidget* window = registered_window(handle);
    ASSERT_TRUE(wait_until([&] { return window->autoFillBackground(); }));
    EXPECT_EQ(expected, window->palette().color(QPalette::Window)) << handle;
  }
}

TEST(WindowTitleTest, ShownTitleWithoutConnectionName) {
  EXPECT_EQ("Werkzeug", shown_title("Werkzeug", nullptr, 0));
  EXPECT_EQ("Werkzeug [" + std::string(foundation::message_text(40505)) + "]",
            shown_title("Werkzeug", nullptr, 2));
}

TEST_F(WindowCommandsTest, WorkflowResultIsStoredAndConfirmed) {
  HostPeer& peer = start_program();
  init_program(peer, 65, "workflow");
  const auto out = protocol::build_single_int(net::KWD_WIN, net::KWK_WRETC, 42);
  ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWD_WIN, message.service);
  EXPECT_EQ(net::KWK_WRETC, message.type);
  EXPECT_EQ(std::vector<std::int32_t>{42}, read_ints(payload));
  EXPECT_EQ(42, foundation::workflow_result());
  foundation::set_workflow_result(0);
}

// The first program of the list carries the first-program flag; the host clears and sets it.
TEST_F(WindowCommandsTest, KillSaveClearsAndSetsTheFirstProgramFlag) {
  HostPeer& peer = start_program();
  const int thread_id = init_program(peer, 66, "first")[5];
  const auto flag = [thread_id] {
    ProgramInfo info;
    EXPECT_TRUE(find_program(thread_id, &info));
    return info.first_program;
  };
  EXPECT_TRUE(flag());
  for (const int value : {0, 5}) {
    const auto out = protocol::build_single_int(net::KWD_WIN, net::KWK_WKILLSAVE, value);
    ASSERT_GT(peer.send(out.service, out.type, out.payload), 0);
    window_ids(peer);  // handled before this answer
    EXPECT_EQ(value != 0, flag());
  }
}

}  // namespace
}  // namespace kovw::session::test
