// Frames over a real loopback connection: link_send on one thread, link_receive on another.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "net/byte_order.h"
#include "net/frame_reader.h"
#include "net/last_socket_error.h"
#include "net/link_io.h"
#include "net/link_state.h"
#include "net/tcp_socket.h"

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Connection {
  int listener = -1, client = -1, server = -1;
  Connection() {
    int port = 0;
    listener = sc_listen(0, &port);
    client = sc_connect("127.0.0.1", port);
    server = sc_accept(listener);
  }
  ~Connection() {
    for (int s : {client, server, listener}) {
      if (s >= 0) sc_close(s);
    }
  }
};

const std::uint8_t kClient[16] = {9, 9, 9, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
const std::uint8_t kServer[16] = {7, 7, 7, 7, 7, 7, 7, 7, 1, 1, 1, 1, 2, 2, 2, 2};

LinkMessage message_for(int service, int type, const Bytes& payload) {
  LinkMessage message;
  message.service = static_cast<std::uint8_t>(service);
  message.type = static_cast<std::uint8_t>(type);
  message.length = static_cast<std::int32_t>(payload.size());
  return message;
}

class LinkLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    link_state() = LinkState{};
    link_state().net_timeout_ms = 2000;
    link_set_session_key(kClient, kServer);
    link_set_options(0, true, true);
    ASSERT_GE(connection.server, 0);
  }
  void TearDown() override {
    link_state() = LinkState{};
    link_set_session_key(nullptr, nullptr);
  }
  Connection connection;
};

TEST_F(LinkLoopback, RoundTripEveryOptionCombination) {
  Bytes text(100000);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = "ab  cd   "[i % 9];
  const Bytes payloads[] = {{}, Bytes(5, 'x'), Bytes(300, ' '), text, Bytes(4096, 0x11)};
  for (unsigned level : {0u, 1u, 2u}) {
    for (unsigned flags : {0u, 0x100u, 0x200u, 0x300u}) {
      std::thread sender([&] {
        link_set_options(level | flags, true, true);
        link_state().net_timeout_ms = 2000;
        for (const Bytes& payload : payloads) {
          const LinkMessage message = message_for(4, 2, payload);
          EXPECT_GT(link_send(connection.client, message, payload.data()), 0);
        }
      });
      FrameReader reader;
      for (const Bytes& payload : payloads) {
        LinkMessage message;
        ASSERT_EQ(1, link_receive(connection.server, message, reader, kSkipKeepAlive));
        EXPECT_EQ(4, message.service);
        EXPECT_EQ(2, message.type);
        ASSERT_EQ(static_cast<std::int32_t>(payload.size()), message.length);
        EXPECT_EQ(payload, Bytes(reader.payload, reader.payload + message.length));
        EXPECT_EQ((flags & 0x200) != 0, link_state().encryption_on);
        EXPECT_EQ(level >= 2 ? 2 : 1, link_state().header_level);
      }
      sender.join();
    }
  }
}

TEST_F(LinkLoopback, KeepAlivesSkippedOrReported) {
  LinkMessage keep_alive = message_for(kKeepAliveService, kKeepAliveType, {});
  const Bytes data = {1, 2, 3};
  LinkMessage message = message_for(0, 12, data);
  ASSERT_EQ(24, link_send(connection.client, keep_alive, nullptr));
  ASSERT_EQ(24, link_send(connection.client, keep_alive, nullptr));
  ASSERT_EQ(24, link_send(connection.client, message, data.data()));
  ASSERT_EQ(24, link_send(connection.client, keep_alive, nullptr));
  FrameReader reader;
  LinkMessage received;
  ASSERT_EQ(1, link_receive(connection.server, received, reader, kSkipKeepAlive));
  EXPECT_EQ(12, received.type);
  EXPECT_EQ(2, link_receive(connection.server, received, reader, kReturnKeepAlive));
}

TEST_F(LinkLoopback, SilentPeerTimesOutAndClosedPeerGivesZero) {
  link_state().net_timeout_ms = 100;
  FrameReader reader;
  LinkMessage received;
  EXPECT_EQ(-99, link_receive(connection.server, received, reader, kSkipKeepAlive));
  EXPECT_EQ(258, last_socket_error());
  sc_close(connection.client);
  connection.client = -1;
  EXPECT_EQ(0, link_receive(connection.server, received, reader, kSkipKeepAlive));
}

TEST_F(LinkLoopback, LoginFrameSetsByteOrderMode) {
  FrameReader reader;
  LinkMessage received;
  for (auto [byte, mode] : {std::pair{0x10, 2}, std::pair{0x11, 1}}) {
    const Bytes payload = {0, 0, static_cast<std::uint8_t>(byte), 0};
    ASSERT_EQ(24, link_send(connection.client, message_for(0, 1, payload), payload.data()));
    ASSERT_EQ(1, link_receive(connection.server, received, reader, kSkipKeepAlive));
    EXPECT_EQ(mode, byte_order_mode());
  }
  set_byte_order_mode(0);
}

TEST(LinkOptions, FlagsWordAndTimeoutValues) {
  link_state() = LinkState{};
  EXPECT_EQ(1, link_set_options(0x302, true, true));
  EXPECT_EQ(2, link_state().header_level);
  EXPECT_TRUE(link_state().compression_on);
  EXPECT_TRUE(link_state().level_tracking);
  EXPECT_EQ(0, link_set_options(0x302, true, false));
  EXPECT_FALSE(link_state().encryption_on);
  EXPECT_EQ(10000, net_timeout_from_option(0));
  EXPECT_EQ(10000, net_timeout_from_option(-5));
  EXPECT_EQ(30000, net_timeout_from_option(30));
  EXPECT_EQ(999000, net_timeout_from_option(999));
  EXPECT_EQ(1000, net_timeout_from_option(1000));
  link_state() = LinkState{};
}

}  // namespace
}  // namespace kovw::net
