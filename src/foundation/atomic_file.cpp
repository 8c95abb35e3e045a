#include "foundation/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace kovw::foundation {
namespace {

// The directory part and the file name part of `path` ("." when it has no directory).
std::pair<std::string, std::string> split_path(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

mode_t current_umask() {
  // umask() can only be read by setting it; the value is put back at once.
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

AtomicFile::~AtomicFile() {
  abort();
}

int AtomicFile::open(const std::string& target) {
  abort();
  const auto [directory, name] = split_path(target);
  if (name.empty()) return EISDIR;
  std::string pattern = directory + "/." + name.substr(0, 200) + ".partXXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  // mkostemp makes the file 0600; a finished file gets what a plain create would give it.
  if (::fchmod(fd, 0666 & ~current_umask() & ~S_IWOTH) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(buffer.data());
    return error;
  }
  fd_ = fd;
  target_ = target;
  temporary_ = buffer.data();
  written_ = 0;
  flushed_ = 0;
  return 0;
}

int AtomicFile::write(std::span<const std::uint8_t> bytes) {
  if (fd_ < 0) return EBADF;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    done += static_cast<std::size_t>(n);
  }
  written_ += bytes.size();
  // Large files: start the write-back of each finished stretch now, so that the device works
  // while the data still arrives and the final flush in commit() finds little left to do.
  if (written_ - flushed_ >= kWriteBackStretch) {
    ::sync_file_range(fd_, static_cast<off_t>(flushed_), static_cast<off_t>(written_ - flushed_),
                      SYNC_FILE_RANGE_WRITE);
    flushed_ = written_;
  }
  return 0;
}

int AtomicFile::commit(std::optional<std::time_t> file_time) {
  if (fd_ < 0) return EBADF;
  int error = 0;
  if (::fdatasync(fd_) != 0) error = errno;
  if (error == 0 && file_time) {
    const struct timespec times[2] = {{*file_time, 0}, {*file_time, 0}};
    if (::futimens(fd_, times) != 0) error = errno;
  }
  if (::close(fd_) != 0 && error == 0) error = errno;
  fd_ = -1;
  if (error == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
  if (error != 0) ::unlink(temporary_.c_str());
  temporary_.clear();
  return error;
}

void AtomicFile::abort() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

int set_file_time(const std::string& path, std::time_t time) {
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0 ? 0 : errno;
}

}  // namespace kovw::foundation
