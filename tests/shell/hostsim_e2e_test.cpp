// The real workstation against the demonstration daemon: log in with each link option set,
// receive scripted events, log out and end with "Auto End".
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "support/workstation_process.h"

namespace {

struct LinkCase {
  const char* name;
  QStringList daemon_options;
  const char* frame_log_expectation;
};

class HostsimLogin : public kovw::test::DaemonAndWorkstation<::testing::TestWithParam<LinkCase>> {
 protected:
  // Starts hostsim on a free port and returns the daemon port it prints.
  int start_daemon(const QStringList& options,
                   const QByteArray& events =
                       "KMESSAGE \"hello from the host\"\nKPING\nwait-for KPING\nKSTOP 0\n") {
    const QString script = write("events.script", events);
    QStringList arguments = {"--port",
                             "0",
                             "--user",
                             "anna:geheim",
                             "--exit-after-logout",
                             "--script",
                             script,
                             "--start-run-ms",
                             "60000",
                             "--log",
                             home_.path() + "/frames.log"};
    daemon_.start(QStringLiteral(HOSTSIM_BINARY), arguments + options);
    if (!daemon_.waitForStarted(10000)) return -1;
    for (int waited = 0; waited < 10000; waited += 20) {
      if (daemon_.canReadLine()) {
        QByteArray line = daemon_.readLine().trimmed();
        if (line.startsWith("listening on port ")) return line.mid(18).toInt();
      }
      daemon_.waitForReadyRead(20);
    }
    return -1;
  }

  QString read(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  // Logs kovw in to the daemon on `port` with -e and waits until both have ended with 0.
  void run_session(int port, const QStringList& more = {}) {
    const QString data = home_.path() + "/data";
    kovw_.start(QStringLiteral(KOVW_BINARY),
                QStringList{"-r", "127.0.0.1", "-v", QString::number(port), "-b", "anna//geheim",
                            "-l", "-e", "-t", "1", "-z", data} +
                    more);
    ASSERT_TRUE(kovw_.waitForStarted(10000));
    ASSERT_TRUE(kovw_.waitForFinished(30000)) << read(data + "/kovw.log").toStdString();
    EXPECT_EQ(kovw_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(kovw_.exitCode(), 0);
    ASSERT_TRUE(daemon_.waitForFinished(10000));
    EXPECT_EQ(daemon_.exitCode(), 0);
  }
};

TEST_P(HostsimLogin, LogsInReceivesEventsLogsOutAndEnds) {
  const LinkCase& c = GetParam();
  const int port = start_daemon(c.daemon_options);
  ASSERT_GT(port, 0);
  ASSERT_NO_FATAL_FAILURE(run_session(port));
  const QString log = read(home_.path() + "/data/kovw.log");
  const QString frames = read(home_.path() + "/frames.log");
  EXPECT_TRUE(log.contains("Login ok.")) << log.toStdString();
  EXPECT_TRUE(log.contains("do_logout aus KWK_KSTOP")) << log.toStdString();
  EXPECT_TRUE(log.contains("KOVW Ende.")) << log.toStdString();
  EXPECT_TRUE(frames.contains("login of \"anna\" accepted")) << frames.toStdString();
  EXPECT_TRUE(frames.contains(c.frame_log_expectation)) << frames.toStdString();
}

// A host program arrives through KPROXY, introduces itself, asks for its window ids, defines
// its screen and closes; the workstation reports its end to the daemon, and the end of the last
// program ends the login and, under -e, the workstation.
TEST_F(HostsimLogin, HostProgramThroughProxyOpensWindowAndEndsLogin) {
  const QString program = write("host.script",
                                "KINIT \"Demo program\"\nKGETWINID\nexpect KGETWINID\n"
                                "WINIT \"Demo\" 3 300 200 10 10\nsleep 200\nclose\n");
  const int port = start_daemon({}, "program \"" + program.toUtf8() + "\"\n");
  ASSERT_GT(port, 0);
  ASSERT_NO_FATAL_FAILURE(run_session(port));
  const QString log = read(home_.path() + "/data/kovw.log");
  const QString frames = read(home_.path() + "/frames.log");
  EXPECT_TRUE(log.contains("dt_open")) << log.toStdString();
  EXPECT_TRUE(log.contains("do_logout aus WML_ENDE")) << log.toStdString();
  EXPECT_TRUE(log.contains("KOVW Ende.")) << log.toStdString();
  EXPECT_TRUE(frames.contains("send KWK_KPROXY")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("program 1000: recv KWK_KPROXY")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("program 1000: send KWD_KOMM/KWK_KINIT")) << frames.toStdString();
  EXPECT_TRUE(frames.contains(QRegularExpression(
      "program 1000: recv KWD_KOMM/KWK_KGETWINID content=[1-9][0-9]* main=[1-9][0-9]* "
      "screen=[1-9][0-9]*x[1-9][0-9]* parent=0 thread=[1-9]")))
      << frames.toStdString();
  EXPECT_TRUE(frames.contains("program 1000: send KWD_WIN/KWK_WINIT")) << frames.toStdString();
  EXPECT_FALSE(log.contains("KWK_WINIT")) << log.toStdString();  // handled, nothing to report
  EXPECT_TRUE(frames.contains("program 1000: ended")) << frames.toStdString();
  // The workstation tells the daemon that the program's link ended.
  EXPECT_TRUE(frames.contains("recv KWK_KEND pid=1000")) << frames.toStdString();
}

// A host program downloads a text file to the workstation (its progress window opens, the
// first transfer of a run having no measured rate) and uploads it back: LF became CR LF on
// the way down, the CRs are dropped on the way up. With -oc the cache is cleaned at the end.
TEST_F(HostsimLogin, HostProgramDownloadsAndUploadsAFile) {
  const QString source =
      write("lines.txt", QByteArray("first line\nsecond line\n").repeated(20000));
  const QString target = home_.path() + "/down.txt";
  const QString back = home_.path() + "/back.txt";
  const QString program = write("host.script",
                                "KINIT \"Transfer\"\nKGETWINID\nexpect KGETWINID\n"
                                "DOWNLOAD \"" +
                                    source.toUtf8() + "\" \"" + target.toUtf8() +
                                    "\" 1\n"
                                    "UPLOAD \"" +
                                    target.toUtf8() + "\" \"" + back.toUtf8() + "\" 1\nclose\n");
  const int port = start_daemon({}, "program \"" + program.toUtf8() + "\"\n");
  ASSERT_GT(port, 0);
  // A file of the cache from an earlier run: -oc cleans the cache when the workstation ends.
  QDir().mkpath(home_.path() + "/data/cache/host");
  write("data/cache/host/old.pcx", "old");
  ASSERT_NO_FATAL_FAILURE(run_session(port, {"-oc"}));
  EXPECT_FALSE(QFile::exists(home_.path() + "/data/cache/host/old.pcx"));
  EXPECT_TRUE(QDir(home_.path() + "/data/cache").exists());
  const QString frames = read(home_.path() + "/frames.log");
  EXPECT_TRUE(frames.contains("download answer: 0 ")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("upload answer: 0 ")) << frames.toStdString();
  EXPECT_EQ(read(target), QString("first line\r\nsecond line\r\n").repeated(20000));
  EXPECT_EQ(read(back), read(source));
  const QString log = read(home_.path() + "/data/kovw.log");
  EXPECT_TRUE(log.contains("KOVW Download 460000 Bytes")) << log.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Links, HostsimLogin,
    ::testing::Values(LinkCase{"Plain", {"--header-level", "1"}, "options=0x1\n"},
                      LinkCase{"CompressedEncrypted",
                               {"--compression", "--encryption", "--header-level", "2"},
                               "options=0x302\n"},
                      // A daemon without options gets the scrambled 32-byte password form.
                      LinkCase{"OldDaemon", {"--old-daemon"}, "password=32 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
