// One net::Link per connection: its receive drops keep-alives before decoding them, refuses
// compression bombs, bounds the memory of all links and gives large buffers back.
#include "net/link.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/error_text.h"
#include "net/frame_memory.h"
#include "net/socket_errors.h"
#include "net/tcp_socket.h"

namespace kovw::net {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Two links on the ends of a socket pair.
struct LinkPair {
  Link near_end, far_end;
  LinkPair() {
    int pair[2];
    EXPECT_EQ(0, ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair));
    near_end.attach(pair[0]);
    far_end.attach(pair[1]);
    near_end.set_net_timeout(2000);
    far_end.set_net_timeout(2000);
  }
  // Writes raw bytes to the far end's peer, as a hostile host would.
  void write_raw(const Bytes& bytes) {
    ASSERT_EQ(static_cast<int>(bytes.size()),
              sc_send(near_end.socket(), static_cast<int>(bytes.size()), bytes.data(), 2000));
  }
  // Steps the far end until something other than a partial frame arrives.
  ReceiveStep receive() {
    ReceiveStep step;
    do {
      step = far_end.receive_step();
    } while (step.outcome == ReceiveOutcome::Pending);
    return step;
  }
};

// A classic header: kind byte, type, length, the payload inline when it fits.
Bytes frame(std::uint8_t kind, std::uint8_t type, const Bytes& payload) {
  Bytes out(kFrameHeaderSize, 0);
  out[0] = kind;
  out[1] = type;
  header_set_length(out.data(), static_cast<std::uint32_t>(payload.size()));
  if (payload.size() <= kClassicInline) {
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
  } else {
    out.insert(out.end(), payload.begin(), payload.end());
  }
  return out;
}

// A compressed payload: the uncompressed length, the method, the coded bytes.
Bytes compressed(std::uint32_t original, std::uint8_t method, const Bytes& coded) {
  Bytes out(4);
  write_be32(out.data(), original);
  out.push_back(method);
  out.insert(out.end(), coded.begin(), coded.end());
  return out;
}

// Keeps the memory bound of all links for one test.
struct BoundForTest {
  explicit BoundForTest(std::size_t bytes) { set_frame_memory_bound(bytes); }
  ~BoundForTest() { set_frame_memory_bound(0); }
};

TEST(Link, KeepAliveIsDroppedBeforeDecodingWhateverItsFlags) {
  for (const std::uint8_t flags : {0x00, 0x20, 0x40, 0x60, 0x80, 0xe0}) {
    SCOPED_TRACE(flags);
    LinkPair links;
    links.far_end.set_options(0, true, true);
    links.write_raw(
        frame(static_cast<std::uint8_t>(kKeepAliveService | flags), kKeepAliveType, {}));
    EXPECT_EQ(ReceiveOutcome::KeepAlive, links.receive().outcome);
    EXPECT_FALSE(links.far_end.encryption_on());  // the encryption bit switched nothing

    // The link goes on with the next message.
    LinkMessage message;
    message.service = 1;
    message.type = 9;
    message.length = 3;
    const Bytes payload = {1, 2, 3};
    ASSERT_EQ(24, links.near_end.send(message, payload.data()).value);
    const ReceiveStep step = links.receive();
    ASSERT_EQ(ReceiveOutcome::Message, step.outcome) << step.result;
    EXPECT_EQ(9, links.far_end.message().type);
    EXPECT_EQ(payload, Bytes(links.far_end.payload().begin(), links.far_end.payload().end()));
    // Each end counts its own traffic: the keep-alive was received, not sent by the link.
    EXPECT_EQ(
        (std::pair<std::uint64_t, std::uint64_t>{1, 24}),
        std::make_pair(links.near_end.traffic().frames_sent, links.near_end.traffic().bytes_sent));
    EXPECT_EQ((std::pair<std::uint64_t, std::uint64_t>{2, 48}),
              std::make_pair(links.far_end.traffic().frames_received,
                             links.far_end.traffic().bytes_received));
  }
}

TEST(Link, PackBitsPayloadMayNotAnnounceMoreThanItsBytesCanGive) {
  // Two coded bytes give at most 128: nothing is allocated for a longer announcement, even with
  // a bound far below it.
  BoundForTest bound(1u << 20);
  struct Case {
    std::uint32_t original;
    ReceiveOutcome outcome;
  };
  for (const Case c : {Case{128, ReceiveOutcome::Message}, Case{129, ReceiveOutcome::Failed},
                       Case{16u << 20, ReceiveOutcome::Failed}}) {
    SCOPED_TRACE(c.original);
    LinkPair links;
    links.write_raw(frame(1 | kKindCompressed, 2, compressed(c.original, 1, {0x81, 'x'})));
    const ReceiveStep step = links.receive();
    EXPECT_EQ(c.outcome, step.outcome);
    if (step.outcome == ReceiveOutcome::Message) {
      EXPECT_EQ(Bytes(128, 'x'),
                Bytes(links.far_end.payload().begin(), links.far_end.payload().end()));
    } else {
      EXPECT_EQ(kLinkMalformed, step.result);
      EXPECT_EQ(kErrorInvalidData, step.error);
    }
  }
}

TEST(Link, BlankFillExpandsOnceAndTheBufferIsGivenBackAfterTheFrame) {
  const std::size_t before = frame_memory_in_use();
  LinkPair links;
  constexpr std::uint32_t kOriginal = 4u << 20;
  links.write_raw(frame(1 | kKindCompressed, 2, compressed(kOriginal, 2, {'a', 'b'})));
  ASSERT_EQ(ReceiveOutcome::Message, links.receive().outcome);
  const auto payload = links.far_end.payload();
  ASSERT_EQ(kOriginal, payload.size());
  EXPECT_EQ('b', payload[1]);
  EXPECT_EQ(' ', payload[kOriginal - 1]);
  // One buffer of the announced size, not two.
  EXPECT_LT(frame_memory_in_use() - before, 2 * std::size_t{kOriginal});
  links.far_end.frame_done();
  EXPECT_LE(frame_memory_in_use() - before, 2 * kKeptHeapBuffer);
}

TEST(Link, FrameAboveTheBoundOfAllLinksFailsTheLink) {
  BoundForTest bound(frame_memory_in_use() + (1u << 20));
  LinkPair links;
  links.write_raw(frame(1 | kKindCompressed, 2, compressed(4u << 20, 2, {})));
  const ReceiveStep step = links.receive();
  EXPECT_EQ(ReceiveOutcome::Failed, step.outcome);
  EXPECT_EQ(-1, step.result);
  EXPECT_EQ(kErrorNotEnoughMemory, step.error);
}

TEST(Link, StartedFrameIsKnownUntilItsRestArrives) {
  LinkPair links;
  const Bytes whole = frame(1, 3, Bytes(100, 7));
  links.write_raw(Bytes(whole.begin(), whole.begin() + 10));
  EXPECT_FALSE(links.far_end.frame_started());
  EXPECT_EQ(ReceiveOutcome::Pending, links.far_end.receive_step().outcome);
  EXPECT_TRUE(links.far_end.frame_started());
  links.write_raw(Bytes(whole.begin() + 10, whole.end()));
  EXPECT_EQ(ReceiveOutcome::Message, links.receive().outcome);
  EXPECT_FALSE(links.far_end.frame_started());

  // The blocking receive gives up on a half frame after the net time-out.
  links.far_end.set_net_timeout(100);
  links.write_raw(Bytes(whole.begin(), whole.begin() + 30));
  const LinkResult result = links.far_end.receive(kSkipKeepAlive);
  EXPECT_EQ(kScTimeout, result.value);
  EXPECT_EQ(kErrorWaitTimeout, result.error);
}

TEST(Link, SendReturnsItsError) {
  LinkPair links;
  LinkMessage message;
  message.service = 1;
  message.type = 1;
  links.far_end.close();
  const LinkResult broken = links.near_end.send(message, nullptr);
  EXPECT_EQ(kScSend, broken.value);
  EXPECT_NE(0, broken.error);
  {
    // No work buffer within the bound of all links.
    BoundForTest bound(frame_memory_in_use() + 1024);
    const Bytes large(100000, 1);
    LinkMessage big = message;
    big.length = static_cast<std::int32_t>(large.size());
    const LinkResult refused = links.near_end.send(big, large.data());
    EXPECT_EQ(-1, refused.value);
    EXPECT_EQ(kErrorNotEnoughMemory, refused.error);
  }
  const int socket = links.near_end.release();
  EXPECT_EQ(foundation::kWSAENOTSOCK, links.near_end.send(message, nullptr).error);
  sc_close(socket);
}

}  // namespace
}  // namespace kovw::net
