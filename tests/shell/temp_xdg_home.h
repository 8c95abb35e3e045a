#pragma once
// Points the XDG config and data directories (and HOME) at a fresh temporary directory for
// the lifetime of a test, so that the registry file and the desktop registration never
// touch the real home directory.

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

namespace kovw::test {

class TempXdgHome {
 public:
  TempXdgHome()
      : saved_config_(qgetenv("XDG_CONFIG_HOME")),
        saved_data_(qgetenv("XDG_DATA_HOME")),
        saved_home_(qgetenv("HOME")) {
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toLocal8Bit());
    qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit());
    qputenv("HOME", dir_.path().toLocal8Bit());
  }
  ~TempXdgHome() {
    restore("XDG_CONFIG_HOME", saved_config_);
    restore("XDG_DATA_HOME", saved_data_);
    restore("HOME", saved_home_);
  }
  QString path() const { return dir_.path(); }
  QString config() const { return dir_.path() + "/config"; }
  QString data() const { return dir_.path() + "/data"; }

 private:
  static void restore(const char* name, const QByteArray& value) {
    if (value.isNull()) {
      qunsetenv(name);
    } else {
      qputenv(name, value);
    }
  }
  QTemporaryDir dir_;
  QByteArray saved_config_, saved_data_, saved_home_;
};

}  // namespace kovw::test
