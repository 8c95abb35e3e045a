// The workstation's log file: prefix, pending line, path with fallbacks, daily deletion.
//
// Every thread writes through its own descriptor opened for appending, so lines of different
// threads never overwrite each other; the log lock "HV_SYSLOG" serialises the shared state
// (path, pending line, keep-open). The lock is taken with the lock service's trace only while
// its thread count is not 0; before that it is taken silently, so that the logger is safe to
// use from any thread at any time.
#include "foundation/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "foundation/named_lock.h"
#include "foundation/path_synonyms.h"

namespace kovw::foundation {

namespace {

constexpr std::size_t kFormatBufferSize = 10240;
constexpr std::size_t kMessageMax = 960;
constexpr std::size_t kPendingMax = 511;
constexpr std::size_t kNameMax = 16;
constexpr long kHexMax = 476;

// Never follow a symbolic link to the log; O_NONBLOCK keeps a FIFO planted at the log path
// from blocking the writer (it is refused below, as is anything that is not a file or a
// character device such as /dev/null).
constexpr int kOpenFlags = O_APPEND | O_CREAT | O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
// Shared by all users of the installation.
constexpr mode_t kLogMode = 0666;

// Process-wide state, guarded by the log lock.
struct LogState {
  std::string path;
  bool path_pending = true;
  int keep_open = 1;
  int keep_open_default = 1;
  std::string pending_line;
  std::string executable;  // computed on first use when empty
  int last_open_error = 0;
};

LogState& state() {
  static auto* log_state = new LogState;  // never destroyed: threads may log during exit
  return *log_state;
}

// Bumped by every path change: other threads then reopen at their next line.
std::atomic<unsigned> g_path_generation{0};

NamedLock& log_lock() {
  static auto* lock = new NamedLock("HV_SYSLOG");
  return *lock;
}

// Per-thread state (plain data, usable at any time during the thread's life).
struct ThreadLog {
  int fd = -1;
  unsigned generation = 0;
  bool has_saved_time = false;
  std::time_t saved_time = 0;
  char name[kNameMax + 1] = {};
};
thread_local ThreadLog t_log;

// Closes the thread's descriptor when the thread ends.
struct ThreadLogCloser {
  ~ThreadLogCloser() {
    if (t_log.fd >= 0) ::close(t_log.fd);
    t_log.fd = -1;
  }
};
thread_local ThreadLogCloser t_log_closer;

class LogLockGuard {
 public:
  LogLockGuard() : traced_(hvt_thread_count() != 0) {
    if (traced_)
      hvt_enter_critical_ex(&log_lock(), __FILE__, __LINE__);
    else
      log_lock().lock();
  }
  ~LogLockGuard() {
    if (traced_)
      hvt_leave_critical_ex(&log_lock(), __FILE__, __LINE__);
    else
      log_lock().unlock();
  }
  LogLockGuard(const LogLockGuard&) = delete;
  LogLockGuard& operator=(const LogLockGuard&) = delete;

 private:
  bool traced_;
};

void close_thread_file() {
  if (t_log.fd >= 0) ::close(t_log.fd);
  t_log.fd = -1;
}

// Opens `path` for appending; a file created here is made readable and writable for
// everybody. -1 (errno set) when it cannot be opened or is no file.
int open_log_file(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return -1;
  }
  bool created = true;
  int fd = ::open(path.c_str(), kOpenFlags | O_EXCL, kLogMode);
  if (fd < 0 && errno == EEXIST) {
    created = false;
    fd = ::open(path.c_str(), kOpenFlags, kLogMode);
  }
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  if (created) ::fchmod(fd, kLogMode);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // a terminal gets whole lines
  return fd;
}

std::string temporary_directory() {
  const char* value = std::getenv("TMPDIR");
  std::string directory = value && *value ? value : "/tmp";
  while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
  return directory;
}

bool env_is_one(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return false;
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  while (*end == ' ' || *end == '\t') ++end;
  return number == 1 && *end == '\0';
}

std::string resolved(std::string_view logical) {
  return resolve_path(logical, kPathFirstWord).value_or(std::string());
}

// Must run under the log lock.
int set_path_locked(const char* name) {
  LogState& log = state();
  log.path_pending = false;  // first, so that a line logged on the way cannot recurse here
  std::string first;
  if (!name || !*name || *name == ' ') {
    // HV_SYSLOG=1 asks for the log away from its normal place; the variable holds no path
    // (its value is the switch), so the log goes to "SYSLOG" in the temporary directory,
    // the one place that is writable for every user.
    first = env_is_one("HV_SYSLOG") ? temporary_directory() + "/SYSLOG" : resolved("PRT/SYSLOG");
  } else {
    first = resolved(name);
  }
  close_thread_file();
  g_path_generation.fetch_add(1);
  log.keep_open = log.keep_open_default;

  const std::string candidates[] = {first, resolved("TMP/SYSLOG"), resolved("TEMP/SYSLOG"),
                                    temporary_directory() + "/SYSLOG", "SYSLOG"};
  log.last_open_error = 0;
  for (std::size_t i = 0; i < std::size(candidates); ++i) {
    const int fd = open_log_file(candidates[i]);
    if (fd < 0) {
      if (i == 0) log.last_open_error = errno;
      continue;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) ::fchmod(fd, kLogMode);  // not a device
    ::close(fd);
    log.path = candidates[i];
    return i == 0 ? 0 : 1;
  }
  log.path = first;
  return -1;
}

void resolve_pending_path() {
  if (state().path_pending) set_path_locked(nullptr);
}

// Makes sure the calling thread has its log file open if it can be opened. Under the lock.
void ensure_thread_file() {
  (void)&t_log_closer;  // constructs the closer of this thread
  if (t_log.fd >= 0) {
    struct stat info;
    if (t_log.generation != g_path_generation.load() || ::fstat(t_log.fd, &info) != 0 ||
        info.st_nlink == 0)
      close_thread_file();  // path changed, or the file was deleted: create it again
  }
  if (t_log.fd >= 0) return;
  resolve_pending_path();
  t_log.generation = g_path_generation.load();
  t_log.fd = open_log_file(state().path);
}

const std::string& executable_name() {
  LogState& log = state();
  if (log.executable.empty()) {
#ifdef __GLIBC__
    log_set_executable(program_invocation_name);
#else
    log_set_executable("kovw");
#endif
  }
  return log.executable;
}

void append_field(std::string& out, std::string_view text, std::size_t width, bool right) {
  text = text.substr(0, width);
  if (right) out.append(width - text.size(), ' ');
  out.append(text);
  if (!right) out.append(width - text.size(), ' ');
}

long current_thread_id() {
  return static_cast<long>(::syscall(SYS_gettid));
}

// The 66-column prefix for the given local time.
std::string build_prefix(std::time_t seconds, long milliseconds) {
  struct tm local {};
  ::localtime_r(&seconds, &local);
  char date[96];
  std::snprintf(date, sizeof date, "%02d.%02d.%04d %02d:%02d:%02d.%06ld", local.tm_mday,
                local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec,
                milliseconds * 1000);
  char pid[24];
  std::snprintf(pid, sizeof pid, "%ld", static_cast<long>(::getpid()));
  char tid[24];
  std::snprintf(tid, sizeof tid, "%ld", current_thread_id());
  const std::string_view name = t_log.name[0] ? std::string_view(t_log.name) : executable_name();

  std::string prefix;
  prefix.reserve(66);
  append_field(prefix, date, 26, false);
  prefix += ' ';
  append_field(prefix, pid, 7, true);
  prefix += '-';
  append_field(prefix, tid, 8, false);
  prefix.append(6, ' ');
  append_field(prefix, name, kNameMax, false);
  prefix += ' ';
  return prefix;
}

std::string prefix_now() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return build_prefix(now.tv_sec, now.tv_nsec / 1000000);
}

// The prefix of the thread's next line: its saved time (used once) or now.
std::string take_prefix() {
  if (t_log.has_saved_time) {
    t_log.has_saved_time = false;
    return build_prefix(t_log.saved_time, 0);
  }
  return prefix_now();
}

void write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // disk full or the like: the line is lost, nothing else
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void write_to_stdout(const std::string& path, std::string_view text) {
  std::string line = "Kann " + path + " nicht oeffnen. Meldung:";
  line.append(text);
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

void vlog_line(const char* format, va_list args) {
  char text[kFormatBufferSize];
  std::vsnprintf(text, sizeof text, format ? format : "", args);
  log_write(text, 0, kLogPrefix);
}

}  // namespace

void log_write(const char* text, std::size_t length, int flags) {
  if (!text) text = "";
  // Only the part that is written is read: never more than the cut of 960 characters.
  const std::size_t size = length ? length : ::strnlen(text, kMessageMax);
  const std::string_view message(text, std::min(size, kMessageMax));

  LogLockGuard guard;
  LogState& log = state();
  ensure_thread_file();
  if (t_log.fd < 0) {
    t_log.has_saved_time = false;
    write_to_stdout(log.path, message);
    return;
  }
  std::string out;
  out.reserve(2 * 66 + log.pending_line.size() + message.size() + 2);
  const std::string prefix = (flags & kLogPrefix) ? take_prefix() : std::string();
  if (!log.pending_line.empty()) {
    out += prefix.empty() ? prefix_now() : prefix;
    out += log.pending_line;
    out += '\n';
    log.pending_line.clear();
  }
  out += prefix;
  out += message;
  if (!(flags & kLogNoNewline)) out += '\n';
  write_all(t_log.fd, out);
  if (log.keep_open == 0) close_thread_file();
}

void log_printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vlog_line(format, args);
  va_end(args);
}

void log_printf_at(std::time_t time, const char* format, ...) {
  t_log.saved_time = time;
  t_log.has_saved_time = true;
  va_list args;
  va_start(args, format);
  vlog_line(format, args);
  va_end(args);
}

void log_hex(const void* data, long length) {
  if (!data || length < 1) return;
  const auto* bytes = static_cast<const unsigned char*>(data);
  const long shown = std::min(length, kHexMax);
  static constexpr char kDigits[] = "0123456789ABCDEF";

  char head[32];
  std::snprintf(head, sizeof head, "%6ld ", length);
  std::string hex = head;
  std::string chars(7, ' ');
  for (long i = 0; i < shown; ++i) {
    const unsigned char byte = bytes[i];
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
    chars += (byte >= 32 && byte <= 126) || byte > 143 ? static_cast<char>(byte) : '.';
    chars += ' ';
  }
  LogLockGuard guard;  // keeps the two lines together
  log_write(hex.c_str(), hex.size(), kLogPrefix);
  log_write(chars.c_str(), chars.size(), kLogPrefix);
}

int log_set_path(const char* name) {
  LogLockGuard guard;
  return set_path_locked(name);
}

std::string log_path() {
  LogLockGuard guard;
  return state().path;
}

void log_set_pending(const char* text) {
  LogLockGuard guard;
  state().pending_line.assign(text ? text : "", text ? ::strnlen(text, kPendingMax) : 0);
}

void log_daily_check() {
  LogLockGuard guard;
  resolve_pending_path();
  struct stat info;
  if (::lstat(state().path.c_str(), &info) != 0) return;
  const std::time_t now = std::time(nullptr);
  struct tm today {};
  struct tm changed {};
  ::localtime_r(&now, &today);
  ::localtime_r(&info.st_mtime, &changed);
  if (today.tm_mday != changed.tm_mday || today.tm_mon != changed.tm_mon ||
      today.tm_year != changed.tm_year)
    log_delete();
}

void log_delete() {
  LogLockGuard guard;
  close_thread_file();
  if (!state().path.empty()) ::unlink(state().path.c_str());
}

int log_open() {
  LogLockGuard guard;
  state().keep_open = 1;
  ensure_thread_file();
  return t_log.fd;
}

void log_close() {
  LogLockGuard guard;
  close_thread_file();
  state().keep_open = state().keep_open_default;
}

void log_set_keep_open(int keep_open) {
  LogLockGuard guard;
  state().keep_open = keep_open ? 1 : 0;
}

int log_last_open_error() {
  LogLockGuard guard;
  return state().last_open_error;
}

void log_reset() {
  LogLockGuard guard;
  LogState& log = state();
  close_thread_file();
  log.path.clear();
  log.path_pending = true;
  log.pending_line.clear();
  log.keep_open = log.keep_open_default;
  log.last_open_error = 0;
  g_path_generation.fetch_add(1);
}

void log_set_thread_name(const std::string& name) {
  const std::size_t size = std::min(name.size(), kNameMax);
  std::memcpy(t_log.name, name.data(), size);
  t_log.name[size] = '\0';
}

void log_set_executable(const char* argv0) {
  std::string_view command = argv0 ? argv0 : "";
  const std::size_t slash = command.find_last_of("/\\");
  if (slash != std::string_view::npos) command.remove_prefix(slash + 1);
  LogLockGuard guard;
  state().executable.assign(command.substr(0, kNameMax));
}

}  // namespace kovw::foundation
