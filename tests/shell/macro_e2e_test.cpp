// Macros with the real workstation and the demonstration daemon: a recording from the command
// line is packed at the end and plays back with the macro answering the host program; the
// daemon's macro requests fetch and unpack a package and report their statuses.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "shell/macro_archive.h"
#include "support/workstation_process.h"

namespace {

class MacroE2e : public kovw::test::DaemonAndWorkstation<> {
 protected:
  void SetUp() override {
    DaemonAndWorkstation::SetUp();
    QDir(home_.path()).mkpath("files");
  }

  QString path(const QString& name) const { return home_.path() + "/" + name; }
  QString read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  // One login of the workstation with `options` against a daemon running `events`; both end.
  void run(const QByteArray& events, const QStringList& options) {
    write("events.script", events);
    daemon_.start(QStringLiteral(HOSTSIM_BINARY),
                  {"--port", "0", "--user", "anna:geheim", "--exit-after-logout", "--script",
                   path("events.script"), "--files", path("files"), "--log", path("frames.log"),
                   "--start-run-ms", "60000"});
    ASSERT_TRUE(daemon_.waitForStarted(10000));
    int port = -1;
    for (int waited = 0; waited < 10000 && port < 0; waited += 20) {
      if (daemon_.canReadLine()) {
        const QByteArray line = daemon_.readLine().trimmed();
        if (line.startsWith("listening on port ")) port = line.mid(18).toInt();
      }
      daemon_.waitForReadyRead(20);
    }
    ASSERT_GT(port, 0);
    kovw_.start(QStringLiteral(KOVW_BINARY),
                QStringList{"-r", "127.0.0.1", "-v", QString::number(port), "-b", "anna//geheim",
                            "-l", "-e", "-t", "1", "-z", path("data")} +
                    options);
    ASSERT_TRUE(kovw_.waitForStarted(10000));
    ASSERT_TRUE(kovw_.waitForFinished(30000)) << read("data/kovw.log").toStdString();
    EXPECT_EQ(kovw_.exitCode(), 0);
    ASSERT_TRUE(daemon_.waitForFinished(10000));
  }
};

TEST_F(MacroE2e, RecordingFromTheCommandLinePlaysBack) {
  const QString program = write("colour.program",
                                "KINIT \"Farben\"\nKGETWINID\nexpect KGETWINID\n"
                                "send 0 KGETCOL 10 20 30\nexpect KGETCOL 10000\nclose\n");
  const QByteArray events = "program \"" + program.toUtf8() + "\"\n";
  ASSERT_NO_FATAL_FAILURE(run(events, {"-mr", "Farbe"}));
  QString log = read("data/kovw.log");
  EXPECT_TRUE(log.contains("Makro Farbe: Aufzeichnung")) << log.toStdString();
  EXPECT_TRUE(QFile::exists(path("data/makro/Farbe/Farben_1.mdx"))) << log.toStdString();
  EXPECT_TRUE(QFile::exists(path("data/makro/Farbe.zip"))) << log.toStdString();
  const QString recorded = read("frames.log");

  ASSERT_NO_FATAL_FAILURE(run(events, {"-mp", "+50", "Farbe"}));
  log = read("data/kovw.log");
  EXPECT_TRUE(log.contains("Makro: Antwort 0/27 aus Satz der Art 11")) << log.toStdString();
  // The recorded answer was the file's last record: playback ran to its end.
  EXPECT_TRUE(log.contains(QRegularExpression("Makro: Wiedergabe für .*Farben_1\\.mdx beendet")))
      << log.toStdString();
  // The host program got the same answer both times; the daemon heard of the macro.
  const QString played = read("frames.log");
  const auto answer = [](const QString& frames) {
    for (const QString& line : frames.split('\n'))
      if (line.contains("recv KWD_KOMM/KWK_KGETCOL")) return line;
    return QString();
  };
  EXPECT_FALSE(answer(recorded).isEmpty()) << recorded.toStdString();
  EXPECT_EQ(answer(played), answer(recorded));
  EXPECT_TRUE(played.contains("HVKOVW_MAKROFUNK\"=\"PLAY\"")) << played.toStdString();
}

TEST_F(MacroE2e, DaemonSendsAPackageAndDeletesMacros) {
  QDir(home_.path()).mkpath("package");
  write("package/Demo_1.mdx", "KOVW_MACRO_V07.00.00            ");
  write("package/start.kovw", "-mp Demo\n");
  std::string error;
  ASSERT_TRUE(kovw::shell::pack_macro_directory(path("package").toStdString(),
                                                path("files/demo.zip").toStdString(), error))
      << error;
  QDir(home_.path()).mkpath("data/makro/Alt");
  // The fetch starts once the start program's reply is in: every frame during a fetch is its.
  ASSERT_NO_FATAL_FAILURE(
      run("wait-for KSTART\nsleep 300\nMACROFILE \"demo.zip\" \"Demo\"\nsleep 1500\n"
          "MACROFILE \"demo.zip\" \"../Demo\"\nMACRODELETE 0 \"Alt\"\n"
          "SCRIPTABORT\nsleep 500\nKSTOP 0\n",
          {}));
  EXPECT_TRUE(QFile::exists(path("data/makro/Demo/Demo_1.mdx")));
  EXPECT_TRUE(QFile::exists(path("data/makro/Demo/start.kovw")));
  EXPECT_FALSE(QDir(path("data/makro/Alt")).exists());
  EXPECT_FALSE(QDir(path("data/Demo")).exists());
  const QString frames = read("frames.log");
  EXPECT_TRUE(frames.contains("Receive ok"))
      << frames.toStdString() << read("data/kovw.log").toStdString();
  EXPECT_TRUE(frames.contains("Receive Error")) << frames.toStdString();
  EXPECT_TRUE(frames.contains("No Script active")) << frames.toStdString();
}

}  // namespace
