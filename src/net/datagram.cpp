#include "net/datagram.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "foundation/error_text.h"
#include "net/datagram_assembler.h"
#include "net/socket_errors.h"
#include "net/socket_wait.h"

namespace kovw::net {

namespace {

std::atomic<int> g_last_error{0};
std::atomic<int> g_receive_wait_ms{5000};

// One open datagram socket and the messages partly received on it.
struct SocketRecord {
  int socket = -1;
  std::mutex mutex;  // guards `assembler`
  DatagramAssembler assembler;
};

std::mutex g_records_mutex;
std::map<int, std::shared_ptr<SocketRecord>> g_records;

std::shared_ptr<SocketRecord> find_record(int socket) {
  std::lock_guard lock(g_records_mutex);
  auto it = g_records.find(socket);
  return it != g_records.end() ? it->second : nullptr;
}

void store_errno(int errno_value) {
  int code = socket_error_from_errno(errno_value);
  g_last_error.store(code != 0 ? code : kErrorInvalidArgument, std::memory_order_relaxed);
}

void store_code(int code) {
  g_last_error.store(code, std::memory_order_relaxed);
}

sockaddr_in to_sockaddr(const DatagramAddress& address) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  std::uint32_t value = (std::uint32_t{address.ip[0]} << 24) |
                        (std::uint32_t{address.ip[1]} << 16) | (std::uint32_t{address.ip[2]} << 8) |
                        std::uint32_t{address.ip[3]};
  result.sin_addr.s_addr = htonl(value);
  result.sin_port = htons(address.port);
  return result;
}

std::array<std::uint8_t, 4> to_bytes(const in_addr& address) {
  std::uint32_t value = ntohl(address.s_addr);
  return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

DatagramAddress from_sockaddr(const sockaddr_in& address) {
  return DatagramAddress{to_bytes(address.sin_addr), ntohs(address.sin_port)};
}

bool is_loopback(const std::array<std::uint8_t, 4>& ip) {
  return ip[0] == 127;
}

// Sends one datagram; false with the last datagram error set on failure.
bool send_datagram(int socket, const sockaddr_in& target, const std::uint8_t* data,
                   std::size_t length) {
  for (;;) {
    ssize_t n = ::sendto(socket, data, length, MSG_NOSIGNAL,
                         reinterpret_cast<const sockaddr*>(&target), sizeof target);
    if (n >= 0) return true;
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && wait_for_socket(socket, POLLOUT, -1) > 0) {
      continue;
    }
    store_errno(errno);
    return false;
  }
}

void answer_probe(int socket, const sockaddr_in& from) {
  send_datagram(socket, from, kProbeAnswer.data(), kProbeAnswer.size());
}

// Receives one datagram that is already there (never waits). Returns its length, or -1
// when nothing is there (errno EAGAIN) or receiving failed.
ssize_t receive_datagram(int socket, std::uint8_t* buffer, sockaddr_in* from) {
  for (;;) {
    socklen_t length = sizeof *from;
    ssize_t n = ::recvfrom(socket, buffer, kDatagramPayload, MSG_DONTWAIT,
                           reinterpret_cast<sockaddr*>(from), &length);
    if (n < 0 && errno == EINTR) continue;
    if (n >= 0 && (length < sizeof *from || from->sin_family != AF_INET)) {
      *from = sockaddr_in{};
      from->sin_family = AF_INET;
    }
    return n;
  }
}

}  // namespace

int uc_last_error() {
  return g_last_error.load(std::memory_order_relaxed);
}

void uc_set_receive_wait(int wait_ms) {
  g_receive_wait_ms.store(wait_ms, std::memory_order_relaxed);
}

int uc_receive_wait() {
  return g_receive_wait_ms.load(std::memory_order_relaxed);
}

int uc_open(int port, bool /*reset_off*/) {
  // ICMP port-unreachable messages are never reported on an unconnected datagram socket
  // here, so there is nothing to switch off for `reset_off`.
  if (port < 0 || port > 65535) {
    store_code(foundation::kWSAEINVAL);
    return -1;
  }
  int socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  if (socket < 0) {
    store_errno(errno);
    return -1;
  }
  int one = 1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::setsockopt(socket, SOL_SOCKET, SO_BROADCAST, &one, sizeof one) != 0 ||
      ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    store_errno(errno);
    ::close(socket);
    return -1;
  }
  try {
    auto record = std::make_shared<SocketRecord>();
    record->socket = socket;
    std::lock_guard lock(g_records_mutex);
    g_records[socket] = std::move(record);
  } catch (const std::bad_alloc&) {
    store_code(kDatagramRecordErrorBase + ENOMEM);
    ::close(socket);
    return -1;
  }
  return socket;
}

int uc_send(int socket, const void* data, int length, const DatagramAddress& address, int mode) {
  uc_flush(socket);
  if (find_record(socket) == nullptr || length <= 0) return 0;
  if (mode != kDatagramModePlain || data == nullptr) {
    store_code(mode != kDatagramModePlain ? foundation::kWSAEOPNOTSUPP : foundation::kWSAEFAULT);
    return -1;
  }
  const sockaddr_in target = to_sockaddr(address);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  int offset = 0;
  for (;;) {
    int piece = std::min(length - offset, kDatagramPayload);
    if (!send_datagram(socket, target, bytes + offset, static_cast<std::size_t>(piece))) return -1;
    offset += piece;
    // A message ends with a datagram shorter than 512 bytes, if need be an empty one.
    if (piece < kDatagramPayload) break;
  }
  return length;
}

int uc_recv(int socket, void* buffer, int length, DatagramAddress* sender, int mode) {
  if (length <= 0) return 0;
  if (mode != kDatagramModePlain || buffer == nullptr) {
    store_code(mode != kDatagramModePlain ? foundation::kWSAEOPNOTSUPP : foundation::kWSAEFAULT);
    return -1;
  }
  std::shared_ptr<SocketRecord> record = find_record(socket);
  if (record == nullptr) {
    store_code(foundation::kWSAENOTSOCK);
    return -1;
  }
  std::uint8_t datagram[kDatagramPayload];
  for (;;) {
    int ready = wait_for_socket(socket, POLLIN, uc_receive_wait());
    if (ready == 0) {
      store_code(kDatagramTimeoutError);
      return -1;
    }
    if (ready < 0) {
      store_errno(errno);
      return -1;
    }
    sockaddr_in from{};
    ssize_t n = receive_datagram(socket, datagram, &from);
    if (n < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) continue;  // taken by someone else
      store_errno(errno);
      return -1;
    }
    const DatagramAddress source = from_sockaddr(from);
    std::span<const std::uint8_t> bytes(datagram, static_cast<std::size_t>(n));
    std::optional<DatagramAssembler::Message> message;
    {
      std::lock_guard lock(record->mutex);
      if (is_probe(bytes) && !record->assembler.in_progress(source)) {
        answer_probe(socket, from);
        continue;
      }
      message = record->assembler.feed(source, bytes);
    }
    if (!message) continue;
    std::size_t count = std::min(message->bytes.size(), static_cast<std::size_t>(length));
    if (count > 0) std::memcpy(buffer, message->bytes.data(), count);
    if (sender != nullptr) *sender = message->sender;
    return static_cast<int>(count);
  }
}

void uc_flush(int socket) {
  // Only a registered datagram socket is read: anything else keeps its data.
  std::shared_ptr<SocketRecord> record = find_record(socket);
  if (record == nullptr) return;
  {
    std::lock_guard lock(record->mutex);
    record->assembler.clear();
  }
  std::uint8_t datagram[kDatagramPayload];
  for (;;) {
    sockaddr_in from{};
    ssize_t n = receive_datagram(socket, datagram, &from);
    if (n < 0) return;
    if (is_probe(std::span<const std::uint8_t>(datagram, static_cast<std::size_t>(n)))) {
      answer_probe(socket, from);
    }
  }
}

void uc_close(int socket) {
  {
    std::lock_guard lock(g_records_mutex);
    g_records.erase(socket);
  }
  if (socket >= 0) ::close(socket);
}

std::optional<DatagramAddress> uc_pick_address(std::span<const DatagramAddress> resolved) {
  if (resolved.empty()) return std::nullopt;
  for (const DatagramAddress& address : resolved) {
    if (!is_loopback(address.ip)) return address;
  }
  return resolved.front();
}

int uc_host_address(const char* name, DatagramAddress* address_out) {
  char host_name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(host_name, sizeof host_name - 1) != 0) host_name[0] = '\0';
  const bool own_station = name == nullptr || *name == '\0' ||
                           (host_name[0] != '\0' && std::strcmp(name, host_name) == 0);
  if (name == nullptr || *name == '\0') name = host_name;

  std::optional<DatagramAddress> picked;
  in_addr dotted{};
  if (*name != '\0' && ::inet_aton(name, &dotted) != 0) {
    picked = DatagramAddress{to_bytes(dotted), 0};
  } else if (*name != '\0') {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &list) == 0) {
      std::vector<DatagramAddress> resolved;
      for (addrinfo* item = list; item != nullptr; item = item->ai_next) {
        if (item->ai_addr == nullptr || item->ai_addr->sa_family != AF_INET) continue;
        resolved.push_back(
            DatagramAddress{to_bytes(reinterpret_cast<sockaddr_in*>(item->ai_addr)->sin_addr), 0});
      }
      ::freeaddrinfo(list);
      picked = uc_pick_address(resolved);
    }
  }

  if (own_station && (!picked || is_loopback(picked->ip))) {
    // The station's name often maps to a loopback address only: take the address of its
    // first real interface instead.
    for (const InterfaceAddress& interface : uc_interfaces()) {
      if (interface.up && !interface.loopback && !is_loopback(interface.ip)) {
        picked = DatagramAddress{interface.ip, 0};
        break;
      }
    }
  }
  if (!picked) return -1;
  if (address_out != nullptr) *address_out = *picked;
  return 0;
}

DatagramAddress uc_classful_broadcast(const DatagramAddress& own) {
  DatagramAddress result = own;
  int host_bytes = own.ip[0] < 128 ? 3 : own.ip[0] < 192 ? 2 : 1;
  for (int i = 4 - host_bytes; i < 4; ++i) result.ip[static_cast<std::size_t>(i)] = 255;
  return result;
}

std::vector<InterfaceAddress> uc_interfaces() {
  std::vector<InterfaceAddress> result;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return result;
  for (ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
    if (item->ifa_addr == nullptr || item->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress interface;
    interface.ip = to_bytes(reinterpret_cast<const sockaddr_in*>(item->ifa_addr)->sin_addr);
    interface.up = (item->ifa_flags & IFF_UP) != 0;
    interface.loopback = (item->ifa_flags & IFF_LOOPBACK) != 0;
    if ((item->ifa_flags & IFF_BROADCAST) != 0 && item->ifa_broadaddr != nullptr &&
        item->ifa_broadaddr->sa_family == AF_INET) {
      interface.broadcast =
          to_bytes(reinterpret_cast<const sockaddr_in*>(item->ifa_broadaddr)->sin_addr);
    }
    result.push_back(interface);
  }
  ::freeifaddrs(list);
  return result;
}

std::vector<DatagramAddress> uc_broadcast_targets(std::span<const InterfaceAddress> interfaces,
                                                  const std::optional<DatagramAddress>& own,
                                                  std::uint16_t port) {
  std::vector<DatagramAddress> targets;
  for (const InterfaceAddress& interface : interfaces) {
    if (!interface.up || interface.loopback || !interface.broadcast || is_loopback(interface.ip)) {
      continue;
    }
    DatagramAddress target{*interface.broadcast, port};
    if (std::find(targets.begin(), targets.end(), target) == targets.end()) {
      targets.push_back(target);
    }
  }
  if (targets.empty() && own && !is_loopback(own->ip)) {
    DatagramAddress target = uc_classful_broadcast(*own);
    target.port = port;
    targets.push_back(target);
  }
  return targets;
}

std::vector<DatagramAddress> uc_broadcast_addresses(std::uint16_t port) {
  std::vector<InterfaceAddress> interfaces = uc_interfaces();
  DatagramAddress own;
  std::optional<DatagramAddress> own_address;
  if (uc_host_address(nullptr, &own) == 0) own_address = own;
  return uc_broadcast_targets(interfaces, own_address, port);
}

}  // namespace kovw::net
