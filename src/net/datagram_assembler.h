#pragma once
// Reassembly of datagram messages: a message is a run of 512-byte datagrams ended by a
// shorter (possibly empty) one. Datagrams of different senders are assembled separately, so
// interleaved replies of several hosts are never merged. The bytes come from the network:
// what a sender may make the assembler keep is bounded.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "net/datagram.h"

namespace kovw::net {

// A connection probe: exactly the two bytes 3, 254.
bool is_probe(std::span<const std::uint8_t> datagram);

class DatagramAssembler {
 public:
  // Bytes kept of one message (more are received and dropped, and counted in `length`).
  static constexpr std::size_t kMaxKeptBytes = 64 * 1024;
  // Senders with a message in progress; the one silent longest is dropped when another one starts.
  static constexpr std::size_t kMaxSenders = 32;

  struct Message {
    DatagramAddress sender;
    std::vector<std::uint8_t> bytes;  // at most kMaxKeptBytes
    std::size_t length = 0;           // all bytes the message had
  };

  // Adds one datagram of `sender` (at most 512 bytes are taken). Returns the sender's
  // message when this datagram ends it.
  std::optional<Message> feed(const DatagramAddress& sender,
                              std::span<const std::uint8_t> datagram);

  // Whether `sender` has a message in progress.
  bool in_progress(const DatagramAddress& sender) const;
  std::size_t senders_in_progress() const { return partial_.size(); }
  void clear() { partial_.clear(); }

 private:
  struct Partial {
    Message message;
    std::uint64_t last_active = 0;
  };
  std::vector<Partial> partial_;
  std::uint64_t counter_ = 0;
};

}  // namespace kovw::net
