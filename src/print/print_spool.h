#pragma once
// The spool file of a job: "PR_<unique>.prt" in the cache directory (made when missing), or in
// the temporary directory when the cache cannot hold it; raw bytes, deleted with the object.

#include <QString>
#include <QTemporaryFile>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kovw::print {

class SpoolFile {
 public:
  SpoolFile() = default;
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  // Creates the file; false with error() (a system error) when neither directory holds it.
  bool create(const std::string& cache_directory, const std::string& fallback_directory);
  bool append(std::span<const std::uint8_t> bytes);
  std::uint64_t size() const { return size_; }
  // Writes what is buffered through, so that others can read the file by its path.
  bool flush();
  // The whole file, mapped for reading; empty when it is empty or cannot be mapped (error()).
  std::span<const std::uint8_t> contents();
  QString path() const;
  int error() const { return error_; }

 private:
  std::unique_ptr<QTemporaryFile> file_;
  std::uint64_t size_ = 0;
  uchar* map_ = nullptr;
  int error_ = 0;
};

}  // namespace kovw::print
