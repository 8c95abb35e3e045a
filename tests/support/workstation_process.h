#pragma once
// A test fixture that runs the real kovw binary the way a user starts it, but in a private
// home: its own config, data and temporary directories, the offscreen platform, unattended
// message boxes and English messages. Tests read the log it writes in data().

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace kovw::test {

// The environment of a workstation started by a test, with its home in `home`.
inline QProcessEnvironment workstation_environment(const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home);
  env.insert("XDG_CONFIG_HOME", home + "/config");
  env.insert("XDG_DATA_HOME", home + "/share");
  env.insert("TMPDIR", home);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("KOVW_UNATTENDED", "1");
  env.remove("KOVW_TEST");
  env.remove("HV_DC_NETTIMEOUT");
  env.remove("LC_ALL");
  env.remove("LC_MESSAGES");
  env.insert("LANG", "C");  // English messages
  return env;
}

// A daemon (tools/hostsim) and a workstation process sharing a private home with the
// workstation's environment; both are killed at the end when still running. `Base` is the gtest
// fixture class (::testing::Test, or TestWithParam<...> for parameterised tests).
template <class Base = ::testing::Test>
class DaemonAndWorkstation : public Base {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    set_environment(workstation_environment(home_.path()));
  }
  void TearDown() override {
    for (QProcess* p : {&kovw_, &daemon_}) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
    }
  }
  // Writes `text` into the file `name` of the home; its path.
  QString write(const QString& name, const QByteArray& text) const {
    QFile file(home_.path() + "/" + name);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    return file.fileName();
  }
  void set_environment(const QProcessEnvironment& env) {
    daemon_.setProcessEnvironment(env);
    kovw_.setProcessEnvironment(env);
    kovw_.setWorkingDirectory(home_.path());
  }

  QTemporaryDir home_;  // first made, last gone
  QProcess daemon_;
  QProcess kovw_;
};

class WorkstationProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    data_ = home_.path() + "/data";
    process_.setProcessEnvironment(workstation_environment(home_.path()));
    process_.setWorkingDirectory(home_.path());
  }

  void TearDown() override {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }

  void start(const QStringList& arguments) {
    process_.start(QStringLiteral(KOVW_BINARY), arguments);
    ASSERT_TRUE(process_.waitForStarted(10000));
  }

  // The log in the data directory (the tests pass -z data()).
  QString log() const {
    QFile file(data_ + "/kovw.log");
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
  }

  // Waits until the log holds `text` (or the process ended).
  bool wait_for_log(const QString& text, int ms = 15000) {
    for (int waited = 0; waited < ms; waited += 20) {
      if (log().contains(text)) return true;
      if (process_.state() == QProcess::NotRunning) return log().contains(text);
      QThread::msleep(20);
    }
    return false;
  }

  // Waits for the end and returns the exit status.
  int finish(int ms = 15000) {
    EXPECT_TRUE(process_.waitForFinished(ms)) << log().toStdString();
    EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
    return process_.exitCode();
  }

  QTemporaryDir home_;
  QString data_;
  QProcess process_;
};

}  // namespace kovw::test
