#include "net/datagram.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <numeric>
#include <vector>

#include "net/datagram_assembler.h"

namespace kovw::net {
namespace {

constexpr std::array<std::uint8_t, 4> kLoopback{127, 0, 0, 1};

int bound_port(int socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// A plain UDP socket on loopback that sees single datagrams.
struct RawPeer {
  int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
  RawPeer() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  ~RawPeer() { ::close(socket); }
  DatagramAddress address() const {
    return DatagramAddress{kLoopback, static_cast<std::uint16_t>(bound_port(socket))};
  }
  void send_to(int port, std::vector<std::uint8_t> bytes) const {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    target.sin_port = htons(static_cast<std::uint16_t>(port));
    ::sendto(socket, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&target),
             sizeof target);
  }
  // The sizes of the datagrams waiting, each read (at most 100 ms of waiting each).
  std::vector<std::vector<std::uint8_t>> receive_all() const {
    std::vector<std::vector<std::uint8_t>> result;
    for (;;) {
      pollfd entry{socket, POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) return result;
      std::vector<std::uint8_t> buffer(2048);
      ssize_t n = ::recv(socket, buffer.data(), buffer.size(), 0);
      if (n < 0) return result;
      buffer.resize(static_cast<std::size_t>(n));
      result.push_back(std::move(buffer));
    }
  }
};

// A registered datagram socket on a free port.
struct Opened {
  int socket = uc_open(0, true);
  int port = socket >= 0 ? bound_port(socket) : 0;
  ~Opened() {
    if (socket >= 0) uc_close(socket);
  }
  DatagramAddress address() const {
    return DatagramAddress{kLoopback, static_cast<std::uint16_t>(port)};
  }
};

std::vector<std::uint8_t> pattern(std::size_t length) {
  std::vector<std::uint8_t> bytes(length);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
  return bytes;
}

class Datagram : public ::testing::Test {
 protected:
  void SetUp() override { uc_set_receive_wait(300); }
  void TearDown() override { uc_set_receive_wait(5000); }
};

TEST_F(Datagram, MessagesAreCutInto512ByteDatagrams) {
  struct Row {
    int length;
    std::vector<std::size_t> datagrams;
  };
  const Row rows[] = {
      {21, {21}},       {511, {511}},          {512, {512, 0}},       {513, {512, 1}},
      {600, {512, 88}}, {1024, {512, 512, 0}}, {1025, {512, 512, 1}},
  };
  Opened sender;
  ASSERT_GE(sender.socket, 0);
  RawPeer peer;
  for (const Row& row : rows) {
    std::vector<std::uint8_t> message = pattern(static_cast<std::size_t>(row.length));
    EXPECT_EQ(uc_send(sender.socket, message.data(), row.length, peer.address(), 2), row.length);
    std::vector<std::size_t> sizes;
    std::vector<std::uint8_t> joined;
    for (const auto& datagram : peer.receive_all()) {
      sizes.push_back(datagram.size());
      joined.insert(joined.end(), datagram.begin(), datagram.end());
    }
    EXPECT_EQ(sizes, row.datagrams) << row.length;
    EXPECT_EQ(joined, message) << row.length;
  }
}

TEST_F(Datagram, ReceiveAssemblesAMessageAndNamesItsSender) {
  Opened a, b;
  ASSERT_GE(a.socket, 0);
  ASSERT_GE(b.socket, 0);
  for (int length : {0, 21, 511, 512, 513, 1024, 1025}) {
    std::vector<std::uint8_t> message = pattern(static_cast<std::size_t>(length));
    ASSERT_EQ(uc_send(a.socket, message.data(), length, b.address(), 2), length);
    if (length == 0) continue;  // nothing is sent
    std::vector<std::uint8_t> buffer(2000);
    DatagramAddress sender;
    ASSERT_EQ(uc_recv(b.socket, buffer.data(), 2000, &sender, 2), length);
    buffer.resize(static_cast<std::size_t>(length));
    EXPECT_EQ(buffer, message);
    EXPECT_EQ(sender, a.address());
  }
}

TEST_F(Datagram, SmallBufferGetsThePrefixAndTheWholeMessageIsConsumed) {
  Opened a, b;
  std::vector<std::uint8_t> message = pattern(600);
  ASSERT_EQ(uc_send(a.socket, message.data(), 600, b.address(), 2), 600);
  ASSERT_EQ(uc_send(a.socket, "next", 4, b.address(), 2), 4);
  std::uint8_t buffer[100];
  EXPECT_EQ(uc_recv(b.socket, buffer, 100, nullptr, 2), 100);
  EXPECT_TRUE(std::equal(buffer, buffer + 100, message.begin()));
  EXPECT_EQ(uc_recv(b.socket, buffer, 100, nullptr, 2), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "next");
  EXPECT_EQ(uc_recv(b.socket, buffer, 0, nullptr, 2), 0);
}

TEST_F(Datagram, RepliesOfDifferentSendersAreNeverMerged) {
  Opened receiver;
  RawPeer x, y;
  x.send_to(receiver.port, pattern(512));
  y.send_to(receiver.port, {'y', 'y'});
  x.send_to(receiver.port, {'x'});
  std::vector<std::uint8_t> buffer(2000);
  DatagramAddress sender;
  ASSERT_EQ(uc_recv(receiver.socket, buffer.data(), 2000, &sender, 2), 2);
  EXPECT_EQ(sender, y.address());
  ASSERT_EQ(uc_recv(receiver.socket, buffer.data(), 2000, &sender, 2), 513);
  EXPECT_EQ(sender, x.address());
  EXPECT_EQ(buffer[512], 'x');
}

TEST_F(Datagram, ReceiveTimesOut) {
  Opened receiver;
  uc_set_receive_wait(100);
  char buffer[10];
  EXPECT_EQ(uc_recv(receiver.socket, buffer, 10, nullptr, 2), -1);
  EXPECT_EQ(uc_last_error(), 4);
}

TEST_F(Datagram, ProbeWaitingBeforeASendIsAnsweredFirst) {
  Opened station;
  RawPeer prober;
  prober.send_to(station.port, {3, 254});
  pollfd entry{station.socket, POLLIN, 0};
  ASSERT_EQ(::poll(&entry, 1, 300), 1);
  ASSERT_EQ(uc_send(station.socket, "hello", 5, prober.address(), 2), 5);
  auto received = prober.receive_all();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], (std::vector<std::uint8_t>{3, 255}));
  EXPECT_EQ(received[1], (std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'}));
}

TEST_F(Datagram, ProbeArrivingDuringReceiveIsAnsweredNotDelivered) {
  Opened station;
  RawPeer prober, host;
  prober.send_to(station.port, {3, 254});
  host.send_to(station.port, {'r', 'e'});
  char buffer[10];
  DatagramAddress sender;
  EXPECT_EQ(uc_recv(station.socket, buffer, 10, &sender, 2), 2);
  EXPECT_EQ(sender, host.address());
  auto answers = prober.receive_all();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], (std::vector<std::uint8_t>{3, 255}));
}

TEST_F(Datagram, FlushDropsWaitingDataAndPartialMessages) {
  Opened station;
  RawPeer host;
  host.send_to(station.port, pattern(512));  // a message left half received
  host.send_to(station.port, {'o', 'l', 'd'});
  pollfd entry{station.socket, POLLIN, 0};
  ::poll(&entry, 1, 300);
  uc_flush(station.socket);
  host.send_to(station.port, {'n', 'e', 'w'});
  char buffer[600];
  EXPECT_EQ(uc_recv(station.socket, buffer, 600, nullptr, 2), 3);
  EXPECT_EQ(std::string(buffer, 3), "new");
}

TEST_F(Datagram, OpenFailsOnPortInUseAndUnregisteredSocketsSendNothing) {
  Opened first;
  ASSERT_GE(first.socket, 0);
  EXPECT_EQ(uc_open(first.port, true), -1);
  EXPECT_EQ(uc_last_error(), 10048);

  int plain = ::socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_EQ(uc_send(plain, "abc", 3, first.address(), 2), 0);
  ::close(plain);
  EXPECT_EQ(uc_send(first.socket, "abc", 0, first.address(), 2), 0);
}

TEST(DatagramAddresses, ClassfulBroadcast) {
  struct Row {
    std::array<std::uint8_t, 4> own, broadcast;
  };
  const Row rows[] = {
      {{172, 16, 4, 9}, {172, 16, 255, 255}},  {{10, 1, 2, 3}, {10, 255, 255, 255}},
      {{192, 168, 7, 20}, {192, 168, 7, 255}}, {{127, 0, 1, 1}, {127, 255, 255, 255}},
      {{128, 0, 0, 1}, {128, 0, 255, 255}},    {{191, 2, 3, 4}, {191, 2, 255, 255}},
  };
  for (const Row& row : rows) {
    DatagramAddress result = uc_classful_broadcast(DatagramAddress{row.own, 4711});
    EXPECT_EQ(result.ip, row.broadcast);
    EXPECT_EQ(result.port, 4711);
  }
}

TEST(DatagramAddresses, StationAddressSkipsAllLoopbackAddresses) {
  using A = DatagramAddress;
  const std::vector<A> with_other{A{{127, 0, 0, 1}, 0}, A{{127, 0, 1, 1}, 0}, A{{10, 1, 2, 3}, 0}};
  EXPECT_EQ(uc_pick_address(with_other)->ip, (std::array<std::uint8_t, 4>{10, 1, 2, 3}));
  const std::vector<A> only_loopback{A{{127, 0, 1, 1}, 0}, A{{127, 0, 0, 1}, 0}};
  EXPECT_EQ(uc_pick_address(only_loopback)->ip, (std::array<std::uint8_t, 4>{127, 0, 1, 1}));
  EXPECT_FALSE(uc_pick_address({}).has_value());

  DatagramAddress address;
  ASSERT_EQ(uc_host_address("10.1.2.3", &address), 0);
  EXPECT_EQ(address, (A{{10, 1, 2, 3}, 0}));
  ASSERT_EQ(uc_host_address("localhost", &address), 0);
  EXPECT_EQ(address.ip[0], 127);
  EXPECT_EQ(uc_host_address("no-such-host.invalid", &address), -1);
  // This station: never a loopback address when it has a real interface.
  bool has_real_interface = false;
  for (const InterfaceAddress& interface : uc_interfaces()) {
    has_real_interface |= interface.up && !interface.loopback && interface.ip[0] != 127;
  }
  if (has_real_interface) {
    ASSERT_EQ(uc_host_address(nullptr, &address), 0);
    EXPECT_NE(address.ip[0], 127);
    EXPECT_EQ(uc_host_address("", &address), 0);
    char own_name[256] = {};
    ::gethostname(own_name, sizeof own_name - 1);
    DatagramAddress by_name;
    ASSERT_EQ(uc_host_address(own_name, &by_name), 0);
    EXPECT_NE(by_name.ip[0], 127);
  }
}

TEST(DatagramAddresses, BroadcastTargetsPreferRealInterfaces) {
  using Ip = std::array<std::uint8_t, 4>;
  const std::vector<InterfaceAddress> interfaces{
      {Ip{127, 0, 0, 1}, std::nullopt, true, true},
      {Ip{192, 168, 7, 20}, Ip{192, 168, 7, 255}, true, false},
      {Ip{10, 1, 2, 3}, Ip{10, 1, 255, 255}, false, false},      // down
      {Ip{172, 16, 4, 9}, std::nullopt, true, false},            // point to point
      {Ip{192, 168, 7, 21}, Ip{192, 168, 7, 255}, true, false},  // same network again
      {Ip{10, 9, 8, 7}, Ip{10, 9, 8, 255}, true, false},
  };
  const DatagramAddress own{{172, 16, 4, 9}, 0};
  auto targets = uc_broadcast_targets(interfaces, own, 3000);
  EXPECT_EQ(targets, (std::vector<DatagramAddress>{{Ip{192, 168, 7, 255}, 3000},
                                                   {Ip{10, 9, 8, 255}, 3000}}));
  // Without a broadcasting interface: the classful rule on the own address.
  auto fallback = uc_broadcast_targets(std::span(interfaces).first(1), own, 3000);
  EXPECT_EQ(fallback, (std::vector<DatagramAddress>{{Ip{172, 16, 255, 255}, 3000}}));
  // A loopback own address gives nothing to broadcast to.
  EXPECT_TRUE(uc_broadcast_targets({}, DatagramAddress{{127, 0, 1, 1}, 0}, 3000).empty());
  EXPECT_TRUE(uc_broadcast_targets({}, std::nullopt, 3000).empty());
}

TEST(DatagramAssemblerLimits, KeptBytesAndSendersAreBounded) {
  DatagramAssembler assembler;
  const DatagramAddress sender{{10, 0, 0, 1}, 1};
  std::vector<std::uint8_t> full(512, 7);
  std::size_t sent = 0;
  while (sent < DatagramAssembler::kMaxKeptBytes + 4096) {
    EXPECT_FALSE(assembler.feed(sender, full).has_value());
    sent += 512;
  }
  auto message = assembler.feed(sender, std::vector<std::uint8_t>{1, 2});
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->bytes.size(), DatagramAssembler::kMaxKeptBytes);
  EXPECT_EQ(message->length, sent + 2);

  for (std::uint16_t port = 0; port < 100; ++port) {
    assembler.feed(DatagramAddress{{10, 0, 0, 2}, port}, full);
  }
  EXPECT_EQ(assembler.senders_in_progress(), DatagramAssembler::kMaxSenders);
  // The most recent senders are kept.
  EXPECT_TRUE(assembler.in_progress(DatagramAddress{{10, 0, 0, 2}, 99}));
  EXPECT_FALSE(assembler.in_progress(DatagramAddress{{10, 0, 0, 2}, 0}));
}

}  // namespace
}  // namespace kovw::net
