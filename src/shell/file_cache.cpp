#include "shell/file_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "foundation/atomic_file.h"
#include "foundation/log.h"

namespace kovw::shell {

// An flock held on the cache's lock file. flock locks belong to the open file description,
// so two threads of one process exclude each other as two processes do.
class CacheLock {
 public:
  explicit CacheLock(int fd) : fd_(fd) {}
  ~CacheLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
  CacheLock(const CacheLock&) = delete;
  CacheLock& operator=(const CacheLock&) = delete;

 private:
  int fd_;
};

CacheEntry::CacheEntry() = default;
CacheEntry::~CacheEntry() {
  cache_release(*this);
}
CacheEntry::CacheEntry(CacheEntry&&) noexcept = default;
CacheEntry& CacheEntry::operator=(CacheEntry&&) noexcept = default;

namespace {

std::unique_ptr<CacheLock> take_lock(const std::string& lock_path, std::chrono::milliseconds wait,
                                     std::string& error) {
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cache lock " + lock_path + ": " + std::strerror(errno);
    return nullptr;
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  auto pause = std::chrono::milliseconds(2);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<CacheLock>(fd);
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error = "cache lock " + lock_path + ": " + std::strerror(errno);
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "cache lock " + lock_path + " not obtained within " +
              std::to_string(wait.count() / 1000) + " s";
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  ::close(fd);
  return nullptr;
}

bool make_directory(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
  }
  return false;
}

}  // namespace

std::string cache_local_name(std::string_view host_name, std::string_view extension) {
  std::string name;
  name.reserve(host_name.size() + 8);
  for (const char c : host_name) {
    switch (c) {
      case ' ':
        name += '_';
        break;
      case '#':
        name += "##";
        break;
      case '/':
      case '\\':
        name += '~';
        break;
      case ':':
        name += '#';
        break;
      case '~':
        name += "~~";
        break;
      default:
        name += c;
    }
  }
  std::string suffix;
  if (!extension.empty()) {
    suffix = "." + std::string(extension);
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      suffix.clear();
  }
  const std::size_t base_max = suffix.size() < kCacheNameMax ? kCacheNameMax - suffix.size() : 0;
  if (name.size() > base_max) name.resize(base_max);
  name += suffix;
  if (name.size() > kCacheNameMax) name.resize(kCacheNameMax);
  return name;
}

bool cache_name_safe(std::string_view name, const char* what) {
  const bool safe = !name.empty() && name != "." && name != ".." &&
                    name.find('/') == std::string_view::npos &&
                    name.find('\0') == std::string_view::npos;
  if (!safe)
    foundation::log_printf("Cache: %s '%.*s' abgelehnt", what, static_cast<int>(name.size()),
                           name.data());
  return safe;
}

bool cache_file_current(const std::string& path, std::time_t stamp) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  return S_ISREG(status.st_mode) && status.st_size > 0 && status.st_mtime >= stamp;
}

CacheEntry cache_lookup(const std::string& data_directory, std::string_view host_name,
                        std::string_view extension, std::time_t stamp, std::string_view group,
                        std::chrono::milliseconds lock_wait) {
  CacheEntry entry;
  entry.stamp = stamp;
  entry.host_name = std::string(host_name);
  const std::string local_name = cache_local_name(host_name, extension);
  if (data_directory.empty()) {
    entry.error = "no data directory";
    return entry;
  }
  if (!cache_name_safe(group, "Gruppe") || !cache_name_safe(local_name, "Name")) {
    entry.error = "unsafe cache name";
    return entry;
  }
  const std::string cache_dir = data_directory + "/cache";
  const std::string group_dir = cache_dir + "/" + std::string(group);
  if (!make_directory(cache_dir) || !make_directory(group_dir)) {
    entry.error = "cache directory " + group_dir + ": " + std::strerror(errno);
    foundation::log_printf("Cache: %s", entry.error.c_str());
    return entry;
  }
  entry.local_path = group_dir + "/" + local_name;
  if (cache_file_current(entry.local_path, stamp)) {
    entry.state = CacheState::Current;
    return entry;
  }
  entry.lock = take_lock(cache_dir + "/.lock", lock_wait, entry.error);
  if (!entry.lock) {
    foundation::log_printf("Cache: %s", entry.error.c_str());
    return entry;
  }
  // Another thread or workstation may have fetched the file while we waited.
  if (cache_file_current(entry.local_path, stamp)) {
    entry.lock.reset();
    entry.state = CacheState::Current;
    return entry;
  }
  entry.state = CacheState::Fetch;
  return entry;
}

void cache_done(CacheEntry& entry, bool success) {
  if (entry.state != CacheState::Fetch) return;
  if (success && entry.stamp != 0 && foundation::set_file_time(entry.local_path, entry.stamp) != 0)
    success = false;
  if (success && !cache_file_current(entry.local_path, entry.stamp)) success = false;
  if (!success) ::unlink(entry.local_path.c_str());
  entry.state = success ? CacheState::Current : CacheState::Failed;
  entry.lock.reset();
}

void cache_release(CacheEntry& entry) {
  if (entry.lock) cache_done(entry, false);
}

}  // namespace kovw::shell
