#pragma once
// A program-link message built for sending: service, type and payload. `header()` gives the
// LinkMessage that link_send takes together with `payload.data()`.

#include <cstdint>
#include <string_view>
#include <vector>

#include "net/link_message.h"

namespace kovw::protocol {

struct Outgoing {
  int service = 0;
  int type = 0;
  std::vector<std::uint8_t> payload;

  net::LinkMessage header() const {
    net::LinkMessage message;
    message.service = static_cast<std::uint8_t>(service);
    message.type = static_cast<std::uint8_t>(type);
    message.length = static_cast<std::int32_t>(payload.size());
    return message;
  }
};

// Item writers for answers: an integer of width 4, a text with its terminating zero.
void put_int(std::vector<std::uint8_t>& out, std::int64_t value);
void put_text(std::vector<std::uint8_t>& out, std::string_view text);

}  // namespace kovw::protocol
