#include "net/tcp_socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "net/last_socket_error.h"
#include "net/peer_name.h"

namespace kovw::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A listener on a free loopback port.
struct Listener {
  int socket = -1;
  int port = 0;
  Listener() { socket = sc_listen(0, &port); }
  ~Listener() {
    if (socket >= 0) sc_close_unl(socket);
  }
};

// A connected pair: `client` made by sc_connect, `server` by sc_accept.
struct Pair {
  Listener listener;
  int client = -1;
  int server = -1;
  Pair() {
    client = sc_connect("127.0.0.1", listener.port);
    server = sc_accept(listener.socket);
  }
  ~Pair() {
    if (client >= 0) sc_close_unl(client);
    if (server >= 0) sc_close_unl(server);
  }
};

// A port on which nothing listens.
int closed_port() {
  Listener listener;
  return listener.port;
}

long elapsed_ms(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool close_on_exec(int fd) {
  return (::fcntl(fd, F_GETFD) & FD_CLOEXEC) != 0;
}
bool non_blocking(int fd) {
  return (::fcntl(fd, F_GETFL) & O_NONBLOCK) != 0;
}

TEST(TcpSocket, ConnectAcceptAndExchangeBytes) {
  Pair pair;
  ASSERT_GE(pair.listener.socket, 0);
  ASSERT_GE(pair.client, 0);
  ASSERT_GE(pair.server, 0);
  EXPECT_TRUE(close_on_exec(pair.listener.socket));
  EXPECT_TRUE(close_on_exec(pair.client));
  EXPECT_TRUE(close_on_exec(pair.server));

  int nodelay = 0;
  socklen_t length = sizeof nodelay;
  ::getsockopt(pair.server, IPPROTO_TCP, TCP_NODELAY, &nodelay, &length);
  EXPECT_EQ(nodelay, 1);
  ::getsockopt(pair.client, IPPROTO_TCP, TCP_NODELAY, &nodelay, &length);
  EXPECT_EQ(nodelay, 1);

  EXPECT_EQ(sc_send(pair.client, 5, "hello", 300), 5);
  EXPECT_FALSE(non_blocking(pair.client));              // blocking mode is back after the send
  EXPECT_EQ(sc_send_all(pair.client, -1, "world"), 5);  // -1: a terminated text
  char buffer[16] = {};
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvExact, 300), 10);
  EXPECT_EQ(std::string(buffer, 10), "helloworld");
  EXPECT_EQ(last_socket_error(), 0);

  char local[16] = {}, remote[16] = {};
  int local_port = 0, remote_port = 0;
  EXPECT_EQ(sc_addr(pair.client, 1, local, &local_port), 2);
  EXPECT_EQ(sc_addr(pair.server, 0, remote, &remote_port), 2);
  EXPECT_STREQ(local, "127.0.0.1");
  EXPECT_STREQ(remote, "127.0.0.1");
  EXPECT_EQ(local_port, remote_port);
  EXPECT_EQ(sc_addr(pair.client, 0, remote, &remote_port), 2);
  EXPECT_EQ(remote_port, pair.listener.port);
}

TEST(TcpSocket, EmptyOrAbsentHostMeansLocalhost) {
  Listener listener;
  for (const char* host : {"", static_cast<const char*>(nullptr), "localhost"}) {
    int client = sc_connect(host, listener.port);
    EXPECT_GE(client, 0) << (host ? host : "null");
    int server = sc_accept(listener.socket);
    EXPECT_GE(server, 0);
    sc_close_unl(client);
    sc_close_unl(server);
  }
}

TEST(TcpSocket, RefusedConnectIsReportedWithAndWithoutTimeout) {
  int port = closed_port();
  set_last_socket_error(0);
  EXPECT_EQ(sc_connect("127.0.0.1", port), kScConnect);
  EXPECT_EQ(last_socket_error(), 10061);

  set_last_socket_error(0);
  EXPECT_EQ(sc_connect_to("127.0.0.1", port, 300), kScConnect);
  EXPECT_EQ(last_socket_error(), 10061);
}

TEST(TcpSocket, ConnectWithTimeoutLeavesTheSocketNonBlocking) {
  Listener listener;
  int client = sc_connect_to("127.0.0.1", listener.port, 300);
  ASSERT_GE(client, 0);
  EXPECT_TRUE(non_blocking(client));
  linger value{};
  socklen_t length = sizeof value;
  ::getsockopt(client, SOL_SOCKET, SO_LINGER, &value, &length);
  EXPECT_EQ(value.l_onoff, 1);
  EXPECT_EQ(value.l_linger, 0);
  int server = sc_accept(listener.socket);
  EXPECT_GE(server, 0);
  EXPECT_FALSE(non_blocking(server));
  sc_close_unl(client);
  sc_close_unl(server);
}

TEST(TcpSocket, ConnectTimesOutWhenTheListenerQueueIsFull) {
  // A listener whose queue is full drops further connection attempts unanswered.
  int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 0), 0);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  int port = ntohs(address.sin_port);

  std::vector<int> clients;
  int result = 0;
  for (int i = 0; i < 4 && result >= 0; ++i) {
    result = sc_connect_to("127.0.0.1", port, 150);
    if (result >= 0) clients.push_back(result);
  }
  EXPECT_EQ(result, kScTimeout);
  EXPECT_EQ(last_socket_error(), 258);
  for (int client : clients) sc_close_unl(client);
  ::close(listener);
}

TEST(TcpSocket, UnknownHostFailsWithResolveError) {
  set_last_socket_error(0);
  EXPECT_EQ(sc_connect("no-such-host.invalid", 1), kScResolve);
  EXPECT_GE(last_socket_error(), 11001);
  EXPECT_LE(last_socket_error(), 11004);
}

TEST(TcpSocket, PortSearchSkipsPortsInUseOnlyWhenAsked) {
  Listener busy;  // a live listener
  ASSERT_GE(busy.socket, 0);
  int bound = 0;
  int next = sc_listen(busy.port, &bound);
  ASSERT_GE(next, 0);
  EXPECT_GT(bound, busy.port);
  // The port reported is the one really bound.
  char address[16];
  int actual = 0;
  EXPECT_EQ(sc_addr(next, 1, address, &actual), 2);
  EXPECT_EQ(actual, bound);
  sc_close_unl(next);

  set_last_socket_error(0);
  EXPECT_EQ(sc_listen(busy.port, nullptr), kScListenBind);
  EXPECT_EQ(last_socket_error(), 10048);

  EXPECT_EQ(sc_listen(70000, nullptr), kScListenBind);
  EXPECT_EQ(last_socket_error(), 10022);
}

TEST(TcpSocket, AcceptNeverWaits) {
  Listener listener;
  auto start = Clock::now();
  EXPECT_EQ(sc_accept(listener.socket), kScAccept);
  EXPECT_EQ(last_socket_error(), 10035);
  EXPECT_EQ(sc_accna(listener.socket, {}, nullptr), kScAccept);
  EXPECT_LT(elapsed_ms(start), 200);
}

TEST(TcpSocket, AcceptWithNameDeliversPeerAddressAndCutsTheName) {
  Listener listener;
  int client = sc_connect("127.0.0.1", listener.port);
  ASSERT_GE(client, 0);
  char name[4] = {'x', 'x', 'x', 'x'};
  std::array<int, 4> address{};
  int server = sc_accna(listener.socket, name, &address);
  ASSERT_GE(server, 0);
  EXPECT_EQ(address, (std::array<int, 4>{127, 0, 0, 1}));
  EXPECT_EQ(std::strlen(name), 3u);
  sc_close_unl(server);
  sc_close_unl(client);

  client = sc_connect("127.0.0.1", listener.port);
  char full[128];
  server = sc_accna(listener.socket, full, nullptr);
  ASSERT_GE(server, 0);
  EXPECT_GT(std::strlen(full), 0u);
  sc_close_unl(server);
  sc_close_unl(client);
}

TEST(TcpSocket, HostNameChoiceKeepsShortOfficialNames) {
  const std::vector<std::string> aliases{"abcdefghi", "ab", "xy", "abcd"};
  EXPECT_EQ(choose_host_name("server08", aliases), "server08");  // 8 characters: kept
  EXPECT_EQ(choose_host_name("server009", aliases), "ab");       // first of equal length
  const std::vector<std::string> longer{"longername01", "same-len-name"};
  EXPECT_EQ(choose_host_name("same-len-name", longer), "longername01");
  EXPECT_EQ(choose_host_name("a-long-name", std::vector<std::string>{"a-long-name"}),
            "a-long-name");
  EXPECT_EQ(choose_host_name("a-long-name", {}), "a-long-name");
}

TEST(TcpSocket, ReceiveModes) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  char buffer[10] = {};

  // Mode 2 returns after the first chunk.
  ASSERT_EQ(sc_send_all(pair.client, 3, "abc"), 3);
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvAny, 300), 3);

  // Mode 0 keeps reading until the size is complete.
  std::thread writer([&] {
    sc_send_all(pair.client, 3, "def");
    std::this_thread::sleep_for(30ms);
    sc_send_all(pair.client, 7, "ghijklm");
  });
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvExact, 300), 10);
  writer.join();
  EXPECT_EQ(std::string(buffer, 10), "defghijklm");
}

TEST(TcpSocket, PeerClosingMidMessageYieldsWhatArrived) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  ASSERT_EQ(sc_send_all(pair.client, 3, "abc"), 3);
  sc_close_unl(pair.client);
  pair.client = -1;
  char buffer[10];
  set_last_socket_error(99);
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvExact, 300), 3);
  EXPECT_EQ(last_socket_error(), 0);
  // Closed before the first byte: 0.
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvExact, 300), 0);
  EXPECT_EQ(sc_recv(pair.server, 10, buffer, kRecvAny, 0), 0);
}

TEST(TcpSocket, ReceiveTimesOutOnSilentPeer) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  char buffer[4];
  auto start = Clock::now();
  EXPECT_EQ(sc_recv(pair.server, 4, buffer, kRecvAny, 100), kScTimeout);
  EXPECT_EQ(last_socket_error(), 258);
  EXPECT_GE(elapsed_ms(start), 90);
}

TEST(TcpSocket, ResetConnectionFailsTheReceive) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  EXPECT_EQ(sc_clwait(pair.client, kOptLingerReset), 0);
  sc_close_unl(pair.client);
  pair.client = -1;
  char buffer[4];
  EXPECT_EQ(sc_recv(pair.server, 4, buffer, kRecvAny, 300), kScRecv);
  EXPECT_EQ(last_socket_error(), 10054);
}

TEST(TcpSocket, SendTimesOutOnPeerThatDoesNotRead) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  int small = 4096;
  ::setsockopt(pair.client, SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  ::setsockopt(pair.server, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  std::vector<char> data(8 << 20, 'x');
  auto start = Clock::now();
  EXPECT_EQ(sc_send(pair.client, static_cast<int>(data.size()), data.data(), 100), kScSend);
  EXPECT_EQ(last_socket_error(), 10004);
  EXPECT_GE(elapsed_ms(start), 90);
}

TEST(TcpSocket, SendToResetPeerFails) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  sc_clwait(pair.server, kOptLingerReset);
  sc_close_unl(pair.server);
  pair.server = -1;
  std::this_thread::sleep_for(20ms);
  std::vector<char> data(1 << 20, 'x');
  EXPECT_EQ(sc_send(pair.client, static_cast<int>(data.size()), data.data(), 300), kScSend);
  EXPECT_EQ(last_socket_error(), 10054);
  EXPECT_EQ(sc_send_all(pair.client, static_cast<int>(data.size()), data.data()), kScSend);
  EXPECT_EQ(last_socket_error(), 10054);
}

TEST(TcpSocket, SendOnNegativeSocket) {
  EXPECT_EQ(sc_send(-5, 3, "abc", 0), kScBadSocket);
  EXPECT_EQ(last_socket_error(), 10022);
}

TEST(TcpSocket, WouldBlockOnNonBlockingSocketWaitsForData) {
  Listener listener;
  int client = sc_connect_to("127.0.0.1", listener.port, 300);
  ASSERT_GE(client, 0);
  int server = sc_accept(listener.socket);
  ASSERT_GE(server, 0);
  std::thread writer([&] {
    std::this_thread::sleep_for(50ms);
    sc_send_all(server, 2, "ok");
  });
  char buffer[2];
  EXPECT_EQ(sc_recv(client, 2, buffer, kRecvExact, 0), 2);
  writer.join();

  // A silent peer: the would-block retries run out and the receive fails.
  auto start = Clock::now();
  EXPECT_EQ(sc_recv(client, 2, buffer, kRecvAny, 0), kScRecv);
  EXPECT_EQ(last_socket_error(), 10035);
  EXPECT_GE(elapsed_ms(start), 1500);
  sc_close_unl(client);
  sc_close_unl(server);
}

TEST(TcpSocket, SocketOptions) {
  int socket = sc_socket();
  ASSERT_GE(socket, 0);
  EXPECT_TRUE(close_on_exec(socket));
  linger value{};
  socklen_t length = sizeof value;
  struct Row {
    int option;
    int onoff;
    int seconds;
  };
  for (Row row : {Row{kOptLingerReset, 1, 0}, Row{kOptLinger10, 1, 10}, Row{kOptLinger100, 1, 100},
                  Row{kOptDontLinger, 1, 100}}) {
    EXPECT_EQ(sc_clwait(socket, row.option), 0);
    ::getsockopt(socket, SOL_SOCKET, SO_LINGER, &value, &length);
    EXPECT_EQ(value.l_onoff, row.onoff) << row.option;
    EXPECT_EQ(value.l_linger, row.seconds) << row.option;
  }
  int nodelay = -1;
  EXPECT_EQ(sc_clwait(socket, kOptDelay), 0);
  ::getsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &nodelay, &length);
  EXPECT_EQ(nodelay, 0);
  EXPECT_EQ(sc_clwait(socket, 9), 128);
  ::getsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &nodelay, &length);
  EXPECT_EQ(nodelay, 0);
  sc_close_unl(socket);
}

TEST(TcpSocket, AvailableBytes) {
  Pair pair;
  ASSERT_GE(pair.server, 0);
  EXPECT_EQ(sc_avail(pair.server), 0);
  sc_send_all(pair.client, 5, "12345");
  pollfd entry{pair.server, POLLIN, 0};
  ::poll(&entry, 1, 300);
  EXPECT_EQ(sc_avail(pair.server), 5);
  EXPECT_EQ(sc_avail(-1), -1);
  EXPECT_EQ(last_socket_error(), 10009);
}

TEST(TcpSocket, AddressOfUnconnectedSocketFails) {
  int socket = sc_socket();
  char address[16];
  int port = 0;
  EXPECT_NE(sc_addr(socket, 0, address, &port), 2);
  EXPECT_EQ(last_socket_error(), 10057);
  sc_close_unl(socket);
}

}  // namespace
}  // namespace kovw::net
