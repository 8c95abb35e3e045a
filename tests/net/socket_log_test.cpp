// The failure lines of the TCP socket layer, as they reach the log file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/log.h"
#include "foundation/verbose.h"
#include "net/last_socket_error.h"
#include "net/tcp_socket.h"

namespace kovw::net {
namespace {

class SocketLog : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kovw-socket-log-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    file_ = dir_ + "/kovw.log";
    ASSERT_GE(foundation::log_set_path(file_.c_str()), 0);
    foundation::set_verbose(0);
  }
  void TearDown() override {
    sc_set_error_logging(0);
    foundation::log_reset();
    std::filesystem::remove_all(dir_);
  }
  std::string contents() const {
    std::ifstream in(file_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool logged(const std::string& line) const {
    return contents().find(line + "\n") != std::string::npos;
  }

  std::string dir_, file_;
};

TEST_F(SocketLog, FailuresAreLoggedOnlyWhenTheSwitchIsOn) {
  int port = 0;
  int listener = sc_listen(0, &port);
  ASSERT_GE(listener, 0);

  EXPECT_EQ(sc_listen(port, nullptr), kScListenBind);
  EXPECT_EQ(contents().find("sc_listen"), std::string::npos);

  sc_set_error_logging(1);
  EXPECT_TRUE(logged("sockcom: Testmodus 1 aktiviert."));
  EXPECT_EQ(sc_listen(port, nullptr), kScListenBind);
  EXPECT_TRUE(logged("sc_listen(-22.1) Error 10048 binding socket for port " +
                     std::to_string(port) + ": " + socket_error_line(10048)));
  EXPECT_EQ(sc_accept(listener), kScAccept);
  EXPECT_TRUE(logged("sc_accept(-24.2) Error 10035 accept socket: " + socket_error_line(10035)));
  EXPECT_EQ(sc_accna(listener, {}, nullptr), kScAccept);
  EXPECT_TRUE(logged("sc_accna(-24) Error 10035 accept socket: " + socket_error_line(10035)));

  EXPECT_EQ(sc_connect("no-such-host.invalid", port), kScResolve);
  const int resolve_error = last_socket_error();
  EXPECT_TRUE(
      logged("sc_verb_to(-34) Error " + std::to_string(resolve_error) +
             " on gethostbyname(no-such-host.invalid): " + socket_error_line(resolve_error)));

  // A connection that is accepted and then reset by the peer.
  int client = sc_connect("127.0.0.1", port);
  ASSERT_GE(client, 0);
  int server = sc_accept(listener);
  ASSERT_GE(server, 0);
  sc_clwait(server, kOptLingerReset);
  sc_close_unl(server);
  char buffer[4];
  EXPECT_EQ(sc_recv(client, 4, buffer, kRecvAny, 300), kScRecv);
  EXPECT_TRUE(logged("sc_recv(-41.2) Error 10054 recv: " + socket_error_line(10054)));
  EXPECT_EQ(sc_send(client, 3, "abc", 300), kScSend);
  EXPECT_TRUE(logged("sc_send(-40.1) Error 10054 sending 3 bytes: " + socket_error_line(10054)));
  EXPECT_EQ(sc_send_all(client, 4, "abcd"), kScSend);
  EXPECT_TRUE(logged("sc_send(-40) Error 10054 sending 4 bytes: " + socket_error_line(10054)));
  sc_close_unl(client);

  sc_close_unl(listener);
  EXPECT_EQ(sc_connect("127.0.0.1", port), kScConnect);
  EXPECT_TRUE(logged("sc_verb_to(-33.4) Error 10061 on connect: " + socket_error_line(10061)));
  EXPECT_EQ(sc_connect_to("127.0.0.1", port, 300), kScConnect);
  EXPECT_TRUE(logged("sc_verb_to(-33.1) Error 10061 on connect: " + socket_error_line(10061)));

  sc_set_error_logging(0);
  EXPECT_TRUE(logged("sockcom: Testmodus 0 deaktiviert."));
}

TEST_F(SocketLog, TransmissionTraceAlsoLogsFailures) {
  foundation::set_verbose(foundation::kVerboseTransmission);
  EXPECT_EQ(sc_connect("no-such-host.invalid", 1), kScResolve);
  foundation::set_verbose(0);
  EXPECT_NE(contents().find("sc_verb_to(-34) Error "), std::string::npos);
}

}  // namespace
}  // namespace kovw::net
