// Recorded sessions replayed against the real workstation: hostsim plays the host side of a
// program link trace and compares every frame the workstation sends with the recorded one.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "net/trace_file.h"
#include "protocol/program/start_messages.h"
#include "support/workstation_process.h"

namespace {

using kovw::net::TraceContents;
using kovw::net::TraceRecordKind;

const QString kReplays = QStringLiteral(KOVW_SOURCE_DIR "/tests/shell/replays/");

class Replay : public kovw::test::DaemonAndWorkstation<> {
 protected:
  // Starts hostsim with `options` on a free port and returns the daemon port.
  int start_daemon(const QStringList& options) {
    daemon_.start(QStringLiteral(HOSTSIM_BINARY),
                  QStringList{"--port", "0", "--user", "anna:geheim", "--exit-after-logout",
                              "--log", home_.path() + "/frames.log"} +
                      options);
    if (!daemon_.waitForStarted(10000)) return -1;
    for (int waited = 0; waited < 10000; waited += 20) {
      if (daemon_.canReadLine()) {
        const QByteArray line = daemon_.readLine().trimmed();
        if (line.startsWith("listening on port ")) return line.mid(18).toInt();
      }
      daemon_.waitForReadyRead(20);
    }
    return -1;
  }

  // Logs the workstation in with -e (it ends with the last program) and waits for both ends;
  // returns hostsim's exit code.
  int run_session(int port, const QStringList& more = {}) {
    const QString data = home_.path() + "/data";
    kovw_.start(QStringLiteral(KOVW_BINARY),
                QStringList{"-r", "127.0.0.1", "-v", QString::number(port), "-b", "anna//geheim",
                            "-l", "-e", "-t", "1", "-z", data} +
                    more);
    EXPECT_TRUE(kovw_.waitForStarted(10000));
    EXPECT_TRUE(kovw_.waitForFinished(60000)) << read(data + "/kovw.log").toStdString();
    EXPECT_TRUE(daemon_.waitForFinished(15000));
    errors_ = QString::fromUtf8(daemon_.readAllStandardError());
    return daemon_.exitCode();
  }

  int replay(const QString& trace) {
    const int port = start_daemon({"--replay", trace, "--fast"});
    EXPECT_GT(port, 0);
    return port > 0 ? run_session(port) : -1;
  }

  QString read(const QString& path) const {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  QString frames() const { return read(home_.path() + "/frames.log"); }

  QString errors_;
};

// The recorded sessions of the tests: a text screen, a form, dialogs and a graphics window.
TEST_F(Replay, RecordedSessionsReplayWithoutDifference) {
  for (const char* name : {"text_screen", "form", "dialog", "graphics"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(replay(kReplays + name + ".kovwtrace"), 0) << errors_.toStdString();
    EXPECT_TRUE(frames().contains("frames matched")) << frames().toStdString();
    TearDown();
    QFile::remove(home_.path() + "/frames.log");
  }
}

// A recorded reply changed in the trace is reported at its frame, decoded, and fails the run.
TEST_F(Replay, AChangedReplyIsReportedAtItsFrame) {
  TraceContents trace =
      kovw::net::read_trace_file((kReplays + "text_screen.kovwtrace").toStdString());
  ASSERT_EQ(trace.error, "");
  // The second window-id answer of the workstation gets another screen width.
  int number = 0, changed = 0, answers = 0;
  for (kovw::net::TraceRecord& record : trace.records) {
    if (record.kind == TraceRecordKind::Options) continue;
    ++number;
    if (record.kind == TraceRecordKind::Sent && ++answers == 2) {
      auto ids = kovw::protocol::parse_window_ids(record.payload);
      ASSERT_TRUE(ids);
      ids->screen_width += 1;
      record.payload = kovw::protocol::build_window_ids(*ids).payload;
      changed = number;
    }
  }
  ASSERT_GT(changed, 0);
  std::vector<std::uint8_t> bytes = kovw::net::encode_trace_header(trace.header);
  for (const auto& record : trace.records) {
    const auto encoded = kovw::net::encode_trace_record(record);
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  }
  const QString path = home_.path() + "/changed.kovwtrace";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  file.close();

  EXPECT_EQ(replay(path), 1);
  const QString expected = QString("frame %1 (recorded at ").arg(changed);
  EXPECT_TRUE(errors_.contains(expected)) << errors_.toStdString();
  EXPECT_TRUE(errors_.contains("differs: field 3 \"screen width\": expected 801, received 800"))
      << errors_.toStdString();
  EXPECT_TRUE(errors_.contains("expected KWD_KOMM/KWK_KGETWINID")) << errors_.toStdString();
}

// A trace cut inside a record (a crash of the recording workstation) replays its whole
// records.
TEST_F(Replay, ATraceCutInsideARecordReplaysItsWholeRecords) {
  QFile whole(kReplays + "text_screen.kovwtrace");
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  const QByteArray bytes = whole.readAll();
  const QString path = home_.path() + "/cut.kovwtrace";
  QFile cut(path);
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(bytes.left(bytes.size() - 5));  // into the last window-id answer
  cut.close();
  EXPECT_EQ(replay(path), 0) << errors_.toStdString();
  EXPECT_TRUE(errors_.contains("ends inside a record")) << errors_.toStdString();
  EXPECT_TRUE(frames().contains("all 9 frames matched")) << frames().toStdString();
}

// A session recorded with --record replays against a fresh workstation, and the server link's
// trace holds the marker where the login's password was.
TEST_F(Replay, RecordedSessionReplaysAndKeepsNoPassword) {
  const QString traces = home_.path() + "/traces";
  ASSERT_TRUE(QDir().mkpath(traces));
  const QString events = home_.path() + "/events.script";
  QFile script(events);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(("program \"" + kReplays + "text_screen.program\"\n").toUtf8());
  script.close();
  const int port = start_daemon({"--script", events});
  ASSERT_GT(port, 0);
  ASSERT_EQ(run_session(port, {"--record", traces}), 0);

  const QStringList programs = QDir(traces).entryList({"program-*.kovwtrace"});
  const QStringList servers = QDir(traces).entryList({"server-*.kovwtrace"});
  ASSERT_EQ(programs.size(), 1);
  ASSERT_EQ(servers.size(), 1);
  const QByteArray server = [&] {
    QFile f(traces + "/" + servers[0]);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  EXPECT_FALSE(server.contains("geheim"));
  EXPECT_TRUE(server.contains("<password>"));

  TearDown();
  EXPECT_EQ(replay(traces + "/" + programs[0]), 0) << errors_.toStdString();
  EXPECT_TRUE(frames().contains("frames matched")) << frames().toStdString();
}

}  // namespace
