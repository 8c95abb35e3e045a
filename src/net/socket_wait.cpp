#include "net/socket_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

namespace kovw::net {

int wait_for_socket(int fd, short events, int timeout_ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  int remaining = timeout_ms;
  for (;;) {
    pollfd entry{fd, events, 0};
    int result = ::poll(&entry, 1, remaining);
    if (result >= 0) {
      if (result > 0 && (entry.revents & POLLNVAL)) {
        errno = EBADF;
        return -1;
      }
      return result;
    }
    if (errno != EINTR) return -1;
    if (timeout_ms >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      remaining = left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }
  }
}

}  // namespace kovw::net
