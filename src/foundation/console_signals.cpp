// Console control events on POSIX signals: a self-pipe and a watcher thread.
#include "foundation/console_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

#include "foundation/log.h"

namespace kovw::foundation {

namespace {

constexpr int kSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTERM};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];

// Read by the signal handler: a lock-free atomic is safe to use there.
std::atomic<int> g_write_fd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

std::mutex g_install_mutex;  // installation state
bool g_installed = false;
std::thread g_watcher;
struct sigaction g_previous[kSignalCount];

std::mutex g_callback_mutex;
std::function<void(int)> g_callback;

extern "C" void on_console_signal(int signal_number) {
  const int saved_errno = errno;
  const int fd = g_write_fd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal_number);
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}

void watch(int read_fd) {
  for (;;) {
    unsigned char byte = 0;
    const ssize_t got = ::read(read_fd, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // the write end was closed: uninstalled
    const int signal_number = byte;
    const int event = console_event_for_signal(signal_number);
    if (const char* name = console_event_name(event))
      log_printf("Signal %d/%s bekommen.", event, name);
    else
      log_printf("Signal %d bekommen.", signal_number);
    std::function<void(int)> callback;
    {
      std::lock_guard<std::mutex> guard(g_callback_mutex);
      callback = g_callback;
    }
    if (callback) {
      callback(signal_number);
    } else {
      // The default handling goes on: for these signals it ends the process.
      std::signal(signal_number, SIG_DFL);
      std::raise(signal_number);
    }
  }
  ::close(read_fd);  // the watcher owns the read end
}

}  // namespace

int console_event_for_signal(int signal_number) {
  switch (signal_number) {
    case SIGINT:
      return kCtrlCEvent;
    case SIGQUIT:
      return kCtrlBreakEvent;
    case SIGHUP:
      return kCtrlCloseEvent;
    case SIGTERM:
      return kCtrlShutdownEvent;
    default:
      return -1;
  }
}

const char* console_event_name(int event) {
  switch (event) {
    case kCtrlCEvent:
      return "CTRL_C_EVENT";
    case kCtrlBreakEvent:
      return "CTRL_BREAK_EVENT";
    case kCtrlCloseEvent:
      return "CTRL_CLOSE_EVENT";
    case kCtrlLogoffEvent:
      return "CTRL_LOGOFF_EVENT";
    case kCtrlShutdownEvent:
      return "CTRL_SHUTDOWN_EVENT";
    default:
      return nullptr;
  }
}

bool install_console_signal_handlers(std::function<void(int)> on_signal) {
  {
    std::lock_guard<std::mutex> guard(g_callback_mutex);
    g_callback = std::move(on_signal);
  }
  std::lock_guard<std::mutex> guard(g_install_mutex);
  if (g_installed) return true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  // The handler must never block, even when the watcher lags behind.
  ::fcntl(fds[1], F_SETFL, ::fcntl(fds[1], F_GETFL) | O_NONBLOCK);
  try {
    g_watcher = std::thread(watch, fds[0]);
  } catch (...) {
    ::close(fds[0]);
    ::close(fds[1]);
    return false;
  }
  g_write_fd.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = on_console_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
  g_installed = true;
  return true;
}

void uninstall_console_signal_handlers() {
  std::lock_guard<std::mutex> guard(g_install_mutex);
  if (!g_installed) return;
  for (int i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
  const int write_fd = g_write_fd.exchange(-1);
  ::close(write_fd);
  // Called from the callback itself, the watcher ends by itself once it returns.
  if (g_watcher.get_id() == std::this_thread::get_id())
    g_watcher.detach();
  else if (g_watcher.joinable())
    g_watcher.join();
  g_installed = false;
  std::lock_guard<std::mutex> callback_guard(g_callback_mutex);
  g_callback = nullptr;
}

}  // namespace kovw::foundation
