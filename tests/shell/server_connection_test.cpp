// The server connection inside the test process: sends from several threads reach the
// daemon as whole frames with the server link's options; connect-back failures do not flood
// the user with boxes.
#include "shell/server_connection.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "fake_daemon.h"
#include "foundation/log.h"
#include "foundation/show_message.h"
#include "net/fields.h"
#include "net/link_names.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "shell/main_window.h"
#include "shell/password_field.h"
#include "shell/server_session_hooks.h"
#include "shell/server_texts.h"
#include "shell/startup.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using test::application;
using test::spin_until;

TEST(ServerConnection, SendsOfSeveralThreadsArriveAsWholeFramesOnAnEncryptedCompressedLink) {
  application();
  test::DaemonConfig config;
  config.options = 0x302;
  test::FakeDaemon daemon(config);

  SettingsRecord settings;
  settings.host.assign("127.0.0.1");
  settings.user.assign("anna");
  ASSERT_TRUE(encipher_password("secret", settings.password));
  settings.save_passwd = 0x6;
  settings.kovd_port = daemon.port() - 1;
  settings.secure_connection = 1;
  settings.crypted_connection = 1;
  settings.start_program.assign(" ");  // no start program
  shell_state().ports = derive_port_plan(settings);
  shell_state().version_word = 0x070305;

  auto* window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  int result = 1;
  std::vector<int> states;
  QObject::connect(connection, &ServerConnection::login_finished, [&](int r) { result = r; });
  QObject::connect(connection, &ServerConnection::state_changed,
                   [&](int state) { states.push_back(state); });
  ASSERT_EQ(connection->do_login(kLoginNormal), 0);
  ASSERT_TRUE(spin_until([&] { return result != 1; }));
  ASSERT_EQ(result, 0);
  EXPECT_EQ(connection->state(), kStateConnected);

  constexpr int kThreads = 4;
  constexpr int kEach = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([connection, t] {
      for (int i = 0; i < kEach; ++i) {
        std::vector<std::uint8_t> info;
        net::put_int_field(info, t * 1000 + i, 4);
        net::put_int_field(info, 1700000000, 8);
        test::put_text(info, std::string(100 + i, static_cast<char>('a' + t)));
        EXPECT_EQ(connection->send(net::KWK_KINFO, info), 0);  // queued for the GUI thread
      }
    });
  }
  for (int i = 0; i < kEach; ++i) connection->send(net::KWK_KPING, {});
  for (std::thread& thread : threads) thread.join();
  // A program thread never sends on the server link itself (a stalled daemon would hold the
  // GUI thread's sends behind it): its frames go out once the GUI thread serves its events.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(daemon.all_of(net::KWK_KINFO).empty());

  ASSERT_TRUE(spin_until([&] { return daemon.all_of(net::KWK_KINFO).size() == kThreads * kEach; }))
      << daemon.all_of(net::KWK_KINFO).size();
  std::set<int> seen;
  for (const test::ReceivedMessage& message : daemon.all_of(net::KWK_KINFO)) {
    net::FieldCursor at(message.payload);
    const int id = net::get_int_field(at);
    net::get_int_field(at);
    auto name = net::get_bytes_view(at);
    ASSERT_FALSE(at.failed);
    EXPECT_EQ(name.size(), static_cast<std::size_t>(100 + id % 1000 + 1));
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEach));
  EXPECT_TRUE(spin_until([&] { return daemon.all_of(net::KWK_KPING).size() == kEach; }));

  EXPECT_EQ(connection->do_logout(false), 0);
  EXPECT_EQ(connection->state(), kStateNotConnected);
  EXPECT_TRUE(daemon.wait_for(net::KWK_KLOGOUT));
  EXPECT_EQ(states, (std::vector<int>{kStateConnecting, kStateConnected, kStateDisconnecting,
                                      kStateNotConnected}));
  delete window;
  EXPECT_EQ(ServerConnection::instance(), nullptr);
}

// The hooks to the program sessions: the login's facts before the start message, KSTOP and the
// logout stop programs, KALARM goes to the first program.
TEST(ServerConnection, ProgramSessionsHearOfLoginStopsAndAlarms) {
  application();
  test::DaemonConfig config;
  config.options = 0x10100;  // internet mode, compression
  test::FakeDaemon daemon(config);

  std::vector<LoginFacts> logins;
  std::vector<int> stops;
  std::vector<std::string> alarms;
  ServerSessionHooks hooks;
  hooks.logged_in = [&](const LoginFacts& facts) {
    EXPECT_FALSE(daemon.received(net::KWK_KSTART));  // the facts come before the start
    logins.push_back(facts);
  };
  hooks.stop_programs = [&](int run_id) {
    stops.push_back(run_id);
    return 1;
  };
  hooks.show_urgent_message = [&](const std::string& caption, const std::string& text) {
    alarms.push_back(caption + "|" + text);
    return 1;
  };
  set_server_session_hooks(std::move(hooks));

  SettingsRecord settings;
  settings.host.assign("127.0.0.1");
  settings.user.assign("anna");
  ASSERT_TRUE(encipher_password("secret", settings.password));
  settings.save_passwd = 0x6;
  settings.kovd_port = daemon.port() - 1;
  settings.secure_connection = 1;
  settings.crypted_connection = 1;
  settings.ping_timer = 25;
  settings.start_program.assign("HW/p/demo");
  shell_state().ports = derive_port_plan(settings);
  shell_state().version_word = 0x070305;
  shell_state().options.start_delay_seconds = 3;

  auto* window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  int result = 1;
  QObject::connect(connection, &ServerConnection::login_finished, [&](int r) { result = r; });
  ASSERT_EQ(connection->do_login(kLoginNormal), 0);
  ASSERT_TRUE(spin_until([&] { return result != 1; }));
  ASSERT_EQ(result, 0);
  EXPECT_EQ(connection->options_word(), 0x10100u);
  ASSERT_EQ(logins.size(), 1u);
  EXPECT_EQ(logins[0].host_name, "testhost");
  EXPECT_EQ(logins[0].keep_alive_seconds, 25);
  EXPECT_EQ(logins[0].options_word, 0x10100u);
  EXPECT_TRUE(logins[0].encryption_allowed);
  EXPECT_EQ(logins[0].start_delay_seconds, 3);

  std::vector<std::uint8_t> stop;
  test::put_int(stop, 77);
  daemon.send_event(net::KWK_KSTOP, stop);
  std::vector<std::uint8_t> alarm;
  test::put_text(alarm, "Shutdown now   ");
  daemon.send_event(net::KWK_KALARM, alarm);
  ASSERT_TRUE(spin_until([&] { return !stops.empty() && !alarms.empty(); }));
  EXPECT_EQ(stops, std::vector<int>{77});
  EXPECT_EQ(connection->state(), kStateConnected);  // another run id keeps the login
  ASSERT_EQ(alarms.size(), 1u);
  EXPECT_NE(alarms[0].find("|testhost: Shutdown now"), std::string::npos) << alarms[0];
  EXPECT_EQ(alarms[0].back(), 'w');

  EXPECT_EQ(connection->do_logout(false), 0);
  EXPECT_EQ(stops, (std::vector<int>{77, 0}));
  EXPECT_TRUE(daemon.wait_for(net::KWK_KLOGOUT));
  delete window;
  set_server_session_hooks({});
  shell_state().options.start_delay_seconds = 0;
}

TEST(ServerConnection, KeepAliveIntervalOfTheProgramLinks) {
  struct Case {
    int a_value, ping_timer;
    std::uint32_t options;
    int expected;
  };
  for (const Case& c : {Case{0, 30, 0x302, 0}, Case{0, 30, 0x10000, 30}, Case{7, 30, 0, 7},
                        Case{7, 30, 0x10000, 7}}) {
    EXPECT_EQ(keep_alive_seconds(c.a_value, c.ping_timer, c.options), c.expected)
        << c.a_value << " " << c.options;
  }
}

TEST(ServerConnection, VerbosityTwoOffersNeitherCompressionNorEncryption) {
  EXPECT_EQ(offered_link_options(true, true, 0, 1), 0x20300u);
  EXPECT_EQ(offered_link_options(true, true, 2, 0), 0u);
  EXPECT_EQ(offered_link_options(true, false, 3, 0), 0x100u);
  EXPECT_EQ(offered_link_options(false, true, 0, 2), 0x200u);
}

TEST(ServerConnection, TrimsLoginAndMessageTexts) {
  EXPECT_EQ(trim_login_text("anna \t\r\n", 64), "anna");
  EXPECT_EQ(trim_login_text(std::string(80, 'x'), 64), std::string(64, 'x'));
  EXPECT_EQ(trim_message_text("hello  ", 1020), "hello");
  EXPECT_EQ(trim_message_text(std::string(2000, 'a'), 1024).size(), 1024u);
}

TEST(SessionTimeout, RestartUsesTheRemainingSecondsAndAtLeastTwoMinutes) {
  EXPECT_EQ(remaining_session_seconds(1000, 600, 1100), 500);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 1550), 120);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 5000), 120);
  EXPECT_EQ(remaining_session_seconds(1000, 600, 900), 600);  // a clock set back
}

}  // namespace
}  // namespace kovw::shell

namespace kovw::shell {
namespace {

// The daemon starts a frame and sends no more of it: after the net time-out the link counts as
// broken and the login ends.
TEST(ServerConnection, HalfFrameFromTheDaemonIsTimedOut) {
  application();
  const int saved = net::default_net_timeout();
  net::set_default_net_timeout(300);
  test::FakeDaemon daemon(test::DaemonConfig{});
  SettingsRecord settings;
  settings.host.assign("127.0.0.1");
  settings.user.assign("anna");
  ASSERT_TRUE(encipher_password("secret", settings.password));
  settings.save_passwd = 0x6;
  settings.kovd_port = daemon.port() - 1;
  settings.start_program.assign(" ");
  shell_state().ports = derive_port_plan(settings);
  auto* window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  int result = 1;
  QObject::connect(connection, &ServerConnection::login_finished, [&](int r) { result = r; });
  ASSERT_EQ(connection->do_login(kLoginNormal), 0);
  ASSERT_TRUE(spin_until([&] { return result != 1; }));
  ASSERT_EQ(connection->state(), kStateConnected);

  std::vector<std::uint8_t> half(10, 0);
  half[3] = 100;  // a payload of 100 bytes announced
  daemon.send_raw(half);
  EXPECT_TRUE(spin_until([&] { return connection->state() == kStateNotConnected; }));
  EXPECT_TRUE(daemon.wait_link_closed());
  delete window;
  net::set_default_net_timeout(saved);
}

// Counts the boxes it is asked to show.
class CountingPresenter : public foundation::MessagePresenter {
 public:
  int present(const foundation::MessageBoxRequest&) override { return ++boxes, 1; }
  int boxes = 0;
};

// A host that resets every connect-back at once: each failure is logged, one box is shown.
TEST(ServerConnection, FailingConnectBacksShowOneBoxPerBurst) {
  application();
  char pattern[] = "/tmp/kovw-connect-back-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  ASSERT_GE(foundation::log_set_path((dir + "/kovw.log").c_str()), 0);
  CountingPresenter presenter;
  foundation::set_message_presenter(&presenter);
  setenv(foundation::kUnattendedVariable, "0", 1);

  // A port that refuses: a listener closed again.
  int port = 0;
  net::sc_close(net::sc_listen(0, &port));
  SettingsRecord settings;
  auto* window = new MainWindow();
  auto* connection = new ServerConnection(window, settings);
  constexpr int kAttempts = 5;
  for (int i = 0; i < kAttempts; ++i) connection->connect_back(net::KWK_KINIT, port, "0", {});
  const std::string text = ":" + std::to_string(port);
  auto failures_logged = [&] {
    std::ifstream in(dir + "/kovw.log");
    std::stringstream log;
    log << in.rdbuf();
    int count = 0;
    for (std::size_t at = log.str().find(text); at != std::string::npos;
         at = log.str().find(text, at + 1)) {
      ++count;
    }
    return count;
  };
  EXPECT_TRUE(spin_until([&] { return failures_logged() == kAttempts; })) << failures_logged();
  EXPECT_EQ(1, presenter.boxes);

  delete window;
  setenv(foundation::kUnattendedVariable, "1", 1);
  foundation::set_message_presenter(nullptr);
  foundation::log_reset();
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kovw::shell
