// Feeds arbitrary datagrams of several senders to the message reassembly.
// Input: records of [sender byte][length high][length low][bytes...].
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "net/datagram_assembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kovw::net::DatagramAssembler;
  DatagramAssembler assembler;
  std::span<const std::uint8_t> input(data, size);
  while (input.size() >= 3) {
    kovw::net::DatagramAddress sender{{10, 0, 0, static_cast<std::uint8_t>(input[0] % 40)},
                                      static_cast<std::uint16_t>(input[0] / 40)};
    std::size_t length = (std::size_t{input[1]} << 8 | input[2]) % 700;
    input = input.subspan(3);
    length = std::min(length, input.size());
    std::span<const std::uint8_t> datagram = input.first(length);
    input = input.subspan(length);
    if (kovw::net::is_probe(datagram) && !assembler.in_progress(sender)) continue;
    auto message = assembler.feed(sender, datagram);
    if (message) {
      if (message->bytes.size() > DatagramAssembler::kMaxKeptBytes) std::abort();
      if (message->bytes.size() > message->length) std::abort();
      if (!(message->sender == sender)) std::abort();
    }
    if (assembler.senders_in_progress() > DatagramAssembler::kMaxSenders) std::abort();
  }
  return 0;
}
