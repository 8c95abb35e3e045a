#include "net/tcp_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "foundation/error_text.h"
#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/last_socket_error.h"
#include "net/peer_name.h"
#include "net/socket_errors.h"
#include "net/socket_wait.h"

namespace kovw::net {

namespace {

using foundation::log_printf;

std::atomic<int> g_error_logging{0};

constexpr int kMaxPort = 65535;
constexpr int kMaxBacklog = 0x7fffffff;
constexpr int kWouldBlockRetries = 200;
constexpr int kWouldBlockWaitMs = 10;

bool logging_on() {
  return (g_error_logging.load(std::memory_order_relaxed) & 1) != 0 ||
         foundation::verbose(foundation::kVerboseTransmission);
}

// Stores errno as the last socket error; a failure without a system error stores 22.
int store_errno(int errno_value) {
  int code = set_last_socket_error_from_errno(errno_value);
  if (code == 0) {
    code = kErrorInvalidArgument;
    set_last_socket_error(code);
  }
  return code;
}

int store_code(int code) {
  set_last_socket_error(code != 0 ? code : kErrorInvalidArgument);
  return last_socket_error();
}

// The error text of the current last socket error, for a log line.
std::string error_line() {
  return socket_error_line(last_socket_error());
}

bool is_would_block(int errno_value) {
  return errno_value == EAGAIN || errno_value == EWOULDBLOCK;
}

int set_non_blocking(int socket, bool on) {
  int flags = ::fcntl(socket, F_GETFL);
  if (flags < 0) return -1;
  int wanted = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
  if (wanted == flags) return 0;
  return ::fcntl(socket, F_SETFL, wanted);
}

// A closing that keeps the last socket error of the failure being reported.
void close_quietly(int socket) {
  int saved = errno;
  ::close(socket);
  errno = saved;
}

int text_length(int length, const void* data) {
  if (length == -1)
    return data != nullptr ? static_cast<int>(std::strlen(static_cast<const char*>(data))) : 0;
  return length;
}

// Resolves host into an IPv4 address; on failure stores the error and returns false.
bool resolve_host(const char* host, in_addr* address) {
  if (host == nullptr || *host == '\0') host = "localhost";
  if (::inet_aton(host, address) != 0) return true;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int rc = ::getaddrinfo(host, nullptr, &hints, &list);
  if (rc == 0 && list != nullptr && list->ai_addr != nullptr &&
      list->ai_addr->sa_family == AF_INET) {
    *address = reinterpret_cast<const sockaddr_in*>(list->ai_addr)->sin_addr;
    ::freeaddrinfo(list);
    return true;
  }
  int saved = errno;
  if (list != nullptr) ::freeaddrinfo(list);
  int code = rc != 0 ? socket_error_from_resolver(rc, saved) : 0;
  set_last_socket_error(code != 0 ? code : foundation::kWSAHOST_NOT_FOUND);
  return false;
}

enum class Wait { Ready, TimedOut, Failed };

// Waits at most timeout_ms (-1: without limit) for `events` on the socket. A time-out stores
// `timeout_code` as the last socket error, a failure errno; a failure is logged with
// `failure_line` (a format of the error number and its text) when one is given and logging is on.
Wait wait_ready(int socket, short events, int timeout_ms, int timeout_code,
                const char* failure_line) {
  const int ready = wait_for_socket(socket, events, timeout_ms);
  if (ready > 0) return Wait::Ready;
  if (ready == 0) {
    store_code(timeout_code);
    return Wait::TimedOut;
  }
  store_errno(errno);
  if (failure_line != nullptr && logging_on()) {
    log_printf(failure_line, last_socket_error(), error_line().c_str());
  }
  return Wait::Failed;
}

int accept_waiting(int listen_socket, sockaddr_in* peer) {
  // Only a connection that is already waiting is taken: the call never blocks.
  if (wait_ready(listen_socket, POLLIN, 0, foundation::kWSAEWOULDBLOCK, nullptr) != Wait::Ready) {
    return -1;
  }
  socklen_t length = sizeof *peer;
  int socket;
  do {
    socket = ::accept4(listen_socket, reinterpret_cast<sockaddr*>(peer), &length, SOCK_CLOEXEC);
  } while (socket < 0 && errno == EINTR);
  if (socket < 0) {
    store_errno(errno);
    return -1;
  }
  // Accepted sockets start in blocking mode whatever the listener's mode is.
  set_non_blocking(socket, false);
  return socket;
}

}  // namespace

void sc_set_error_logging(int value) {
  int old = g_error_logging.exchange(value, std::memory_order_relaxed);
  if (old != value)
    log_printf("sockcom: Testmodus %d %sktiviert.", value, value != 0 ? "a" : "dea");
}

int sc_error_logging() {
  return g_error_logging.load(std::memory_order_relaxed);
}

int sc_socket() {
  int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) {
    store_errno(errno);
    if (logging_on()) {
      log_printf("sc_socket(-29) Error %d creating socket: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScSocket;
  }
  return socket;
}

int sc_listen(int port, int* port_out) {
  int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) {
    store_errno(errno);
    if (logging_on()) {
      log_printf("sc_listen(-21) Error %d creating socket for port %d: %s", last_socket_error(),
                 port, error_line().c_str());
    }
    return kScListenSocket;
  }
  int one = 1;
  ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);

  for (;;) {
    int rc = -1;
    if (port < 0 || port > kMaxPort) {
      store_code(foundation::kWSAEINVAL);
    } else {
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_ANY);
      address.sin_port = htons(static_cast<std::uint16_t>(port));
      rc = ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
      if (rc != 0) store_errno(errno);
    }
    if (rc == 0) break;
    if (last_socket_error() != foundation::kWSAEADDRINUSE || port_out == nullptr) {
      if (logging_on()) {
        log_printf("sc_listen(-22.1) Error %d binding socket for port %d: %s", last_socket_error(),
                   port, error_line().c_str());
      }
      close_quietly(socket);
      return kScListenBind;
    }
    ++port;
    if (port > kMaxPort) {
      if (logging_on()) {
        log_printf("sc_listen(-22.2) Error %d binding socket for port %d: %s", last_socket_error(),
                   port, error_line().c_str());
      }
      close_quietly(socket);
      return kScListenBind;
    }
  }

  if (port_out != nullptr) {
    // Port 0 binds a free port chosen by the system: report the one actually bound.
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
      *port_out = ntohs(bound.sin_port);
    } else {
      *port_out = port;
    }
  }
  if (::listen(socket, kMaxBacklog) != 0) {
    store_errno(errno);
    if (logging_on()) {
      log_printf("sc_listen(-23.2) Error %d listen socket for port %d: %s", last_socket_error(),
                 port, error_line().c_str());
    }
    close_quietly(socket);
    return kScListen;
  }
  return socket;
}

int sc_accept(int listen_socket) {
  sockaddr_in peer{};
  int socket = accept_waiting(listen_socket, &peer);
  if (socket < 0) {
    if (logging_on()) {
      log_printf("sc_accept(-24.2) Error %d accept socket: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScAccept;
  }
  sc_clwait(socket, kOptNoDelay);
  return socket;
}

int sc_accna(int listen_socket, std::span<char> name_out, std::array<int, 4>* address_out) {
  sockaddr_in peer{};
  int socket = accept_waiting(listen_socket, &peer);
  if (socket < 0) {
    if (logging_on()) {
      log_printf("sc_accna(-24) Error %d accept socket: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScAccept;
  }
  if (!name_out.empty()) {
    std::string name = peer_host_name(peer.sin_addr);
    std::size_t count = std::min(name.size(), name_out.size() - 1);
    std::memcpy(name_out.data(), name.data(), count);
    name_out[count] = '\0';
  }
  if (address_out != nullptr) {
    std::uint32_t value = ntohl(peer.sin_addr.s_addr);
    *address_out = {static_cast<int>((value >> 24) & 0xff), static_cast<int>((value >> 16) & 0xff),
                    static_cast<int>((value >> 8) & 0xff), static_cast<int>(value & 0xff)};
  }
  sc_clwait(socket, kOptNoDelay);
  return socket;
}

int sc_connect(const char* host, int port) {
  int socket = sc_socket();
  if (socket < 0) return socket;
  int rc = sc_verb_to(socket, host, port, 0);
  if (rc < 0) {
    close_quietly(socket);
    return rc;
  }
  sc_clwait(socket, kOptNoDelay);
  return socket;
}

int sc_connect_to(const char* host, int port, int timeout_ms) {
  int socket = sc_socket();
  if (socket < 0) return socket;
  int rc = sc_verb_to(socket, host, port, timeout_ms);
  if (rc < 0) {
    close_quietly(socket);
    return rc;
  }
  return socket;
}

int sc_verb_to(int socket, const char* host, int port, int timeout_ms) {
  in_addr resolved{};
  if (!resolve_host(host, &resolved)) {
    if (logging_on()) {
      log_printf("sc_verb_to(-34) Error %d on gethostbyname(%s): %s", last_socket_error(),
                 host != nullptr ? host : "", error_line().c_str());
    }
    return kScResolve;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr = resolved;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool port_valid = port >= 0 && port <= kMaxPort;

  if (timeout_ms == 0) {
    int rc = -1;
    if (!port_valid) {
      store_code(foundation::kWSAEADDRNOTAVAIL);
    } else {
      rc = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
      if (rc != 0 && (errno == EINTR || errno == EINPROGRESS)) {
        // The connection goes on in the background: wait for its outcome.
        int error = 0;
        socklen_t length = sizeof error;
        if (wait_for_socket(socket, POLLOUT, -1) > 0 &&
            ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0) {
          rc = error == 0 ? 0 : -1;
          errno = error;
        }
      }
      if (rc != 0) store_errno(errno);
    }
    if (rc != 0) {
      if (logging_on()) {
        log_printf("sc_verb_to(-33.4) Error %d on connect: %s", last_socket_error(),
                   error_line().c_str());
      }
      return kScConnect;
    }
    return 0;
  }

  sc_clwait(socket, kOptLingerReset);
  sc_clwait(socket, kOptNoDelay);
  if (set_non_blocking(socket, true) != 0) {
    store_errno(errno);
    if (logging_on()) {
      log_printf("sc_verb_to(-33.0): Error %d on ioctlsocket: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScConnect;
  }
  int rc = -1;
  if (!port_valid) {
    store_code(foundation::kWSAEADDRNOTAVAIL);
  } else {
    rc = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (rc == 0) return 0;
    if (errno == EINPROGRESS || errno == EINTR || is_would_block(errno)) {
      rc = 1;  // pending
    } else {
      store_errno(errno);
    }
  }
  if (rc < 0) {
    if (logging_on()) {
      log_printf("sc_verb_to(-33.1) Error %d on connect: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScConnect;
  }

  switch (wait_ready(socket, POLLIN | POLLOUT, timeout_ms, kErrorWaitTimeout,
                     "sc_verb_to(-33.3) Error %d on select: %s")) {
    case Wait::TimedOut:
      return kScTimeout;
    case Wait::Failed:
      return kScConnect;
    case Wait::Ready:
      break;
  }
  // Ready also means failed: a refused or unreachable peer is reported as what it is.
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
  if (error != 0) {
    store_errno(error);
    if (logging_on()) {
      log_printf("sc_verb_to(-33.1) Error %d on connect: %s", last_socket_error(),
                 error_line().c_str());
    }
    return kScConnect;
  }
  return 0;
}

int sc_send(int socket, int length, const void* data, int timeout_ms) {
  if (socket < 0) {
    set_last_socket_error(foundation::kWSAEINVAL);
    return kScBadSocket;
  }
  length = text_length(length, data);
  const char* bytes = static_cast<const char*>(data);
  int sent = 0;
  bool failed = false;
  if (length < 0 || (length > 0 && bytes == nullptr)) {
    store_code(foundation::kWSAEINVAL);
    failed = true;
    sent = length < 0 ? length : 0;
  } else if (timeout_ms != 0 && set_non_blocking(socket, true) != 0) {
    store_errno(errno);
    failed = true;
  }
  while (!failed && sent < length) {
    // Running out of time counts as an interrupted call.
    if (wait_ready(socket, POLLOUT, timeout_ms != 0 ? timeout_ms : -1, foundation::kWSAEINTR,
                   nullptr) != Wait::Ready) {
      failed = true;
      break;
    }
    ssize_t n = ::send(socket, bytes + sent, static_cast<std::size_t>(length - sent), MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<int>(n);
    } else if (n < 0) {
      int error = errno;
      store_errno(error);
      if (!is_would_block(error) && error != EINTR) failed = true;
    }
  }
  if (failed) {
    if (logging_on()) {
      log_printf("sc_send(-40.1) Error %d sending %d bytes: %s", last_socket_error(), length - sent,
                 error_line().c_str());
    }
    return kScSend;
  }
  if (timeout_ms != 0) set_non_blocking(socket, false);
  return length;
}

int sc_send_all(int socket, int length, const void* data) {
  length = text_length(length, data);
  const char* bytes = static_cast<const char*>(data);
  int sent = 0;
  bool failed = false;
  if (length < 0 || (length > 0 && bytes == nullptr)) {
    store_code(foundation::kWSAEINVAL);
    failed = true;
    sent = length < 0 ? length : 0;
  }
  while (!failed && sent < length) {
    ssize_t n = ::send(socket, bytes + sent, static_cast<std::size_t>(length - sent), MSG_NOSIGNAL);
    if (n >= 0) {
      sent += static_cast<int>(n);
      continue;
    }
    int error = errno;
    if (error == EINTR) continue;
    if (is_would_block(error) && wait_for_socket(socket, POLLOUT, -1) > 0) continue;
    store_errno(error);
    failed = true;
  }
  if (failed) {
    if (logging_on()) {
      log_printf("sc_send(-40) Error %d sending %d bytes: %s", last_socket_error(), length - sent,
                 error_line().c_str());
    }
    return kScSend;
  }
  return length;
}

int sc_recv(int socket, int size, void* buffer, int mode, int wait_ms) {
  char* bytes = static_cast<char*>(buffer);
  if (size < 0 || (size > 0 && bytes == nullptr)) {
    store_code(foundation::kWSAEINVAL);
    if (logging_on()) {
      log_printf("sc_recv(-41.2) Error %d recv: %s", last_socket_error(), error_line().c_str());
    }
    return kScRecv;
  }
  int total = 0;
  int would_block_retries = 0;
  while (total < size) {
    if (wait_ms != 0) {
      switch (wait_ready(socket, POLLIN, wait_ms, kErrorWaitTimeout,
                         "sc_recv(-41.1) Error %d waiting for data: %s")) {
        case Wait::TimedOut:
          return kScTimeout;
        case Wait::Failed:
          return kScRecv;
        case Wait::Ready:
          break;
      }
    }
    ssize_t n = ::recv(socket, bytes + total, static_cast<std::size_t>(size - total), 0);
    if (n < 0) {
      int error = errno;
      if (error == EINTR) continue;
      if (is_would_block(error) && would_block_retries < kWouldBlockRetries) {
        // Nothing there yet on a non-blocking socket: wait on it a little and try again.
        ++would_block_retries;
        wait_for_socket(socket, POLLIN, kWouldBlockWaitMs);
        continue;
      }
      store_errno(error);
      if (logging_on()) {
        log_printf("sc_recv(-41.2) Error %d recv: %s", last_socket_error(), error_line().c_str());
      }
      return kScRecv;
    }
    if (n == 0) break;  // the peer closed
    total += static_cast<int>(n);
    if (mode != kRecvExact) break;
  }
  set_last_socket_error(0);
  return total;
}

int sc_close(int socket) {
  if (socket < 0) {
    set_last_socket_error(foundation::kWSAENOTSOCK);
    return -1;
  }
  int rc = ::close(socket);
  if (rc != 0) store_errno(errno);
  return rc;
}

int sc_close_unl(int socket) {
  return sc_close(socket);
}

int sc_clwait(int socket, int option) {
  int rc;
  switch (option) {
    case kOptDontLinger: {
      // Lingering on, with the linger time the socket already has.
      linger value{};
      socklen_t length = sizeof value;
      ::getsockopt(socket, SOL_SOCKET, SO_LINGER, &value, &length);
      value.l_onoff = 1;
      rc = ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &value, sizeof value);
      break;
    }
    case kOptLingerReset:
    case kOptLinger10:
    case kOptLinger100: {
      linger value{};
      value.l_onoff = 1;
      value.l_linger = option == kOptLingerReset ? 0 : option == kOptLinger10 ? 10 : 100;
      rc = ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &value, sizeof value);
      break;
    }
    case kOptNoDelay:
    case kOptDelay: {
      int value = option == kOptNoDelay ? 1 : 0;
      rc = ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &value, sizeof value);
      break;
    }
    default:
      return kOptUnknownResult;
  }
  if (rc != 0) store_errno(errno);
  return rc;
}

int sc_addr(int socket, int which, char* address_out, int* port_out) {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  sockaddr* address = reinterpret_cast<sockaddr*>(&storage);
  int rc = which == 1 ? ::getsockname(socket, address, &length)
                      : ::getpeername(socket, address, &length);
  if (rc != 0) {
    store_errno(errno);
    return rc;
  }
  if (storage.ss_family != AF_INET) {
    errno = EINVAL;
    return -1;
  }
  const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(&storage);
  if (address_out != nullptr) ::inet_ntop(AF_INET, &ipv4->sin_addr, address_out, INET_ADDRSTRLEN);
  if (port_out != nullptr) *port_out = ntohs(ipv4->sin_port);
  return 2;
}

int sc_avail(int socket) {
  int count = 0;
  if (::ioctl(socket, FIONREAD, &count) != 0) {
    store_errno(errno);
    return -1;
  }
  return count;
}

}  // namespace kovw::net
