// Arbitrary bytes from a peer on one net::Link: the link's own receive steps, keep-alives
// dropped before decoding, decoded payloads touched at both ends, frame buffers within a bound.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "net/frame_memory.h"
#include "net/link.h"
#include "net/tcp_socket.h"

using namespace kovw::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    const std::uint8_t client[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint8_t server[16] = {};
    link_set_session_key(client, server);
    set_frame_memory_bound(64u << 20);
    return true;
  }();
  (void)ready;
  // The input must fit the socket buffer: it is written before anything is received.
  if (size < 1 || size > 60000) return 0;
  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
  Link link(pair[1]);
  link.set_options(data[0] & 0x3ff, true, true);
  link.set_net_timeout(50);
  if (sc_send(pair[0], static_cast<int>(size - 1), data + 1, 1000) < 0) {
    ::close(pair[0]);
    return 0;
  }
  ::shutdown(pair[0], SHUT_WR);
  for (;;) {
    const ReceiveStep step = link.receive_step();
    if (step.outcome == ReceiveOutcome::Closed || step.outcome == ReceiveOutcome::Failed) break;
    if (step.outcome == ReceiveOutcome::Message) {
      const auto payload = link.payload();
      if (!payload.empty()) {
        volatile std::uint8_t sink = payload.front();
        sink = payload.back();
        (void)sink;
      }
      link.frame_done();
    }
  }
  ::close(pair[0]);
  return 0;
}
