#pragma once
// A file that appears under its name only when it is complete: the bytes go to a temporary
// file in the target's directory (so the final rename never crosses file systems), and
// commit() flushes, sets the file time when asked and renames it into place. A file that is
// abandoned (abort(), a failed write, or destruction without commit) is removed, so that no
// half-written file is ever left under the target name. Files are created with the user's
// permissions (0666 less the process umask), never world-writable by themselves.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>

namespace kovw::foundation {

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file beside `target`. Returns 0 or the system error (errno).
  int open(const std::string& target);
  // Appends `bytes`; returns 0 or the system error. After an error the file stays open until
  // abort() or destruction, which remove it.
  int write(std::span<const std::uint8_t> bytes);
  // Flushes the file, sets its access and modification time to `file_time` when given, and
  // renames it to the target. Returns 0 or the system error (the temporary file is then
  // removed).
  int commit(std::optional<std::time_t> file_time = std::nullopt);
  // Removes the temporary file; the target is left as it was.
  void abort();

  bool is_open() const { return fd_ >= 0; }
  std::uint64_t written() const { return written_; }
  const std::string& target() const { return target_; }
  const std::string& temporary_path() const { return temporary_; }

 private:
  int fd_ = -1;
  std::string target_;
  std::string temporary_;
  std::uint64_t written_ = 0;
  std::uint64_t flushed_ = 0;  // the bytes whose write-back has been started
  static constexpr std::uint64_t kWriteBackStretch = 8u << 20;
};

// Sets the access and modification time of `path`; returns 0 or the system error.
int set_file_time(const std::string& path, std::time_t time);

}  // namespace kovw::foundation
