#include <unistd.h>

#include <QScreen>

#include "session/program/program_link.h"
#include "session/program/shell_bridge.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

int send_reconnect(HostPeer& peer, int pid, int main_window, int thread_id) {
  const auto message = protocol::build_kreconnect({pid, main_window, thread_id});
  return peer.send(message.service, message.type, message.payload);
}

TEST_F(SessionTest, ProgramLinkStartsThreadAndItsScreenDefinitionShowsTheWindow) {
  HostPeer& peer = start_program();
  ASSERT_TRUE(wait_until([] { return program_count() == 1; }));
  EXPECT_EQ(nullptr, window_titled("first program"));

  // Full KINIT: version, parent (none), embed flag, link time-out.
  const auto ids = init_program(peer, 4711, "first program", {0x070305, 0, 0, 5000});
  ASSERT_EQ(6u, ids.size());
  EXPECT_NE(0, ids[0]);
  EXPECT_NE(0, ids[1]);
  EXPECT_NE(ids[0], ids[1]);
  EXPECT_EQ(0, ids[4]);  // not embedded

  const auto programs = program_list_snapshot();
  ASSERT_EQ(1u, programs.size());
  EXPECT_EQ(4711, programs[0].host_pid);
  EXPECT_EQ("first program", programs[0].program_name);
  EXPECT_EQ(programs[0].thread_id, ids[5]);
  EXPECT_EQ(programs[0].main_window, ids[1]);
  EXPECT_EQ(programs[0].content_window, ids[0]);

  // KINIT made the windows; they stay hidden until the screen is defined.
  ASSERT_TRUE(wait_until([&] { return registered_window(ids[1]) != nullptr; }));
  QWidget* main = registered_window(ids[1]);
  EXPECT_EQ(main, window_titled("first program"));
  EXPECT_EQ(main, registered_window(ids[0])->window());
  EXPECT_FALSE(main->isVisible());

  // The screen definition names the caption, the content size and the position.
  ASSERT_GT(define_screen(peer, "Kunden \xe4ndern", 2, 500, 300, 30, 40), 0);  // graphics
  ASSERT_TRUE(wait_until([&] { return main->isVisible(); }));
  EXPECT_EQ(QString::fromUtf8("Kunden \xc3\xa4ndern"), main->windowTitle());  // host text
  EXPECT_EQ(QSize(500, 300), registered_window(ids[0])->size());
  EXPECT_EQ(QPoint(30, 40), main->pos());

  // The host ends: the thread ends, the window goes, the shell hears of it.
  peer.close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(0, shell_.ends[0].first);
  ASSERT_TRUE(wait_until([&] { return registered_window(ids[1]) == nullptr; }));
}

// A deferred window (style bit 15) and a broken definition show nothing; a later definition
// does, and a window that would stick out of the desktop is moved back onto it.
TEST_F(SessionTest, DeferredOrBrokenScreenDefinitionKeepsTheWindowHidden) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 7, "deferred");
  ASSERT_GT(define_screen(peer, "later", 3 | protocol::kStyleDeferredWindow, 200, 100), 0);
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WINIT, {0x00, 0x01}), 0);  // cut short
  EXPECT_EQ(6u, window_ids(peer).size());  // both were handled before this answer
  wait_until([] { return false; }, 100);
  ASSERT_NE(nullptr, registered_window(ids[1]));
  EXPECT_FALSE(registered_window(ids[1])->isVisible());

  // Far out of the desktop, and far larger than it in height.
  ASSERT_GT(define_screen(peer, "now", 2, 200, 2000000000, 100000, 100000), 0);
  ASSERT_TRUE(wait_until([&] { return registered_window(ids[1])->isVisible(); }));
  QWidget* main = registered_window(ids[1]);
  const QRect desktop = main->screen()->availableGeometry();
  EXPECT_EQ(200, main->width());
  EXPECT_EQ(desktop.height(), main->height());
  EXPECT_TRUE(desktop.contains(main->frameGeometry().topLeft()));
  EXPECT_TRUE(desktop.contains(main->frameGeometry().topRight()));
  EXPECT_EQ("now", main->windowTitle());
}

TEST_F(SessionTest, ServerLinkHearsOfStartAndEnd) {
  HostPeer& peer = start_program("815");
  ASSERT_TRUE(wait_until([] { return program_count() == 1; }));
  peer.close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  const auto sent = server_messages();
  ASSERT_EQ(2u, sent.size());
  EXPECT_EQ(net::KWK_KINFO, sent[0].type);
  // pid (4 bytes), start time (8 bytes), title with its zero.
  net::FieldCursor at(sent[0].payload.data(), sent[0].payload.size());
  EXPECT_EQ(815, net::get_int_field(at));
  std::size_t time_size = 0;
  const auto started = net::get_int_field(at, &time_size);
  EXPECT_EQ(10u, time_size);
  EXPECT_NEAR(static_cast<double>(std::time(nullptr) & 0xffffffff), started, 5.0);
  const auto title = net::get_bytes_view(at);
  EXPECT_EQ(std::string("peer title", 11), std::string(title.begin(), title.end()));
  EXPECT_FALSE(at.failed);

  EXPECT_EQ(net::KWK_KEND, sent[1].type);
  EXPECT_EQ(build_kend(815), sent[1].payload);
  EXPECT_EQ((std::vector<std::uint8_t>{0, 4, 0, 0, 3, 0x2f, 0, 2, 0, 0}), sent[1].payload);
}

TEST_F(SessionTest, LinkClosingBeforeKinitEndsCleanlyWithoutWindow) {
  const int descriptors = open_descriptors();
  HostPeer& peer = start_program();
  peer.close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(0, shell_.ends[0].first);
  EXPECT_EQ(0u, shell_.ends[0].second);
  ASSERT_TRUE(wait_until([] { return live_program_threads() == 0; }));
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  EXPECT_EQ(descriptors, open_descriptors());
}

TEST_F(SessionTest, ExitFlagsReachTheShell) {
  HostPeer& peer = start_program();
  init_program(peer, 1, "flags");
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KCFLAG, protocol::build_kcflag(0x5).payload), 0);
  ASSERT_GT(peer.send(net::KWD_KOMM, net::KWK_KCFLAG, protocol::build_kcflag(0x10).payload), 0);
  window_ids(peer);  // the flags were taken before this answer
  peer.close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(0x15, shell_.ends[0].second);
}

TEST_F(SessionTest, KeepAliveFramesAndUnknownMessagesAreNotAnswered) {
  HostPeer& peer = start_program();
  init_program(peer, 2, "quiet");
  ASSERT_GT(peer.send(net::kKeepAliveService, net::kKeepAliveType), 0);
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, {1, 2, 3}), 0);
  // The next answer is the one asked for: nothing was sent in between.
  const auto ids = window_ids(peer);
  EXPECT_EQ(6u, ids.size());
}

TEST_F(SessionTest, InternetModeSendsKeepAliveWhenTheLinkIsIdle) {
  SessionHost host = *session_host();
  host.keep_alive_seconds = 1;
  set_session_host(host);
  HostPeer& peer = start_program();
  init_program(peer, 4, "internet");
  // The first tick finds the link active (KGETWINID), the second one sends the keep-alive.
  net::link_state().net_timeout_ms = 5000;
  net::LinkMessage message;
  // 2: a keep-alive frame (service 15, type 254, no payload) arrived.
  EXPECT_EQ(2, net::link_receive(peer.socket, message, peer.reader, net::kReturnKeepAlive));
}

TEST_F(SessionTest, LargeMessageGrowsTheReceiveBuffer) {
  HostPeer& peer = start_program();
  init_program(peer, 3, "large");
  ASSERT_GT(peer.send(net::KWD_WIN, net::KWK_WDAT, std::vector<std::uint8_t>(100000, 'x')), 0);
  EXPECT_EQ(6u, window_ids(peer).size());
}

// The close question: without a screen the first close of a current host asks at once; an old
// host library (KINIT without version) only counts, and the third request asks.
TEST_F(SessionTest, CloseFromWindowTellsTheHostThenAsksAndEndsOnYes) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 5, "closing");
  ASSERT_GT(define_screen(peer, "closing", 3), 0);
  ASSERT_TRUE(wait_until([&] {
    return registered_window(ids[1]) != nullptr && registered_window(ids[1])->isVisible();
  }));
  // The text screen hands the first request to the host as the close key.
  registered_window(ids[1])->close();
  net::LinkMessage message;
  std::vector<std::uint8_t> payload;
  ASSERT_EQ(1, peer.receive(message, payload));
  EXPECT_EQ(net::KWK_WTAST, message.type);
  EXPECT_EQ((std::vector<std::uint8_t>{0x01, 0xFF}), payload);
  EXPECT_EQ(0u, user_.count());
  EXPECT_EQ(1, program_count());

  // A new request within five seconds is only counted; the third counted one asks.
  user_.answers = {6};  // Yes
  registered_window(ids[1])->close();
  registered_window(ids[1])->close();
  registered_window(ids[1])->close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  ASSERT_EQ(1u, user_.count());
  EXPECT_NE(std::string::npos, user_.asked[0].find("Programm wirklich abbrechen?"));
  EXPECT_TRUE(peer.closed_by_workstation());
}

TEST_F(SessionTest, KinitWithoutOptionalItemsMeansOldHostLibrary) {
  HostPeer& peer = start_program();
  const auto ids = init_program(peer, 6, "old", {});
  ASSERT_TRUE(wait_until([&] { return registered_window(ids[1]) != nullptr; }));
  registered_window(ids[1])->close();  // 0x020400 < 0x030003: counted
  registered_window(ids[1])->close();
  QThread::msleep(100);
  wait_until([] { return false; }, 100);
  EXPECT_EQ(0u, user_.count());
  EXPECT_EQ(1, program_count());
  registered_window(ids[1])->close();  // the third asks; the default answer is Yes
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(1u, user_.count());
}

TEST_F(SessionTest, StopReachesOnlyTheProgramsOfTheRun) {
  HostPeer& first = start_program();
  HostPeer& second = start_program();
  init_program(first, 100, "one");
  init_program(second, 200, "two");
  EXPECT_EQ(1, post_stop_programs(200));
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(1, shell_.ends[0].first);
  EXPECT_TRUE(second.closed_by_workstation());
  EXPECT_EQ(0u, user_.count());  // no question
  EXPECT_EQ(6u, window_ids(first).size());
  EXPECT_EQ(1, post_stop_programs(0));
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 2; }));
}

TEST_F(SessionTest, UrgentMessageIsShownByTheFirstProgram) {
  EXPECT_EQ(0, post_show_message("caption", "text"));
  HostPeer& peer = start_program();
  init_program(peer, 7, "alarm");
  EXPECT_EQ(1, post_show_message("Dringend", "Server: Alarm"));
  ASSERT_TRUE(wait_until([&] { return user_.count() == 1; }));
  EXPECT_EQ("Server: Alarm", user_.asked[0]);
}

TEST_F(SessionTest, ReconnectMovesTheLinkToTheOldThread) {
  HostPeer& old_link = start_program();
  const auto old_ids = init_program(old_link, 4242, "survivor");
  HostPeer& new_link = start_program();
  ASSERT_TRUE(wait_until([] { return program_count() == 2; }));
  ASSERT_GT(send_reconnect(new_link, 4242, old_ids[1], old_ids[5]), 0);
  // The new thread ends; the old one now answers on the new link and has dropped the old one.
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  EXPECT_EQ(1, program_count());
  EXPECT_EQ(old_ids, window_ids(new_link));
  EXPECT_TRUE(old_link.closed_by_workstation());
}

TEST_F(SessionTest, ReconnectWithWrongPidClosesTheOfferedLink) {
  HostPeer& old_link = start_program();
  const auto old_ids = init_program(old_link, 4242, "survivor");
  struct Offer {
    int pid;
    int thread_id;
  };
  for (const Offer offer : {Offer{4243, old_ids[5]}, Offer{4242, old_ids[5] + 1000}}) {
    HostPeer& new_link = start_program();
    ASSERT_GT(send_reconnect(new_link, offer.pid, old_ids[1], offer.thread_id), 0);
    EXPECT_TRUE(new_link.closed_by_workstation());
    EXPECT_EQ(old_ids, window_ids(old_link));  // untouched
  }
  ASSERT_TRUE(wait_until([] { return program_count() == 1; }));
}

TEST_F(SessionTest, ChildProgramIsHeldModalOverItsParent) {
  HostPeer& parent = start_program();
  const auto parent_ids = init_program(parent, 10, "parent");
  HostPeer& child = start_program();
  // KINIT from 0x030002 names the parent window.
  const auto child_ids = init_program(child, 11, "child", {0x070305, parent_ids[1], 0});
  EXPECT_EQ(0, child_ids[4]);  // placed over the parent, not embedded
  ASSERT_TRUE(wait_until([&] { return registered_window(child_ids[1]) != nullptr; }));
  QWidget* child_window = registered_window(child_ids[1]);
  EXPECT_EQ(registered_window(parent_ids[1]), child_window->parentWidget());
  EXPECT_EQ(Qt::WindowModal, child_window->windowModality());
  EXPECT_TRUE(child_window->isWindow());

  // The parent ends first: the child's window stays with the child.
  parent.close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  ASSERT_TRUE(wait_until([&] { return registered_window(parent_ids[1]) == nullptr; }));
  EXPECT_NE(nullptr, registered_window(child_ids[1]));
  EXPECT_EQ(6u, window_ids(child).size());
}

TEST_F(SessionTest, FailingSendOnDeadLinkEndsProgramWithOneMessage) {
  HostPeer& peer = start_program();
  init_program(peer, 12, "dying");
  // The host stops reading: every answer of the workstation fails.
  ASSERT_EQ(0, shutdown(peer.socket, SHUT_RD));
  for (int i = 0; i < 3; ++i) peer.send(net::KWD_KOMM, net::KWK_KGETWINID);
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  ASSERT_EQ(1u, user_.count());
  EXPECT_NE(std::string::npos, user_.asked[0].find("Kann keine Daten zum Host testhost"))
      << user_.asked[0];
  EXPECT_NE(std::string::npos, user_.asked[0].find("/10054")) << user_.asked[0];
}

TEST_F(SessionTest, BrokenFrameEndsProgramWithOneMessage) {
  HostPeer& peer = start_program();
  init_program(peer, 13, "broken");
  // A header announcing a payload far above the largest frame a link may carry.
  std::uint8_t header[net::kFrameHeaderSize] = {0, 0, 0xff, 0xff, 0x7f, 0xff, 0xff, 0xff};
  ASSERT_EQ(static_cast<int>(sizeof header), net::sc_send_all(peer.socket, sizeof header, header));
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == 1; }));
  ASSERT_EQ(1u, user_.count());
  EXPECT_NE(std::string::npos, user_.asked[0].find("Fehler beim Empfangen vom Host"));
  EXPECT_TRUE(peer.closed_by_workstation());
}

TEST_F(SessionTest, OldHostLibraryInInternetModeIsWarnedAbout) {
  SessionHost host = *session_host();
  host.keep_alive_seconds = 1;
  set_session_host(host);
  HostPeer& peer = start_program();
  init_program(peer, 14, "oldnet", {0x020500});
  ASSERT_TRUE(wait_until([&] { return user_.count() == 1; }));
  EXPECT_NE(std::string::npos, user_.asked[0].find("oldnet"));
  EXPECT_NE(std::string::npos, user_.asked[0].find("internetf"));
}

TEST_F(SessionTest, ThreadThatCannotStartClosesItsLink) {
  const int descriptors = open_descriptors();
  testing::fail_next_thread_start();
  int pair[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
  EXPECT_EQ(-1, dt_open(pair[1], "no thread", "<NULL>", -1, "0", {}));
  char byte;
  EXPECT_EQ(0, ::read(pair[0], &byte, 1));  // the workstation's end is closed
  ::close(pair[0]);
  EXPECT_EQ(1u, user_.count());
  EXPECT_EQ(0, program_count());
  ASSERT_TRUE(wait_until([] { return ProgramView::live_count() == 0; }));
  EXPECT_EQ(descriptors, open_descriptors());
}

TEST_F(SessionTest, FiftyProgramsStartAndEndWithoutLeaks) {
  const int descriptors = open_descriptors();
  constexpr int kPrograms = 50;
  for (int i = 0; i < kPrograms; ++i) start_program();
  for (int i = 0; i < kPrograms; ++i) init_program(*peers_[i], 1000 + i, "p" + std::to_string(i));
  ASSERT_TRUE(wait_until([] { return QApplication::topLevelWidgets().size() == kPrograms; }));
  EXPECT_EQ(kPrograms, program_count());
  EXPECT_EQ(kPrograms, live_program_threads());
  for (auto& peer : peers_) peer->close();
  ASSERT_TRUE(wait_until([&] { return shell_.ends.size() == kPrograms; }, 20000));
  ASSERT_TRUE(wait_until([] {
    return live_program_threads() == 0 && ProgramView::live_count() == 0 &&
           QApplication::topLevelWidgets().isEmpty();
  }));
  EXPECT_EQ(0, program_count());
  EXPECT_EQ(descriptors, open_descriptors());
}

}  // namespace
}  // namespace kovw::session::test

namespace kovw::session::test {
namespace {

// The shell's view: a program link as the shell hands it over, and the program ends it hears of.
TEST_F(SessionTest, ShellHandsOverLinksAndHearsOfProgramEnds) {
  QObject shell_window;
  std::vector<std::pair<int, std::uint32_t>> ends;
  connect_program_ends(&shell_window, [&](int remaining, std::uint32_t flags) {
    ends.emplace_back(remaining, flags);
  });
  int pair[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
  shell::NewLink link;
  link.socket = pair[1];
  link.peer = "daemon display";
  link.host_address = "10.0.0.1";
  link.port = 7001;
  link.process_id = "1234";
  link.opening = {1, 2, 3};
  ASSERT_EQ(0, open_program_link(std::move(link)));
  ASSERT_TRUE(wait_until([] { return program_count() == 1; }));
  const auto programs = program_list_snapshot();
  EXPECT_EQ(1234, programs[0].host_pid);
  EXPECT_EQ("daemon display", programs[0].title);
  ::close(pair[0]);
  ASSERT_TRUE(wait_until([&] { return ends.size() == 1; }));
  EXPECT_EQ(0, ends[0].first);
  EXPECT_TRUE(shell_.ends.empty());  // the shell's receiver took the place of the probe
  EXPECT_TRUE(program_end_ends_login(ends[0].first, ends[0].second));
  EXPECT_FALSE(program_end_ends_login(0, 1));  // the host asked to keep the login
  EXPECT_FALSE(program_end_ends_login(1, 0));
}

}  // namespace
}  // namespace kovw::session::test
