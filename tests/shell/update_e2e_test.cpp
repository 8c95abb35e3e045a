// The workstation's own update against the demonstration daemon, run from a copy of the
// program in a temporary install directory: the offered updater is downloaded, checked and
// started; a refused or broken download and an updater that is no program of this machine or
// not of the offered size leave the program as it was, with no download behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/workstation_process.h"

namespace {

class UpdateFlow : public kovw::test::DaemonAndWorkstation<> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    install_ = home_.path() + "/install";
    data_ = home_.path() + "/data";
    ASSERT_TRUE(QDir().mkpath(install_));
    program_ = install_ + "/kovw";
    ASSERT_TRUE(QFile::copy(QStringLiteral(KOVW_BINARY), program_));
    program_size_ = QFileInfo(program_).size();
    QProcessEnvironment env = kovw::test::workstation_environment(home_.path());
    env.insert("KOVW_ACCEPT_UPDATE", "1");
    set_environment(env);
  }

  // A stand-in updater that is a program of this machine and ends at once.
  QString machine_program() const {
    const QString path = home_.path() + "/updater";
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(QStringLiteral("/bin/true"), path));
    return path;
  }

  int start_daemon(const QStringList& options) {
    // A login that goes on is ended by the daemon soon after.
    const QString script = write("events.script", "sleep 1000\nKSTOP 0\n");
    QStringList arguments = {"--port",
                             "0",
                             "--user",
                             "anna:geheim",
                             "--exit-after-logout",
                             "--script",
                             script,
                             "--log",
                             home_.path() + "/frames.log"};
    daemon_.start(QStringLiteral(HOSTSIM_BINARY), arguments + options);
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

  // Logs the installed copy in with -l -e and waits for its end; returns its log.
  QString run(int port) {
    kovw_.start(program_, {"-r", "127.0.0.1", "-v", QString::number(port), "-b", "anna//geheim",
                           "-l", "-e", "-t", "1", "-z", data_});
    EXPECT_TRUE(kovw_.waitForStarted(10000));
    if (!kovw_.waitForFinished(30000)) {
      ADD_FAILURE() << "the workstation did not end";
      kovw_.kill();
      kovw_.waitForFinished(5000);
    }
    return read(data_ + "/kovw.log");
  }

  static QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

  // The installed program is in its place, whole and executable; nothing of a download stays
  // but what `kept` names.
  void expect_program_runnable() const {
    const QFileInfo program(program_);
    EXPECT_TRUE(program.exists());
    EXPECT_EQ(program.size(), program_size_);
    EXPECT_TRUE(program.isExecutable());
  }
  QStringList downloads() const {
    return QDir(data_ + "/upd").entryList(QDir::Files | QDir::Hidden);
  }
  QStringList install_files() const {
    return QDir(install_).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }

  QString install_, data_, program_;
  qint64 program_size_ = 0;
};

TEST_F(UpdateFlow, TheOfferedUpdaterIsDownloadedCheckedAndStarted) {
  const QString updater = machine_program();
  const int port = start_daemon({"--offer-update", "0x7F0000", updater});
  ASSERT_GT(port, 0);
  const QString log = run(port);
  EXPECT_TRUE(log.contains("Update: \"" + data_ + "/upd/kovwupd\" -m\"" + data_ + "\" -p\"" +
                           data_ + "/kovwupd.log\" -batch -debug"))
      << log.toStdString();
  expect_program_runnable();
  // The previous version is a copy of the program; the program stays until the updater acts.
  EXPECT_EQ(install_files(), (QStringList{"kovw", "kovw_old"}));
  EXPECT_EQ(QFileInfo(install_ + "/kovw_old").size(), program_size_);
  EXPECT_EQ(downloads(), QStringList{"kovwupd"});
  EXPECT_EQ(QFileInfo(data_ + "/upd/kovwupd").size(), QFileInfo(updater).size());
  EXPECT_EQ(read(data_ + "/.kovwapp"), program_);
  EXPECT_FALSE(log.contains("Login ok.")) << log.toStdString();  // the login was given up
}

TEST_F(UpdateFlow, AFailureAtEachStepLeavesTheProgramAsItWas) {
  const QString updater = machine_program();
  const QString script = home_.path() + "/script";
  {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(20000, '#'));
  }
  const qint64 size = QFileInfo(updater).size();
  struct Case {
    const char* name;
    QStringList options;
    bool login_goes_on;
  } cases[] = {
      {"refused", {"--offer-update", "0x7F0000", updater, "--update-refuse"}, false},
      {"link breaks", {"--offer-update", "0x7F0000", updater, "--update-break", "8192"}, false},
      {"more than offered",
       {"--offer-update", "0x7F0000", updater, "--update-size", QString::number(size - 1)},
       false},
      {"fewer than offered",
       {"--offer-update", "0x7F0000", updater, "--update-size", QString::number(size + 1)},
       true},
      {"not a program", {"--offer-update", "0x7F0000", script}, true},
      {"not newer", {"--offer-update", "0x010000", updater}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(data_).removeRecursively();
    const int port = start_daemon(c.options);
    ASSERT_GT(port, 0);
    const QString log = run(port);
    daemon_.kill();
    daemon_.waitForFinished(5000);
    expect_program_runnable();
    EXPECT_EQ(install_files(), QStringList{"kovw"});
    EXPECT_TRUE(downloads().isEmpty()) << downloads().join(' ').toStdString();
    EXPECT_EQ(log.contains("Login ok."), c.login_goes_on) << log.toStdString();
  }
}

}  // namespace
