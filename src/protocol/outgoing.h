#pragma once
// A message built for sending on either link: service, type and payload. `header()` gives the
// LinkMessage (service, type, payload length) that link_send takes together with the payload.

#include <cstdint>
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

// Sends the message on `socket` with the calling thread's link state (net::link_send).
int send_message(int socket, const Outgoing& message);

}  // namespace kovw::protocol
