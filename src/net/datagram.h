#pragma once
// The datagram transport: UDP sockets that carry messages as sequences of datagrams of 512
// bytes ended by a shorter (possibly empty) one, the answer to connection probes, and the
// station's own address and the broadcast addresses used for the host search.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kovw::net {

// An IPv4 address (most significant byte first) and a port in host order.
struct DatagramAddress {
  std::array<std::uint8_t, 4> ip{};
  std::uint16_t port = 0;
  friend bool operator==(const DatagramAddress&, const DatagramAddress&) = default;
};

inline constexpr int kDatagramPayload = 512;
inline constexpr int kDatagramModePlain = 2;  // plain datagrams, no acknowledgement
inline constexpr std::array<std::uint8_t, 2> kProbe{3, 254};
inline constexpr std::array<std::uint8_t, 2> kProbeAnswer{3, 255};
inline constexpr int kDatagramTimeoutError = 4;       // last datagram error after a time-out
inline constexpr int kDatagramRecordErrorBase = 100;  // + errno: no socket record

// The last datagram error (process-wide): the system error of the last failure (Winsock
// numbering), 4 after a receive time-out, errno + 100 when no socket record could be made.
int uc_last_error();

// How long uc_recv waits for each datagram (process-wide, initially 5000 ms).
void uc_set_receive_wait(int wait_ms);
int uc_receive_wait();

// A UDP socket bound to all local addresses and `port` (0: any free port), with broadcast
// permission, registered in the socket list. `reset_off` asks that ICMP port-unreachable
// messages are not reported as a reset (this platform never reports them on unconnected
// datagram sockets). Returns the socket or -1 (last datagram error set, socket closed).
int uc_open(int port, bool reset_off);

// Flushes the socket, then sends `data` as one message to `address` (mode 2). Returns
// length; 0 when length is 0 or the socket is not registered; -1 when a send fails.
int uc_send(int socket, const void* data, int length, const DatagramAddress& address, int mode);

// Receives one message (mode 2): copies at most `length` bytes to buffer and stores the
// sender in `sender`. Datagrams of different senders are assembled separately; a message
// ends with the first datagram of its sender shorter than 512 bytes. Connection probes are
// answered, never delivered. Returns the count copied; 0 when length is 0; -1 on time-out
// (last datagram error 4) or error.
int uc_recv(int socket, void* buffer, int length, DatagramAddress* sender, int mode);

// Reads and discards everything that has already arrived, without waiting, answering
// connection probes; partly received messages are discarded too.
void uc_flush(int socket);

// Removes the socket record and closes the socket.
void uc_close(int socket);

// Resolves a host name or dotted address into an address with port 0; an absent or empty
// name means this station. Addresses in 127.0.0.0/8 are skipped when the name has another
// one; for this station (no name or its own host name) the first non-loopback interface
// address is used when its name resolves to loopback only or not at all. Returns 0, or -1 when no
// address was found.
int uc_host_address(const char* name, DatagramAddress* address_out);

// The broadcast address of `own` by the class of its first byte (below 128: x.255.255.255,
// below 192: x.y.255.255, otherwise x.y.z.255); the port is kept.
DatagramAddress uc_classful_broadcast(const DatagramAddress& own);

// An IPv4 interface of this machine, as the host search needs it.
struct InterfaceAddress {
  std::array<std::uint8_t, 4> ip{};
  std::optional<std::array<std::uint8_t, 4>> broadcast;  // when the interface broadcasts
  bool up = false;
  bool loopback = false;
};

// The IPv4 interfaces of this machine (getifaddrs).
std::vector<InterfaceAddress> uc_interfaces();

// Where a host search sends its query: the broadcast addresses of the interfaces that are
// up, not loopback and broadcast-capable (each once); without one, the classful broadcast
// address of `own` unless that is a loopback address. Every target gets `port`.
std::vector<DatagramAddress> uc_broadcast_targets(std::span<const InterfaceAddress> interfaces,
                                                  const std::optional<DatagramAddress>& own,
                                                  std::uint16_t port);

// The same for this machine: uc_interfaces() and uc_host_address(nullptr).
std::vector<DatagramAddress> uc_broadcast_addresses(std::uint16_t port);

// Picks the station address among resolved addresses: the first one outside 127.0.0.0/8,
// else the first; nothing for an empty list.
std::optional<DatagramAddress> uc_pick_address(std::span<const DatagramAddress> resolved);

}  // namespace kovw::net
