#include "shell/directories.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdlib>

#include "foundation/log.h"
#include "foundation/path_synonyms.h"

namespace kovw::shell {
namespace {

QString q(const std::string& s) {
  return QString::fromLocal8Bit(s.data(), static_cast<int>(s.size()));
}
std::string s(const QString& q) {
  return q.toLocal8Bit().toStdString();
}

// Moves what older versions kept beside the executable into a newly created data
// directory: the cache is dropped, "drtab.ini" is copied (never over an existing file).
void move_old_data(const std::string& install, const std::string& data) {
  QDir old_cache(q(install + "/cache"));
  if (old_cache.exists()) old_cache.removeRecursively();
  QString old_table = q(install + "/drtab.ini");
  QString new_table = q(data + "/drtab.ini");
  if (QFile::exists(old_table) && !QFile::exists(new_table) && QFile::copy(old_table, new_table)) {
    QFile::remove(old_table);
  }
}

}  // namespace

std::string install_directory() {
  if (QCoreApplication::instance()) {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.isEmpty()) return s(dir);
  }
  QFileInfo self(QStringLiteral("/proc/self/exe"));
  if (self.exists()) return s(QFileInfo(self.symLinkTarget()).absolutePath());
  return temporary_directory();
}

std::string temporary_directory() {
  std::string dir = s(QDir::tempPath());
  if (dir.size() > 258) dir = "/tmp";
  return dir;
}

std::string default_data_directory() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) return {};
  return s(base) + "/kovw";
}

bool directory_writable(const std::string& dir) {
  if (dir.empty()) return false;
  QFile probe(q(dir + "/kovw.test"));
  if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  probe.close();
  return probe.remove();
}

Directories fix_directories(const std::string& install_path_setting) {
  Directories dirs;
  dirs.install = install_directory();
  dirs.temp = temporary_directory();

  bool created_default = false;
  if (!install_path_setting.empty()) {
    std::string expanded = install_path_setting;
    if (auto names = foundation::expand_names(expanded)) expanded = *names;
    if (auto resolved = foundation::resolve_path(expanded)) expanded = *resolved;
    dirs.data = expanded;
  } else {
    dirs.data = default_data_directory();
    if (dirs.data.empty()) {
      dirs.data = dirs.install;
    } else if (!QDir(q(dirs.data)).exists()) {
      created_default = QDir().mkpath(q(dirs.data));
      if (created_default) move_old_data(dirs.install, dirs.data);
    }
  }

  if (directory_writable(dirs.data)) {
    dirs.data_writable = true;
    return dirs;
  }
  if (QDir().mkpath(q(dirs.data)) && directory_writable(dirs.data)) {
    dirs.data_writable = true;
    return dirs;
  }
  // Fall back to "kovw" below the temporary directory the environment names.
  std::string base;
  for (const char* variable : {"TMP", "TEMP", "TMPDIR"}) {
    const char* value = std::getenv(variable);
    if (value && *value) {
      base = value;
      break;
    }
  }
  std::string fallback = (base.empty() ? std::string() : base) + "/kovw";
  foundation::log_printf("Datenverzeichnis %s nicht beschreibbar, verwende %s", dirs.data.c_str(),
                         fallback.c_str());
  if (QDir().mkpath(q(fallback)) && directory_writable(fallback)) {
    dirs.data = fallback;
    dirs.data_writable = true;
    return dirs;
  }
  if (directory_writable(dirs.temp)) {
    dirs.data = dirs.temp;
    dirs.data_writable = true;
    return dirs;
  }
  // Nothing is writable: go on without a writable data directory.
  return dirs;
}

}  // namespace kovw::shell
