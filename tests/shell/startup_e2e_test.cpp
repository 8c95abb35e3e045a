// Starts the real kovw binary and checks what a user sees: the log, the exit status and
// the messages of the command line.
#include <gtest/gtest.h>
#include <signal.h>

#include <QRegularExpression>

#include "support/workstation_process.h"

namespace {

class Workstation : public kovw::test::WorkstationProcess {
 protected:
  bool wait_for_log(const QString& text) { return WorkstationProcess::wait_for_log(text, 20000); }
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
