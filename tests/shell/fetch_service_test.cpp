// Fetches from a daemon over loopback: a program thread waits on its own thread while the GUI
// thread runs the fetch; each daemon version answers in its own way; modes a daemon does not
// know are refused without a request; a fetch whose link drops leaves no file.
#include "shell/fetch_service.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "fake_daemon.h"
#include "net/link_names.h"
#include "protocol/file_transfer.h"
#include "protocol/server_messages.h"
#include "shell/main_window.h"
#include "shell/password_field.h"
#include "shell/server_connection.h"
#include "shell/sound_player.h"
#include "shell/startup.h"
#include "shell_gui_fixture.h"

namespace kovw::shell {
namespace {

using test::application;
using test::spin_until;

std::vector<std::uint8_t> bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

struct LoggedIn {
  explicit LoggedIn(int daemon_version) : daemon(config(daemon_version)) {
    application();
    settings.host.assign("127.0.0.1");
    settings.user.assign("anna");
    EXPECT_TRUE(encipher_password("secret", settings.password));
    settings.save_passwd = 0x6;
    settings.kovd_port = daemon.port() - 1;
    settings.secure_connection = 1;
    settings.crypted_connection = 1;
    settings.start_program.assign(" ");
    shell_state().ports = derive_port_plan(settings);
    window = new MainWindow();
    connection = new ServerConnection(window, settings);
    int result = 1;
    QObject::connect(connection, &ServerConnection::login_finished, [&](int r) { result = r; });
    EXPECT_EQ(connection->do_login(kLoginNormal), 0);
    EXPECT_TRUE(spin_until([&] { return result != 1; }));
    EXPECT_EQ(result, 0);
  }
  ~LoggedIn() {
    connection->do_logout(false);
    delete window;
  }
  static test::DaemonConfig config(int version) {
    test::DaemonConfig c;
    c.options = 0x302;  // compressed and encrypted
    c.daemon_version = version;
    return c;
  }
  test::FakeDaemon daemon;
  SettingsRecord settings;
  MainWindow* window = nullptr;
  ServerConnection* connection = nullptr;
};

// Runs fetch_and_wait on a thread of its own, as a program thread does.
struct Waiter {
  explicit Waiter(FetchJob job)
      : thread([this, job = std::move(job)]() mutable {
          outcome = fetch_and_wait(std::move(job));
          done = true;
        }) {}
  ~Waiter() { thread.join(); }
  FetchOutcome outcome;
  std::atomic<bool> done{false};
  std::thread thread;
};

TEST(FetchService, ProgramThreadFetchesByDaemonVersion) {
  QTemporaryDir dir;
  const struct {
    int version;
    int request_type;
    bool size_first;
    bool info;
  } cases[] = {
      {0x70006, net::KWK_KSDATEI, true, false},
      {0x70007, net::KWK_KSKOVW, true, false},
      {0x7000A, net::KWK_KSKOVW, false, false},
      {0x7000C, net::KWK_KSKOVW, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    LoggedIn session(c.version);
    FetchJob job;
    job.request.host_name = "/host/a.txt";
    job.request.text_mode = true;
    job.local_path = dir.filePath("a.txt").toStdString();
    // The connection request is a KWK_KSDATEI too: the fetch is the last one of its type.
    const std::size_t before = session.daemon.all_of(c.request_type).size();
    Waiter waiter(job);
    ASSERT_TRUE(spin_until([&] { return session.daemon.all_of(c.request_type).size() > before; }));
    const auto request = protocol::parse_fetch_request(
        c.request_type, session.daemon.all_of(c.request_type).back().payload);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->host_name, "/host/a.txt");
    EXPECT_TRUE(request->text_mode);
    if (c.size_first) {
      std::vector<std::uint8_t> size;
      test::put_int(size, 7);
      session.daemon.send_event(net::KWK_KSIZE, size);
    }
    auto first = c.info ? protocol::build_fetch_info({1500000000, 7}) : std::vector<std::uint8_t>{};
    first.insert(first.end(), {'o', 'n', 'e', '\r'});
    session.daemon.send_event(net::KWK_KDATA, first);
    session.daemon.send_event(net::KWK_KDATA, bytes("\ntwo\n"));
    session.daemon.send_event(net::KWK_KEND, {});
    ASSERT_TRUE(spin_until([&] { return waiter.done.load(); }));
    EXPECT_EQ(waiter.outcome.result, 0) << waiter.outcome.error;
    EXPECT_EQ(read_file(job.local_path), "one\r\ntwo\r\n");
    // The link serves events again once the fetch has ended.
    EXPECT_FALSE(session.connection->fetches()->active());
  }
}

TEST(FetchService, OldDaemonRefusesListingsAndADroppedLinkLeavesNoFile) {
  QTemporaryDir dir;
  {
    LoggedIn session(0x7000B);
    FetchJob job;
    job.request.mode = protocol::kFetchListing;
    job.request.host_name = "/host";
    Waiter waiter(job);
    ASSERT_TRUE(spin_until([&] { return waiter.done.load(); }));
    EXPECT_EQ(waiter.outcome.result, -2);
    EXPECT_EQ(waiter.outcome.message, 10087);
    EXPECT_FALSE(session.daemon.received(net::KWK_KSKOVW));
  }
  {
    LoggedIn session(0x7000C);
    FetchJob job;
    job.request.host_name = "/host/big";
    job.local_path = dir.filePath("big").toStdString();
    Waiter waiter(job);
    ASSERT_TRUE(spin_until([&] { return session.daemon.received(net::KWK_KSKOVW); }));
    session.daemon.send_event(net::KWK_KDATA, protocol::build_fetch_info({0, 1000000}));
    session.daemon.send_event(net::KWK_KDATA, std::vector<std::uint8_t>(5000, 'x'));
    session.daemon.close_link();
    ASSERT_TRUE(spin_until([&] { return waiter.done.load(); }));
    EXPECT_EQ(waiter.outcome.result, -2);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
  }
}

TEST(FetchService, CachedFilesAreFetchedOncePerRunAndFailuresLeaveNothing) {
  QTemporaryDir data;
  LoggedIn session(0x7000C);
  const std::time_t run_start = std::time(nullptr) - 5;
  std::string path, error;
  std::atomic<bool> done{false};
  std::thread worker;
  auto fetch_on_a_thread = [&](const char* name) {
    if (worker.joinable()) worker.join();
    done = false;
    worker = std::thread([&, name] {
      error.clear();
      path = fetch_cached(data.path().toStdString(), name, "", run_start, "testhost", error);
      done = true;
    });
  };
  fetch_on_a_thread("/pics/logo.pcx");
  ASSERT_TRUE(spin_until([&] { return session.daemon.received(net::KWK_KSKOVW); }));
  auto first = protocol::build_fetch_info({0, 4});
  first.insert(first.end(), {'P', 'C', 'X', '!'});
  session.daemon.send_event(net::KWK_KDATA, first);
  session.daemon.send_event(net::KWK_KEND, {});
  ASSERT_TRUE(spin_until([&] { return done.load(); }));
  ASSERT_FALSE(path.empty()) << error;
  EXPECT_EQ(read_file(path), "PCX!");

  // The second lookup of the run finds it current: no request goes out.
  fetch_on_a_thread("/pics/logo.pcx");
  ASSERT_TRUE(spin_until([&] { return done.load(); }));
  EXPECT_EQ(read_file(path), "PCX!");
  EXPECT_EQ(session.daemon.all_of(net::KWK_KSKOVW).size(), 1u);

  // A fetch the daemon refuses leaves no file in the cache.
  fetch_on_a_thread("/pics/missing.pcx");
  ASSERT_TRUE(spin_until([&] { return session.daemon.all_of(net::KWK_KSKOVW).size() == 2; }));
  std::vector<std::uint8_t> refusal;
  test::put_int(refusal, 2);
  test::put_text(refusal, "no such file");
  session.daemon.send_event(net::KWK_KOMFAIL, refusal);
  ASSERT_TRUE(spin_until([&] { return done.load(); }));
  EXPECT_TRUE(path.empty());
  EXPECT_FALSE(QDir(data.filePath("cache/testhost")).exists("~pics~missing.pcx"));
  worker.join();
}

TEST(FetchService, MessageSoundIsFetchedIntoTheCacheOnceAndPlayed) {
  QTemporaryDir data;
  const std::string old_data = shell_state().directories.data;
  shell_state().directories.data = data.path().toStdString();
  std::vector<std::string> played;
  set_sound_player([&](const std::string& path) {
    played.push_back(path);
    return true;
  });
  {
    LoggedIn session(0x7000C);
    const std::size_t before = session.daemon.all_of(net::KWK_KSDATEI).size();
    session.daemon.send_event(net::KWK_KMESSAGE,
                              protocol::build_host_message({"Hallo", "/snd/ding.wav"}).payload);
    // The shell's own request: KWK_KSDATEI, answered with the size first.
    ASSERT_TRUE(
        spin_until([&] { return session.daemon.all_of(net::KWK_KSDATEI).size() > before; }));
    const auto request = protocol::parse_fetch_request(
        net::KWK_KSDATEI, session.daemon.all_of(net::KWK_KSDATEI).back().payload);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->host_name, "/snd/ding.wav");
    EXPECT_FALSE(request->for_program);
    std::vector<std::uint8_t> size;
    test::put_int(size, 4);
    session.daemon.send_event(net::KWK_KSIZE, size);
    session.daemon.send_event(net::KWK_KDATA, bytes("RIFF"));
    session.daemon.send_event(net::KWK_KEND, {});
    ASSERT_TRUE(spin_until([&] { return played.size() == 1; }));
    EXPECT_EQ(played[0], data.filePath("cache/__intern__/~snd~ding.wav").toStdString());
    EXPECT_EQ(read_file(played[0]), "RIFF");

    // The second time the cached file plays at once.
    session.daemon.send_event(
        net::KWK_KMESSAGE, protocol::build_host_message({"Noch einmal", "/snd/ding.wav"}).payload);
    ASSERT_TRUE(spin_until([&] { return played.size() == 2; }));
    EXPECT_EQ(session.daemon.all_of(net::KWK_KSDATEI).size(), before + 1);
  }
  set_sound_player({});
  shell_state().directories.data = old_data;
}

TEST(FetchService, CancelInTheProgressWindowEndsTheShellsFetchAndTheRestIsDrained) {
  QTemporaryDir dir;
  LoggedIn session(0x7000C);
  FetchJob job;
  job.request.host_name = "/big/file";
  job.local_path = dir.filePath("big").toStdString();
  std::optional<FetchOutcome> outcome;
  session.connection->fetches()->submit(job, [&](FetchOutcome o) { outcome = std::move(o); });
  ASSERT_TRUE(spin_until([&] { return session.daemon.all_of(net::KWK_KSDATEI).size() == 2; }));
  std::vector<std::uint8_t> size;
  test::put_int(size, 0x7FFFFFFF);  // long enough at any rate measured so far
  session.daemon.send_event(net::KWK_KSIZE, size);
  session.daemon.send_event(net::KWK_KDATA, std::vector<std::uint8_t>(1000, 'x'));
  TransferProgressWindow* window = nullptr;
  ASSERT_TRUE(spin_until([&] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if ((window = qobject_cast<TransferProgressWindow*>(widget))) return true;
    return false;
  }));
  QTest::mouseClick(window->cancel_button(), Qt::LeftButton);
  session.daemon.send_event(net::KWK_KDATA, std::vector<std::uint8_t>(1000, 'y'));
  ASSERT_TRUE(spin_until([&] { return outcome.has_value(); }));
  EXPECT_EQ(outcome->result, -2);
  EXPECT_TRUE(outcome->cancelled);
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
  EXPECT_TRUE(spin_until([] { return TransferProgress::open_windows() == 0; }));
  // The rest of the answer is read and dropped; then the link serves events again.
  session.daemon.send_event(net::KWK_KDATA, std::vector<std::uint8_t>(1000, 'z'));
  session.daemon.send_event(net::KWK_KEND, {});
  ASSERT_TRUE(spin_until([&] { return !session.connection->fetches()->active(); }));
  const std::size_t pings = session.daemon.all_of(net::KWK_KPING).size();
  session.daemon.send_event(net::KWK_KPING, {});
  EXPECT_TRUE(spin_until([&] { return session.daemon.all_of(net::KWK_KPING).size() > pings; }));
}

TEST(FetchService, TheGuiThreadNeverWaits) {
  application();
  FetchJob job;
  job.request.host_name = "/x";
  const FetchOutcome outcome = fetch_and_wait(job);
  EXPECT_EQ(outcome.result, -2);
}

}  // namespace
}  // namespace kovw::shell
