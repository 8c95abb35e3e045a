#include "print/print_spool.h"

#include <QDir>
#include <cerrno>

#include "foundation/error_text.h"

namespace kovw::print {

namespace {

int last_file_error() {
  return foundation::kErrnoErrorBase + (errno != 0 ? errno : EIO);
}

std::unique_ptr<QTemporaryFile> open_in(const std::string& directory) {
  if (directory.empty()) return nullptr;
  const QDir dir(QString::fromStdString(directory));
  if (!dir.exists() && !QDir().mkpath(dir.path())) return nullptr;
  auto file = std::make_unique<QTemporaryFile>(dir.filePath(QStringLiteral("PR_XXXXXX.prt")));
  file->setAutoRemove(true);
  if (!file->open()) return nullptr;
  return file;
}

}  // namespace

SpoolFile::~SpoolFile() {
  if (file_ && map_) file_->unmap(map_);
}

bool SpoolFile::create(const std::string& cache_directory, const std::string& fallback_directory) {
  errno = 0;
  file_ = open_in(cache_directory);
  if (!file_) file_ = open_in(fallback_directory);
  if (!file_) {
    error_ = last_file_error();
    return false;
  }
  return true;
}

bool SpoolFile::append(std::span<const std::uint8_t> bytes) {
  if (!file_) return false;
  errno = 0;
  const qint64 written =
      file_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  if (written != static_cast<qint64>(bytes.size())) {
    error_ = last_file_error();
    return false;
  }
  size_ += bytes.size();
  return true;
}

bool SpoolFile::flush() {
  errno = 0;
  if (file_ && file_->flush()) return true;
  error_ = last_file_error();
  return false;
}

std::span<const std::uint8_t> SpoolFile::contents() {
  if (!file_ || size_ == 0) return {};
  if (!map_) {
    errno = 0;
    if (!file_->flush() || (map_ = file_->map(0, static_cast<qint64>(size_))) == nullptr) {
      error_ = last_file_error();
      return {};
    }
  }
  return {map_, static_cast<std::size_t>(size_)};
}

QString SpoolFile::path() const {
  return file_ ? file_->fileName() : QString();
}

}  // namespace kovw::print
