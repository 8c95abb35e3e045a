// The program link against silent and hostile hosts: the introduction bound, the cap on links
// waiting for it, half frames timed out, keep-alives with flag bits.
#include "session/program/program_link.h"

#include <sys/socket.h>

#include "net/link_state.h"
#include "net/tcp_socket.h"
#include "session/session_fixture.h"

namespace kovw::session::test {
namespace {

// The limits of one test, set back afterwards.
struct Limits {
  Limits(std::chrono::milliseconds timeout, int cap) {
    testing::set_introduction_limits(timeout, cap);
  }
  ~Limits() { testing::set_introduction_limits({}, 0); }
};

void write_raw(HostPeer& peer, const std::vector<std::uint8_t>& bytes) {
  ASSERT_EQ(static_cast<int>(bytes.size()),
            net::sc_send(peer.socket, static_cast<int>(bytes.size()), bytes.data(), 2000));
}

TEST_F(SessionTest, LinkWithoutIntroductionIsClosedAfterTheBound) {
  Limits limits(std::chrono::milliseconds(300), 0);
  HostPeer& silent = start_program();
  HostPeer& introduced = start_program();
  init_program(introduced, 12, "introduced");
  ASSERT_TRUE(wait_until([] { return program_count() == 2; }));

  EXPECT_TRUE(silent.closed_by_workstation());
  EXPECT_TRUE(wait_until([] { return program_count() == 1; }));
  EXPECT_EQ(0, links_awaiting_introduction());
  // The introduced program keeps its link past the bound.
  EXPECT_EQ(6u, window_ids(introduced).size());
}

TEST_F(SessionTest, LinksBeyondTheCapOfWaitingLinksAreRefused) {
  Limits limits(std::chrono::seconds(60), 2);
  HostPeer& first = start_program();
  start_program();
  ASSERT_EQ(2, links_awaiting_introduction());

  int pair[2];
  ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
  EXPECT_EQ(-1, dt_open(pair[1], "third", "<NULL>", -1, "0", {}));
  HostPeer refused;
  refused.socket = pair[0];
  EXPECT_TRUE(refused.closed_by_workstation());

  // An introduction frees a place.
  init_program(first, 5, "first");
  ASSERT_TRUE(wait_until([] { return links_awaiting_introduction() == 1; }));
  start_program();
  EXPECT_TRUE(wait_until([] { return program_count() == 3; }));
}

TEST_F(SessionTest, RestOfAStartedFrameIsTimedOut) {
  const int saved = net::default_net_timeout();
  net::set_default_net_timeout(300);
  struct Case {
    const char* what;
    std::size_t header_bytes;
    std::size_t payload_bytes;
  };
  for (const Case c : {Case{"half a header", 10, 0}, Case{"half a large frame", 24, 1000}}) {
    SCOPED_TRACE(c.what);
    HostPeer& peer = start_program();
    init_program(peer, 21, "slow");
    std::vector<std::uint8_t> bytes(c.header_bytes + c.payload_bytes, 0);
    bytes[0] = net::KWD_WIN;
    bytes[1] = net::KWK_WDAT;
    net::header_set_length(bytes.data(), 100000);
    bytes.resize(c.header_bytes + c.payload_bytes);
    write_raw(peer, bytes);
    EXPECT_TRUE(peer.closed_by_workstation());
    EXPECT_TRUE(wait_until([] { return program_count() == 0; }));
  }
  net::set_default_net_timeout(saved);
}

TEST_F(SessionTest, KeepAliveWithFlagBitsLeavesTheProgramLinkWorking) {
  HostPeer& peer = start_program();
  for (const std::uint8_t flags : {0x20, 0x40, 0x60}) {
    std::vector<std::uint8_t> keep_alive(net::kFrameHeaderSize, 0);
    keep_alive[0] = static_cast<std::uint8_t>(net::kKeepAliveService | flags);
    keep_alive[1] = net::kKeepAliveType;
    write_raw(peer, keep_alive);
  }
  // The link still carries messages, and its answers are not encrypted.
  EXPECT_EQ(6u, init_program(peer, 3, "kept").size());
  EXPECT_EQ(1, program_count());
}

}  // namespace
}  // namespace kovw::session::test
