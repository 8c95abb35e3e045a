// Starts the real kovw binary and checks what a user sees: the log, the exit status and
// the messages of the command line.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

namespace {

class Workstation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    data_ = home_.path() + "/data";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home_.path());
    env.insert("XDG_CONFIG_HOME", home_.path() + "/config");
    env.insert("XDG_DATA_HOME", home_.path() + "/share");
    env.insert("TMPDIR", home_.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KOVW_UNATTENDED", "1");
    env.remove("KOVW_TEST");
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("LANG", "C");  // English messages
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(home_.path());
  }

  void start(const QStringList& arguments) {
    process_.start(QStringLiteral(KOVW_BINARY), arguments);
    ASSERT_TRUE(process_.waitForStarted(10000));
  }

  QString log() const {
    QFile file(data_ + "/kovw.log");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
  }

  // Waits until the log holds `text`.
  bool wait_for_log(const QString& text, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 50) {
      if (log().contains(text)) return true;
      if (process_.state() == QProcess::NotRunning) return log().contains(text);
      QThread::msleep(50);
    }
    return false;
  }

  int finish() {
    EXPECT_TRUE(process_.waitForFinished(20000));
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    return process_.exitCode();
  }

  QTemporaryDir home_;
  QString data_;
  QProcess process_;
};

TEST_F(Workstation, StartsWritesItsLogAndEndsInOrderOnSigterm) {
  start({"-t", "1", "-z", data_, "-e"});
  ASSERT_TRUE(wait_for_log("KOVW Start")) << log().toStdString();
  ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
  EXPECT_EQ(finish(), 0) << process_.readAllStandardError().toStdString();

  QString text = log();
  QStringList lines = text.split('\n', Qt::SkipEmptyParts);
  ASSERT_GE(lines.size(), 4) << text.toStdString();
  // Every line has the 66-column prefix: date and time, pid, thread id, thread name.
  static const QRegularExpression prefix(
      R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}000 [ \d]{6}\d-[\d ]{8} {6}kovw {12} )");
  for (const QString& line : lines) {
    EXPECT_TRUE(prefix.match(line).hasMatch()) << line.toStdString();
    EXPECT_FALSE(line.endsWith('\r'));
  }
  EXPECT_TRUE(lines[0].mid(66).startsWith("KOVW V ")) << lines[0].toStdString();
  EXPECT_EQ(lines[1].mid(66), "kovw. Neuer Start");
  EXPECT_TRUE(lines[2].mid(66).startsWith("KOVW Start V "));
  EXPECT_TRUE(lines[2].endsWith(", Testmodus 129 (81)")) << lines[2].toStdString();
  EXPECT_TRUE(text.contains("CTRL_SHUTDOWN_EVENT bekommen.")) << text.toStdString();
  EXPECT_TRUE(lines.last().endsWith("KOVW Ende.")) << lines.last().toStdString();
}

TEST_F(Workstation, CommandLineErrorIsReportedAndEndsWithStatusTwo) {
  start({"-z", data_, "-r", "host", "stray"});
  EXPECT_EQ(finish(), 2);
  EXPECT_TRUE(process_.readAllStandardError().contains("Error command line: stray"));
}

TEST_F(Workstation, HelpPrintsUsageWithExitStatuses) {
  start({"--help"});
  EXPECT_EQ(finish(), 0);
  QByteArray out = process_.readAllStandardOutput();
  EXPECT_TRUE(out.contains("Exit status")) << out.toStdString();
  EXPECT_TRUE(out.contains("300000")) << out.toStdString();
}

TEST_F(Workstation, WorkflowWithoutCommandEndsAtOnce) {
  start({"-z", data_, "-xr", "wfhost", "-xp", home_.path() + "/wf.log"});
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(QFile::exists(home_.path() + "/wf.log"));
}

}  // namespace
