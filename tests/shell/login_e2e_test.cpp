// Starts the real kovw binary against a test daemon on loopback and checks the server link:
// the connect exchange and the login with every link option, refusals, lost links, the
// daemon's events and the end of the workstation.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "fake_daemon.h"
#include "net/fields.h"
#include "net/frame_reader.h"
#include "net/link_io.h"
#include "net/tcp_socket.h"
#include "support/workstation_process.h"

namespace kovw::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class LoginE2E : public WorkstationProcess {
 protected:
  // The login options against `port` (the daemon's link port); -c takes the rest of the line.
  QStringList login_args(int port, const QStringList& extra = {},
                         const QString& credentials = "anna//secret") {
    QStringList args{
        "-t", "1",         "-z", data_, "-r", "127.0.0.1", "-v",  QString::number(port - 1),
        "-b", credentials, "-l", "-e",  "-a", "0",         "-ot", "3"};
    args += extra;
    args += QStringList{"-c", "HW/p/demo", "first", "second"};
    return args;
  }

  // Logs in against `daemon` and waits for the start message.
  void log_in(FakeDaemon& daemon, const QStringList& extra = {}) {
    start(login_args(daemon.port(), extra));
    ReceivedMessage start_message;
    ASSERT_TRUE(daemon.wait_for(6, &start_message)) << log().toStdString();
  }
};

std::string text_at(net::FieldCursor& at) {
  auto view = net::get_bytes_view(at);
  return std::string(reinterpret_cast<const char*>(view.data()),
                     ::strnlen(reinterpret_cast<const char*>(view.data()), view.size()));
}

// --- Login with each link option --------------------------------------------------------

struct LinkCase {
  const char* name;
  unsigned options;
  int daemon_version;
  bool answer_connect;
  bool encrypted_password;
};

class LinkOptions : public LoginE2E, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(LinkOptions, LogsInStartsTheProgramAndEndsOnDaemonShutdown) {
  const LinkCase& c = GetParam();
  DaemonConfig config;
  config.options = c.options;
  config.daemon_version = c.daemon_version;
  config.answer_connect = c.answer_connect;
  FakeDaemon daemon(config);
  start(login_args(daemon.port(), {"-u", "HVA=x", "-u", "HVB=$HVA/y"}));

  ReceivedMessage start_message;
  ASSERT_TRUE(daemon.wait_for(6, &start_message)) << log().toStdString();
  net::FieldCursor at(start_message.payload);
  EXPECT_EQ(text_at(at), "HW/p/demo");
  text_at(at);
  EXPECT_EQ(text_at(at), "first second");

  LoginSeen seen = daemon.login_seen();
  EXPECT_EQ(seen.user, "anna");
  EXPECT_EQ(seen.password, "secret");
  EXPECT_EQ(seen.encrypted_form, c.encrypted_password);
  EXPECT_EQ(seen.password_field_size, c.encrypted_password ? 17 : 32);
  EXPECT_EQ(seen.platform, "intwx");
  EXPECT_EQ(seen.kind, 0);
  EXPECT_EQ(seen.client_flags & 0x2000u, 0x2000u);

  ReceivedMessage environment;
  ASSERT_TRUE(daemon.wait_for(5, &environment));
  net::FieldCursor env(environment.payload);
  EXPECT_EQ(text_at(env), "HVA");
  EXPECT_EQ(text_at(env), "x");
  ASSERT_TRUE(wait_for_log("Login ok.")) << log().toStdString();

  daemon.send_event(11, {});
  EXPECT_EQ(finish(), 0);
  const QString text = log();
  EXPECT_TRUE(text.contains("Connection shut down request by host")) << text.toStdString();
  // Without the connect answer the host's name stays the display text.
  const QString display = c.answer_connect ? "testhost" : "127.0.0.1";
  EXPECT_TRUE(text.contains("Connection to Host " + display + " broken. 0/KWK_KKOVDE"));
  EXPECT_TRUE(text.contains("do_logout aus KWK_KKOVDE"));
  EXPECT_TRUE(daemon.wait_for(2));  // the logout message
}

INSTANTIATE_TEST_SUITE_P(
    Options, LinkOptions,
    ::testing::Values(LinkCase{"Plain", 0x000, 0x072205, true, true},
                      LinkCase{"Compressed", 0x100, 0x072205, true, true},
                      LinkCase{"Encrypted", 0x200, 0x072205, true, true},
                      LinkCase{"CompressedEncrypted", 0x300, 0x072205, true, true},
                      LinkCase{"HeaderLevel1", 0x301, 0x072205, true, true},
                      LinkCase{"HeaderLevel2", 0x302, 0x072205, true, true},
                      LinkCase{"HeaderLevel3", 0x103, 0x072205, true, true},
                      LinkCase{"DaemonBeforeEncryptedPassword", 0x302, 0x071500, true, false},
                      LinkCase{"DaemonWithoutOptions", 0, 0x072205, false, false}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

// --- Refusals ---------------------------------------------------------------------------

struct RefusalCase {
  const char* name;
  int reason;
  const char* daemon_text;
  bool without_payload;
  const char* shown;
};

class Refusals : public LoginE2E, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusals, AreShownWithTheirReasonAndEndTheWorkstation) {
  const RefusalCase& c = GetParam();
  DaemonConfig config;
  config.refuse_reason = c.reason;
  config.refuse_text = c.daemon_text;
  config.refuse_without_payload = c.without_payload;
  FakeDaemon daemon(config);
  start(login_args(daemon.port()));
  EXPECT_EQ(finish(), 0);
  const QString text = log();
  EXPECT_TRUE(text.contains("Login to host testhost denied!")) << text.toStdString();
  EXPECT_TRUE(text.contains(c.shown)) << text.toStdString();
  EXPECT_FALSE(text.contains("Login ok.")) << text.toStdString();
  EXPECT_TRUE(text.contains("Login failed. err=-1"));
  EXPECT_FALSE(daemon.received(6));
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, Refusals,
    ::testing::Values(RefusalCase{"WrongPassword", 1, "", false, "Wrong password"},
                      RefusalCase{"UserUnknown", 2, "", false, "User unknown"},
                      RefusalCase{"Root", 3, "", false, "Superuser (root) not allowed"},
                      RefusalCase{"SwitchUser", 4, "", false,
                                  "Cannot switch to selected user. Installation Error KOVD"},
                      RefusalCase{"AlreadyActive", 6, "", false,
                                  "KOVW already active for this station to this host."},
                      RefusalCase{"DaemonText", 1, "Konto gesperrt", false, "Konto gesperrt"},
                      RefusalCase{"UnknownReason", 9, "", false, "Kommando 0 / 4"},
                      RefusalCase{"NoPayload", 1, "", true, "Kommando 0 / 4"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST_F(LoginE2E, WrongPasswordIsRefused) {
  DaemonConfig config;
  config.password = "another";
  FakeDaemon daemon(config);
  start(login_args(daemon.port()));
  EXPECT_EQ(finish(), 0);
  EXPECT_EQ(daemon.login_seen().password, "secret");
  EXPECT_TRUE(log().contains("Login to host testhost denied!")) << log().toStdString();
  EXPECT_TRUE(log().contains("Wrong password"));
}

TEST_F(LoginE2E, RefusedWorkflowEndsWithTheHostErrorStatus) {
  DaemonConfig config;
  config.refuse_reason = 3;
  FakeDaemon daemon(config);
  start(login_args(daemon.port(), {"-xe", "wfcmd", "-xp", home_.path() + "/wf.log"}));
  EXPECT_EQ(finish(), 3);
  EXPECT_TRUE(log().contains("Workflow-Ergebnis 300003")) << log().toStdString();
}

TEST_F(LoginE2E, WorkflowSendsItsCommandInsteadOfTheStartProgram) {
  FakeDaemon daemon(DaemonConfig{});
  start(login_args(daemon.port(), {"-xe", "wfcmd", "-xp", home_.path() + "/wf.log"}));
  ReceivedMessage workflow;
  ASSERT_TRUE(daemon.wait_for(26, &workflow)) << log().toStdString();
  net::FieldCursor at(workflow.payload);
  EXPECT_EQ(text_at(at), "wfcmd");
  EXPECT_FALSE(daemon.received(6));
  // A start error of the workflow becomes the result.
  Bytes reply;
  put_int(reply, 5);
  put_int(reply, 0);
  put_text(reply, "wfcmd");
  daemon.send_event(26, reply);
  EXPECT_EQ(finish(), 3);
  EXPECT_TRUE(log().contains("Workflow-Ergebnis 300005")) << log().toStdString();
}

// --- Unreachable and lost links ---------------------------------------------------------

TEST_F(LoginE2E, UnreachableDaemonIsReportedWithoutHanging) {
  const int socket = net::sc_listen(0, nullptr);
  int port = 0;
  char address[32] = {};
  net::sc_addr(socket, 1, address, &port);
  net::sc_close(socket);  // nobody listens there now
  start(login_args(port));
  EXPECT_EQ(finish(), 0);
  const QString text = log();
  EXPECT_TRUE(
      text.contains(QString("Cannot connect to port 127.0.0.1:%1. Error -33/10061.").arg(port)))
      << text.toStdString();
  EXPECT_TRUE(text.contains("do_login Ende. err=-33"));
}

TEST_F(LoginE2E, DaemonClosingMidLoginIsAReceiveError) {
  DaemonConfig config;
  config.close_after_connect_request = true;
  FakeDaemon daemon(config);
  start(login_args(daemon.port()));
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(log().contains("Error while receiving from host 127.0.0.1.")) << log().toStdString();
}

TEST_F(LoginE2E, DaemonClosingAfterLoginLogsOutAndEnds) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  daemon.close_link();
  EXPECT_EQ(finish(), 0);
  const QString text = log();
  EXPECT_TRUE(text.contains("do_logout aus FD_CLOSE/ObeyServer")) << text.toStdString();
  EXPECT_TRUE(text.contains("do_logout Ende"));
}

TEST_F(LoginE2E, SilentDaemonTimesOutTheLogin) {
  // The daemon accepts but never answers: the login ends after the net time-out (-ot 3).
  const int socket = net::sc_listen(0, nullptr);
  int port = 0;
  char address[32] = {};
  net::sc_addr(socket, 1, address, &port);
  start(login_args(port));
  EXPECT_EQ(finish(), 0);
  net::sc_close(socket);
  EXPECT_TRUE(log().contains("Error while receiving from host 127.0.0.1. Error -99/10060"))
      << log().toStdString();
}

// --- Events -----------------------------------------------------------------------------

TEST_F(LoginE2E, StopForAllProgramsLogsOutAfterItsDelay) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  Bytes stop;
  put_int(stop, 0);
  put_int(stop, 1);
  daemon.send_event(52, stop);
  EXPECT_TRUE(daemon.wait_for(2)) << log().toStdString();
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(log().contains("do_logout aus KWK_KSTOP"));
}

TEST_F(LoginE2E, StopForAnotherRunIdKeepsTheSessionAndPingsAreEchoed) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  Bytes stop;
  put_int(stop, 77);
  daemon.send_event(52, stop);
  Bytes ping;
  put_int(ping, 4242);
  daemon.send_event(99, ping);
  ReceivedMessage echo;
  ASSERT_TRUE(daemon.wait_for(99, &echo)) << log().toStdString();
  EXPECT_EQ(echo.payload, ping);
  EXPECT_FALSE(daemon.received(2));
  ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(daemon.wait_for(2));  // the end of the workstation logs out
}

TEST_F(LoginE2E, PingTimerSendsPings) {
  FakeDaemon daemon(DaemonConfig{});
  start(login_args(daemon.port(), {"-a", "1"}));
  EXPECT_TRUE(daemon.wait_for(99)) << log().toStdString();
  daemon.send_event(11, {});
  EXPECT_EQ(finish(), 0);
}

TEST_F(LoginE2E, ProgramEndAndStartErrorsAreShown) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  Bytes end;
  put_int(end, 5);
  put_int(end, 0x8B);
  put_text(end, "prog");
  daemon.send_event(8, end);
  Bytes normal;
  put_int(normal, 6);
  put_int(normal, 0);
  daemon.send_event(8, normal);  // status 0: nothing shown
  Bytes exec_error;
  put_int(exec_error, 2);
  put_int(exec_error, 0);
  put_text(exec_error, "cron");
  put_text(exec_error, "/tmp");
  put_text(exec_error, "not found");
  daemon.send_event(49, exec_error);  // shown, the session stays
  ASSERT_TRUE(wait_for_log("Program cron could not be started.")) << log().toStdString();
  EXPECT_TRUE(
      log().contains("Program prog finished. Code 139. Abnormal End. State 11. Core file created"));
  EXPECT_FALSE(log().contains("Program  finished"));
  EXPECT_FALSE(daemon.received(2));

  Bytes start_error;
  put_int(start_error, 2);
  put_int(start_error, 0);
  put_text(start_error, "HW/p/demo");
  daemon.send_event(6, start_error);  // logs out and ends
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(log().contains("do_logout aus KSTART/KWORKFLOW"));
}

TEST_F(LoginE2E, MessagesAndAlarmsAreShown) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  Bytes info;
  put_text(info, "Backup at noon   ");
  daemon.send_event(20, info);
  Bytes alarm;
  put_text(alarm, "Shutdown now");
  daemon.send_event(21, alarm);
  ASSERT_TRUE(wait_for_log("testhost: Shutdown now")) << log().toStdString();
  EXPECT_TRUE(log().contains("testhost: Info message")) << log().toStdString();
  EXPECT_TRUE(log().contains("Backup at noon")) << log().toStdString();
  daemon.send_event(11, {});
  EXPECT_EQ(finish(), 0);
}

TEST_F(LoginE2E, ProxyLinkIsConnectedBackAndOpenedWithTheDaemonMessage) {
  FakeDaemon daemon(DaemonConfig{});
  log_in(daemon);
  Bytes refused;
  put_int(refused, 0);  // port 0 becomes -1: the connect error is shown
  put_text(refused, "4712");
  daemon.send_event(13, refused);
  EXPECT_TRUE(wait_for_log("Cannot connect to port testhost:-1.")) << log().toStdString();

  const int program = net::sc_listen(0, nullptr);
  int port = 0;
  char address[32] = {};
  net::sc_addr(program, 1, address, &port);
  Bytes proxy;
  put_int(proxy, port);
  put_text(proxy, "4711");
  daemon.send_event(13, proxy);

  // A print link is connected back the same way.
  Bytes print;
  put_int(print, port);
  put_text(print, "4713");
  daemon.send_event(14, print);

  // The two links are connected in parallel: either may come first. Both stay open until
  // both were read: the end of the program link ends the workstation.
  std::map<int, Bytes> opened;
  std::vector<int> links;
  for (int i = 0; i < 2; ++i) {
    pollfd fd{program, POLLIN, 0};
    ASSERT_EQ(::poll(&fd, 1, 10000), 1) << log().toStdString();
    const int link = net::sc_accept(program);
    ASSERT_GE(link, 0);
    links.push_back(link);
    net::FrameReader reader;
    net::LinkMessage first;
    ASSERT_EQ(net::link_receive(link, first, reader, net::kSkipKeepAlive), 1);
    opened[first.type] = Bytes(reader.payload_view().begin(), reader.payload_view().end());
  }
  for (int link : links) net::sc_close(link);
  EXPECT_EQ(opened, (std::map<int, Bytes>{{13, proxy}, {14, print}}));
  net::sc_close(program);

  // The program link went to a program thread; its end was the last program's end, which
  // logs out and, with "Auto End", ends the workstation.
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(log().contains("dt_open")) << log().toStdString();
  EXPECT_TRUE(log().contains("do_logout aus WML_ENDE")) << log().toStdString();
}

int free_port() {
  const int socket = net::sc_listen(0, nullptr);
  int port = 0;
  char address[32] = {};
  net::sc_addr(socket, 1, address, &port);
  net::sc_close(socket);
  return port;
}

TEST_F(LoginE2E, ListeningPortMovesToTheDaemonsChoiceAndAcceptsPrograms) {
  const int first = free_port();
  const int second = free_port();
  DaemonConfig config;
  config.listen_port_request = second;
  FakeDaemon daemon(config);
  log_in(daemon, {"-ok", "-w", QString::number(first)});
  EXPECT_EQ(daemon.login_seen().listen_port, first);
  EXPECT_TRUE(
      log().contains(QString("Open Listen Port %1 for external connect. Result").arg(first)));
  ASSERT_TRUE(wait_for_log(QString("Open Listen Port %1 for external connect.").arg(second)));

  const int program = net::sc_connect("127.0.0.1", second);
  ASSERT_GE(program, 0);
  EXPECT_TRUE(wait_for_log("New client ok. ")) << log().toStdString();
  // The link is taken over and closed until program sessions exist.
  char byte = 0;
  EXPECT_LE(net::sc_recv(program, 1, &byte, net::kRecvAny, 10000), 0);  // closed or reset
  net::sc_close(program);
  // The first port is free again: the listening socket of the login was closed.
  const int again = net::sc_listen(first, nullptr);
  EXPECT_GE(again, 0);
  net::sc_close(again);

  daemon.send_event(11, {});
  EXPECT_EQ(finish(), 0);
}

TEST_F(LoginE2E, AutoLoginWithoutPasswordShowsTheLoginDialogInstead) {
  FakeDaemon daemon(DaemonConfig{});
  start(login_args(daemon.port(), {}, "anna"));
  ASSERT_TRUE(wait_for_log("show_login_dialog 1")) << log().toStdString();
  EXPECT_EQ(process_.state(), QProcess::Running);
  EXPECT_FALSE(daemon.received(22));
  process_.terminate();
  EXPECT_EQ(finish(), 0);
}

}  // namespace
}  // namespace kovw::test
